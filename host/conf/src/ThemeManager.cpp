#include <hostconf/ThemeManager.h>

#include <hostconf/SystemColours.h>

#include "XmlText.h"

#include <algorithm>
#include <filesystem>

namespace HostConf {

ThemeManager::ThemeManager(std::string folder) : m_folder(std::move(folder)) {
    // Created now, so that modules initialised before the first switch can subscribe to it.
    m_changed.Attach(createEvent(kChangedEvent));
}

std::vector<std::string> ThemeManager::ThemeNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".xml")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool ThemeManager::SelectTheme(const std::string& name, XStringW& error) {
    // A name is a file in the theme folder, never a path that leads out of it.
    if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name[0] == '.') {
        error = Utf8("no theme named '" + name + "'");
        return false;
    }
    return SelectThemeFile((std::filesystem::path(m_folder) / (name + ".xml")).string(), error);
}

bool ThemeManager::SelectThemeFile(const std::string& path, XStringW& error) {
    XComPtr<Theme> theme = Theme::LoadFile(path, error);
    if (!theme)
        return false;
    m_current = theme;
    // The standard controls take the theme through the system colours; they are set before the
    // windows hear of the change, so that whatever they repaint is in the new colours.
    ApplySystemColours(theme.Get());
    if (m_changed)
        m_changed->Fire(static_cast<Conf::ITheme*>(theme.Get()));
    return true;
}

std::string ThemeManager::SelectFirstLoadable(const std::string& wanted, const std::string& fallback,
                                              std::vector<XStringW>& failures) {
    failures.clear();
    std::vector<std::string> order{wanted};
    if (fallback != wanted)
        order.push_back(fallback);
    for (const std::string& name : ThemeNames())
        if (std::find(order.begin(), order.end(), name) == order.end())
            order.push_back(name);
    for (const std::string& name : order) {
        XStringW error;
        if (SelectTheme(name, error))
            return name;
        failures.push_back(error);
    }
    return {};
}

bool ThemeManager::GetCurrentTheme(Conf::ITheme** theme) {
    if (theme == nullptr)
        return false;
    *theme = m_current.Get();
    if (*theme == nullptr)
        return false;
    (*theme)->AddRef();
    return true;
}

bool ThemeManager::GetThemeByName(const char* name, Conf::ITheme** theme) {
    if (theme == nullptr)
        return false;
    *theme = nullptr;
    const std::string wanted = name != nullptr ? name : "";
    if (wanted.empty() || wanted.find('/') != std::string::npos || wanted.find('\\') != std::string::npos ||
        wanted.find("..") != std::string::npos)
        return false;
    XStringW error;
    XComPtr<Theme> loaded =
        Theme::LoadFile((std::filesystem::path(m_folder) / (wanted + ".xml")).string(), error);
    if (loaded == nullptr)
        return false;
    *theme = loaded.Get();
    (*theme)->AddRef();
    return true;
}

} // namespace HostConf
