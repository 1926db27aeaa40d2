// Opens arbitrary bytes as a workbook and reads every sheet: damaged packages and XML are refused
// with a reason, never a crash or a hang.
#include "XlsxBook.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FundImport::XlsxBook book;
    if (!book.OpenBytes(std::string(reinterpret_cast<const char*>(data), size))) {
        if (book.Error().empty())
            std::abort();
        return 0;
    }
    std::vector<FundImport::XlsxRow> rows;
    for (std::size_t sheet = 0; sheet < book.SheetNames().size() && sheet < 8; ++sheet)
        if (!book.ReadSheet(sheet, rows) && book.Error().empty())
            std::abort();
    return 0;
}
