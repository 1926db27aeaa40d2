// Reads arbitrary text as a date and as a number: a date read back from its own YYYY-MM-DD text
// must be the same day, and a number must be finite.
#include "CellText.h"

#include <sdk/CivilDays.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FundImport::DateCell date = FundImport::ReadDate(text);
    if (date.ok) {
        const FundImport::DateCell again = FundImport::ReadDate(CivilDays::Text(date.day));
        if (!again.ok || again.day != date.day)
            std::abort();
    }
    const FundImport::NumberCell number = FundImport::ReadNumber(text);
    if (number.state == FundImport::NumberCell::Ok && !std::isfinite(number.value))
        std::abort();
    const FundImport::PayoutCell payout = FundImport::ReadPayout(text);
    if (payout.ok && !payout.missing && !(payout.amount > 0.0))
        std::abort();
    FundImport::ReadStars(text);
    FundImport::ReadState(text);
    if (size >= 8) {
        double serial = 0.0;
        std::memcpy(&serial, data, sizeof serial);
        FundImport::ReadDateNumber(serial);
    }
    return 0;
}
