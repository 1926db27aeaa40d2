// What the fund-comparison module's workspace shows to the rest of the program: the caption of its
// tab in the main frame, the window classes of the workspace, its pages and its filter panels, the
// id of a page's choice box, its page tabs, and the captions of the button and menu items a script
// presses. The module builds its windows with these and the host's script runner finds them by
// them, so that the two cannot drift apart.
#pragma once

#include <cstddef>

namespace CompareWorkspace {

// The caption of the workspace's tab in the main frame.
inline constexpr const wchar_t* kTitle = L"对比分析";
// Every window class of the module starts with this prefix; a page's class is the prefix and the
// page's class name.
inline constexpr const wchar_t* kClassPrefix = L"Quenda2_";
inline constexpr const wchar_t* kWindowClass = L"Quenda2_BackgroundPage";
inline constexpr const wchar_t* kGeneralPageClass = L"Quenda2_GeneralComparePage";
inline constexpr const wchar_t* kFilterPanelClass = L"Quenda2_FilterWnd2";
// The drop-down box at the top right of a page (a report date, or the risk-return horizon).
inline constexpr int kChoiceBoxId = 102;

// The workspace's buttons and menu items that a script presses.
inline constexpr const wchar_t* kClearButton = L"清除对比基金";
inline constexpr const wchar_t* kReportButton = L"导出报告...";
inline constexpr const wchar_t* kRemoveItem = L"从当前对比中移除(&R)";
inline constexpr const wchar_t* kShowAllItem = L"显示所有(&A)";

// The page tabs in their order: the caption, and the name a script may use instead.
struct PageTab {
    const wchar_t* caption;
    const wchar_t* name;
};
inline constexpr PageTab kPageTabs[] = {
    {L"综合对比", L"general"},  {L"业绩表现", L"performance"}, {L"风险回报", L"risk"},
    {L"资产分布", L"asset"},    {L"行业配置", L"industry"},    {L"走势对比", L"growth"},
    {L"持仓对比", L"holdings"}, {L"费率与经理", L"fees"},
};
inline constexpr std::size_t kPageTabCount = sizeof(kPageTabs) / sizeof(kPageTabs[0]);

} // namespace CompareWorkspace
