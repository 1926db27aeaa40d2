// GrowthRange: button captions and range starts.
#include "pages/growth/GrowthRange.h"

#include "pages/growth/GrowthDates.h"

namespace GrowthRange {

const wchar_t* Caption(int kind) {
    static const wchar_t* const kCaptions[kCount] = {L"近1月", L"近3月", L"近6月",   L"近1年",
                                                     L"近3年", L"近5年", L"成立以来"};
    return kind >= 0 && kind < kCount ? kCaptions[kind] : L"";
}

int StartOf(int kind, int end, int earliest) {
    switch (kind) {
    case kOneMonth:
        return GrowthDates::AddMonths(end, -1);
    case kThreeMonths:
        return GrowthDates::AddMonths(end, -3);
    case kSixMonths:
        return GrowthDates::AddMonths(end, -6);
    case kThreeYears:
        return GrowthDates::AddYears(end, -3);
    case kFiveYears:
        return GrowthDates::AddYears(end, -5);
    case kSinceInception:
        return earliest < end ? earliest : GrowthDates::AddYears(end, -1);
    default:
        return GrowthDates::AddYears(end, -1);
    }
}

} // namespace GrowthRange
