// GetOpenFileNameW: reads the request from OPENFILENAMEW, asks the driver's hook (headless), the
// desktop portal (on a display, when it can be had and can give what is asked) or the platform's
// own dialog, refuses an answer that the request does not allow, and writes the paths back the way
// Win32's explorer-style dialog does.
#include "shell/FileDialogParts.h"

#include "internal/RecordLog.h"

#include <platform/commdlg.h>
#include <platform/display.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

struct OpenDialogDriver {
    PlatformOpenDialogHook hook;
    RecordLog<PlatformOpenDialogRecord> records;
};

OpenDialogDriver& driver() {
    static OpenDialogDriver d;
    return d;
}

// The folder shown first: the one the proposed name lies in, else the initial folder, else the
// current one.
std::wstring firstFolder(const OPENFILENAMEW& ofn) {
    std::filesystem::path proposed = PathOf(ofn.lpstrFile);
    std::error_code ec;
    if (!proposed.empty() && std::filesystem::is_directory(proposed, ec))
        return WideOf(proposed);
    if (proposed.has_parent_path() && std::filesystem::is_directory(proposed.parent_path(), ec))
        return WideOf(proposed.parent_path());
    if (ofn.lpstrInitialDir != nullptr && *ofn.lpstrInitialDir != L'\0')
        return ofn.lpstrInitialDir;
    return CurrentFolder();
}

// Whether the chooser could have given these paths for the request: one unless several were
// asked for, all in one folder, folders only when allowed, and existing ones when the caller
// wants that.
bool allowed(const std::vector<std::filesystem::path>& paths, const PlatformOpenDialogRequest& request,
             bool mustExist) {
    if (paths.empty() || (paths.size() > 1 && !request.multiple))
        return false;
    std::error_code ec;
    for (const std::filesystem::path& path : paths) {
        if (path.parent_path() != paths.front().parent_path() || !path.has_filename())
            return false;
        if (!request.folders && std::filesystem::is_directory(path, ec))
            return false;
        if (mustExist && !std::filesystem::exists(path, ec))
            return false;
    }
    return true;
}

// The text written into lpstrFile: the full path of one, or the folder and each name of several,
// each ended by a zero, with a second zero after the last when several may be chosen.
std::wstring answerText(const std::vector<std::filesystem::path>& paths, bool multiple, size_t& nameOffset) {
    std::wstring text;
    if (paths.size() == 1) {
        text = WideOf(paths.front());
        size_t slash = text.rfind(L'/');
        nameOffset = slash == std::wstring::npos ? 0 : slash + 1;
        text += L'\0';
    } else {
        text = WideOf(paths.front().parent_path());
        text += L'\0';
        nameOffset = text.size();
        for (const std::filesystem::path& path : paths) {
            text += WideOf(path.filename());
            text += L'\0';
        }
    }
    if (multiple)
        text += L'\0';
    return text;
}

} // namespace
} // namespace platform

using namespace platform;

extern "C" BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) {
    SetDialogError(0);
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        SetDialogError(CDERR_INITIALIZATION);
        return FALSE;
    }
    PlatformOpenDialogRequest request;
    request.owner = ofn->hwndOwner;
    request.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : L"打开";
    request.types = ParseFilter(ofn->lpstrFilter);
    request.typeIndex = request.types.empty()
                            ? 0
                            : static_cast<int>(std::clamp<DWORD>(ofn->nFilterIndex, 1,
                                                                 static_cast<DWORD>(request.types.size())));
    request.folder = firstFolder(*ofn);
    request.multiple = (ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
    request.folders = (ofn->FlagsEx & OFN_EX_PICKFOLDERS) != 0;
    const bool mustExist = (ofn->Flags & OFN_FILEMUSTEXIST) != 0;

    FileChoice choice;
    if (!PlatformUsesDisplay() && driver().hook) {
        std::optional<std::vector<std::wstring>> answer = driver().hook(request);
        choice.kind = answer ? FileChoice::Chosen : FileChoice::Cancelled;
        if (answer)
            choice.paths = *answer;
    } else {
        choice.kind = FileChoice::Unavailable;
        if (PlatformUsesDisplay())
            choice = PortalOpenFiles(request);
        if (choice.kind == FileChoice::Unavailable)
            choice = OwnOpenDialog(request);
    }

    std::vector<std::filesystem::path> paths;
    if (choice.kind == FileChoice::Chosen)
        for (const std::wstring& chosen : choice.paths) {
            std::filesystem::path path = PathOf(chosen);
            if (path.is_relative())
                path = PathOf(request.folder) / path;
            path = path.lexically_normal();
            // "a/" names the folder a: its name, not an empty one after the slash.
            if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
                path = path.parent_path();
            paths.push_back(path);
        }
    if (!allowed(paths, request, mustExist))
        paths.clear();
    if (KeepsRecords()) {
        PlatformOpenDialogRecord record{request, {}};
        for (const std::filesystem::path& path : paths)
            record.answer.push_back(WideOf(path));
        driver().records.Add(record);
    }
    if (paths.empty())
        return FALSE;

    size_t nameOffset = 0;
    std::wstring text = answerText(paths, request.multiple, nameOffset);
    if (text.size() > ofn->nMaxFile) {
        // As on Windows, the first character of the buffer tells the size it needs.
        ofn->lpstrFile[0] = static_cast<wchar_t>(std::min<size_t>(text.size(), 0xFFFF));
        SetDialogError(FNERR_BUFFERTOOSMALL);
        return FALSE;
    }
    std::copy(text.begin(), text.end(), ofn->lpstrFile);
    ofn->nFileOffset = static_cast<WORD>(nameOffset);
    ofn->nFileExtension = 0;
    if (paths.size() == 1) {
        std::wstring name = WideOf(paths.front().filename());
        size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && dot > 0)
            ofn->nFileExtension = static_cast<WORD>(nameOffset + dot + 1);
        if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
            name = name.substr(0, ofn->nMaxFileTitle - 1);
            std::copy(name.begin(), name.end(), ofn->lpstrFileTitle);
            ofn->lpstrFileTitle[name.size()] = L'\0';
        }
    }
    ofn->nFilterIndex = static_cast<DWORD>(choice.typeIndex > 0 ? choice.typeIndex : request.typeIndex);
    return TRUE;
}

void PlatformSetOpenDialogHook(PlatformOpenDialogHook hook) {
    driver().hook = std::move(hook);
}

const std::vector<PlatformOpenDialogRecord>& PlatformOpenDialogs() {
    return driver().records.Records();
}

size_t PlatformOpenDialogCount() {
    return driver().records.Count();
}
