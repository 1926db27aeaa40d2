// ReportProgressWindow: the small window over the main window while a report is made, in the look
// of the import's window: a title strip with the file's name, the page being written ("第 3 / 7 页：
// 风险回报"), a progress bar of the steps done (each page, then the file) and "取消". It is not
// modal: the main window keeps its input while the pages go by. Escape, "取消" and closing the window
// ask the job to stop; the job closes the window when the report ends, however it ends.
#pragma once

#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <sdk/Conf.h>
#include <sdk/XStringW.h>

#include <functional>

class ReportProgressWindow : public WGUI::WindowBase {
public:
    static constexpr UINT kCancelId = 311;
    static constexpr int kWidth = 480;

    ReportProgressWindow() = default;
    ~ReportProgressWindow() override;
    ReportProgressWindow(const ReportProgressWindow&) = delete;
    ReportProgressWindow& operator=(const ReportProgressWindow&) = delete;

    // Opens the window centred over the owner's top window with `steps` steps to go, coloured by
    // the screen's theme (the import window's keys). `cancel` is called when the person asks to
    // stop. False when the window cannot be made.
    bool Open(HWND owner, const XStringW& title, int steps, Conf::ITheme* theme,
              std::function<void()> cancel);
    // The bar at `done` of the steps, with the line under the title.
    void SetStep(int done, const XStringW& line);
    // While the file is written nothing can be stopped: "取消" is greyed.
    void SetCancellable(bool cancellable);
    void Close();

    HWND Bar() const { return m_bar; }
    HWND CancelButton() const { return m_cancel; }
    const XStringW& Line() const { return m_line; }
    int Done() const { return m_done; }
    int Steps() const { return m_steps; }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnPaint();

    WGUI::WindowProc m_binder;
    HWND m_bar = nullptr;
    HWND m_cancel = nullptr;
    XStringW m_title;
    XStringW m_line;
    int m_done = 0;
    int m_steps = 1;
    std::function<void()> m_onCancel;
    COLORREF m_back = RGB(21, 25, 34), m_text = RGB(220, 224, 230), m_accent = RGB(255, 214, 0),
             m_border = RGB(46, 52, 64);
    gdiobj::GdiObject<HFONT> m_font;
    gdiobj::GdiObject<HFONT> m_titleFont;
    gdiobj::GdiObject<HBRUSH> m_backBrush;
};
