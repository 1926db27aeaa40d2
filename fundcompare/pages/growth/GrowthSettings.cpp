// GrowthSettings: reading the page's configuration node.
#include "pages/growth/GrowthSettings.h"

#include <sdk/XComPtr.h>

#include <algorithm>
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
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (manager->GetKey(key.Receive(), kBenchmarkKey) && key != nullptr && key->GetValue(value.Receive()) &&
        value != nullptr) {
        XStringW code;
        value->AsString(code);
        // An index code is a short word; anything else is no code the database can have.
        std::wstring text = code.str();
        while (!text.empty() && std::iswspace(text.back()))
            text.pop_back();
        while (!text.empty() && std::iswspace(text.front()))
            text.erase(text.begin());
        const bool word =
            !text.empty() && text.size() <= 32 &&
            std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswalnum(c) != 0; });
        if (word)
            settings.benchmark = XStringW(text);
    }
    return settings;
}

bool GrowthSettings::WriteBenchmark(IApp* app, const XStringW& code, XStringW& error) {
    XComPtr<Conf::IConfManager> manager;
    XComPtr<Conf::IConfStore> store;
    if (app != nullptr && app->GetConfManager(manager.Receive()) && manager != nullptr)
        store = manager.As<Conf::IConfStore>();
    if (!store) {
        error = L"没有可写的配置";
        return false;
    }
    if (!store->SetValue(kBenchmarkKey, code)) {
        error = L"无法写入配置";
        return false;
    }
    return store->Save(error);
}
