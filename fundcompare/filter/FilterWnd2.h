// FilterWnd2: the strip of drop-down buttons above a page grid. Each button stands for one
// condition on a field of the grid's data; its menu lists the field's values, and ticking values
// attaches a MultiValueFilter to the grid's display view, so that the view keeps only the rows
// whose field holds one of the ticked values. The panel never touches rows itself.
//
// Sections: conditions and values; the drop-down button; the panel's public operations; the
// command handlers; state.
#pragma once

#include "filter/MultiValueFilter.h"

#include "wgui/Button.h"
#include "wgui/GdiObject.h"
#include "wgui/ToolTipCtrl.h"
#include "wgui/WindowProc.h"

#include <sdk/Conf.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

#include <deque>
#include <list>
#include <map>
#include <memory>
#include <vector>

class GeneralDataGrid;

// One condition a page registers: a field, the caption while nothing is ticked, the text put in
// front of the ticked values, and its flags.
struct FilterCondition {
    enum Flags {
        kButtonAtOnce = 1, // the button exists from registration on and offers "show all"
        kMultiple = 4,     // several values at once; picking a ticked value unticks it
        kVisible = 16,     // the button is shown
    };
    XStringW field;
    XStringW title;
    XStringW prompt;
    int flags = 0;
};

// A value offered in a condition's menu: the text shown, and the key the filter compares with the
// field's cell text.
struct FilterValue {
    XStringW text;
    XStringW key;
};

class FilterWnd2 : public Data::IDataViewEvent {
public:
    // Command ids of the panel.
    static constexpr UINT kShowAllId = 103;      // "显示所有(&A)" in a button's menu
    static constexpr UINT kFirstButtonId = 104;  // condition buttons, at most 301 at a time
    static constexpr UINT kLastButtonId = 404;   //
    static constexpr UINT kFirstValueId = 405;   // value items of the open menu
    static constexpr UINT kLastValueId = 705;    //
    static constexpr int kMaxCaptionLength = 30; // longer captions move to the tooltip
    static constexpr int kMaxShownValues = 3;    // more ticked values move to the tooltip

    // A condition button: an ordinary push button that paints its own caption, left-aligned,
    // and a small downward triangle over the ordinary face, and carries its own tooltip.
    class DropdownButton : public WGUI::Button {
    public:
        static constexpr int kTextMargin = 10; // on each side of the caption
        static constexpr int kTipWidth = 300;

        DropdownButton() = default;
        ~DropdownButton() override;

        // Creates the "Button" window and routes its messages here.
        bool Create(HWND parent, UINT id, bool visible);
        bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

        void SetCaption(const XStringW& caption);
        const XStringW& GetCaption() const { return m_caption; }
        // A non-empty text makes the tooltip window on first use and sets one tool over the whole
        // button; an empty text removes the tool.
        void SetTooltipText(const XStringW& text);
        const XStringW& GetTooltipText() const { return m_tooltipText; }
        HWND GetTooltipWindow() const { return m_tooltip.GetHandle(); }

    private:
        void DrawOverFace();

        WGUI::WindowProc m_binder;
        WGUI::ToolTipCtrl m_tooltip;
        XStringW m_caption;
        XStringW m_tooltipText;
        bool m_hasTool = false;
    };

    // What the panel knows of one button.
    struct ConditionState {
        FilterCondition condition;
        UINT commandId = 0;
        XComPtr<MultiValueFilter> filter; // empty while nothing is ticked
        DropdownButton* button = nullptr; // owned by the panel's button list
        std::vector<FilterValue> ticked;  // in the order they were ticked
    };

    // An item of the menu built for a button, kept until the next menu is built.
    struct MenuEntry {
        UINT id = 0; // 0 for a separator
        XStringW caption;
        bool checked = false;
        ULONG_PTR data = 0;
    };

    FilterWnd2();
    ~FilterWnd2();
    FilterWnd2(const FilterWnd2&) = delete;
    FilterWnd2& operator=(const FilterWnd2&) = delete;

    // The panel belongs to its page: the views' references to it count for nothing.
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }
    void OnBeforeChange(Data::IDataView*) override {}
    void OnAfterChange(Data::IDataView*) override {}

    // ---- Public operations ----
    // The grid whose display view the panel filters; without one, value picks are ignored.
    void SetTarget(GeneralDataGrid* grid) { m_target = grid; }
    // A visible child of the parent with an empty rectangle; the parent places it.
    HWND Create(HWND parent);
    HWND GetHandle() const { return m_hWnd; }
    // False, and nothing changes, when the field already has a condition.
    bool AddCondition(const FilterCondition& condition);
    // Values may come before or after their condition; menus are built from the list each time.
    void AddValue(const XStringW& field, const XStringW& text, const XStringW& key);
    // Gives a field other values (their names changed with the data): what was ticked is unticked.
    void ReplaceValues(const XStringW& field, const std::vector<FilterValue>& values);
    void ApplyTheme(Conf::ITheme* theme);
    // Picks a value of a field as its menu item does: ticks it, or unticks a ticked value of a
    // multiple-choice condition. False when the field or the value is unknown or nothing can be
    // filtered.
    bool PickValue(const XStringW& field, const XStringW& key);

    // Builds the menu of a button as its click shows it, kept until the next one is built; the
    // "show all" and value commands refer to it. False when the id has no condition.
    bool BuildMenu(UINT buttonId);

    // ---- Inspection ----
    // The panel of a panel window, null for any other window.
    static FilterWnd2* FromHandle(HWND window);
    const std::vector<FilterCondition>& Conditions() const { return m_conditions; }
    const ConditionState* FindState(const XStringW& field) const;
    DropdownButton* FindButton(const XStringW& field) const;
    const std::vector<MenuEntry>& GetMenuEntries() const { return m_menuEntries; }
    COLORREF GetBackground() const { return m_background; }

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    LRESULT OnEraseBackground(HDC dc);
    void OnCommand(UINT id);
    void OnDestroy();

    // ---- Command handlers ----
    void OpenMenu(UINT buttonId);
    void PickMenuValue(UINT menuId);
    void Pick(const FilterCondition& condition, const FilterValue& value);
    void Tick(ConditionState& state, const FilterValue& value);
    void Untick(ConditionState& state, const FilterValue& value);
    void ShowAll(UINT buttonId);
    void ClearCondition(ConditionState& state);

    // ---- Buttons ----
    ConditionState* CreateButton(const FilterCondition& condition);
    void RemoveButton(UINT commandId);
    UINT AllocateButtonId();
    void Layout();
    HBRUSH BackgroundBrush();
    ConditionState* StateOf(const XStringW& field) const;
    const FilterCondition* ConditionOf(const XStringW& field) const;

    HWND m_hWnd = nullptr;
    GeneralDataGrid* m_target = nullptr; // borrowed
    std::vector<FilterCondition> m_conditions;
    std::map<XStringW, std::vector<FilterValue>> m_values;
    std::list<std::unique_ptr<DropdownButton>> m_buttons; // newest first
    std::map<XStringW, UINT> m_buttonIds;
    std::map<UINT, std::unique_ptr<ConditionState>> m_states;
    std::vector<MenuEntry> m_menuEntries;
    std::map<UINT, std::pair<XStringW, FilterValue>> m_menuValues; // menu id -> (field, value)
    UINT m_nextButtonId = kFirstButtonId;
    std::deque<UINT> m_freeButtonIds;
    COLORREF m_background = RGB(255, 255, 255);
    gdiobj::GdiObject<HBRUSH> m_brush;
};
