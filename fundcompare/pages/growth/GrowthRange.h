// GrowthRange: the ranges of the growth page's buttons and how each one's first day is found.
#pragma once

namespace GrowthRange {

enum Kind {
    kOneMonth = 0,
    kThreeMonths,
    kSixMonths,
    kOneYear,
    kThreeYears,
    kFiveYears,
    kSinceInception,
    kCount
};

// The button captions in button order: 近1月 ... 成立以来.
const wchar_t* Caption(int kind);

// The first day of a range that ends on `end`: the same day so many months or years earlier
// (clamped to the month's length), or `earliest` for the range since inception. An unknown kind
// gives one year.
int StartOf(int kind, int end, int earliest);

} // namespace GrowthRange
