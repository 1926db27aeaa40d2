// ScriptRunner: carries out a script's actions on a running host through the input a person would
// give — clicks, keys, typed text — and waits after each until the program is idle.
#pragma once

#include "FundHost.h"
#include "LoopTimings.h"
#include "Script.h"

#include <platform/driver.h>

#include <sdk/ControlDataGrid.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

class ScriptRunner {
public:
    explicit ScriptRunner(FundHost& host) : m_host(host) {}

    // Runs every action in order; stops at the first that fails, with "line N: reason" in error.
    bool Run(const std::vector<ScriptAction>& actions, std::string& error);
    // Tells the timings which line the messages that follow belong to.
    void SetTimings(LoopTimings* timings) { m_timings = timings; }

private:
    // Each returns false with the reason in error.
    bool Perform(const ScriptAction& action, std::string& error);
    bool Tab(const XStringW& name, std::string& error);
    bool Theme(const std::string& name, std::string& error);
    bool Key(const std::string& name, std::string& error);
    // A verb for the visible page's own controls (range, view), offered to its windows in turn.
    bool PageCommand(const wchar_t* verb, const XStringW& argument, std::string& error);
    bool Key(const std::string& name, std::string& error, const std::vector<UINT>& modifiers);
    bool Export(const XStringW& file, std::string& error);
    // The comparison report through the workspace's button and the save dialog, waited for until
    // the file is written (or a message box says why not).
    bool Report(const XStringW& file, std::string& error);
    bool Press(const XStringW& caption, std::string& error);
    // "数据 > 打开数据库..." answered with a file, and "数据 > 导入数据..." answered with files and
    // folders; each fails when the database shown afterwards is not the one expected, or when no
    // import ran to its end.
    bool OpenDatabase(const XStringW& file, std::string& error);
    bool Import(const XStringW& files, std::string& error);
    // Picks an item of the "数据" menu, the open dialog answered with `paths`.
    bool DataMenu(const wchar_t* item, const std::vector<std::wstring>& paths, std::string& error);
    // A pick line's answer for the next menu, until a menu asks for it.
    struct PendingPick {
        int line = 0;
        std::wstring caption; // a caption path ("打开对比组合 > 组合A")
        bool answered = false;
        bool found = false;
    };
    // A save-as line's answer for the next save dialog, and what the file was before it.
    struct PendingSave {
        int line = 0;
        std::wstring path;
        std::optional<std::pair<ino_t, long long>> before;
        size_t boxes = 0; // message boxes shown when the dialog was answered
        bool answered = false;
    };
    // A menu hook that picks the item of the pick's caption path once and records the outcome.
    static PlatformMenuHook PickPath(const std::shared_ptr<PendingPick>& pick);
    // Fails when a menu asked for a pick that was not there, or a save dialog was answered and
    // nothing was written.
    bool CheckAnswers(std::string& error);
    // A visible list of the current page shows a row of the fund (by its code or alias code).
    bool PageListsFund(const XStringW& code);
    bool ExpectMessage(const XStringW& text, std::string& error);
    // Writes the cells of every visible grid of the current page, titles first, as shown.
    bool Dump(const std::string& path, std::string& error);
    // Clicks the header of the visible list's column until the list is sorted that way.
    bool Sort(const XStringW& field, bool ascending, std::string& error);
    void ClickAt(const RECT& frameRect);
    void ClickWindow(HWND window);
    // Shows the fund-filter page, narrows its list to the fund by typing the code into the search
    // box, and clicks the fund's row, answering the fund's own code. False when the fund is not in
    // the list.
    bool SelectFundOnFilterPage(const XStringW& code, XStringW& fundCode, std::string& error);
    // Follows a fund and checks that it is followed.
    bool Follow(const XStringW& code, std::string& error);
    // Presses the clear button and checks that no fund is compared any more.
    bool Clear(std::string& error);
    // Scrolls a grid with the wheel until the row shows whole; answers the cell to click.
    bool BringRowIntoView(Control::XDataGrid& grid, int row, RECT& cell);
    // The comparison workspace: its window, and clicks on its page tabs, picker and buttons.
    HWND WorkspaceWindow() const;
    bool ShowWorkspace(std::string& error);
    bool ClickPageTab(int index, std::string& error);
    bool AddThroughPicker(const XStringW& code, std::string& error);
    bool ClickWorkspaceButton(const wchar_t* caption, std::string& error);
    // The visible comparison page's window, or null.
    HWND VisiblePage() const;
    // Chooses an item of the visible page's drop-down box (id 102) with the keyboard.
    bool ChooseInPageBox(const XStringW& item, std::string& error);
    bool PickFilterValue(const XStringW& value, std::string& error);
    bool RemoveFund(const XStringW& code, std::string& error);
    bool ClickFilterPageButton(UINT id, std::string& error);
    void Settle();

    FundHost& m_host;
    LoopTimings* m_timings = nullptr;
    std::set<XStringW> m_touched; // codes this script added, for checking a clear
    std::shared_ptr<PendingPick> m_pick;
    std::shared_ptr<PendingSave> m_saveAs;
};
