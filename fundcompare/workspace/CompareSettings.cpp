// CompareSettings: reading and writing the remembered state and the named sets.
#include "workspace/CompareSettings.h"

#include <algorithm>
#include <cstdlib>

namespace {

const std::string kSession = std::string(CompareSettings::kRoot) + "/Session";
const std::string kSets = std::string(CompareSettings::kRoot) + "/Sets";

std::vector<XStringW> split(const std::wstring& text, wchar_t separator) {
    std::vector<XStringW> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

XStringW join(const std::vector<XStringW>& parts, const wchar_t* separator) {
    std::wstring out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i > 0 ? separator : L"") + parts[i].str();
    return XStringW(out);
}

int toInt(const std::optional<XStringW>& text, int fallback) {
    if (!text || text->empty())
        return fallback;
    wchar_t* end = nullptr;
    long value = std::wcstol(text->c_str(), &end, 10);
    return end != nullptr && *end == L'\0' && value >= 0 && value < 100 ? static_cast<int>(value) : fallback;
}

} // namespace

void CompareSettings::Attach(IApp* app) {
    m_store = nullptr;
    XComPtr<Conf::IConfManager> manager;
    if (app != nullptr && app->GetConfManager(manager.Receive()) && manager)
        m_store = manager.As<Conf::IConfStore>();
}

std::optional<XStringW> CompareSettings::Read(const std::string& path) const {
    if (!m_store)
        return std::nullopt;
    return ReadFrom(*m_store, path);
}

std::optional<XStringW> CompareSettings::ReadFrom(Conf::IConfStore& store, const std::string& path) {
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (!store.GetKey(key.Receive(), path.c_str()) || !key)
        return std::nullopt;
    XStringW text;
    // A key that exists without text holds the empty value (an empty compared set).
    if (key->GetValue(value.Receive()) && value)
        value->AsString(text);
    return text;
}

bool CompareSettings::Write(const std::string& path, const XStringW& value) {
    return m_store && m_store->SetValue(path.c_str(), value);
}

bool CompareSettings::Save(XStringW& error) {
    if (!m_store) {
        error = L"没有可写的配置";
        return false;
    }
    return m_store->Save(error);
}

std::vector<XStringW> CompareSettings::SplitCodes(const XStringW& text) {
    std::vector<XStringW> codes;
    for (XStringW& code : split(text.str(), L',')) {
        std::wstring trimmed = code.str();
        while (!trimmed.empty() && trimmed.back() == L' ')
            trimmed.pop_back();
        while (!trimmed.empty() && trimmed.front() == L' ')
            trimmed.erase(trimmed.begin());
        if (!trimmed.empty())
            codes.emplace_back(trimmed);
    }
    return codes;
}

XStringW CompareSettings::JoinCodes(const std::vector<XStringW>& codes) {
    return join(codes, L",");
}

CompareSettings::Session CompareSettings::LoadSession() const {
    Session session;
    if (!m_store)
        return session;
    if (auto funds = Read(kSession + "/Funds"))
        session.funds = SplitCodes(*funds);
    session.page = toInt(Read(kSession + "/Page"), 0);
    session.horizon = toInt(Read(kSession + "/Horizon"), 0);
    session.riskFit = toInt(Read(kSession + "/RiskFit"), 0) == 1;
    session.assetDate = Read(kSession + "/AssetDate").value_or(XStringW());
    session.industryDate = Read(kSession + "/IndustryDate").value_or(XStringW());
    std::vector<std::string> names;
    if (m_store->GetChildren((kSession + "/Sort").c_str(), names)) {
        for (const std::string& page : names) {
            std::vector<XStringW> parts =
                split(Read(kSession + "/Sort/" + page).value_or(XStringW()).str(), L'\t');
            if (parts.size() == 2 && (parts[1] == XStringW(L"asc") || parts[1] == XStringW(L"desc")))
                session.sorts[page] = {parts[0], parts[1] == XStringW(L"asc")};
        }
    }
    if (m_store->GetChildren((kSession + "/Filter").c_str(), names))
        for (const std::string& page : names)
            session.filters[page] =
                split(Read(kSession + "/Filter/" + page).value_or(XStringW()).str(), L'\t');
    return session;
}

bool CompareSettings::SaveFunds(const std::vector<XStringW>& funds, XStringW& error) {
    if (!Write(kSession + "/Funds", JoinCodes(funds))) {
        error = L"无法写入配置";
        return false;
    }
    return Save(error);
}

bool CompareSettings::SaveSession(const Session& session, XStringW& error) {
    if (!m_store) {
        error = L"没有可写的配置";
        return false;
    }
    Write(kSession + "/Page", XStringW(std::to_wstring(session.page)));
    Write(kSession + "/Horizon", XStringW(std::to_wstring(session.horizon)));
    Write(kSession + "/RiskFit", XStringW(session.riskFit ? L"1" : L"0"));
    Write(kSession + "/AssetDate", session.assetDate);
    Write(kSession + "/IndustryDate", session.industryDate);
    // Sorts and filters of pages are written whole, so that a cleared one does not come back.
    m_store->RemoveKey((kSession + "/Sort").c_str());
    m_store->RemoveKey((kSession + "/Filter").c_str());
    for (const auto& [page, sort] : session.sorts)
        Write(kSession + "/Sort/" + page,
              XStringW(sort.first.str() + L"\t" + (sort.second ? L"asc" : L"desc")));
    for (const auto& [page, values] : session.filters)
        if (!values.empty())
            Write(kSession + "/Filter/" + page, join(values, L"\t"));
    return Save(error);
}

std::vector<CompareSettings::NamedSet> CompareSettings::Sets() const {
    std::vector<NamedSet> sets;
    std::vector<std::string> keys;
    if (!m_store || !m_store->GetChildren(kSets.c_str(), keys))
        return sets;
    for (const std::string& key : keys) {
        NamedSet set;
        set.key = key;
        set.name = Read(kSets + "/" + key + "/Name").value_or(XStringW());
        set.funds = SplitCodes(Read(kSets + "/" + key + "/Funds").value_or(XStringW()));
        if (!set.name.empty())
            sets.push_back(std::move(set));
    }
    return sets;
}

bool CompareSettings::SaveSet(const XStringW& name, const std::vector<XStringW>& funds, XStringW& error) {
    if (!m_store) {
        error = L"没有可写的配置";
        return false;
    }
    // The key is chosen while the configuration is locked, over the file as another program may
    // just have saved it: two programs saving a set at once would otherwise both take the first
    // free number, and the later would overwrite the earlier's set.
    return m_store->SaveChanging(
        [&](Conf::IConfStore& store, XStringW& reason) {
            const std::string key = SetKeyFor(store, name);
            if (!store.SetValue((kSets + "/" + key + "/Name").c_str(), name) ||
                !store.SetValue((kSets + "/" + key + "/Funds").c_str(), JoinCodes(funds))) {
                reason = L"无法写入配置";
                return false;
            }
            return true;
        },
        error);
}

std::string CompareSettings::SetKeyFor(Conf::IConfStore& store, const XStringW& name) {
    std::vector<std::string> keys;
    store.GetChildren(kSets.c_str(), keys);
    for (const std::string& key : keys)
        if (ReadFrom(store, kSets + "/" + key + "/Name") == std::optional<XStringW>(name))
            return key;
    // A new set takes the first free number, so that keys stay short and unique.
    for (int n = 1;; ++n) {
        std::string candidate = "S" + std::to_string(n);
        if (std::find(keys.begin(), keys.end(), candidate) == keys.end())
            return candidate;
    }
}

bool CompareSettings::RenameSet(const std::string& key, const XStringW& name, XStringW& error) {
    if (!Write(kSets + "/" + key + "/Name", name)) {
        error = L"无法写入配置";
        return false;
    }
    return Save(error);
}

bool CompareSettings::DeleteSet(const std::string& key, XStringW& error) {
    if (!m_store || !m_store->RemoveKey((kSets + "/" + key).c_str())) {
        error = L"找不到这个对比组合";
        return false;
    }
    return Save(error);
}
