#include "XComboExSearch.h"

#include <algorithm>
#include <cwctype>
#include <numeric>

namespace Control::hostctl {

wchar_t PickerSearch::Fold(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c - L'A' + L'a');
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width A-Z, as an input method may type them
        return static_cast<wchar_t>(c - 0xFF21 + L'a');
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<wchar_t>(c - 0xFF41 + L'a');
    if (c >= 0xFF10 && c <= 0xFF19) // full-width digits
        return static_cast<wchar_t>(c - 0xFF10 + L'0');
    return c;
}

std::wstring PickerSearch::Fold(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = Fold(c);
    return out;
}

void PickerSearch::Assign(std::vector<std::vector<std::wstring>> texts) {
    Clear();
    m_rows.reserve(texts.size());
    for (const auto& row : texts) {
        Row r{m_buffer.size(), {0, 0, 0}, 0};
        for (const std::wstring& t : row) {
            if (r.count == 3)
                break;
            AddText(r, t);
        }
        m_rows.push_back(r);
    }
}

void PickerSearch::Reserve(std::size_t rows, std::size_t characters) {
    m_rows.reserve(rows);
    m_buffer.reserve(characters);
}

void PickerSearch::AddRow(std::wstring_view a, std::wstring_view b, std::wstring_view c) {
    Row r{m_buffer.size(), {0, 0, 0}, 0};
    AddText(r, a);
    AddText(r, b);
    AddText(r, c);
    m_rows.push_back(r);
}

void PickerSearch::AddText(Row& row, std::wstring_view text) {
    // A searchable text longer than any code or fund name is cut rather than refused.
    text = text.substr(0, 1000);
    std::size_t at = m_buffer.size();
    m_buffer.append(text);
    for (std::size_t i = at; i < m_buffer.size(); ++i)
        m_buffer[i] = Fold(m_buffer[i]);
    row.lengths[row.count++] = static_cast<unsigned short>(text.size());
}

void PickerSearch::Clear() {
    m_buffer.clear();
    m_rows.clear();
    m_lastText.clear();
    m_lastMatches.clear();
    m_result.clear();
    m_haveLast = false;
}

int PickerSearch::Rank(const Row& row, std::wstring_view text) const {
    const wchar_t* p = m_buffer.data() + row.start;
    int best = -1;
    for (int i = 0; i < row.count; ++i) {
        std::wstring_view field(p, row.lengths[i]);
        p += row.lengths[i];
        if (field.size() < text.size())
            continue;
        if (field.compare(0, text.size(), text) == 0)
            return 0;
        if (best < 0 && field.find(text, 1) != std::wstring_view::npos)
            best = 1;
    }
    return best;
}

const std::vector<int>& PickerSearch::Find(std::wstring_view typed) {
    std::wstring text = Fold(typed);
    m_result.clear();
    if (text.empty()) {
        m_result.resize(m_rows.size());
        std::iota(m_result.begin(), m_result.end(), 0);
        m_haveLast = false;
        return m_result;
    }
    // Every row containing the longer text also contained the shorter one it extends.
    const bool narrowing =
        m_haveLast && text.size() >= m_lastText.size() && text.compare(0, m_lastText.size(), m_lastText) == 0;
    std::vector<int> matches;
    std::vector<int> contained;
    auto consider = [&](int r) {
        int rank = Rank(m_rows[static_cast<std::size_t>(r)], text);
        if (rank == 0)
            m_result.push_back(r);
        else if (rank == 1)
            contained.push_back(r);
        if (rank >= 0)
            matches.push_back(r);
    };
    if (narrowing) {
        for (int r : m_lastMatches)
            consider(r);
    } else {
        for (int r = 0; r < static_cast<int>(m_rows.size()); ++r)
            consider(r);
    }
    m_result.insert(m_result.end(), contained.begin(), contained.end());
    m_lastText = std::move(text);
    m_lastMatches = std::move(matches);
    m_haveLast = true;
    return m_result;
}

} // namespace Control::hostctl
