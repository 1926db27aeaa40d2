#include "SaveFileAsk.h"

#include <platform/commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Control {

namespace {

// Characters that paths or file systems refuse become '_'.
std::wstring safeFileName(const std::wstring& name) {
    std::wstring out = name;
    for (wchar_t& c : out)
        if (c == L'/' || c == L'\\' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
            c == L'>' || c == L'|' || c < 0x20)
            c = L'_';
    return out;
}

} // namespace

bool AskSaveFileName(const SaveFileAsk& ask, XStringW& path, DWORD& filterIndex) {
    std::wstring proposed = safeFileName(ask.name.empty() ? std::wstring(ask.fallbackName) : ask.name.str());
    proposed += L".";
    proposed += ask.extension;
    std::vector<wchar_t> file(4096, L'\0');
    std::copy_n(proposed.begin(), std::min(proposed.size(), file.size() - 1), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ask.owner;
    ofn.lpstrFilter = ask.types;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = ask.title;
    ofn.lpstrDefExt = ask.extension;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn))
        return false;
    path = XStringW(file.data());
    filterIndex = ofn.nFilterIndex;
    return true;
}

} // namespace Control
