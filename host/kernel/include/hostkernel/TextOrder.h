// The two orders in which views compare texts.
#pragma once

#include <string_view>

namespace HostKernel {

// By UTF-32 code units: negative, zero or positive.
int CompareCodeUnits(std::wstring_view a, std::wstring_view b);

// Natural order: runs of ASCII digits compare by their value, so "9/120" sorts before "10/120";
// everything else by code units. Equal values with different leading zeros ("07" and "7") are
// told apart last, the shorter run first, so that the order stays total.
int CompareNatural(std::wstring_view a, std::wstring_view b);

} // namespace HostKernel
