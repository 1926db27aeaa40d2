// PerformanceUniverse: the fund universe that the performance page ranks — every fund of the return
// table with its thirteen period values and both ranks per period — and the lookup of a compared
// fund by code. Reading and ranking touch no window, so they may run on a worker thread with a
// connection of its own; the page takes the finished universe over.
//
// Only the compared funds are ever shown, so the funds' texts are kept as the UTF-8 the database
// gave, in one block, and made wide text only for a fund that is shown.
#pragma once

#include "pages/common/CodeIndex.h"
#include "pages/performance/PerformanceRanking.h"

#include <sdk/Data.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class PerformanceUniverse {
public:
    // The texts of one fund; its values are kept per period, beside.
    struct Fund {
        XStringW code, aliascode, name, investtype, buystate;
    };

    PerformanceUniverse() = default;
    PerformanceUniverse(PerformanceUniverse&&) = default;
    PerformanceUniverse& operator=(PerformanceUniverse&&) = default;
    // The lookup points into the block of texts, which a copy would not carry along.
    PerformanceUniverse(const PerformanceUniverse&) = delete;
    PerformanceUniverse& operator=(const PerformanceUniverse&) = delete;

    // Runs the all-funds statement for the latest year (four digits) and ranks every period. False,
    // with the database's reason, when no statement is obtained or the statement stops part way:
    // ranks over part of the universe would look plausible and be wrong, so nothing is kept.
    bool Load(Data::IDatabase* database, const XStringW& latestYear, XStringW& error);

    bool Empty() const { return m_rows.empty(); }
    // The rows of the statement, and the number of different fund codes among them.
    size_t RowCount() const { return m_rows.size(); }
    size_t Size() const { return m_byCode.Size(); }
    // The year the universe was read for.
    const XStringW& Year() const { return m_year; }
    // The row of a code, or -1. A code that the return table lists twice keeps the row that comes
    // first in the order of the last ranking sort.
    int Find(const XStringW& code) const;
    // The texts of a row, as wide text. A row past the table is a fault of the caller (the rows
    // come from Find): it fails a check and reads as an empty fund with missing values.
    Fund FundAt(int row) const;
    const PeriodValue& ValueAt(int row, int period) const;

private:
    // Where a row's five texts lie in the block, one after the other.
    struct Row {
        std::uint32_t start = 0;
        std::array<std::uint32_t, 5> length{};
    };
    std::string_view Text(const Row& row, size_t field) const;

    XStringW m_year;
    std::string m_texts; // every row's texts, UTF-8
    std::vector<Row> m_rows;
    std::array<std::vector<PeriodValue>, kPeriodCount> m_values; // per period, by row
    Utf8CodeIndex m_byCode;
};
