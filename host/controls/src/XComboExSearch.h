// The fund picker's search: which rows of its list match the typed text, best matches first.
//
// Every row has three searchable texts (pinyin initials, display code, name), folded to lower
// case once when the list is loaded. A row matches when one of them contains the typed text
// (case-insensitive); rows where one of them starts with it come first, and within each group the
// rows keep their list order. Typing one more character only has to look again at the rows that
// matched before, which keeps each keystroke cheap on a list of every fund in the market.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Control::hostctl {

class PickerSearch {
public:
    // Replaces the rows; texts[i] holds the searchable texts of row i.
    void Assign(std::vector<std::vector<std::wstring>> texts);
    void Clear();
    // Building the rows one at a time, after Clear, without a text copied on the way: room for
    // `rows` rows of about `characters` characters in all, then each row's searchable texts.
    void Reserve(std::size_t rows, std::size_t characters);
    void AddRow(std::wstring_view a, std::wstring_view b, std::wstring_view c);
    int RowCount() const { return static_cast<int>(m_rows.size()); }

    // The rows matching the text in ranking order; every row, in order, for an empty text.
    const std::vector<int>& Find(std::wstring_view text);

    // Lower case the way the search compares: ASCII letters and the full-width Latin letters.
    static std::wstring Fold(std::wstring_view text);
    static wchar_t Fold(wchar_t c);

private:
    // One row's texts, folded, packed into one buffer with their start offsets.
    struct Row {
        std::size_t start;
        unsigned short lengths[3];
        unsigned char count;
    };
    // 0 when one of the row's texts starts with the text, 1 when one contains it, -1 otherwise.
    int Rank(const Row& row, std::wstring_view text) const;
    // Appends a text to the row being built, folded in place.
    void AddText(Row& row, std::wstring_view text);

    std::wstring m_buffer;
    std::vector<Row> m_rows;
    // The last search, kept so that a longer text can start from its matches.
    std::wstring m_lastText;
    std::vector<int> m_lastMatches; // every match of m_lastText, in row order
    std::vector<int> m_result;
    bool m_haveLast = false;
};

} // namespace Control::hostctl
