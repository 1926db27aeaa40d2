// ScriptRunner: one action after another, each through the ordinary input path.
#include "ScriptRunner.h"

#include <hostkernel/AtomicFile.h>
#include <platform/driver.h>
#include <sdk/CompareWorkspace.h>
#include <sdk/ControlComboEx.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/ControlPicture.h>
#include <sdk/ControlScriptCommand.h>
#include <sdk/ControlStarMap.h>
#include <sdk/ControlTableHeader.h>

#include <cwctype>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The frame's tab of the comparison workspace, and its page tabs by caption and by name.
constexpr const wchar_t* kWorkspaceTitle = CompareWorkspace::kTitle;
const std::map<std::wstring, int> kPageTabs = [] {
    std::map<std::wstring, int> tabs;
    for (size_t i = 0; i < CompareWorkspace::kPageTabCount; ++i) {
        tabs[CompareWorkspace::kPageTabs[i].caption] = static_cast<int>(i);
        tabs[CompareWorkspace::kPageTabs[i].name] = static_cast<int>(i);
    }
    return tabs;
}();

} // namespace

namespace {

// Tabs and line breaks inside a cell would break the file's rows and columns.
std::string cellForTsv(const XStringW& text) {
    XStringW clean = text;
    clean.replace(L"\t", L" ");
    clean.replace(L"\r\n", L" ");
    clean.replace(L"\n", L" ");
    return clean.ToUtf8();
}

BOOL CALLBACK collectGrids(HWND window, LPARAM context) {
    auto* grids = reinterpret_cast<std::vector<Control::DataGridEx*>*>(context);
    if (IsWindowVisible(window))
        if (auto* grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(window)))
            grids->push_back(grid);
    return TRUE;
}

} // namespace

namespace {

// The first child of a window (at any depth) for which test(child) holds.
template <class Test>
HWND findChild(HWND parent, Test test) {
    struct Search {
        Test* test;
        HWND found = nullptr;
    } search{&test};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (!(*s->test)(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the last message box shown after `before` boxes had been, for a failing line to
// quote; empty when none was shown.
std::string messageSince(size_t before) {
    const auto& boxes = PlatformMessageBoxes();
    if (PlatformMessageBoxCount() <= before || boxes.empty())
        return {};
    return ": " + XStringW(boxes.back().text).ToUtf8();
}

// A PNG file starts with its eight-byte signature; a write that went nowhere leaves none.
bool isPngFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char signature[8] = {};
    in.read(signature, sizeof signature);
    return in.gcount() == 8 && std::string(signature, 8) == "\x89PNG\r\n\x1a\n";
}

} // namespace

bool ScriptRunner::Run(const std::vector<ScriptAction>& actions, std::string& error) {
    Settle();
    using Kind = ScriptAction::Kind;
    auto isInput = [](Kind kind) {
        return kind == Kind::Press || kind == Kind::Click || kind == Kind::Key || kind == Kind::Type;
    };
    for (size_t i = 0; i < actions.size(); ++i) {
        const ScriptAction& action = actions[i];
        if (m_timings != nullptr)
            m_timings->BeginLine(action.line);
        std::string reason;
        if (!Perform(action, reason)) {
            error = "line " + std::to_string(action.line) + ": " + reason;
            return false;
        }
        // Keys and text right after an input line join its stream, so that a dialog the input
        // opens reads them as a person's typing.
        bool joined = isInput(action.kind) && i + 1 < actions.size() &&
                      (actions[i + 1].kind == Kind::Key || actions[i + 1].kind == Kind::Type);
        if (!joined)
            Settle();
        // A menu or a save dialog that a pick or save-as line prepared for may have been answered
        // during this line: its outcome is this line's.
        if (!CheckAnswers(reason)) {
            error = "line " + std::to_string(action.line) + ": " + reason;
            return false;
        }
    }
    // A prepared answer that nothing asked for means that the script did not do what it says.
    if (m_pick != nullptr) {
        error = "line " + std::to_string(m_pick->line) + ": no menu was shown for 'pick " +
                XStringW(m_pick->caption).ToUtf8() + "'";
        return false;
    }
    if (m_saveAs != nullptr) {
        error = "line " + std::to_string(m_saveAs->line) + ": no save dialog was shown for 'save-as " +
                XStringW(m_saveAs->path).ToUtf8() + "'";
        return false;
    }
    return true;
}

namespace {

// What identifies the file at a path now: its inode and time of change, or nothing.
std::optional<std::pair<ino_t, long long>> fileVersion(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::make_pair(info.st_ino,
                          static_cast<long long>(info.st_ctim.tv_sec) * 1000000000LL + info.st_ctim.tv_nsec);
}

} // namespace

bool ScriptRunner::CheckAnswers(std::string& error) {
    if (m_pick != nullptr && m_pick->answered) {
        std::shared_ptr<PendingPick> pick = std::move(m_pick);
        if (!pick->found) {
            error = "the menu offers no '" + XStringW(pick->caption).ToUtf8() + "' (pick on line " +
                    std::to_string(pick->line) + ")";
            return false;
        }
    }
    if (m_saveAs != nullptr && m_saveAs->answered) {
        std::shared_ptr<PendingSave> save = std::move(m_saveAs);
        // The file the dialog was answered with must now be a new version of itself.
        if (fileVersion(XStringW(save->path).ToUtf8()) == save->before ||
            !fileVersion(XStringW(save->path).ToUtf8())) {
            error = "nothing was written to '" + XStringW(save->path).ToUtf8() + "' (save-as on line " +
                    std::to_string(save->line) + ")" + messageSince(save->boxes);
            return false;
        }
    }
    return true;
}

void ScriptRunner::Settle() {
    PlatformRunUntilIdle();
    PlatformPaintAll();
}

void ScriptRunner::ClickAt(const RECT& frameRect) {
    POINT p{(frameRect.left + frameRect.right) / 2, (frameRect.top + frameRect.bottom) / 2};
    ClientToScreen(m_host.Frame()->Window(), &p);
    PlatformClick(p.x, p.y);
}

bool ScriptRunner::Perform(const ScriptAction& action, std::string& error) {
    using Kind = ScriptAction::Kind;
    switch (action.kind) {
    case Kind::Tab:
        return Tab(action.text, error);
    case Kind::Theme:
        return Theme(action.text.ToUtf8(), error);
    case Kind::Click:
    case Kind::Move:
        // A point off the screen reaches no window: the line would pass having done nothing.
        if (action.x < 0 || action.y < 0 || action.x >= GetSystemMetrics(SM_CXSCREEN) ||
            action.y >= GetSystemMetrics(SM_CYSCREEN)) {
            error = "the point " + std::to_string(action.x) + "," + std::to_string(action.y) +
                    " is off the screen";
            return false;
        }
        if (action.kind == Kind::Click)
            PlatformClick(action.x, action.y);
        else
            PlatformMouseMove(action.x, action.y);
        return true;
    case Kind::Key:
        return Key(action.text.ToUtf8(), error);
    case Kind::Type:
        PlatformTypeText(action.text.str());
        return true;
    case Kind::Wait:
        PlatformAdvanceClock(static_cast<DWORD>(action.number));
        return true;
    case Kind::Screenshot: {
        Settle();
        // The picture goes into a temporary beside the file, read back, and only then replaces it.
        HostKernel::AtomicFile file;
        std::string reason;
        if (!file.Open(action.text.ToUtf8(), reason)) {
            error = reason;
            return false;
        }
        if (!PlatformSaveScreenPng(file.TemporaryPath()) || !isPngFile(file.TemporaryPath())) {
            error = "cannot write the screenshot '" + action.text.ToUtf8() + "'";
            return false;
        }
        if (!file.Commit(reason)) {
            error = reason;
            return false;
        }
        std::printf("screenshot: %s\n", action.text.ToUtf8().c_str());
        return true;
    }
    case Kind::ExpectMessage:
        return ExpectMessage(action.text, error);
    case Kind::Add:
        return AddThroughPicker(action.text, error);
    case Kind::Follow:
        return Follow(action.text, error);
    case Kind::Clear:
        return Clear(error);
    case Kind::Date:
        return ChooseInPageBox(action.text, error);
    case Kind::Horizon: {
        static const wchar_t* const labels[] = {L"", L"最近1年(年化)", L"最近2年(年化)", L"最近3年(年化)",
                                                L"", L"最近5年(年化)"};
        return ChooseInPageBox(XStringW(labels[action.number]), error);
    }
    case Kind::Filter:
        return PickFilterValue(action.text, error);
    case Kind::Remove:
        return RemoveFund(action.text, error);
    case Kind::Dump:
        Settle();
        return Dump(action.text.ToUtf8(), error);
    case Kind::Sort:
        return Sort(action.text, action.ascending, error);
    case Kind::Export:
        return Export(action.text, error);
    case Kind::Report:
        return Report(action.text, error);
    case Kind::SaveAs: {
        // One answer, for the next dialog only; the line that shows the dialog must write the file.
        auto save = std::make_shared<PendingSave>();
        save->line = action.line;
        save->path = action.text.str();
        save->before = fileVersion(action.text.ToUtf8());
        save->boxes = PlatformMessageBoxCount();
        m_saveAs = save;
        PlatformSetSaveDialogHook([save](const PlatformSaveDialogRequest&) -> std::optional<std::wstring> {
            if (save->answered)
                return std::nullopt;
            save->answered = true;
            save->boxes = PlatformMessageBoxCount();
            return save->path;
        });
        return true;
    }
    case Kind::Clipboard: {
        std::string reason;
        if (!HostKernel::AtomicFile::WriteWhole(action.text.ToUtf8(),
                                                XStringW(PlatformClipboardText()).ToUtf8(), reason)) {
            error = reason;
            return false;
        }
        return true;
    }
    case Kind::Pick: {
        auto pick = std::make_shared<PendingPick>();
        pick->line = action.line;
        pick->caption = action.text.str();
        m_pick = pick;
        PlatformSetMenuHook(PickPath(pick));
        return true;
    }
    case Kind::Press:
        return Press(action.text, error);
    case Kind::Range:
        return PageCommand(L"range", action.text, error);
    case Kind::View:
        return PageCommand(L"view", action.text, error);
    case Kind::Benchmark:
        return PageCommand(L"benchmark", action.text, error);
    case Kind::OpenDatabase:
        return OpenDatabase(action.text, error);
    case Kind::Import:
        return Import(action.text, error);
    case Kind::ExpectStatus:
        if (m_host.Frame()->Status().find(action.text.str()) == std::wstring::npos) {
            error = "the status bar says '" + XStringW(m_host.Frame()->Status()).ToUtf8() + "', not '" +
                    action.text.ToUtf8() + "'";
            return false;
        }
        return true;
    }
    return false;
}

void ScriptRunner::ClickWindow(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool ScriptRunner::ClickFilterPageButton(UINT id, std::string& error) {
    FundFilterPage* page = m_host.FilterPage();
    HWND button = page != nullptr ? page->ButtonWindow(id) : nullptr;
    if (button == nullptr) {
        error = "the fund-filter page has no such button";
        return false;
    }
    ClickWindow(button);
    Settle();
    return true;
}

bool ScriptRunner::SelectFundOnFilterPage(const XStringW& code, XStringW& fundCode, std::string& error) {
    FundFilterPage* page = m_host.FilterPage();
    if (page == nullptr) {
        error = "there is no fund-filter page";
        return false;
    }
    TabCtrl* tabs = m_host.Frame()->FundFilterTab();
    ClickAt(m_host.Frame()->TabRect(tabs->IndexOf(page)));
    Settle();
    // Type the code into the search box and narrow the list with it.
    ClickWindow(page->CompanyPicker());
    Settle();
    PlatformKeyPress(VK_END);
    for (int i = 0; i < 64; ++i)
        PlatformKeyPress(VK_BACK);
    PlatformTypeText(code.str());
    Settle();
    if (!ClickFilterPageButton(FundFilterPage::kSearchId, error))
        return false;
    int row = -1;
    for (int r = 0; r < page->View()->GetRowCount() && row < 0; ++r)
        if (page->CellText(r, L"code") == code || page->CellText(r, L"aliascode") == code)
            row = r;
    if (row < 0) {
        error = "there is no fund " + code.ToUtf8() + " in the fund list";
        return false;
    }
    fundCode = page->CellText(row, L"code");
    RECT cell{};
    if (!BringRowIntoView(page->Grid(), row, cell)) {
        error = "cannot bring the fund " + code.ToUtf8() + " into view in the fund list";
        return false;
    }
    POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(page->Grid(), &p);
    PlatformClick(p.x, p.y);
    Settle();
    return true;
}

bool ScriptRunner::Follow(const XStringW& code, std::string& error) {
    XStringW fundCode;
    size_t boxes = PlatformMessageBoxCount();
    if (!SelectFundOnFilterPage(code, fundCode, error) ||
        !ClickFilterPageButton(FundFilterPage::kFollowId, error))
        return false;
    bool followed = m_host.ConcernFunds() != nullptr && m_host.ConcernFunds()->IsConcerned(fundCode);
    std::string said = messageSince(boxes);
    if (!ClickFilterPageButton(FundFilterPage::kClearId, error))
        return false;
    if (!followed) {
        error = "the fund " + code.ToUtf8() + " is not followed" + said;
        return false;
    }
    return true;
}

bool ScriptRunner::BringRowIntoView(Control::XDataGrid& grid, int row, RECT& cell) {
    // The wheel turns towards the row until its cell lies wholly in the rows' area; the cell of
    // the first column that shows is the one to click.
    auto visibleCell = [&](RECT& out) {
        RECT data = grid.GetDataRect();
        for (int c = 0; c < grid.GetColumnCount(); ++c) {
            RECT r = grid.GetCellRect(row, c);
            int middle = (r.left + r.right) / 2;
            if (r.top >= data.top && r.bottom <= data.bottom && r.bottom > r.top && middle >= data.left &&
                middle < data.right) {
                out = r;
                return true;
            }
        }
        return false;
    };
    for (int turns = 0; turns < 1000; ++turns) {
        if (visibleCell(cell))
            return true;
        RECT data = grid.GetDataRect();
        int top = grid.GetTopRow();
        POINT p{(data.left + data.right) / 2, (data.top + data.bottom) / 2};
        ClientToScreen(grid, &p);
        PlatformMouseWheel(p.x, p.y, row < top ? 1 : -1);
        Settle();
        if (grid.GetTopRow() == top)
            break; // the list scrolls no further
    }
    return visibleCell(cell);
}

HWND ScriptRunner::WorkspaceWindow() const {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumChildWindows(
        m_host.Frame()->Window(),
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != CompareWorkspace::kWindowClass)
                return TRUE;
            reinterpret_cast<Search*>(context)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ScriptRunner::ShowWorkspace(std::string& error) {
    HWND workspace = WorkspaceWindow();
    if (workspace != nullptr && IsWindowVisible(workspace))
        return true;
    return Tab(XStringW(kWorkspaceTitle), error);
}

bool ScriptRunner::ClickPageTab(int index, std::string& error) {
    HWND workspace = WorkspaceWindow();
    Control::XTableHeader* header = nullptr;
    // The workspace's own tab header, not one inside a page.
    if (workspace != nullptr)
        findChild(workspace, [&](HWND w) {
            header = GetParent(w) == workspace
                         ? dynamic_cast<Control::XTableHeader*>(Control::XWin::FromHandle(w))
                         : nullptr;
            return header != nullptr;
        });
    if (header == nullptr) {
        error = "the comparison workspace shows no page tabs";
        return false;
    }
    RECT r = header->GetButtonRect(index);
    RECT client{};
    GetClientRect(*header, &client);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (r.right <= r.left || !PtInRect(&client, p)) {
        error = "the comparison workspace does not show page tab " + std::to_string(index + 1);
        return false;
    }
    ClientToScreen(*header, &p);
    PlatformClick(p.x, p.y);
    Settle();
    if (header->GetCurrSel() != index || VisiblePage() == nullptr) {
        error = "the page of tab " + std::to_string(index + 1) + " did not show";
        return false;
    }
    return true;
}

bool ScriptRunner::ClickWorkspaceButton(const wchar_t* caption, std::string& error) {
    HWND button = findChild(WorkspaceWindow(), [caption](HWND w) {
        wchar_t text[64] = {};
        GetWindowTextW(w, text, 64);
        return std::wstring(text) == caption;
    });
    if (button == nullptr) {
        error = "the comparison workspace has no button '" + XStringW(caption).ToUtf8() + "'";
        return false;
    }
    ClickWindow(button);
    Settle();
    return true;
}

bool ScriptRunner::AddThroughPicker(const XStringW& code, std::string& error) {
    if (!ShowWorkspace(error))
        return false;
    Control::XComboEx* picker = nullptr;
    findChild(WorkspaceWindow(), [&](HWND w) {
        picker = dynamic_cast<Control::XComboEx*>(Control::XWin::FromHandle(w));
        return picker != nullptr;
    });
    if (picker == nullptr) {
        error = "the comparison workspace has no fund picker";
        return false;
    }
    // Type the code into the picker and press Enter there, as a person adds a fund.
    ClickWindow(*picker);
    Settle();
    PlatformKeyPress(VK_END);
    for (int i = 0; i < 64; ++i)
        PlatformKeyPress(VK_BACK);
    PlatformTypeText(code.str());
    Settle();
    XStringW fundCode = picker->GetCurrCode();
    if (fundCode.empty()) {
        error = "the fund picker finds no fund " + code.ToUtf8();
        PlatformKeyPress(VK_ESCAPE);
        Settle();
        return false;
    }
    size_t boxes = PlatformMessageBoxCount();
    PlatformKeyPress(VK_RETURN);
    Settle();
    PlatformKeyPress(VK_ESCAPE);
    // A fund already compared is refused with a message and is still compared: that passes. A
    // fund that is not compared afterwards was not added, whatever the program said.
    IFundCompareModule* module = m_host.CompareModule();
    if (module == nullptr || !module->IsCompared(fundCode)) {
        error = "the fund " + code.ToUtf8() + " was not added" + messageSince(boxes);
        return false;
    }
    m_touched.insert(fundCode);
    return true;
}

bool ScriptRunner::Clear(std::string& error) {
    if (!ShowWorkspace(error))
        return false;
    // The funds that may be compared: those added here, and those the general page shows as
    // columns (named by their codes), whoever added them.
    std::set<XStringW> candidates = m_touched;
    HWND general = findChild(WorkspaceWindow(), [](HWND w) {
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        return std::wstring(name) == CompareWorkspace::kGeneralPageClass;
    });
    if (general != nullptr)
        findChild(general, [&](HWND w) {
            if (auto* grid = dynamic_cast<Control::XDataGrid*>(Control::XWin::FromHandle(w)))
                for (int c = 0; c < grid->GetColumnCount(); ++c)
                    candidates.insert(grid->GetColumn(c)->name);
            return false;
        });
    if (!ClickWorkspaceButton(CompareWorkspace::kClearButton, error))
        return false;
    IFundCompareModule* module = m_host.CompareModule();
    for (const XStringW& code : candidates)
        if (module == nullptr || module->IsCompared(code)) {
            error = "the fund " + code.ToUtf8() + " is still compared after clearing";
            return false;
        }
    return true;
}

HWND ScriptRunner::VisiblePage() const {
    HWND workspace = WorkspaceWindow();
    if (workspace == nullptr || !IsWindowVisible(workspace))
        return nullptr;
    return findChild(workspace, [workspace](HWND w) {
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        return GetParent(w) == workspace && IsWindowVisible(w) &&
               std::wstring(name).rfind(CompareWorkspace::kClassPrefix, 0) == 0;
    });
}

bool ScriptRunner::ChooseInPageBox(const XStringW& item, std::string& error) {
    HWND page = VisiblePage();
    HWND box = page != nullptr ? GetDlgItem(page, CompareWorkspace::kChoiceBoxId) : nullptr;
    if (box == nullptr || !IsWindowVisible(box)) {
        error = "the visible page has no choice box";
        return false;
    }
    LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR) {
        error = "the page's box offers no '" + item.ToUtf8() + "'";
        return false;
    }
    // Open the list with a click, walk to the item with the keys and take it with Enter.
    ClickWindow(box);
    Settle();
    PlatformKeyPress(VK_HOME);
    for (LRESULT i = 0; i < index; ++i)
        PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RETURN);
    Settle();
    if (SendMessageW(box, CB_GETCURSEL, 0, 0) != index) {
        error = "the page's box did not take '" + item.ToUtf8() + "'";
        return false;
    }
    return true;
}

bool ScriptRunner::PickFilterValue(const XStringW& value, std::string& error) {
    HWND page = VisiblePage();
    HWND panel = page != nullptr
                     ? findChild(page,
                                 [](HWND w) {
                                     wchar_t name[64] = {};
                                     GetClassNameW(w, name, 64);
                                     return std::wstring(name) == CompareWorkspace::kFilterPanelClass &&
                                            IsWindowVisible(w);
                                 })
                     : nullptr;
    HWND button =
        panel != nullptr ? findChild(panel, [](HWND w) { return IsWindowVisible(w) != FALSE; }) : nullptr;
    if (button == nullptr) {
        error = "the visible page has no filter";
        return false;
    }
    std::wstring caption = value == XStringW(L"all") ? CompareWorkspace::kShowAllItem : value.str();
    PlatformSetMenuHook(PlatformMenuPickCaption(caption));
    size_t menusBefore = PlatformMenuCount();
    ClickWindow(button);
    Settle();
    PlatformSetMenuHook({});
    if (PlatformMenuCount() == menusBefore || !PlatformMenus().back().picked) {
        error = "the filter offers no '" + value.ToUtf8() + "'";
        return false;
    }
    return true;
}

bool ScriptRunner::RemoveFund(const XStringW& code, std::string& error) {
    HWND page = VisiblePage();
    std::vector<Control::DataGridEx*> grids;
    if (page != nullptr)
        EnumChildWindows(page, &collectGrids, reinterpret_cast<LPARAM>(&grids));
    for (Control::DataGridEx* grid : grids) {
        int rows = static_cast<int>(SendMessageW(*grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
        for (int r = 0; r < rows; ++r) {
            XStringW alias, own;
            grid->DragItemToString(r, XStringW(L"aliascode"), alias);
            grid->DragItemToString(r, XStringW(L"code"), own);
            if (alias != code && own != code)
                continue;
            // Bring the row into view, then right-click it and pick the removal.
            RECT cell{};
            if (!BringRowIntoView(*grid, r, cell)) {
                error = "cannot bring the fund " + code.ToUtf8() + " into view";
                return false;
            }
            POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
            ClientToScreen(*grid, &p);
            PlatformClick(p.x, p.y);
            Settle();
            size_t menus = PlatformMenuCount();
            PlatformSetMenuHook(PlatformMenuPickCaption(CompareWorkspace::kRemoveItem));
            PlatformClick(p.x, p.y, PlatformMouseButton::Right);
            Settle();
            PlatformSetMenuHook({});
            if (PlatformMenuCount() == menus || !PlatformMenus().back().picked) {
                error = "the list's menu offers no removal of " + code.ToUtf8();
                return false;
            }
            // The lists carry the fund's alias code, not always its own: a removal took effect
            // when the page lists the fund no more and the module no longer compares the code.
            Settle();
            IFundCompareModule* module = m_host.CompareModule();
            if (module == nullptr || module->IsCompared(code) || (!own.empty() && module->IsCompared(own)) ||
                PageListsFund(code)) {
                error = "the fund " + code.ToUtf8() + " is still compared after its removal";
                return false;
            }
            return true;
        }
    }
    error = "the visible page lists no fund " + code.ToUtf8();
    return false;
}

bool ScriptRunner::PageListsFund(const XStringW& code) {
    HWND page = VisiblePage();
    std::vector<Control::DataGridEx*> grids;
    if (page != nullptr)
        EnumChildWindows(page, &collectGrids, reinterpret_cast<LPARAM>(&grids));
    for (Control::DataGridEx* grid : grids) {
        int rows = static_cast<int>(SendMessageW(*grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
        for (int r = 0; r < rows; ++r) {
            XStringW alias, own;
            grid->DragItemToString(r, XStringW(L"aliascode"), alias);
            grid->DragItemToString(r, XStringW(L"code"), own);
            if (alias == code || own == code)
                return true;
        }
    }
    return false;
}

bool ScriptRunner::Tab(const XStringW& name, std::string& error) {
    MainFrame* frame = m_host.Frame();
    TabCtrl* tabs = frame->FundFilterTab();
    auto page = kPageTabs.find(name.str());
    std::wstring frameTitle = page != kPageTabs.end() ? kWorkspaceTitle : name.str();
    if (name == XStringW(L"fundfilter"))
        frameTitle = L"基金筛选";
    for (int i = 0; i < tabs->PageCount(); ++i) {
        XStringW title;
        tabs->Page(i)->GetTitle(title);
        if (title.str() != frameTitle)
            continue;
        ClickAt(frame->TabRect(i));
        Settle();
        if (tabs->Current() != i) {
            error = "the tab '" + XStringW(frameTitle).ToUtf8() + "' did not show";
            return false;
        }
        return page == kPageTabs.end() || ClickPageTab(page->second, error);
    }
    error = "there is no tab '" + name.ToUtf8() + "'";
    return false;
}

bool ScriptRunner::Theme(const std::string& name, std::string& error) {
    XComPtr<Conf::ITheme> theme;
    XStringW current;
    if (m_host.Themes()->GetCurrentTheme(theme.Receive()))
        theme->GetName(current);
    if (current.ToUtf8() == name)
        return true;
    ClickAt(m_host.Frame()->ThemeSwitchRect());
    Settle();
    if (m_host.Themes()->GetCurrentTheme(theme.Receive()))
        theme->GetName(current);
    if (current.ToUtf8() != name) {
        error = "the theme did not switch to " + name;
        return false;
    }
    return true;
}

namespace {

// A caption as the script names it: without '&' marks and without a trailing "(&X)" group, and a
// named set's item also by its name alone (its caption adds the fund count in brackets).
bool captionMatches(const std::wstring& caption, const std::wstring& wanted) {
    std::wstring plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size() && caption[i + 1] != L'&')
            continue;
        if (caption[i] == L'(' && i + 3 < caption.size() && caption[i + 1] == L'&' &&
            caption[i + 3] == L')') {
            i += 3;
            continue;
        }
        plain += caption[i];
    }
    return plain == wanted || plain.rfind(wanted + L"（", 0) == 0;
}

std::optional<UINT> findPath(const std::vector<PlatformMenuItem>& items,
                             const std::vector<std::wstring>& path, size_t at) {
    for (const PlatformMenuItem& item : items) {
        if (item.separator || !captionMatches(item.caption, path[at]))
            continue;
        if (at + 1 == path.size()) {
            if (item.subMenu.empty())
                return item.id;
        } else if (auto inner = findPath(item.subMenu, path, at + 1)) {
            return inner;
        }
    }
    return std::nullopt;
}

} // namespace

PlatformMenuHook ScriptRunner::PickPath(const std::shared_ptr<PendingPick>& pick) {
    const std::wstring& text = pick->caption;
    std::vector<std::wstring> path;
    size_t start = 0;
    for (;;) {
        size_t gap = text.find(L" > ", start);
        path.push_back(text.substr(start, gap == std::wstring::npos ? std::wstring::npos : gap - start));
        if (gap == std::wstring::npos)
            break;
        start = gap + 3;
    }
    // One menu only: the hook removes itself once it has answered, and tells the runner whether
    // the item was there.
    return [path, pick](HWND, POINT, const std::vector<PlatformMenuItem>& items) {
        std::optional<UINT> picked = findPath(items, path, 0);
        pick->answered = true;
        pick->found = picked.has_value();
        PlatformSetMenuHook({});
        return picked;
    };
}

bool ScriptRunner::Press(const XStringW& caption, std::string& error) {
    auto matches = [&](HWND w) {
        wchar_t name[64] = {}, text[128] = {};
        GetClassNameW(w, name, 64);
        GetWindowTextW(w, text, 128);
        return std::wstring(name) == L"Button" && IsWindowVisible(w) && captionMatches(text, caption.str());
    };
    // The import's window stands over the frame: its buttons come first.
    HWND button = nullptr;
    if (m_host.Data() != nullptr && m_host.Data()->Importer().Window() != nullptr)
        button = findChild(m_host.Data()->Importer().Window(), matches);
    if (button == nullptr)
        button = findChild(m_host.Frame()->Window(), matches);
    if (button == nullptr) {
        error = "there is no visible button '" + caption.ToUtf8() + "'";
        return false;
    }
    if (!IsWindowEnabled(button)) {
        error = "the button '" + caption.ToUtf8() + "' is disabled";
        return false;
    }
    ClickWindow(button);
    return true;
}

namespace {

// The extension of a file name, in lower case, without its dot; empty when there is none.
std::wstring extensionOf(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    size_t slash = path.rfind(L'/');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) || dot + 1 == path.size())
        return {};
    std::wstring extension = path.substr(dot + 1);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return extension;
}

// The first bytes each kind of file the export writes starts with.
bool startsAsExpected(const std::string& path, const std::wstring& extension) {
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    std::string start(head, static_cast<size_t>(in.gcount()));
    if (extension == L"png")
        return start == "\x89PNG\r\n\x1a\n";
    if (extension == L"xlsx")
        return start.compare(0, 4, "PK\x03\x04") == 0;
    return start.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

} // namespace

bool ScriptRunner::Export(const XStringW& file, std::string& error) {
    std::wstring path = file.str();
    // The type follows the extension, whatever its case; a name without one of the three would be
    // written under another name than the script gave.
    std::wstring extension = extensionOf(path);
    if (extension != L"xlsx" && extension != L"csv" && extension != L"png") {
        error = "cannot tell what to export to '" + file.ToUtf8() +
                "': the name must end in .xlsx, .csv (a list) or .png (a chart)";
        return false;
    }
    bool picture = extension == L"png";
    auto before = fileVersion(file.ToUtf8());
    HWND target = nullptr;
    std::vector<Control::DataGridEx*> grids;
    EnumChildWindows(m_host.Frame()->Window(), &collectGrids, reinterpret_cast<LPARAM>(&grids));
    if (picture) {
        target = findChild(m_host.Frame()->Window(),
                           [](HWND w) { return IsWindowVisible(w) && Control::IsChartWindow(w); });
    } else if (!grids.empty()) {
        target = *grids.front();
    }
    if (target == nullptr) {
        error = picture ? "the visible page shows no chart" : "the visible page shows no list to export";
        return false;
    }
    // A right click on the list's header (or anywhere on a chart) opens the menu without touching
    // the selection; the save dialog is answered with the file.
    RECT r{};
    GetWindowRect(target, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (!picture) {
        RECT header = grids.front()->GetHeaderRect();
        p = POINT{(header.left + header.right) / 2, (header.top + header.bottom) / 2};
        ClientToScreen(target, &p);
    }
    size_t dialogsBefore = PlatformSaveDialogCount();
    PlatformSetSaveDialogHook(
        [path](const PlatformSaveDialogRequest&) { return std::optional<std::wstring>(path); });
    PlatformSetMenuHook(PlatformMenuPickCaption(picture ? L"保存图片..." : L"导出..."));
    size_t boxesBefore = PlatformMessageBoxCount();
    PlatformClick(p.x, p.y, PlatformMouseButton::Right);
    Settle();
    PlatformSetMenuHook({});
    PlatformSetSaveDialogHook({});
    if (PlatformSaveDialogCount() == dialogsBefore) {
        error = "the list's menu offered no export";
        return false;
    }
    if (PlatformMessageBoxCount() > boxesBefore) {
        error = "the export failed: " + XStringW(PlatformMessageBoxes().back().text).ToUtf8();
        return false;
    }
    // The file named is the one written, and it is of the kind its name says.
    auto after = fileVersion(file.ToUtf8());
    if (!after || after == before || !startsAsExpected(file.ToUtf8(), extension)) {
        error = "the export wrote no " + XStringW(extension).ToUtf8() + " file '" + file.ToUtf8() + "'";
        return false;
    }
    std::printf("export: %s\n", file.ToUtf8().c_str());
    return true;
}

bool ScriptRunner::Report(const XStringW& file, std::string& error) {
    if (!ShowWorkspace(error))
        return false;
    const std::string path = file.ToUtf8();
    const auto before = fileVersion(path);
    const size_t boxesBefore = PlatformMessageBoxCount();
    const size_t dialogsBefore = PlatformSaveDialogCount();
    const std::wstring answer = file.str();
    PlatformSetSaveDialogHook(
        [answer](const PlatformSaveDialogRequest&) { return std::optional<std::wstring>(answer); });
    const bool pressed = ClickWorkspaceButton(CompareWorkspace::kReportButton, error);
    PlatformSetSaveDialogHook({});
    if (!pressed)
        return false;
    if (PlatformSaveDialogCount() == dialogsBefore) {
        error = "the report button showed no save dialog";
        return false;
    }
    // The pages are written one turn of the loop at a time (a page waiting for its data on a timer)
    // and the file by a worker thread: the loop runs, and the clock moves, until either is done.
    for (int turn = 0; turn < 30000; ++turn) {
        if (PlatformMessageBoxCount() > boxesBefore) {
            error = "the report failed: " + XStringW(PlatformMessageBoxes().back().text).ToUtf8();
            return false;
        }
        const auto after = fileVersion(path);
        if (after && after != before) {
            Settle();
            std::printf("report: %s\n", path.c_str());
            return true;
        }
        PlatformAdvanceClock(20);
        Settle();
        usleep(1000);
    }
    error = "the report was not written to '" + path + "'";
    return false;
}

namespace {

struct CommandSearch {
    Control::ScriptCommand* command = nullptr;
    bool answered = false;
};

BOOL CALLBACK offerCommand(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<CommandSearch*>(context);
    if (IsWindowVisible(window) && SendMessageW(window, Control::kScriptCommandMessage, 0,
                                                reinterpret_cast<LPARAM>(search->command)) != 0)
        search->answered = true;
    return !search->answered;
}

} // namespace

bool ScriptRunner::PageCommand(const wchar_t* verb, const XStringW& argument, std::string& error) {
    Control::ScriptCommand command;
    command.verb = verb;
    command.argument = argument;
    CommandSearch search{&command};
    EnumChildWindows(m_host.Frame()->Window(), &offerCommand, reinterpret_cast<LPARAM>(&search));
    if (!search.answered) {
        error = "the visible page has no " + XStringW(verb).ToUtf8() + " to choose (show 走势对比 first)";
        return false;
    }
    Settle();
    if (!command.ok) {
        error = XStringW(verb).ToUtf8() + " " + argument.ToUtf8() + ": " + command.error.ToUtf8();
        return false;
    }
    return true;
}

bool ScriptRunner::Key(const std::string& name, std::string& error) {
    // Modifiers before the key: Ctrl+S, Shift+Tab, Alt+G, Ctrl+Shift+Tab.
    std::vector<UINT> modifiers;
    std::string rest = name;
    for (;;) {
        size_t plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 >= rest.size())
            break;
        std::string modifier = rest.substr(0, plus);
        if (modifier == "Ctrl")
            modifiers.push_back(VK_CONTROL);
        else if (modifier == "Shift")
            modifiers.push_back(VK_SHIFT);
        else if (modifier == "Alt")
            modifiers.push_back(VK_MENU);
        else
            break;
        rest = rest.substr(plus + 1);
    }
    if (!modifiers.empty()) {
        std::string inner;
        if (!Key(rest, inner, modifiers)) {
            error = inner.empty() ? "unknown key '" + name + "'" : inner;
            return false;
        }
        return true;
    }
    return Key(name, error, {});
}

bool ScriptRunner::Key(const std::string& name, std::string& error, const std::vector<UINT>& modifiers) {
    static const std::map<std::string, UINT> kKeys = {
        {"Enter", VK_RETURN},  {"Escape", VK_ESCAPE}, {"Up", VK_UP},     {"Down", VK_DOWN},
        {"Left", VK_LEFT},     {"Right", VK_RIGHT},   {"Home", VK_HOME}, {"End", VK_END},
        {"PageUp", VK_PRIOR},  {"PageDown", VK_NEXT}, {"Tab", VK_TAB},   {"Backspace", VK_BACK},
        {"Delete", VK_DELETE}, {"Space", VK_SPACE},
    };
    auto it = kKeys.find(name);
    UINT key = 0;
    if (it != kKeys.end()) {
        key = it->second;
    } else if (name.size() == 1 &&
               ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
        key = static_cast<UINT>(name[0]);
    } else if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') {
        key = static_cast<UINT>(name[0] - 'a' + 'A');
    } else {
        error = "unknown key '" + name + "'";
        return false;
    }
    for (UINT modifier : modifiers)
        PlatformKeyDown(modifier);
    PlatformKeyPress(key);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        PlatformKeyUp(*m);
    return true;
}

namespace {

BOOL CALLBACK findStarMap(HWND window, LPARAM context) {
    auto** map = reinterpret_cast<Control::FundStarMap**>(context);
    if (IsWindowVisible(window))
        *map = dynamic_cast<Control::FundStarMap*>(Control::XWin::FromHandle(window));
    return *map == nullptr;
}

// The stars of a map as it read them from its delegate, one line each, in its reading order:
// label, name, subtitle, the two figures in the delegate's own text, and the kind of mark.
void writeStars(std::ostream& out, Control::FundStarMap& map) {
    out << "标签\t名称\t说明\t标准差\t收益率\t图标\n";
    Control::FundStarMapDelegate* delegate = map.GetDelegate();
    auto percent = [delegate](double value) {
        if (delegate != nullptr)
            return delegate->FormatPercent(value);
        return XStringW().Format(L"%.2f%%", value);
    };
    for (const Control::StarInfo& star : map.GetStars())
        out << cellForTsv(star.starLabel) << "\t" << cellForTsv(star.name) << "\t"
            << cellForTsv(star.subtitle) << "\t" << cellForTsv(percent(star.stdDev)) << "\t"
            << cellForTsv(percent(star.returnValue)) << "\t" << star.kind << "\n";
}

} // namespace

bool ScriptRunner::Dump(const std::string& path, std::string& error) {
    std::ostringstream out;
    // A page that shows a star map (risk and return) is dumped as its stars.
    Control::FundStarMap* map = nullptr;
    EnumChildWindows(m_host.Frame()->Window(), &findStarMap, reinterpret_cast<LPARAM>(&map));
    if (map != nullptr) {
        writeStars(out, *map);
    } else {
        std::vector<Control::DataGridEx*> grids;
        EnumChildWindows(m_host.Frame()->Window(), &collectGrids, reinterpret_cast<LPARAM>(&grids));
        if (grids.empty()) {
            error = "the visible page shows no list to dump";
            return false;
        }
        for (size_t g = 0; g < grids.size(); ++g) {
            // The same reading of the list as its export, so that a dump shows what a file holds.
            Control::DataGridEx::Sheet sheet = grids[g]->ReadSheet(false);
            if (g > 0)
                out << "\n";
            for (size_t c = 0; c < sheet.columns.size(); ++c)
                out << (c > 0 ? "\t" : "") << cellForTsv(sheet.columns[c].title);
            out << "\n";
            for (const auto& row : sheet.rows) {
                for (size_t c = 0; c < row.size(); ++c)
                    out << (c > 0 ? "\t" : "") << cellForTsv(row[c]);
                out << "\n";
            }
        }
    }
    // Written whole or not at all, so that a write the disk refused fails the line instead of
    // leaving a short file behind a success.
    std::string reason;
    if (!HostKernel::AtomicFile::WriteWhole(path, out.str(), reason)) {
        error = reason;
        return false;
    }
    std::printf("dump: %s\n", path.c_str());
    return true;
}

bool ScriptRunner::Sort(const XStringW& field, bool ascending, std::string& error) {
    std::vector<Control::DataGridEx*> grids;
    EnumChildWindows(m_host.Frame()->Window(), &collectGrids, reinterpret_cast<LPARAM>(&grids));
    for (Control::DataGridEx* grid : grids) {
        for (int c = 0; c < grid->GetColumnCount(); ++c) {
            if (grid->GetColumn(c)->name != field)
                continue;
            // A click sorts or turns the direction round: two clicks reach either direction.
            for (int attempt = 0; attempt < 3; ++attempt) {
                if (grid->GetSortColumn() == field && grid->GetSortAscending() == ascending)
                    return true;
                RECT header = grid->GetHeaderRect();
                RECT cell = grid->GetCellRect(0, c);
                POINT p{(cell.left + cell.right) / 2, (header.top + header.bottom) / 2};
                ClientToScreen(*grid, &p);
                PlatformClick(p.x, p.y);
                Settle();
            }
            error = "the list does not sort by '" + field.ToUtf8() + "'";
            return false;
        }
    }
    error = "the visible page has no column '" + field.ToUtf8() + "'";
    return false;
}

bool ScriptRunner::ExpectMessage(const XStringW& text, std::string& error) {
    const auto& boxes = PlatformMessageBoxes();
    if (boxes.empty()) {
        error = "no message box was shown (expected '" + text.ToUtf8() + "')";
        return false;
    }
    if (boxes.back().text != text.str()) {
        error = "the last message box said '" + XStringW(boxes.back().text).ToUtf8() + "', not '" +
                text.ToUtf8() + "'";
        return false;
    }
    return true;
}

// ---- The "数据" menu ------------------------------------------------------------------------------

bool ScriptRunner::DataMenu(const wchar_t* item, const std::vector<std::wstring>& paths, std::string& error) {
    RECT button = m_host.Frame()->ButtonRect(DataCommands::kButtonId);
    if (IsRectEmpty(&button)) {
        error = "the toolbar has no button 数据";
        return false;
    }
    const size_t dialogsBefore = PlatformOpenDialogCount();
    PlatformSetOpenDialogHook([paths](const PlatformOpenDialogRequest&) { return std::optional(paths); });
    PlatformSetMenuHook(PlatformMenuPickCaption(item));
    ClickAt(button);
    Settle();
    PlatformSetMenuHook({});
    PlatformSetOpenDialogHook({});
    if (PlatformOpenDialogCount() == dialogsBefore) {
        error = "the menu of 数据 offered no '" + XStringW(item).ToUtf8() + "'";
        return false;
    }
    if (PlatformOpenDialogs().back().answer.empty()) {
        error = "the open dialog refused the answer";
        return false;
    }
    return true;
}

bool ScriptRunner::OpenDatabase(const XStringW& file, std::string& error) {
    const size_t boxes = PlatformMessageBoxCount();
    if (!DataMenu(DataCommands::kOpenItem, {file.str()}, error))
        return false;
    if (PlatformMessageBoxCount() > boxes) {
        error = "the database did not open" + messageSince(boxes);
        return false;
    }
    if (m_host.DatabasePath() != file.ToUtf8()) {
        error = "the window still shows '" + m_host.DatabasePath() + "'";
        return false;
    }
    return true;
}

bool ScriptRunner::Import(const XStringW& files, std::string& error) {
    std::vector<std::wstring> paths;
    std::wistringstream words(files.str());
    for (std::wstring path; words >> path;)
        paths.push_back(path);
    const size_t boxes = PlatformMessageBoxCount();
    if (!DataMenu(DataCommands::kImportItem, paths, error))
        return false;
    // The worker has ended by now (the headless screen waits for announced work); the window
    // shows its summary.
    ImportWindow& importer = m_host.Data()->Importer();
    if (importer.Window() == nullptr || importer.Busy() || importer.CopyText().empty()) {
        error = "no import ran" + messageSince(boxes);
        return false;
    }
    std::printf("import: %s\n", XStringW(importer.Lines().front()).ToUtf8().c_str());
    return true;
}
