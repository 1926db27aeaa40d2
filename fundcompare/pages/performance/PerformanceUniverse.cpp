// PerformanceUniverse: reading the all-funds statement and ranking it.
#include "pages/performance/PerformanceUniverse.h"

#include "pages/performance/PerformanceQueries.h"
#include "wgui/Verify.h"

#include <platform/wcrt.h>
#include <sdk/Utf8.h>
#include <sdk/XComPtr.h>

namespace {

constexpr int kFirstValueColumn = 5;
constexpr int kValueStride = 3;
constexpr size_t kTexts = 5; // code, aliascode, name, investtype, buystate: columns 0 to 4

// A value the database holds as a number is taken as it is; anything else goes the way of its
// text, so that text, null and figures that are no numbers read as the list has always read them.
PeriodValue ReadValue(Data::IStatement* statement, int column, XStringW& text) {
    double number = 0;
    if (statement->GetNumber(column, number)) {
        PeriodValue value;
        value.value = number;
        return value;
    }
    statement->GetString(text, column);
    return ReadPeriodValue(text);
}

// The peer group from the investment type's UTF-8, as PeerGroup reads the wide text.
std::uint8_t PeerGroupOf(std::string_view investtype) {
    static const std::string_view kTypes[] = {"股票型", "指数型", "债券型", "混合型", "保本型", "QDII"};
    for (size_t i = 0; i < std::size(kTypes); ++i)
        if (investtype == kTypes[i])
            return static_cast<std::uint8_t>(i);
    return static_cast<std::uint8_t>(std::size(kTypes));
}

} // namespace

bool PerformanceUniverse::Load(Data::IDatabase* database, const XStringW& latestYear, XStringW& error) {
    error.clear();
    *this = PerformanceUniverse();
    if (database == nullptr)
        return false;
    const int y = _wtoi(latestYear.c_str());
    const XStringW sql =
        XStringW().Format(kAllFundsQuery, latestYear.c_str(), y - 1, y - 2, latestYear.c_str(), y - 1, y - 2);
    XComPtr<Data::IStatement> statement;
    if (!database->Query(statement.Receive(), sql.c_str(), error) || !statement) {
        if (error.empty())
            database->GetLastError(error);
        return false;
    }
    std::string texts;
    std::vector<Row> rows;
    std::array<std::vector<PeriodValue>, kPeriodCount> values;
    std::vector<std::uint8_t> groups;
    XStringW text;
    while (statement->Next()) {
        Row& row = rows.emplace_back();
        row.start = static_cast<std::uint32_t>(texts.size());
        for (size_t field = 0; field < kTexts; ++field) {
            const std::string_view utf8 = statement->GetUtf8(static_cast<int>(field));
            row.length[field] = static_cast<std::uint32_t>(utf8.size());
            texts.append(utf8);
            if (field == 3)
                groups.push_back(PeerGroupOf(utf8));
        }
        for (int p = 0; p < kPeriodCount; ++p)
            values[static_cast<size_t>(p)].push_back(
                ReadValue(statement, kFirstValueColumn + kValueStride * p, text));
    }
    statement->GetError(error);
    if (!error.empty())
        return false;
    std::vector<std::vector<PeriodValue>*> columns;
    for (std::vector<PeriodValue>& column : values)
        columns.push_back(&column);
    const std::vector<std::uint32_t> order = RankPeriodColumns(columns, groups);
    m_year = latestYear;
    m_texts = std::move(texts);
    m_rows = std::move(rows);
    m_values = std::move(values);
    m_byCode.Reserve(m_rows.size());
    for (std::uint32_t index : order)
        m_byCode.Add(Text(m_rows[index], 0), index);
    return true;
}

std::string_view PerformanceUniverse::Text(const Row& row, size_t field) const {
    size_t start = row.start;
    for (size_t f = 0; f < field; ++f)
        start += row.length[f];
    return std::string_view(m_texts).substr(start, row.length[field]);
}

const PeriodValue& PerformanceUniverse::ValueAt(int row, int period) const {
    static const PeriodValue kMissing = [] {
        PeriodValue value;
        value.missing = true;
        return value;
    }();
    if (!FC_VERIFY(period >= 0 && period < kPeriodCount && row >= 0 &&
                   static_cast<size_t>(row) < m_values[static_cast<size_t>(period)].size()))
        return kMissing;
    return m_values[static_cast<size_t>(period)][static_cast<size_t>(row)];
}

int PerformanceUniverse::Find(const XStringW& code) const {
    return m_byCode.Find(code.ToUtf8());
}

PerformanceUniverse::Fund PerformanceUniverse::FundAt(int index) const {
    if (!FC_VERIFY(index >= 0 && static_cast<size_t>(index) < m_rows.size()))
        return Fund();
    const Row& row = m_rows[static_cast<size_t>(index)];
    Fund fund;
    XStringW* fields[kTexts] = {&fund.code, &fund.aliascode, &fund.name, &fund.investtype, &fund.buystate};
    for (size_t field = 0; field < kTexts; ++field) {
        // Decoded as the statement's GetString decodes, so that the texts are the same either way.
        const std::string_view utf8 = Text(row, field);
        std::wstring wide;
        Utf8::Append(wide, utf8.data(), utf8.size());
        *fields[field] = XStringW(std::move(wide));
    }
    return fund;
}
