// ConcernFundModule: followed funds in the configuration.
#include "ConcernFundModule.h"

#include <algorithm>

ConcernFundModule::ConcernFundModule(HostConf::ConfManager* configuration) : m_configuration(configuration) {
    if (m_configuration == nullptr)
        return;
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (!m_configuration->GetKey(key.Receive(), kConfigKey) || !key->GetValue(value.Receive()))
        return;
    XStringW text;
    value->AsString(text);
    XStringW::size_type start = 0;
    while (start <= text.length()) {
        XStringW::size_type comma = text.find(L',', start);
        XStringW code = text.substr(start, comma == XStringW::npos ? XStringW::npos : comma - start);
        if (!code.empty() && std::find(m_codes.begin(), m_codes.end(), code) == m_codes.end())
            m_codes.push_back(code);
        if (comma == XStringW::npos)
            break;
        start = comma + 1;
    }
}

bool ConcernFundModule::GetInfo(ModuleInfo& info) {
    info.id = kId;
    info.title = L"自选基金";
    info.number = 9701;
    info.version = 0x01000001;
    return true;
}

bool ConcernFundModule::IsConcerned(const XStringW& code) {
    return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end();
}

bool ConcernFundModule::Follow(const XStringW& code, XStringW& error) {
    if (code.empty() || code.find(L',') != XStringW::npos || IsConcerned(code))
        return false;
    m_codes.push_back(code);
    if (store(error))
        return true;
    m_codes.pop_back();
    return false;
}

bool ConcernFundModule::Unfollow(const XStringW& code, XStringW& error) {
    auto it = std::find(m_codes.begin(), m_codes.end(), code);
    if (it == m_codes.end())
        return false;
    auto position = it - m_codes.begin();
    XStringW removed = *it;
    m_codes.erase(it);
    if (store(error))
        return true;
    m_codes.insert(m_codes.begin() + position, removed);
    return false;
}

bool ConcernFundModule::store(XStringW& error) {
    if (m_configuration == nullptr)
        return true; // kept for this run only
    XStringW text;
    for (size_t i = 0; i < m_codes.size(); ++i) {
        if (i > 0)
            text += L",";
        text += m_codes[i];
    }
    if (!m_configuration->SetValue(kConfigKey, text)) {
        error = L"无法写入配置";
        return false;
    }
    return m_configuration->Path().empty() || m_configuration->Save(error);
}
