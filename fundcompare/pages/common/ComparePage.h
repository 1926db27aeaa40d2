// ComparePage: the outline that every comparison page shares — a hidden child window of the
// workspace with a class of its own ("Quenda2_" + the page class name), a double-buffered
// background in the theme's "wnd_general_bg", and the module through which it reaches the host.
#pragma once

#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

class FundCompareModuleImpl;

class ComparePage : public WGUI::WindowBase {
public:
    static constexpr const wchar_t* kLoadingText = L"加载中";

    ~ComparePage() override;

    // Keeps the host object, registers the page class if needed and creates the page window as a
    // hidden child (WS_CHILD | WS_CLIPCHILDREN) of parent; null when that fails.
    virtual HWND Create(HWND parent, IXUnknown* host);
    // Colours of the page itself; pages extend it for their grids and panels. A null theme changes
    // nothing.
    virtual void ApplyTheme(Conf::ITheme* theme);

    void SetModule(FundCompareModuleImpl* module) { m_module = module; }
    FundCompareModuleImpl* Module() const { return m_module; }
    COLORREF BackgroundColour() const { return m_backColour; }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The page's data are being read ahead: the content window is hidden and the page says
    // "加载中" in its place until the data come (SetLoading false shows the content again).
    void SetLoading(bool loading, HWND content);
    bool IsLoading() const { return m_loading; }
    // The page is the workspace's current page, whether or not the workspace is on screen now.
    bool IsCurrentPage() const;
    // What a list exported from the page says above its header besides the page's name: the
    // range, report date or horizon the page shows. Empty when there is nothing to add.
    virtual XStringW ExportCaption() const;

protected:
    explicit ComparePage(const wchar_t* pageClassName);

    // Paints the background into an off-screen bitmap; pages draw their labels on top through
    // PaintOver, in the bitmap's coordinates.
    virtual void PaintOver(HDC dc, const RECT& client);
    // Invalidates with erasing and updates at once, when the window exists.
    void Refresh();

    const wchar_t* m_pageClassName;
    WGUI::WindowProc m_binder;
    XComPtr<IXUnknown> m_host;
    FundCompareModuleImpl* m_module = nullptr;
    COLORREF m_backColour = RGB(0, 0, 0);
    gdiobj::GdiObject<HBRUSH> m_backBrush;

private:
    void OnPaint();
    void PaintLoading(HDC dc, const RECT& client) const;

    bool m_loading = false;
    HWND m_loadingContent = nullptr;
};
