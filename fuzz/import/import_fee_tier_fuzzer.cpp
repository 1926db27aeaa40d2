// Reads arbitrary text as a tier range, a bound, a fee and a list of tiers of both kinds: whatever
// is accepted must be a real tier (a lower bound from 0 below its upper one, a rate from 0 to below
// 100 %), and a list that passes the check must cover every amount once, in order.
#include "FeeTierText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckRange(const FundImport::TierRangeCell& range) {
    if (range.ok && !(range.lower >= 0.0 && range.lower < range.upper))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (FundImport::TierKind kind : {FundImport::TierKind::Purchase, FundImport::TierKind::Redemption}) {
        CheckRange(FundImport::ReadTierRange(text, kind));
        const FundImport::TierBoundCell bound = FundImport::ReadTierBound(text, kind);
        if (bound.state == FundImport::TierBoundCell::Ok && !(bound.value >= 0.0 && std::isfinite(bound.value)))
            std::abort();
        for (bool percent : {false, true}) {
            const FundImport::TierFeeCell fee = FundImport::ReadTierFee(text, percent);
            if (fee.ok && !fee.missing && !(fee.value >= 0.0 && (fee.fixed || fee.value < 1.0)))
                std::abort();
            FundImport::TierListCell list = FundImport::ReadTierList(text, kind, percent);
            if (!list.ok)
                continue;
            std::size_t offending = 0;
            if (!FundImport::CheckTiers(list.tiers, kind, offending).empty())
                continue;
            double from = 0.0;
            for (const FundImport::FeeTier& tier : list.tiers) {
                if (tier.lower != from || !(tier.upper > tier.lower))
                    std::abort();
                from = tier.upper;
            }
            if (!list.tiers.empty() && !std::isinf(from))
                std::abort();
        }
    }
    return 0;
}
