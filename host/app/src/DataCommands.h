// DataCommands: the toolbar's "数据" button and its menu — 打开数据库... (a fund database chosen in
// the file dialog), 导入数据... (data files or folders read into the user's own database on a
// worker, with the import's window), and the databases opened last, newest first, the open one
// ticked.
//
// The database chosen is remembered as FundHost/Database, so that the next start opens it; the
// sample database is never remembered there (its absence is what opens it). An import goes into
// the open database when it is the user's own; while the sample is open the person is asked where
// to make their own database, and the window switches to it when the import has written it. A
// database that will not open is reported in a message box and the open one stays.
#pragma once

#include "ImportWindow.h"

#include <hostconf/ConfManager.h>

#include <string>
#include <vector>

class FundHost;

class DataCommands {
public:
    static constexpr const char* kButtonId = "button_data";
    static constexpr const wchar_t* kOpenItem = L"打开数据库...";
    static constexpr const wchar_t* kImportItem = L"导入数据...";
    // How many databases the menu lists.
    static constexpr size_t kRecentCount = 6;

    explicit DataCommands(FundHost& host) : m_host(host) {}

    // Shows the menu under the button (the button's action).
    void ShowMenu();
    // The menu's commands.
    void OpenDatabase();
    void Import();
    // Opens a database and makes it the one remembered; false (reported in a message box) when it
    // will not open.
    bool OpenPath(const std::string& path);

    ImportWindow& Importer() { return m_import; }
    // The databases the menu lists, newest first, and putting one first.
    static std::vector<std::string> Recent(HostConf::ConfManager* config);
    static void Remember(HostConf::ConfManager* config, const std::string& path);

private:
    // The files and folders chosen for an import; empty when the person cancelled.
    std::vector<std::string> AskInputs();
    // Where the user's own database goes when the sample is open; empty when cancelled.
    std::string AskNewDatabase();
    void ImportFinished(const FundImport::Result& result, const std::string& database);

    FundHost& m_host;
    ImportWindow m_import;
};
