// ComparePage: the one interface of every comparison page — a hidden child window of the workspace
// with a class of its own ("Quenda2_" + the page class name), a double-buffered background in the
// theme's "wnd_general_bg", the context through which it reaches the module, and the notifications
// the workspace sends every page alike: funds added, removed or cleared, and a result of the
// read-ahead arriving. Each page decides for itself whether a change reloads it now or when it is
// next shown.
#pragma once

#include "grid/GeneralDataGrid.h"
#include "pages/common/AheadResult.h"
#include "pages/common/CompareContext.h"
#include "pages/common/ReportSink.h"
#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/Conf.h>
#include <sdk/XComPtr.h>

#include <optional>

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

    void SetContext(CompareContext* context) { m_context = context; }
    CompareContext* Context() const { return m_context; }
    COLORREF BackgroundColour() const { return m_backColour; }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // ---- What the workspace tells every page ----
    // Reloads when the page window is visible; a hidden page catches up when it is shown.
    virtual void ReloadIfVisible() {}
    // Funds joined the comparison.
    virtual void OnFundsAdded() { ReloadIfVisible(); }
    // Funds left the comparison, or the set changed in any other way (replaced, brought back).
    virtual void OnFundsRemoved() { ReloadIfVisible(); }
    // The comparison was emptied.
    virtual void OnFundsCleared() { ReloadIfVisible(); }
    // The database is another one (or the same one read anew): a page forgets what it read from
    // the old one (universes, report dates, histories) and reads again, now or when next shown.
    virtual void OnDatabaseChanged() { ReloadIfVisible(); }
    // What the page waits for from the read-ahead: set while the page is the current page and says
    // "加载中" for data on their way.
    virtual std::optional<AheadRequest> AwaitedAhead() const { return std::nullopt; }
    // The read-ahead's answer to what the page waited for, delivered once when it arrived; the page
    // takes it and finishes its show.
    virtual void OnReadAhead(AheadResult) {}

    // The page's data are being read ahead: the content window is hidden and the page says
    // "加载中" in its place until the data come (SetLoading false shows the content again).
    void SetLoading(bool loading, HWND content);
    bool IsLoading() const { return m_loading; }
    // The page is the workspace's current page, whether or not the workspace is on screen now.
    bool IsCurrentPage() const;
    // The page's part of a report, written when the page is shown with its data: by default what
    // the page says about its lists (ExportCaption), then each of its lists and charts that shows,
    // in the order the page made them. A page with more to say (pictures in parts) overrides it.
    virtual void WriteReport(ReportSink& sink);
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
    // The context, which a page that reads anything must have been given: without one the page
    // shows nothing, and the failed check says that the workspace forgot it.
    CompareContext* RequireContext() const;
    // A query failed: reported through the context, the page's window owning the message.
    void ReportQueryError(const XStringW& error);
    // Lets a fund list of the page take the funds of its selected rows out of the comparison.
    void LetRemoveFunds(GeneralDataGrid& grid);

    const wchar_t* m_pageClassName;
    WGUI::WindowProc m_binder;
    XComPtr<IXUnknown> m_host;
    CompareContext* m_context = nullptr;
    COLORREF m_backColour = RGB(0, 0, 0);
    gdiobj::GdiObject<HBRUSH> m_backBrush;

private:
    void OnPaint();
    void PaintLoading(HDC dc, const RECT& client) const;

    bool m_loading = false;
    HWND m_loadingContent = nullptr;
};
