// Recognises arbitrary header rows (fields split at tabs) under every kind: a recognised header
// maps no column twice and has one entry per field.
#include "ColumnTable.h"

#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::vector<std::string> names(1);
    for (size_t k = 0; k < size; ++k) {
        if (data[k] == '\t')
            names.emplace_back();
        else
            names.back().push_back(static_cast<char>(data[k]));
    }
    std::vector<FundImport::Kind> kinds = {FundImport::Kind::Auto};
    for (const FundImport::KindInfo& info : FundImport::Kinds())
        kinds.push_back(info.kind);
    for (FundImport::Kind kind : kinds) {
        const FundImport::Header header = FundImport::RecogniseHeader(names, kind);
        if (!header.error.empty())
            continue;
        if (header.columns.size() != names.size() || header.percent.size() != names.size())
            std::abort();
        std::set<FundImport::Column> seen;
        for (FundImport::Column column : header.columns)
            if (column != FundImport::Column::None && !seen.insert(column).second)
                std::abort();
    }
    return 0;
}
