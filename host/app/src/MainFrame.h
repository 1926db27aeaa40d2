// MainFrame: "mod_MainFrame", the host's top-level window — a toolbar whose buttons fire events,
// the tab control "kap_tab_fundfilter" holding the pages of modules, and a status bar.
//
// Layout, top to bottom: toolbar, tab strip, the current page, status bar. Heights come from the
// theme ("toolbar_height", "tab_height", "statusbar_height").
#pragma once

#include <hostkernel/RefCounted.h>
#include <platform/windows.h>
#include <sdk/ControlStatusNote.h>
#include <sdk/Modules.h>

#include <functional>
#include <string>
#include <vector>

class MainFrame;

// A strip of tabs, each holding one module page. The page window is created the first time its
// tab is shown.
class TabCtrl final : public HostKernel::RefCounted<ITabCtrl> {
public:
    TabCtrl(MainFrame* frame, std::string id) : m_frame(frame), m_id(std::move(id)) {}

    void AddPage(ITabPage* page) override;
    void RemovePage(ITabPage* page) override;
    // Puts a page in another's place (shown when that one was); false when `old` is not a page.
    bool ReplacePage(ITabPage* old, ITabPage* page);

    const std::string& Id() const { return m_id; }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    ITabPage* Page(int index) const;
    int IndexOf(ITabPage* page) const;
    int Current() const { return m_current; }
    // Shows the page of a tab (creating its window if needed) and hides the others.
    void Activate(int index);
    // The title of the page shown, empty when none is; and showing the page of a title (false
    // when no page has it), so that a session can come back on the tab it ended on.
    std::wstring CurrentTitle() const;
    bool ActivateTitled(const std::wstring& title);
    // Moves the current page into the page area after a resize.
    void Layout();
    // Drops every page (at shut-down).
    void Clear() { m_pages.clear(); }

private:
    ~TabCtrl() override = default;

    MainFrame* m_frame;
    std::string m_id;
    std::vector<XComPtr<ITabPage>> m_pages;
    int m_current = -1;
};

class MainFrame final : public HostKernel::RefCounted<IMainFrameModule> {
public:
    static constexpr const char* kId = "mod_MainFrame";
    static constexpr const char* kFundFilterTab = "kap_tab_fundfilter";

    MainFrame();

    // Creates the top-level window at the given size; false when that fails.
    bool Create(int width, int height, const std::wstring& title);
    void Destroy();
    HWND Window() const { return m_window; }

    // A host button placed like any module's (the host's own action instead of an event).
    void AddHostButton(const char* anchorId, const char* buttonId, const std::wstring& caption,
                       std::function<void()> action);
    // Called with the theme name when the theme button is pressed.
    void SetThemeSwitch(std::function<void()> action) { m_themeSwitch = std::move(action); }
    void ApplyTheme(Conf::ITheme* theme);
    void SetStatus(const std::wstring& text);
    // A note at the right end of the status bar that stays while the status changes: where the
    // data come from. The status gives way to it when the bar is too narrow for both.
    void SetSourceNote(const std::wstring& text);
    const std::wstring& SourceNote() const { return m_sourceNote; }
    // A note with an optional action link after its text (Control::kStatusNoteMessage).
    void SetStatusNote(const Control::StatusNote& note);
    const std::wstring& Status() const { return m_status; }
    const std::wstring& StatusAction() const { return m_statusAction; }
    // Where the status note's action link is drawn, in frame client coordinates; empty without one.
    RECT StatusActionRect() const { return m_actionRect; }
    // The frame's window rectangle as last sized or moved (still known after the window is gone).
    RECT LastWindowRect() const { return m_lastRect; }
    // The smallest size the user can give the frame: room for the workspace's strip and a page.
    static constexpr int kMinWidth = 760, kMinHeight = 520;

    // Where a button, a tab or the theme switch is drawn, in frame client coordinates (for the
    // scripted runs, which click them as a person would). Empty when there is none.
    RECT ButtonRect(const std::string& buttonId) const;
    RECT TabRect(int index) const;
    RECT ThemeSwitchRect() const;
    RECT PageArea() const;
    TabCtrl* FundFilterTab() const { return m_tab; }

    bool GetInfo(ModuleInfo& info) override;
    int Load(void*, void*) override { return 0; }
    int Initialize(IApp*, XStringW&) override { return 0; }
    void Uninitialize() override {}
    bool GetTabCtrl(ITabCtrl** tabCtrl, const char* tabId) override;
    void ActivatePage(ITabPage* page) override;
    bool AddButton(const char* anchorId, const char* buttonId, const ButtonDesc& button) override;

    void Invalidate();

    // For HostWindowProcedure.
    void BindWindow(HWND window) { m_window = window; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    ~MainFrame() override;

    struct Button {
        std::string id;
        std::wstring caption;
        XComPtr<Kernel::IEvent> event;
        std::function<void()> action;
        RECT rect{};
    };
    struct Colours {
        COLORREF frame = RGB(11, 13, 18), toolbar = RGB(21, 25, 34), toolbarText = RGB(220, 224, 230),
                 toolbarHot = RGB(43, 52, 71), border = RGB(46, 52, 64), tab = RGB(16, 19, 26),
                 tabText = RGB(170, 176, 186), tabSelected = RGB(43, 52, 71),
                 tabSelectedText = RGB(255, 214, 0), status = RGB(21, 25, 34),
                 statusText = RGB(170, 176, 186);
    };

    void OnPaint();
    void OnLeftButtonUp(int x, int y);
    void OnMouseMove(int x, int y);
    void LayoutBars();
    void Press(const Button& button);
    bool InsertButton(const char* anchorId, Button button);
    HFONT Font(const wchar_t* face, int pixels, bool bold) const;

    HWND m_window = nullptr;
    std::vector<Button> m_buttons;
    XComPtr<TabCtrl> m_tab;
    std::function<void()> m_themeSwitch;
    std::wstring m_status;
    std::wstring m_sourceNote;
    std::wstring m_statusAction;
    HWND m_actionTarget = nullptr;
    UINT m_actionCommand = 0;
    RECT m_actionRect{};
    RECT m_lastRect{};
    std::wstring m_themeCaption = L"浅色主题";
    Colours m_colours;
    int m_toolbarHeight = 34, m_tabHeight = 28, m_statusHeight = 22;
    HFONT m_toolbarFont = nullptr, m_tabFont = nullptr, m_statusFont = nullptr;
    int m_hotButton = -1;
    RECT m_themeRect{};
};
