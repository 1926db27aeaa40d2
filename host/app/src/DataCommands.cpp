// DataCommands: the "数据" menu, its dialogs and the list of databases opened last.
#include "DataCommands.h"

#include "FundHost.h"
#include "SampleData.h"

#include <platform/commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr UINT kOpenCommand = 1, kImportCommand = 2, kFirstRecent = 100;
constexpr const char* kRecentNode = "/Quenda2/FundHost/Recent";

std::wstring wide(const std::string& text) {
    return XStringW::FromUtf8(text).str();
}

std::string utf8(const std::wstring& text) {
    return XStringW(text).ToUtf8();
}

// A path as a person reads it in a menu: the home folder as "~".
std::wstring shownPath(const std::string& path) {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        std::string prefix = std::string(home) + "/";
        if (path.rfind(prefix, 0) == 0)
            return L"~/" + wide(path.substr(prefix.size()));
    }
    return wide(path);
}

// The same file, however it was written.
std::string canonical(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : full.string();
}

// The paths of an open dialog's answer: one full path, or a folder followed by names, each ended
// by a zero and the list by a second zero.
std::vector<std::string> chosenPaths(const std::vector<wchar_t>& buffer) {
    std::vector<std::string> paths;
    std::wstring first(buffer.data());
    if (first.empty())
        return paths;
    size_t at = first.size() + 1;
    if (at >= buffer.size() || buffer[at] == L'\0') {
        paths.push_back(utf8(first));
        return paths;
    }
    const std::filesystem::path folder = std::filesystem::u8path(utf8(first));
    while (at < buffer.size() && buffer[at] != L'\0') {
        std::wstring name(buffer.data() + at);
        paths.push_back((folder / std::filesystem::u8path(utf8(name))).string());
        at += name.size() + 1;
    }
    return paths;
}

} // namespace

// ---- The list of databases ------------------------------------------------------------------------

std::vector<std::string> DataCommands::Recent(HostConf::ConfManager* config) {
    std::vector<std::string> paths;
    if (config == nullptr)
        return paths;
    for (size_t i = 1; i <= kRecentCount; ++i) {
        XComPtr<Conf::IConfKey> key;
        XComPtr<Conf::IConfValue> value;
        const std::string path = std::string(kRecentNode) + "/File" + std::to_string(i);
        if (!config->GetKey(key.Receive(), path.c_str()) || key == nullptr ||
            !key->GetValue(value.Receive()) || value == nullptr)
            continue;
        XStringW text;
        value->AsString(text);
        std::string file = text.ToUtf8();
        if (!file.empty() && std::find(paths.begin(), paths.end(), file) == paths.end())
            paths.push_back(file);
    }
    return paths;
}

void DataCommands::Remember(HostConf::ConfManager* config, const std::string& path) {
    if (config == nullptr || path.empty())
        return;
    std::vector<std::string> paths = Recent(config);
    const std::string same = canonical(path);
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&](const std::string& p) { return canonical(p) == same; }),
                paths.end());
    paths.insert(paths.begin(), path);
    paths.resize(std::min(paths.size(), kRecentCount));
    for (size_t i = 1; i <= kRecentCount; ++i) {
        const std::string key = std::string(kRecentNode) + "/File" + std::to_string(i);
        if (i <= paths.size())
            config->SetValue(key.c_str(), XStringW::FromUtf8(paths[i - 1]));
        else
            config->RemoveKey(key.c_str());
    }
}

// ---- The menu -------------------------------------------------------------------------------------

void DataCommands::ShowMenu() {
    MainFrame* frame = m_host.Frame();
    if (frame == nullptr)
        return;
    const bool importing = m_import.Busy();
    // While an import runs the window stays on the database it was started from: the import
    // switches to its own database at the end.
    const UINT busy = importing ? MF_GRAYED : 0;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | busy, kOpenCommand, kOpenItem);
    AppendMenuW(menu, MF_STRING | busy, kImportCommand,
                importing ? L"导入数据...（导入进行中）" : kImportItem);
    const std::vector<std::string> recent = Recent(m_host.Config());
    if (!recent.empty())
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::string open = canonical(m_host.DatabasePath());
    for (size_t i = 0; i < recent.size(); ++i) {
        const std::wstring caption = std::to_wstring(i + 1) + L"  " + shownPath(recent[i]);
        const UINT checked = canonical(recent[i]) == open ? MF_CHECKED : 0;
        AppendMenuW(menu, MF_STRING | busy | checked, kFirstRecent + i, caption.c_str());
    }
    RECT button = frame->ButtonRect(kButtonId);
    POINT at{button.left, button.bottom};
    ClientToScreen(frame->Window(), &at);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                                         at.x, at.y, 0, frame->Window(), nullptr));
    DestroyMenu(menu);
    if (chosen == kOpenCommand)
        OpenDatabase();
    else if (chosen == kImportCommand)
        Import();
    else if (chosen >= kFirstRecent && chosen < kFirstRecent + recent.size())
        OpenPath(recent[chosen - kFirstRecent]);
}

// ---- Opening --------------------------------------------------------------------------------------

bool DataCommands::OpenPath(const std::string& path) {
    if (m_import.Busy())
        return false;
    std::wstring error;
    if (!m_host.SwitchDatabase(path, error)) {
        MessageBoxW(m_host.Frame()->Window(), error.c_str(), L"打开数据库", MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

void DataCommands::OpenDatabase() {
    std::vector<wchar_t> file(4096, L'\0');
    std::wstring folder;
    if (!m_host.SampleOpen() && !m_host.DatabasePath().empty())
        folder = wide(std::filesystem::path(m_host.DatabasePath()).parent_path().string());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_host.Frame()->Window();
    ofn.lpstrFilter = L"基金数据库 (*.db;*.sqlite;*.sqlite3)\0*.db;*.sqlite;*.sqlite3\0所有文件 (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = L"打开数据库";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn))
        return;
    std::vector<std::string> paths = chosenPaths(file);
    if (paths.size() == 1)
        OpenPath(paths.front());
}

// ---- Importing ------------------------------------------------------------------------------------

std::vector<std::string> DataCommands::AskInputs() {
    // Room for many names: a folder of daily-value files chosen one by one is long.
    std::vector<wchar_t> file(1 << 16, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_host.Frame()->Window();
    ofn.lpstrFilter = L"数据文件 (*.csv;*.tsv;*.txt;*.xlsx)\0*.csv;*.tsv;*.txt;*.xlsx\0所有文件 (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = L"导入数据：选择文件或文件夹";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    ofn.FlagsEx = OFN_EX_PICKFOLDERS;
    if (!GetOpenFileNameW(&ofn))
        return {};
    return chosenPaths(file);
}

std::string DataCommands::AskNewDatabase() {
    std::vector<wchar_t> file(4096, L'\0');
    const std::wstring proposed = L"我的基金数据.db";
    std::copy(proposed.begin(), proposed.end(), file.begin());
    std::wstring folder;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        folder = wide(home);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_host.Frame()->Window();
    ofn.lpstrFilter = L"基金数据库 (*.db)\0*.db\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = L"示例数据不能改动：新建自己的数据库";
    ofn.lpstrDefExt = L"db";
    // An existing database of the user's own is updated, never overwritten: no overwrite prompt.
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn))
        return {};
    return utf8(file.data());
}

void DataCommands::Import() {
    if (m_import.Busy())
        return;
    std::vector<std::string> inputs = AskInputs();
    if (inputs.empty())
        return;
    std::string target = m_host.DatabasePath();
    if (m_host.SampleOpen()) {
        target = AskNewDatabase();
        if (target.empty())
            return;
        // The sample is the generator's, made anew when missing: importing into it would lose the
        // person's data the day it is made again.
        if (canonical(target) == canonical(m_host.DatabasePath())) {
            MessageBoxW(m_host.Frame()->Window(), L"示例数据库不能用来存放自己的数据，请另选一个文件。",
                        L"导入数据", MB_OK | MB_ICONWARNING);
            return;
        }
    }
    if (!m_import.Start(m_host.Frame()->Window(), target, inputs,
                        [this](const FundImport::Result& result, const std::string& database) {
                            ImportFinished(result, database);
                        })) {
        MessageBoxW(m_host.Frame()->Window(), L"无法开始导入。", L"导入数据", MB_OK | MB_ICONWARNING);
        return;
    }
    m_host.Frame()->SetStatus(L"正在导入数据…");
}

void DataCommands::ImportFinished(const FundImport::Result& result, const std::string& database) {
    std::wstring status = ImportWindow::StatusLine(result);
    // The pages read the database anew: another file when the import made the user's own, the
    // same one with the rows just written otherwise.
    if (result.written) {
        std::wstring error;
        if (!m_host.SwitchDatabase(database, error))
            status += L"；无法打开导入后的数据库：" + error;
    }
    m_host.Frame()->SetStatus(status);
}
