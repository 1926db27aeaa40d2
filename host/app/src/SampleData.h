// The sample database as the host treats it: telling it from a user's own database, the notice
// that says so, and the funds that a first start puts into the comparison.
#pragma once

#include <sdk/Data.h>
#include <sdk/XComPtr.h>
#include <sdk/XStringW.h>

#include <string>
#include <vector>

namespace SampleData {

// True when the database was written by the sample generator (its file carries the generator's
// SQLite application id). A database that cannot say is taken for the user's own.
bool IsSample(Data::IDatabase* database);

// The window title on the sample database: that it is the sample, and where one's own data come in.
std::wstring Title(const std::wstring& programTitle);

// The status-bar note on the sample database: that the data are invented, and the toolbar's
// commands that import one's own data or open one's own database.
std::wstring Notice();

// The status-bar hint on how to add a fund.
std::wstring AddFundHint();

// The configuration key that names the user's own database.
inline constexpr const char* kDatabaseKey = "/Quenda2/FundHost/Database";

// Three funds that fill every page of the comparison: one each of the stock, hybrid and index
// types that the fund picker offers, old enough for every ranking period and holding stocks at
// the latest report, the largest of their type. Fewer when the database has no such funds.
std::vector<XStringW> ShowcaseFunds(Data::IDatabase* database);

} // namespace SampleData
