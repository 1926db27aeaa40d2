// The few C runtime conversions of Windows that callers rely on, with Windows' semantics:
// leading white space skipped, the longest valid prefix read, 0 when nothing is a number, and
// independent of the process locale (the decimal point is always ".").
#pragma once

#include "windef.h"

extern "C" {
// Reads a real number ("12.5", "-1e3", "inf", "nan"); out-of-range values give +/-HUGE_VAL or 0.
double _wtof(const wchar_t* text);
// Reads a decimal integer; values beyond the int range give INT_MAX or INT_MIN.
int _wtoi(const wchar_t* text);
// Compares without regard to the case of ASCII letters.
int _wcsicmp(const wchar_t* a, const wchar_t* b);
}
