// The sample database's invented facts written out as the files people import: a fund list, daily
// net values (one file per fund, as CSV in GBK or UTF-8 and as xlsx, and one long TSV), index
// closes, asset and industry allocation, dividends, ratings and managers, with Chinese headers in
// some and English in others. Importing them into a new database with fund-import gives the same
// cells on every page as the sample database itself: the round trip that proves the importer.
#pragma once

#include <string>

namespace SampleDb {

// Reads the finished database at `database` and writes the files into the folder `folder` (made
// when missing). Returns an empty text on success, else the reason.
std::string WriteInputFiles(const std::string& database, const std::string& folder);

} // namespace SampleDb
