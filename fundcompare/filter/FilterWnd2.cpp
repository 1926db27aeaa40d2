// FilterWnd2: the panel window, its condition buttons, their menus, and the ticking and unticking
// of values with the captions and tooltips that follow.
//
// Sections: the drop-down button; the panel window and its messages; public operations; menus
// and picks; ticking; buttons and layout.
#include "filter/FilterWnd2.h"

#include "filter/FilterMenu.h"

#include "grid/GeneralDataGrid.h"
#include "wgui/ModuleInstance.h"
#include "wgui/ToolInfo.h"

#include <algorithm>
#include <string>

#include <sdk/CompareWorkspace.h>

namespace {

const wchar_t* const kPanelClass = CompareWorkspace::kFilterPanelClass;
const wchar_t* const kShowAllCaption = CompareWorkspace::kShowAllItem;
const wchar_t* const kManyConditions = L"：多个筛选条件";
const wchar_t* const kSeparator = L"，";

XStringW JoinTexts(const std::vector<FilterValue>& values) {
    XStringW joined;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            joined += kSeparator;
        joined += values[i].text;
    }
    return joined;
}

bool Contains(const MultiValueFilter* filter, const XStringW& key) {
    if (filter == nullptr)
        return false;
    const auto& values = filter->AcceptedValues();
    return std::find(values.begin(), values.end(), key) != values.end();
}

// Groups the changes of one pick so that the view filters once, at the end.
class ViewUpdate {
public:
    explicit ViewUpdate(Data::IDataView* view) {
        if (view != nullptr)
            view->BeginUpdate(m_context.Receive());
    }
    ~ViewUpdate() {
        if (m_context)
            m_context->Commit();
    }

private:
    XComPtr<Data::IUpdateContext> m_context;
};

} // namespace

// ---- The drop-down button ------------------------------------------------------------------------

FilterWnd2::DropdownButton::~DropdownButton() {
    // The tooltip is a pop-up owned by the button, not a child: it does not go with the panel.
    if (m_tooltip.IsWindow())
        m_tooltip.DestroyWindow();
}

bool FilterWnd2::DropdownButton::Create(HWND parent, UINT id, bool visible) {
    DWORD style = WS_CHILD | (visible ? WS_VISIBLE : 0);
    HWND window = WGUI::Button::Create(parent, nullptr, nullptr, style, 0,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    if (window == nullptr)
        return false;
    m_binder.Subclass(this);
    return true;
}

bool FilterWnd2::DropdownButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        // The ordinary face first, then the caption and the triangle over it.
        result = m_binder.CallDefault(message, wParam, lParam);
        DrawOverFace();
        return true;
    case WM_LBUTTONUP:
        Invalidate(FALSE);
        return false;
    default:
        return false;
    }
}

void FilterWnd2::DropdownButton::DrawOverFace() {
    HDC dc = ::GetDC(m_hWnd);
    if (dc == nullptr)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    // The caption and the triangle are written in the button text colour of the face under them;
    // the black a fresh DC starts with vanishes on a dark face.
    const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
    COLORREF oldColour = ::SetTextColor(dc, ink);
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc, ink);
    RECT text = client;
    text.left += kTextMargin;
    text.right -= kTextMargin;
    if (!m_caption.empty())
        ::DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.size()), &text,
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER);

    // A downward triangle of five shrinking lines near the right edge.
    const int right = client.right;
    const int middle = (client.bottom - client.top) / 2;
    for (int line = 0; line < 5; ++line) {
        ::MoveToEx(dc, right - 16 + line, middle - 1 + line, nullptr);
        ::LineTo(dc, right - 7 - line, middle - 1 + line);
    }
    ::SelectObject(dc, oldPen);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);
}

void FilterWnd2::DropdownButton::SetCaption(const XStringW& caption) {
    m_caption = caption;
    if (IsWindow())
        Invalidate(TRUE);
}

void FilterWnd2::DropdownButton::SetTooltipText(const XStringW& text) {
    m_tooltipText = text;
    if (!IsWindow())
        return;
    if (text.empty()) {
        if (m_hasTool && m_tooltip.IsWindow()) {
            WGUI::ToolInfo tool(TTF_SUBCLASS | TTF_TRANSPARENT, m_hWnd);
            m_tooltip.DelTool(&tool);
        }
        m_hasTool = false;
        return;
    }
    if (!m_tooltip.IsWindow())
        m_tooltip.Create(m_hWnd, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle, WGUI::ToolTipCtrl::kExStyle);
    if (!m_tooltip.IsWindow())
        return; // without tooltips the text is still kept for the next attempt
    WGUI::ToolInfo tool(TTF_SUBCLASS | TTF_TRANSPARENT, m_hWnd, 0, nullptr,
                        const_cast<LPWSTR>(m_tooltipText.c_str()));
    m_tooltip.DelTool(&tool);
    m_tooltip.SetMaxTipWidth(kTipWidth);
    m_tooltip.AddTool(&tool);
    m_hasTool = true;
}

// ---- The panel window and its messages -----------------------------------------------------------

FilterWnd2::FilterWnd2() = default;

FilterWnd2::~FilterWnd2() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    OnDestroy();
}

HWND FilterWnd2::Create(HWND parent) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = StaticWndProc;
        wc.hInstance = WGUI::ModuleInstance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = kPanelClass;
        return ::RegisterClassExW(&wc) != 0;
    }();
    if (!registered || m_hWnd != nullptr)
        return nullptr;
    return ::CreateWindowExW(0, kPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             parent, nullptr, WGUI::ModuleInstance(), this);
}

LRESULT CALLBACK FilterWnd2::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* panel = reinterpret_cast<FilterWnd2*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        panel = static_cast<FilterWnd2*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        panel->m_hWnd = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(panel));
    }
    if (panel == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return panel->WndProc(message, wParam, lParam);
}

LRESULT FilterWnd2::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_SIZE:
        Layout();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(BackgroundBrush());
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NCDESTROY: {
        HWND window = m_hWnd;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

LRESULT FilterWnd2::OnCreate() {
    // Conditions registered before the window existed get their buttons now.
    for (const FilterCondition& condition : m_conditions)
        if ((condition.flags & FilterCondition::kButtonAtOnce) != 0 && StateOf(condition.field) == nullptr)
            if (ConditionState* state = CreateButton(condition))
                state->button->SetCaption(condition.title);
    Layout();
    return 0;
}

LRESULT FilterWnd2::OnEraseBackground(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, BackgroundBrush());
    return 1;
}

void FilterWnd2::OnCommand(UINT id) {
    if (id == kShowAllId) {
        auto entry = std::find_if(m_menuEntries.begin(), m_menuEntries.end(),
                                  [](const MenuEntry& e) { return e.id == kShowAllId; });
        if (entry != m_menuEntries.end())
            ShowAll(static_cast<UINT>(entry->data));
    } else if (id >= kFirstButtonId && id <= kLastButtonId) {
        OpenMenu(id);
    } else if (id >= kFirstValueId && id <= kLastValueId) {
        PickMenuValue(id);
    }
}

void FilterWnd2::OnDestroy() {
    // The button windows go with the panel; their wrappers, the states and their filters go here.
    m_menuEntries.clear();
    m_menuValues.clear();
    m_states.clear();
    m_buttonIds.clear();
    m_buttons.clear();
}

// ---- Public operations ---------------------------------------------------------------------------

bool FilterWnd2::AddCondition(const FilterCondition& condition) {
    if (ConditionOf(condition.field) != nullptr)
        return false;
    m_conditions.push_back(condition);
    if ((condition.flags & FilterCondition::kButtonAtOnce) != 0 && m_hWnd != nullptr) {
        if (ConditionState* state = CreateButton(condition))
            state->button->SetCaption(condition.title);
        Layout();
    }
    return true;
}

void FilterWnd2::AddValue(const XStringW& field, const XStringW& text, const XStringW& key) {
    m_values[field].push_back(FilterValue{text, key});
}

void FilterWnd2::ReplaceValues(const XStringW& field, const std::vector<FilterValue>& values) {
    if (ConditionState* state = StateOf(field); state != nullptr && !state->ticked.empty())
        ClearCondition(*state);
    m_values[field] = values;
}

void FilterWnd2::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_background);
    m_brush.Replace(::CreateSolidBrush(m_background));
    for (auto& button : m_buttons)
        if (button->IsWindow())
            button->Invalidate(TRUE);
    if (m_hWnd != nullptr)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

FilterWnd2* FilterWnd2::FromHandle(HWND window) {
    wchar_t name[64] = {};
    if (window == nullptr || ::GetClassNameW(window, name, 64) == 0 || std::wstring(name) != kPanelClass)
        return nullptr;
    return reinterpret_cast<FilterWnd2*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool FilterWnd2::PickValue(const XStringW& field, const XStringW& key) {
    const FilterCondition* condition = ConditionOf(field);
    auto values = m_values.find(field);
    if (condition == nullptr || values == m_values.end() || m_target == nullptr ||
        !m_target->GetDisplayView())
        return false;
    auto value = std::find_if(values->second.begin(), values->second.end(),
                              [&key](const FilterValue& v) { return v.key == key; });
    if (value == values->second.end())
        return false;
    // Copies: a pick may remove the state, and a later AddValue may move the list.
    Pick(FilterCondition(*condition), FilterValue(*value));
    return true;
}

const FilterWnd2::ConditionState* FilterWnd2::FindState(const XStringW& field) const {
    return StateOf(field);
}

FilterWnd2::DropdownButton* FilterWnd2::FindButton(const XStringW& field) const {
    const ConditionState* state = StateOf(field);
    return state != nullptr ? state->button : nullptr;
}

// ---- Menus and picks -----------------------------------------------------------------------------

bool FilterWnd2::BuildMenu(UINT buttonId) {
    m_menuEntries.clear();
    m_menuValues.clear();
    auto found = m_states.find(buttonId);
    if (found == m_states.end())
        return false;
    const ConditionState& state = *found->second;
    if ((state.condition.flags & FilterCondition::kButtonAtOnce) != 0) {
        bool nothingTicked = !state.filter || state.filter->AcceptedValues().empty();
        m_menuEntries.push_back(MenuEntry{kShowAllId, kShowAllCaption, nothingTicked, buttonId});
    }
    auto values = m_values.find(state.condition.field);
    if (values == m_values.end() || values->second.empty())
        return true;
    m_menuEntries.push_back(MenuEntry{});
    UINT id = kFirstValueId;
    for (const FilterValue& value : values->second) {
        // Items past the last value id could never be picked, so they are not offered.
        if (id > kLastValueId)
            break;
        m_menuEntries.push_back(MenuEntry{id, value.text, Contains(state.filter, value.key), 0});
        m_menuValues.emplace(id, std::make_pair(state.condition.field, value));
        ++id;
    }
    return true;
}

void FilterWnd2::OpenMenu(UINT buttonId) {
    auto found = m_states.find(buttonId);
    if (found == m_states.end() || found->second->button == nullptr ||
        !found->second->button->IsWindowVisible())
        return;
    DropdownButton* button = found->second->button;
    if (!BuildMenu(buttonId))
        return;
    RECT rect;
    button->GetWindowRect(&rect);
    // The command comes back to the panel as WM_COMMAND.
    TrackFilterMenu(m_hWnd, m_menuEntries, rect.right, rect.bottom);
}

void FilterWnd2::PickMenuValue(UINT menuId) {
    auto found = m_menuValues.find(menuId);
    if (found == m_menuValues.end() || m_target == nullptr)
        return;
    const FilterCondition* condition = ConditionOf(found->second.first);
    if (condition == nullptr)
        return;
    Pick(FilterCondition(*condition), FilterValue(found->second.second));
}

void FilterWnd2::Pick(const FilterCondition& condition, const FilterValue& value) {
    ConditionState* state = StateOf(condition.field);
    bool untick = (condition.flags & FilterCondition::kMultiple) != 0 && state != nullptr && state->filter &&
                  Contains(state->filter, value.key);
    if (untick) {
        Untick(*state, value);
        return;
    }
    if (state == nullptr) {
        state = CreateButton(condition);
        if (state == nullptr)
            return;
        state->button->SetCaption(condition.prompt + condition.title);
    }
    Tick(*state, value);
}

// ---- Ticking -------------------------------------------------------------------------------------

void FilterWnd2::Tick(ConditionState& state, const FilterValue& value) {
    XComPtr<Data::IDataView> view = m_target->GetDisplayView();
    if (!view)
        return;
    {
        ViewUpdate update(view);
        if (!state.filter) {
            state.filter.Attach(new MultiValueFilter());
            state.filter->SetField(state.condition.field.c_str());
            view->AddFilter(state.filter);
        }
        if ((state.condition.flags & FilterCondition::kMultiple) == 0) {
            state.filter->ClearValues();
            state.ticked.clear();
        }
        state.filter->AddValue(value.key);
        bool alreadyTicked = std::any_of(state.ticked.begin(), state.ticked.end(),
                                         [&value](const FilterValue& v) { return v.key == value.key; });
        if (!alreadyTicked)
            state.ticked.push_back(value);

        XStringW caption = state.condition.prompt + JoinTexts(state.ticked);
        if (static_cast<int>(caption.size()) > kMaxCaptionLength ||
            static_cast<int>(state.filter->AcceptedValues().size()) > kMaxShownValues) {
            state.button->SetTooltipText(caption);
            state.button->SetCaption(state.condition.prompt + state.condition.title + kManyConditions);
        } else {
            state.button->SetTooltipText(XStringW());
            state.button->SetCaption(caption);
        }
        Layout();
    }
}

void FilterWnd2::Untick(ConditionState& state, const FilterValue& value) {
    XComPtr<Data::IDataView> view = m_target->GetDisplayView();
    ViewUpdate update(view);
    state.filter->RemoveValue(value.key);
    std::erase_if(state.ticked, [&value](const FilterValue& v) { return v.key == value.key; });

    XStringW texts = JoinTexts(state.ticked);
    if (static_cast<int>(texts.size()) > kMaxCaptionLength ||
        static_cast<int>(state.filter->AcceptedValues().size()) > kMaxShownValues) {
        state.button->SetTooltipText(texts);
        return;
    }
    if (texts.empty()) {
        ClearCondition(state); // may remove the state and its button
    } else {
        state.button->SetTooltipText(XStringW());
        state.button->SetCaption(texts);
    }
    Layout();
}

void FilterWnd2::ShowAll(UINT buttonId) {
    auto found = m_states.find(buttonId);
    if (found == m_states.end())
        return;
    ClearCondition(*found->second);
    Layout();
}

void FilterWnd2::ClearCondition(ConditionState& state) {
    // An empty filter would keep no row at all, so a cleared condition never leaves one behind.
    if (state.filter) {
        if (m_target != nullptr)
            if (XComPtr<Data::IDataView> view = m_target->GetDisplayView())
                view->RemoveFilter(state.filter);
        state.filter = nullptr;
    }
    state.ticked.clear();
    if ((state.condition.flags & FilterCondition::kButtonAtOnce) != 0) {
        state.button->SetCaption(state.condition.title);
        state.button->SetTooltipText(XStringW());
    } else {
        // A button made by the first tick has nothing left to show.
        RemoveButton(state.commandId);
    }
}

// ---- Buttons and layout --------------------------------------------------------------------------

UINT FilterWnd2::AllocateButtonId() {
    if (!m_freeButtonIds.empty()) {
        UINT id = m_freeButtonIds.front();
        m_freeButtonIds.pop_front();
        return id;
    }
    if (m_nextButtonId > kLastButtonId)
        return 0;
    return m_nextButtonId++;
}

FilterWnd2::ConditionState* FilterWnd2::CreateButton(const FilterCondition& condition) {
    if (m_hWnd == nullptr)
        return nullptr;
    UINT id = AllocateButtonId();
    if (id == 0)
        return nullptr;
    auto button = std::make_unique<DropdownButton>();
    if (!button->Create(m_hWnd, id, (condition.flags & FilterCondition::kVisible) != 0)) {
        m_freeButtonIds.push_front(id);
        return nullptr;
    }
    auto state = std::make_unique<ConditionState>();
    state->condition = condition;
    state->commandId = id;
    state->button = button.get();
    ::SetWindowLongPtrW(*button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
    m_buttons.push_front(std::move(button));
    m_buttonIds[condition.field] = id;
    return m_states.emplace(id, std::move(state)).first->second.get();
}

void FilterWnd2::RemoveButton(UINT commandId) {
    auto found = m_states.find(commandId);
    if (found == m_states.end())
        return;
    DropdownButton* button = found->second->button;
    m_buttonIds.erase(found->second->condition.field);
    m_states.erase(found);
    auto owned =
        std::find_if(m_buttons.begin(), m_buttons.end(),
                     [button](const std::unique_ptr<DropdownButton>& b) { return b.get() == button; });
    if (owned != m_buttons.end()) {
        if ((*owned)->IsWindow())
            (*owned)->DestroyWindow();
        m_buttons.erase(owned);
    }
    m_freeButtonIds.push_back(commandId);
}

void FilterWnd2::Layout() {
    if (m_hWnd == nullptr)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int right = client.right - 5;
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ oldFont = dc != nullptr ? ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT)) : nullptr;
    for (auto& button : m_buttons) {
        if (!button->IsWindow() || (button->GetStyle() & WS_VISIBLE) == 0)
            continue;
        SIZE extent{0, 0};
        const XStringW& caption = button->GetCaption();
        if (dc != nullptr && !caption.empty())
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        int width = extent.cx + 28;
        ::MoveWindow(*button, right - width, client.top, width, client.bottom - client.top, FALSE);
        right -= width + 1;
    }
    if (dc != nullptr) {
        ::SelectObject(dc, oldFont);
        ::ReleaseDC(m_hWnd, dc);
    }
    for (auto& button : m_buttons)
        if (button->IsWindow())
            button->Invalidate(TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

HBRUSH FilterWnd2::BackgroundBrush() {
    if (m_brush.IsNull())
        m_brush.Replace(::CreateSolidBrush(m_background));
    return m_brush;
}

FilterWnd2::ConditionState* FilterWnd2::StateOf(const XStringW& field) const {
    auto id = m_buttonIds.find(field);
    if (id == m_buttonIds.end())
        return nullptr;
    auto state = m_states.find(id->second);
    return state != m_states.end() ? state->second.get() : nullptr;
}

const FilterCondition* FilterWnd2::ConditionOf(const XStringW& field) const {
    auto found = std::find_if(m_conditions.begin(), m_conditions.end(),
                              [&field](const FilterCondition& c) { return c.field == field; });
    return found != m_conditions.end() ? &*found : nullptr;
}
