// Theme: one theme file's colours, fonts and numbers.
//
// The file is flat XML:
//
//     <theme name="dark">
//       <color key="wnd_general_bg" value="#101418"/>
//       <font key="default" face="WenQuanYi Micro Hei" size="12" weight="400" style="normal"/>
//       <number key="list_list_row_heihgt" value="24"/>
//     </theme>
//
// Colours are #RRGGBB; sizes are pixels (1 to 200); weights 1 to 1000; styles "normal" or
// "italic"; numbers are integers. Anything else (an unknown element, a bad value, a key given
// twice) makes the whole file malformed, reported with its line, so that a typing error in a
// theme is found at once instead of showing as a default colour somewhere.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

#include <map>
#include <string>

namespace HostConf {

class Theme final : public HostKernel::RefCounted<Conf::ITheme> {
public:
    static XComPtr<Theme> Parse(const char* data, std::size_t size, XStringW& error);
    static XComPtr<Theme> LoadFile(const std::string& path, XStringW& error);

    bool GetColor(const char* key, COLORREF& colour) override;
    bool GetFont(const char* key, Conf::ThemeFont& font) override;
    int GetNumber(const char* key) override;
    void GetName(XStringW& name) override { name = m_name; }

    bool HasColor(const std::string& key) const { return m_colours.count(key) != 0; }
    bool HasFont(const std::string& key) const { return m_fonts.count(key) != 0; }
    bool HasNumber(const std::string& key) const { return m_numbers.count(key) != 0; }

private:
    Theme() = default;

    XStringW m_name;
    std::map<std::string, COLORREF, std::less<>> m_colours;
    std::map<std::string, Conf::ThemeFont, std::less<>> m_fonts;
    std::map<std::string, int, std::less<>> m_numbers;
};

} // namespace HostConf
