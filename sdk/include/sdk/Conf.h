// Configuration and themes.
//
// "Out" parameters are T** receiving one owned reference (XComPtr<T>::Receive()); keys are narrow
// identifiers.
#pragma once

#include <platform/windef.h>
#include <sdk/IXUnknown.h>
#include <sdk/XStringW.h>

#include <functional>
#include <string>
#include <vector>

namespace Conf {

struct IConfValue : IXUnknown {
    // The value as a number; 0 when it is not one.
    virtual double AsDouble() = 0;
    virtual void AsString(XStringW& text) = 0;

protected:
    ~IConfValue() = default;
};

struct IConfKey : IXUnknown {
    // Null when the key holds no value.
    virtual bool GetValue(IConfValue** value) = 0;

protected:
    ~IConfKey() = default;
};

struct IConfManager : IXUnknown {
    // A key by its slash path ("/Quenda2/UserConfig/FontSize"); null when absent.
    virtual bool GetKey(IConfKey** key, const char* path) = 0;

protected:
    ~IConfManager() = default;
};

// The writable side of the configuration. The host's configuration manager offers it besides
// IConfManager (reach it with XComPtr::As): a module keeps the settings it adds under one node of
// its own, and saves through the host, which writes the file safely.
struct IConfStore : IConfManager {
    // Sets the text of a key, creating the keys above it. False for a path that is not a slash path
    // of XML names under the root.
    virtual bool SetValue(const char* path, const XStringW& value) = 0;
    // Removes a key with every key below it; false when there is no such key.
    virtual bool RemoveKey(const char* path) = 0;
    // The names of the keys directly below a key, in the order they were made; false when there is
    // no such key.
    virtual bool GetChildren(const char* path, std::vector<std::string>& names) = 0;
    // Writes the configuration to its file; false with the reason.
    virtual bool Save(XStringW& error) = 0;
    // Saves as Save does, letting `change` make its changes first, over the file as it is at that
    // moment and while no other program may save it. A choice that depends on what other programs
    // saved, such as a free key for a new entry, is then made on what the file holds, and no
    // other program can make the same choice before this one is written. When `change` answers
    // false nothing of it is kept and nothing is saved; the reason it left in `error` is returned.
    virtual bool SaveChanging(const std::function<bool(IConfStore& store, XStringW& error)>& change,
                              XStringW& error) = 0;

protected:
    ~IConfStore() = default;
};

// A font of a theme.
struct ThemeFont {
    XStringW face;
    int size = 0;     // in pixels
    int weight = 400; // 100 to 900, 400 normal, 700 bold
    bool italic = false;
    // The font as header attribute text: font-family="..." font-size="..." font-style="...",
    // the style being "normal", "bold", "italic" or "bold italic".
    XStringW attributes;
};

struct ITheme : IXUnknown {
    // Leaves colour unchanged and answers false when the theme has no such key.
    virtual bool GetColor(const char* key, COLORREF& colour) = 0;
    // Leaves font unchanged and answers false when the theme has no such key.
    virtual bool GetFont(const char* key, ThemeFont& font) = 0;
    // 0 when the theme has no such key.
    virtual int GetNumber(const char* key) = 0;
    virtual void GetName(XStringW& name) = 0;

protected:
    ~ITheme() = default;
};

struct IThemeMgr : IXUnknown {
    virtual bool GetCurrentTheme(ITheme** theme) = 0;
    // A shipped theme by its name ("light", "dark") without making it the current one, for
    // output that has colours of its own (a printed report is light whatever the screen shows).
    // False, with *theme null, when there is no such theme or it does not load.
    virtual bool GetThemeByName(const char* name, ITheme** theme) {
        (void)name;
        if (theme != nullptr)
            *theme = nullptr;
        return false;
    }

protected:
    ~IThemeMgr() = default;
};

} // namespace Conf
