// MainFrame: the frame window, its toolbar, tab strip and status bar.
//
// Sections: the tab control; the frame's module contract; the window and its handlers; painting.
#include "MainFrame.h"

#include "HostWindow.h"

#include <algorithm>

namespace {

const wchar_t kFrameClass[] = L"FundHostFrame";
constexpr int kButtonPadding = 14;
constexpr int kTabPadding = 18;

int textWidth(HDC dc, HFONT font, const std::wstring& text) {
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void drawText(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT rect, UINT format) {
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

bool inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

// ---- The tab control ------------------------------------------------------------------------------

void TabCtrl::AddPage(ITabPage* page) {
    if (page == nullptr || IndexOf(page) >= 0)
        return;
    m_pages.emplace_back(page);
    if (m_current < 0 && m_frame->Window() != nullptr)
        Activate(0);
    m_frame->Invalidate();
}

void TabCtrl::RemovePage(ITabPage* page) {
    int index = IndexOf(page);
    if (index < 0)
        return;
    XComPtr<ITabPage> keep = m_pages[static_cast<size_t>(index)];
    m_pages.erase(m_pages.begin() + index);
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    if (m_current < 0 && !m_pages.empty() && m_frame->Window() != nullptr)
        Activate(0);
    m_frame->Invalidate();
}

bool TabCtrl::ReplacePage(ITabPage* old, ITabPage* page) {
    int index = IndexOf(old);
    if (index < 0 || page == nullptr || IndexOf(page) >= 0)
        return false;
    XComPtr<ITabPage> keep = m_pages[static_cast<size_t>(index)];
    m_pages[static_cast<size_t>(index)] = page;
    if (m_current == index) {
        if (old->IsCreated())
            old->Hide();
        Activate(index);
    }
    m_frame->Invalidate();
    return true;
}

ITabPage* TabCtrl::Page(int index) const {
    return index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)].Get() : nullptr;
}

int TabCtrl::IndexOf(ITabPage* page) const {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].Get() == page)
            return static_cast<int>(i);
    return -1;
}

void TabCtrl::Activate(int index) {
    ITabPage* page = Page(index);
    if (page == nullptr || m_frame->Window() == nullptr)
        return;
    if (!page->IsCreated())
        page->Create(m_frame->Window(), this);
    m_current = index;
    Layout();
    // Hide the others before showing this one, so that two pages never show together.
    for (int i = 0; i < PageCount(); ++i)
        if (i != index && Page(i)->IsCreated())
            Page(i)->Hide();
    page->Show();
    page->OnActivated();
    m_frame->Invalidate();
}

std::wstring TabCtrl::CurrentTitle() const {
    XStringW title;
    if (ITabPage* page = Page(m_current))
        page->GetTitle(title);
    return title.str();
}

bool TabCtrl::ActivateTitled(const std::wstring& title) {
    for (int i = 0; i < PageCount(); ++i) {
        XStringW pageTitle;
        Page(i)->GetTitle(pageTitle);
        if (!title.empty() && pageTitle.str() == title) {
            if (i != m_current)
                Activate(i);
            return true;
        }
    }
    return false;
}

void TabCtrl::Layout() {
    ITabPage* page = Page(m_current);
    if (page == nullptr || !page->IsCreated())
        return;
    RECT area = m_frame->PageArea();
    page->Move(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

// ---- The frame's module contract ------------------------------------------------------------------

MainFrame::MainFrame() {
    m_tab.Attach(new TabCtrl(this, kFundFilterTab));
}

MainFrame::~MainFrame() {
    for (HFONT font : {m_toolbarFont, m_tabFont, m_statusFont})
        if (font != nullptr)
            DeleteObject(font);
}

bool MainFrame::GetInfo(ModuleInfo& info) {
    info.id = kId;
    info.title = L"主窗口";
    info.number = 1;
    info.version = 0x01000001;
    return true;
}

bool MainFrame::GetTabCtrl(ITabCtrl** tabCtrl, const char* tabId) {
    if (tabCtrl == nullptr)
        return false;
    *tabCtrl = nullptr;
    if (tabId == nullptr || m_tab->Id() != tabId)
        return false;
    *tabCtrl = m_tab;
    (*tabCtrl)->AddRef();
    return true;
}

void MainFrame::ActivatePage(ITabPage* page) {
    int index = m_tab->IndexOf(page);
    if (index >= 0)
        m_tab->Activate(index);
}

bool MainFrame::AddButton(const char* anchorId, const char* buttonId, const ButtonDesc& desc) {
    Button button;
    button.id = buttonId != nullptr ? buttonId : "";
    button.caption = desc.caption.str();
    button.event = desc.event;
    return InsertButton(anchorId, std::move(button));
}

void MainFrame::AddHostButton(const char* anchorId, const char* buttonId, const std::wstring& caption,
                              std::function<void()> action) {
    Button button;
    button.id = buttonId;
    button.caption = caption;
    button.action = std::move(action);
    InsertButton(anchorId, std::move(button));
}

bool MainFrame::InsertButton(const char* anchorId, Button button) {
    if (button.id.empty())
        return false;
    for (const Button& b : m_buttons)
        if (b.id == button.id)
            return false;
    // After the anchor; at the end when the anchor is unknown.
    auto at = m_buttons.end();
    for (auto it = m_buttons.begin(); anchorId != nullptr && it != m_buttons.end(); ++it)
        if (it->id == anchorId)
            at = it + 1;
    m_buttons.insert(at, std::move(button));
    LayoutBars();
    Invalidate();
    return true;
}

void MainFrame::SetStatus(const std::wstring& text) {
    m_status = text;
    m_statusAction.clear();
    m_actionTarget = nullptr;
    m_actionCommand = 0;
    m_actionRect = RECT{};
    Invalidate();
}

void MainFrame::SetSourceNote(const std::wstring& text) {
    m_sourceNote = text;
    Invalidate();
}

void MainFrame::SetStatusNote(const Control::StatusNote& note) {
    SetStatus(note.text.str());
    m_statusAction = note.action.str();
    m_actionTarget = note.target;
    m_actionCommand = note.command;
}

RECT MainFrame::ButtonRect(const std::string& buttonId) const {
    for (const Button& b : m_buttons)
        if (b.id == buttonId)
            return b.rect;
    return RECT{};
}

RECT MainFrame::TabRect(int index) const {
    if (index < 0 || index >= m_tab->PageCount() || m_window == nullptr)
        return RECT{};
    HDC dc = GetDC(m_window);
    int x = 6;
    RECT rect{};
    for (int i = 0; i <= index; ++i) {
        XStringW title;
        m_tab->Page(i)->GetTitle(title);
        int width = textWidth(dc, m_tabFont, title.str()) + 2 * kTabPadding;
        rect = RECT{x, m_toolbarHeight + 3, x + width, m_toolbarHeight + m_tabHeight};
        x += width + 2;
    }
    ReleaseDC(m_window, dc);
    return rect;
}

RECT MainFrame::ThemeSwitchRect() const {
    return m_themeRect;
}

RECT MainFrame::PageArea() const {
    RECT client{};
    if (m_window != nullptr)
        GetClientRect(m_window, &client);
    int top = m_toolbarHeight + m_tabHeight;
    return RECT{0, top, client.right, std::max<LONG>(top, client.bottom - m_statusHeight)};
}

// ---- The window and its handlers ------------------------------------------------------------------

bool MainFrame::Create(int width, int height, const std::wstring& title) {
    if (!RegisterHostClass(kFrameClass, &HostWindowProcedure<MainFrame>, CS_HREDRAW | CS_VREDRAW))
        return false;
    if (m_toolbarFont == nullptr) {
        m_toolbarFont = Font(L"WenQuanYi Micro Hei", 13, false);
        m_tabFont = Font(L"WenQuanYi Micro Hei", 13, false);
        m_statusFont = Font(L"WenQuanYi Micro Hei", 12, false);
    }
    m_window = CreateWindowExW(0, kFrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                               width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (m_window == nullptr)
        return false;
    LayoutBars();
    ShowWindow(m_window, SW_SHOW);
    if (m_tab->PageCount() > 0 && m_tab->Current() < 0)
        m_tab->Activate(0);
    return true;
}

void MainFrame::Destroy() {
    if (m_window != nullptr)
        DestroyWindow(m_window);
    m_tab->Clear();
}

void MainFrame::Invalidate() {
    if (m_window != nullptr)
        InvalidateRect(m_window, nullptr, FALSE);
}

LRESULT MainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (!IsIconic(m_window))
            GetWindowRect(m_window, &m_lastRect);
        LayoutBars();
        m_tab->Layout();
        Invalidate();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_MOUSELEAVE:
        m_hotButton = -1;
        Invalidate();
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_MOVE:
        if (!IsIconic(m_window))
            GetWindowRect(m_window, &m_lastRect);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
        return 0;
    }
    case Control::kStatusNoteMessage:
        if (lParam == 0)
            return 0;
        SetStatusNote(*reinterpret_cast<const Control::StatusNote*>(lParam));
        return 1;
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

void MainFrame::Press(const Button& button) {
    // Copies, because the action may add or remove buttons.
    auto action = button.action;
    XComPtr<Kernel::IEvent> event = button.event;
    if (action)
        action();
    else if (event != nullptr)
        event->Fire(nullptr);
}

void MainFrame::OnLeftButtonUp(int x, int y) {
    if (!m_statusAction.empty() && inside(m_actionRect, x, y)) {
        // The note's action goes to its window; the note has done its work.
        HWND target = m_actionTarget;
        UINT command = m_actionCommand;
        SetStatus(std::wstring());
        if (target != nullptr && IsWindow(target))
            SendMessageW(target, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        return;
    }
    for (const Button& b : m_buttons)
        if (inside(b.rect, x, y)) {
            Press(b);
            return;
        }
    if (inside(m_themeRect, x, y)) {
        if (m_themeSwitch)
            m_themeSwitch();
        return;
    }
    for (int i = 0; i < m_tab->PageCount(); ++i)
        if (inside(TabRect(i), x, y)) {
            m_tab->Activate(i);
            return;
        }
}

void MainFrame::OnMouseMove(int x, int y) {
    int hot = -1;
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (inside(m_buttons[i].rect, x, y))
            hot = static_cast<int>(i);
    if (hot != m_hotButton) {
        m_hotButton = hot;
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_window, 0};
        TrackMouseEvent(&track);
        Invalidate();
    }
}

void MainFrame::LayoutBars() {
    if (m_window == nullptr)
        return;
    HDC dc = GetDC(m_window);
    int x = 8;
    for (Button& b : m_buttons) {
        int width = textWidth(dc, m_toolbarFont, b.caption) + 2 * kButtonPadding;
        b.rect = RECT{x, 4, x + width, m_toolbarHeight - 4};
        x += width + 4;
    }
    RECT client{};
    GetClientRect(m_window, &client);
    int width = textWidth(dc, m_toolbarFont, m_themeCaption) + 2 * kButtonPadding;
    m_themeRect = RECT{client.right - 8 - width, 4, client.right - 8, m_toolbarHeight - 4};
    ReleaseDC(m_window, dc);
}

HFONT MainFrame::Font(const wchar_t* face, int pixels, bool bold) const {
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                       0, 0, 0, face);
}

void MainFrame::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("frame_bg", m_colours.frame);
    theme->GetColor("toolbar_bg", m_colours.toolbar);
    theme->GetColor("toolbar_text", m_colours.toolbarText);
    theme->GetColor("toolbar_hot_bg", m_colours.toolbarHot);
    theme->GetColor("toolbar_border", m_colours.border);
    theme->GetColor("tab_bg", m_colours.tab);
    theme->GetColor("tab_text", m_colours.tabText);
    theme->GetColor("tab_sel_bg", m_colours.tabSelected);
    theme->GetColor("tab_sel_text", m_colours.tabSelectedText);
    theme->GetColor("statusbar_bg", m_colours.status);
    theme->GetColor("statusbar_text", m_colours.statusText);
    auto number = [theme](const char* key, int fallback) {
        int n = theme->GetNumber(key);
        return n > 0 ? n : fallback;
    };
    m_toolbarHeight = number("toolbar_height", 34);
    m_tabHeight = number("tab_height", 28);
    m_statusHeight = number("statusbar_height", 22);
    auto font = [&](const char* key, HFONT& target, int fallback) {
        Conf::ThemeFont tf;
        tf.face = L"WenQuanYi Micro Hei";
        tf.size = fallback;
        theme->GetFont(key, tf);
        if (target != nullptr)
            DeleteObject(target);
        target = Font(tf.face.c_str(), tf.size > 0 ? tf.size : fallback, tf.weight >= 600);
    };
    font("fntn_toolbar", m_toolbarFont, 13);
    font("fntn_tab", m_tabFont, 13);
    font("fntn_status", m_statusFont, 12);
    XStringW name;
    theme->GetName(name);
    m_themeCaption = name == XStringW(L"light") ? L"深色主题" : L"浅色主题";
    LayoutBars();
    m_tab->Layout();
    Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------------

void MainFrame::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client{};
    GetClientRect(m_window, &client);
    if (client.right <= 0 || client.bottom <= 0) {
        EndPaint(m_window, &ps);
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);

    fill(memory, client, m_colours.frame);
    RECT toolbar{0, 0, client.right, m_toolbarHeight};
    fill(memory, toolbar, m_colours.toolbar);
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const Button& b = m_buttons[i];
        if (static_cast<int>(i) == m_hotButton)
            fill(memory, b.rect, m_colours.toolbarHot);
        drawText(memory, m_toolbarFont, m_colours.toolbarText, b.caption, b.rect, DT_CENTER | DT_VCENTER);
    }
    HBRUSH border = CreateSolidBrush(m_colours.border);
    FrameRect(memory, &m_themeRect, border);
    drawText(memory, m_toolbarFont, m_colours.toolbarText, m_themeCaption, m_themeRect,
             DT_CENTER | DT_VCENTER);

    RECT strip{0, m_toolbarHeight, client.right, m_toolbarHeight + m_tabHeight};
    fill(memory, strip, m_colours.tab);
    RECT line{0, strip.bottom - 1, client.right, strip.bottom};
    FillRect(memory, &line, border);
    for (int i = 0; i < m_tab->PageCount(); ++i) {
        RECT r = TabRect(i);
        XStringW title;
        m_tab->Page(i)->GetTitle(title);
        bool selected = i == m_tab->Current();
        if (selected)
            fill(memory, r, m_colours.tabSelected);
        drawText(memory, m_tabFont, selected ? m_colours.tabSelectedText : m_colours.tabText, title.str(), r,
                 DT_CENTER | DT_VCENTER);
    }

    RECT status{0, client.bottom - m_statusHeight, client.right, client.bottom};
    fill(memory, status, m_colours.status);
    RECT statusLine{0, status.top, client.right, status.top + 1};
    FillRect(memory, &statusLine, border);
    RECT statusText{status.left + 8, status.top, status.right - 8, status.bottom};
    if (!m_sourceNote.empty()) {
        // The source note keeps its full width up to the bar's; the status takes what is left.
        int noteWidth = std::min<int>(textWidth(memory, m_statusFont, m_sourceNote),
                                      std::max<int>(0, statusText.right - statusText.left));
        RECT note{statusText.right - noteWidth, status.top, statusText.right, status.bottom};
        drawText(memory, m_statusFont, m_colours.statusText, m_sourceNote, note,
                 DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS);
        statusText.right = std::max<LONG>(statusText.left, note.left - 24);
    }
    // The action link stays whole; the text before it is cut short when space runs out.
    const int actionWidth = m_statusAction.empty() ? 0 : textWidth(memory, m_statusFont, m_statusAction);
    RECT text = statusText;
    if (actionWidth > 0)
        text.right = std::max<LONG>(text.left, text.right - actionWidth - 12);
    drawText(memory, m_statusFont, m_colours.statusText, m_status, text,
             DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);
    m_actionRect = RECT{};
    if (!m_statusAction.empty()) {
        // The note's action, as a link after the text.
        int shown = std::min<int>(textWidth(memory, m_statusFont, m_status), text.right - text.left);
        int left = statusText.left + shown + 12;
        m_actionRect = RECT{left, status.top + 2, left + actionWidth, status.bottom - 2};
        drawText(memory, m_statusFont, m_colours.tabSelectedText, m_statusAction, m_actionRect,
                 DT_LEFT | DT_VCENTER);
        RECT underline{m_actionRect.left, m_actionRect.bottom - 2, m_actionRect.right,
                       m_actionRect.bottom - 1};
        fill(memory, underline, m_colours.tabSelectedText);
    }
    DeleteObject(border);

    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(m_window, &ps);
}
