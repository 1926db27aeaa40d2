// The orders in which views compare texts.
#pragma once

#include <string_view>

namespace HostKernel {

// By UTF-32 code units: negative, zero or positive.
int CompareCodeUnits(std::wstring_view a, std::wstring_view b);

// Natural order: runs of ASCII digits compare by their value, so "9/120" sorts before "10/120";
// everything else by code units. Equal values with different leading zeros ("07" and "7") are
// told apart last, the shorter run first, so that the order stays total.
int CompareNatural(std::wstring_view a, std::wstring_view b);

// A rank "n/N" (blanks around it allowed): n, or -1 when the text is no rank.
long long RankPosition(std::wstring_view text);

// Ranks by position, the better rank (smaller n) being the greater, so that the best comes first
// in a descending order. Both texts must be ranks.
int CompareRanks(std::wstring_view a, std::wstring_view b);

} // namespace HostKernel
