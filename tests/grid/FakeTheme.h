// A theme held in memory, for tests of everything that reads colours, fonts and numbers.
#pragma once

#include <sdk/Conf.h>

#include <map>
#include <string>

class FakeTheme : public Conf::ITheme {
public:
    std::map<std::string, COLORREF> colours;
    std::map<std::string, Conf::ThemeFont> fonts;
    std::map<std::string, int> numbers;
    XStringW name = L"fake";

    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }
    bool GetColor(const char* key, COLORREF& colour) override {
        auto it = colours.find(key);
        if (it == colours.end())
            return false;
        colour = it->second;
        return true;
    }
    bool GetFont(const char* key, Conf::ThemeFont& font) override {
        auto it = fonts.find(key);
        if (it == fonts.end())
            return false;
        font = it->second;
        return true;
    }
    int GetNumber(const char* key) override {
        auto it = numbers.find(key);
        return it == numbers.end() ? 0 : it->second;
    }
    void GetName(XStringW& out) override { out = name; }

    void AddFont(const char* key, const wchar_t* face, int size, const wchar_t* style) {
        Conf::ThemeFont font;
        font.face = face;
        font.size = size;
        font.attributes =
            XStringW().Format(L"font-family=\"%s\" font-size=\"%d\" font-style=\"%s\"", face, size, style);
        fonts[key] = font;
    }
};
