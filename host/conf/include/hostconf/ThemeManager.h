// ThemeManager: Conf::IThemeMgr over a folder of theme files ("<name>.xml"). Selecting a theme
// reads its file again, so an edited theme shows on the next switch; a malformed file is
// reported and the current theme stays. Each switch sets the system colours from the theme
// (SystemColours.h) and fires "event_theme_changed" with the new Conf::ITheme as the argument.
#pragma once

#include <hostconf/Theme.h>
#include <sdk/Kernel.h>

#include <string>
#include <vector>

namespace HostConf {

class ThemeManager final : public HostKernel::RefCounted<Conf::IThemeMgr> {
public:
    static constexpr const char* kChangedEvent = "event_theme_changed";

    explicit ThemeManager(std::string folder);

    // The names of the theme files in the folder, sorted.
    std::vector<std::string> ThemeNames() const;
    bool SelectTheme(const std::string& name, XStringW& error);
    bool SelectThemeFile(const std::string& path, XStringW& error);
    // Selects the first theme that loads: the wanted one, then the default, then every other
    // theme of the folder in name order. Returns the name selected (empty when none loads) and,
    // in `failures`, the reason of every theme tried before it.
    std::string SelectFirstLoadable(const std::string& wanted, const std::string& fallback,
                                    std::vector<XStringW>& failures);

    bool GetCurrentTheme(Conf::ITheme** theme) override;
    bool GetThemeByName(const char* name, Conf::ITheme** theme) override;

private:
    std::string m_folder;
    XComPtr<Theme> m_current;
    XComPtr<Kernel::IEvent> m_changed;
};

} // namespace HostConf
