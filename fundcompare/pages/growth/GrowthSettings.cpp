// GrowthSettings: reading the page's configuration node.
#include "pages/growth/GrowthSettings.h"

#include <sdk/XComPtr.h>

#include <cmath>
#include <cwchar>
#include <cwctype>
#include <optional>

namespace {

// The key's text as a number, when it is one and nothing else: the configuration's own AsDouble
// answers 0 for text that is not a number, which would pass for a rate of 0 %.
std::optional<double> ReadNumber(Conf::IConfManager* manager, const char* path) {
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (!manager->GetKey(key.Receive(), path) || key == nullptr || !key->GetValue(value.Receive()) ||
        value == nullptr)
        return std::nullopt;
    XStringW text;
    value->AsString(text);
    std::wstring s = text.str();
    while (!s.empty() && std::iswspace(s.back()))
        s.pop_back();
    size_t begin = 0;
    while (begin < s.size() && std::iswspace(s[begin]))
        ++begin;
    if (begin == s.size())
        return std::nullopt;
    wchar_t* end = nullptr;
    const double number = std::wcstod(s.c_str() + begin, &end);
    if (end == nullptr || *end != L'\0' || !std::isfinite(number))
        return std::nullopt;
    return number;
}

} // namespace

GrowthSettings GrowthSettings::Read(IApp* app) {
    GrowthSettings settings;
    XComPtr<Conf::IConfManager> manager;
    if (app == nullptr || !app->GetConfManager(manager.Receive()) || manager == nullptr)
        return settings;
    if (auto rate = ReadNumber(manager, kRiskFreeRateKey); rate && *rate >= -5.0 && *rate <= 50.0)
        settings.riskFreePercent = *rate;
    if (auto range = ReadNumber(manager, kDefaultRangeKey);
        range && *range >= 0.0 && *range <= 6.0 && *range == std::floor(*range))
        settings.defaultRange = static_cast<int>(*range);
    return settings;
}
