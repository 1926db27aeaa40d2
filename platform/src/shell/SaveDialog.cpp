// GetSaveFileNameW: reads the request from OPENFILENAMEW, asks the driver's hook (headless), the
// desktop portal (on a display, when it can be had) or the platform's own dialog, and writes the
// answer back the way Win32 does (full path, name and extension offsets, type index).
#include "shell/FileDialogParts.h"

#include "internal/RecordLog.h"

#include <platform/commdlg.h>
#include <platform/display.h>
#include <platform/winnls.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

struct SaveDialogDriver {
    PlatformSaveDialogHook hook;
    RecordLog<PlatformSaveDialogRecord> records;
};

SaveDialogDriver& driver() {
    static SaveDialogDriver d;
    return d;
}

thread_local DWORD g_lastError = 0;

std::wstring lowered(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

} // namespace

void SetDialogError(unsigned long error) {
    g_lastError = static_cast<DWORD>(error);
}

std::vector<std::pair<std::wstring, std::wstring>> ParseFilter(const wchar_t* filter) {
    std::vector<std::pair<std::wstring, std::wstring>> types;
    if (filter == nullptr)
        return types;
    const wchar_t* p = filter;
    while (*p != L'\0') {
        std::wstring caption = p;
        p += caption.size() + 1;
        if (*p == L'\0')
            break; // a caption without patterns ends the list
        std::wstring patterns = p;
        p += patterns.size() + 1;
        types.emplace_back(caption, patterns);
    }
    return types;
}

std::wstring CurrentFolder() {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    return ec ? std::wstring(L"/") : WideOf(folder);
}

std::filesystem::path PathOf(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length,
                            nullptr, nullptr);
    return std::filesystem::path(narrow);
}

std::wstring WideOf(const std::filesystem::path& path) {
    const std::string& narrow = path.native();
    int length = MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), static_cast<int>(narrow.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), static_cast<int>(narrow.size()), wide.data(), length);
    return wide;
}

std::wstring PatternExtension(const std::wstring& patterns) {
    std::wstring first = patterns.substr(0, patterns.find(L';'));
    size_t dot = first.rfind(L'.');
    if (dot == std::wstring::npos)
        return std::wstring();
    std::wstring ext = first.substr(dot + 1);
    return ext == L"*" ? std::wstring() : ext;
}

bool MatchesPatterns(const std::wstring& name, const std::wstring& patterns) {
    const std::wstring lowerName = lowered(name);
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(L';', start);
        std::wstring pattern = lowered(patterns.substr(start, end == std::wstring::npos ? end : end - start));
        start = end == std::wstring::npos ? patterns.size() + 1 : end + 1;
        if (pattern == L"*" || pattern == L"*.*")
            return true;
        if (pattern.size() > 2 && pattern.compare(0, 2, L"*.") == 0) {
            std::wstring tail = pattern.substr(1);
            if (lowerName.size() > tail.size() &&
                lowerName.compare(lowerName.size() - tail.size(), tail.size(), tail) == 0)
                return true;
        }
    }
    return false;
}

} // namespace platform

using namespace platform;

extern "C" BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) {
    g_lastError = 0;
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        g_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    PlatformSaveDialogRequest request;
    request.owner = ofn->hwndOwner;
    request.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : L"另存为";
    request.types = ParseFilter(ofn->lpstrFilter);
    request.typeIndex = request.types.empty()
                            ? 0
                            : static_cast<int>(std::clamp<DWORD>(ofn->nFilterIndex, 1,
                                                                 static_cast<DWORD>(request.types.size())));
    std::filesystem::path proposed = PathOf(ofn->lpstrFile);
    request.fileName = WideOf(proposed.filename());
    if (proposed.has_parent_path())
        request.folder = WideOf(proposed.parent_path());
    else if (ofn->lpstrInitialDir != nullptr && *ofn->lpstrInitialDir != L'\0')
        request.folder = ofn->lpstrInitialDir;
    else
        request.folder = CurrentFolder();

    FileChoice choice;
    if (!PlatformUsesDisplay() && driver().hook) {
        std::optional<std::wstring> answer = driver().hook(request);
        choice.kind = answer ? FileChoice::Chosen : FileChoice::Cancelled;
        if (answer)
            choice.paths.push_back(*answer);
    } else {
        choice.kind = FileChoice::Unavailable;
        if (PlatformUsesDisplay())
            choice = PortalSaveFile(request);
        if (choice.kind == FileChoice::Unavailable)
            choice = OwnSaveDialog(request, (ofn->Flags & OFN_OVERWRITEPROMPT) != 0);
    }

    std::filesystem::path path;
    if (choice.kind == FileChoice::Chosen && choice.paths.size() == 1 && !choice.paths.front().empty()) {
        path = PathOf(choice.paths.front());
        if (path.is_relative())
            path = PathOf(request.folder) / path;
        // A name without an extension takes the chosen type's, else the default one.
        if (!path.has_extension()) {
            int index = choice.typeIndex > 0 ? choice.typeIndex : request.typeIndex;
            std::wstring ext = index > 0
                                   ? PatternExtension(request.types[static_cast<size_t>(index - 1)].second)
                                   : std::wstring();
            if (ext.empty() && ofn->lpstrDefExt != nullptr)
                ext = ofn->lpstrDefExt;
            if (!ext.empty())
                path += PathOf(L"." + ext).native();
        }
    }
    if (KeepsRecords())
        driver().records.Add(PlatformSaveDialogRecord{request, WideOf(path)});
    if (path.empty())
        return FALSE;

    std::wstring full = WideOf(path.lexically_normal());
    if (full.size() + 1 > ofn->nMaxFile) {
        g_lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::copy(full.begin(), full.end(), ofn->lpstrFile);
    ofn->lpstrFile[full.size()] = L'\0';
    size_t slash = full.rfind(L'/');
    size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    size_t dot = full.rfind(L'.');
    ofn->nFileOffset = static_cast<WORD>(nameStart);
    ofn->nFileExtension = static_cast<WORD>(dot != std::wstring::npos && dot > nameStart ? dot + 1 : 0);
    // The type follows the extension the file ended up with, when one of the types has it.
    std::wstring ext = ofn->nFileExtension != 0 ? full.substr(ofn->nFileExtension) : std::wstring();
    DWORD typeIndex = static_cast<DWORD>(choice.typeIndex > 0 ? choice.typeIndex : request.typeIndex);
    // Two types may share an extension (a document in two page shapes): the chosen one stays when
    // it fits, else the first that does.
    const bool chosenFits = typeIndex >= 1 && typeIndex <= request.types.size() &&
                            PatternExtension(request.types[typeIndex - 1].second) == ext;
    for (size_t i = 0; i < request.types.size() && !chosenFits; ++i)
        if (!ext.empty() && PatternExtension(request.types[i].second) == ext) {
            typeIndex = static_cast<DWORD>(i + 1);
            break;
        }
    ofn->nFilterIndex = typeIndex;
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
        std::wstring name = full.substr(nameStart).substr(0, ofn->nMaxFileTitle - 1);
        std::copy(name.begin(), name.end(), ofn->lpstrFileTitle);
        ofn->lpstrFileTitle[name.size()] = L'\0';
    }
    return TRUE;
}

extern "C" DWORD WINAPI CommDlgExtendedError() {
    return g_lastError;
}

void PlatformSetSaveDialogHook(PlatformSaveDialogHook hook) {
    driver().hook = std::move(hook);
}

const std::vector<PlatformSaveDialogRecord>& PlatformSaveDialogs() {
    return driver().records.Records();
}

size_t PlatformSaveDialogCount() {
    return driver().records.Count();
}
