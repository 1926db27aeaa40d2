#include <hostkernel/TextOrder.h>

namespace HostKernel {

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

int CompareCodeUnits(std::wstring_view a, std::wstring_view b) {
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareNatural(std::wstring_view a, std::wstring_view b) {
    std::size_t i = 0, j = 0;
    int zerosTie = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t si = i, sj = j;
            while (si < a.size() && a[si] == L'0')
                ++si;
            while (sj < b.size() && b[sj] == L'0')
                ++sj;
            std::size_t ei = si, ej = sj;
            while (ei < a.size() && IsDigit(a[ei]))
                ++ei;
            while (ej < b.size() && IsDigit(b[ej]))
                ++ej;
            // More significant digits is a larger number; equally many compare digit by digit.
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            for (std::size_t k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? -1 : 1;
            if (zerosTie == 0 && ei - i != ej - j)
                zerosTie = ei - i < ej - j ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return zerosTie;
}

long long RankPosition(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    auto digits = [&](long long& value) {
        size_t start = i;
        value = 0;
        // Eighteen digits cannot overflow; no real rank comes near them.
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && i - start < 18)
            value = value * 10 + (text[i++] - L'0');
        return i > start && (i == text.size() || text[i] < L'0' || text[i] > L'9');
    };
    long long position = 0, count = 0;
    if (!digits(position) || i >= text.size() || text[i] != L'/')
        return -1;
    ++i;
    if (!digits(count))
        return -1;
    while (i < text.size() && text[i] == L' ')
        ++i;
    return i == text.size() ? position : -1;
}

int CompareRanks(std::wstring_view a, std::wstring_view b) {
    long long x = RankPosition(a), y = RankPosition(b);
    return x < y ? 1 : (y < x ? -1 : 0);
}

} // namespace HostKernel
