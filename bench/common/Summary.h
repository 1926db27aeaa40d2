// The closing summary of scripts/bench: each benchmark program that holds a figure against a
// budget adds a row to the file named by $FC_BENCH_SUMMARY (nothing when it is not set), and the
// script prints every program's rows as one table when all have run.
//
// A row is one tab-separated line: the figure's name, its value, the reference it is held against
// (empty when it has none), the ratio of the two (empty likewise), the budget as text, and whether
// the figure keeps it ("ok" or "OVER").
#pragma once

#include <string>

namespace BenchSupport {

// A figure with no reference, held against an upper bound in its own unit ("ms", "MB").
void SummaryRow(const std::string& figure, double value, const char* unit, double budget);
// A figure held against a reference: the budget bounds the ratio.
void SummaryRatioRow(const std::string& figure, double value, double reference, double ratio, double budget,
                     const char* unit);

} // namespace BenchSupport
