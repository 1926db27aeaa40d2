// WorkspaceSession: capturing and giving back the workspace's remembered state.
#include "workspace/WorkspaceSession.h"

#include "filter/FilterWnd2.h"
#include "workspace/BackgroundPage.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/ControlDataGrid.h>

namespace {

// The first fund list and the first filter panel among a window's descendants.
struct PageParts {
    Control::DataGridEx* grid = nullptr;
    FilterWnd2* filter = nullptr;
};

PageParts partsOf(HWND page) {
    PageParts parts;
    EnumChildWindows(
        page,
        [](HWND window, LPARAM context) -> BOOL {
            auto* found = reinterpret_cast<PageParts*>(context);
            if (found->grid == nullptr)
                found->grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(window));
            if (found->filter == nullptr)
                found->filter = FilterWnd2::FromHandle(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&parts));
    return parts;
}

XStringW boxText(HWND box) {
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (box == nullptr || index == CB_ERR)
        return XStringW();
    wchar_t text[261] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return XStringW(text);
}

} // namespace

std::string WorkspaceSession::PageKey(ComparePage* page) {
    wchar_t name[64] = {};
    if (page == nullptr || page->GetHandle() == nullptr || GetClassNameW(page->GetHandle(), name, 64) == 0)
        return std::string();
    std::wstring key = name;
    const std::wstring prefix = CompareWorkspace::kClassPrefix;
    if (key.rfind(prefix, 0) == 0)
        key = key.substr(prefix.size());
    return XStringW(key).ToUtf8();
}

void WorkspaceSession::SetPending(const CompareSettings::Session& session) {
    m_pending = session;
    m_hasPending = true;
    m_applied.clear();
}

void WorkspaceSession::OnWorkspaceCreated() {
    if (!m_hasPending)
        return;
    HWND horizon = m_workspace.RiskReturn().HorizonBox().GetHandle();
    int horizons = static_cast<int>(SendMessageW(horizon, CB_GETCOUNT, 0, 0));
    if (m_pending.horizon > 0 && m_pending.horizon < horizons)
        SendMessageW(horizon, CB_SETCURSEL, static_cast<WPARAM>(m_pending.horizon), 0);
    m_workspace.RiskReturn().SetFitToData(m_pending.riskFit);
    if (m_pending.page > 0 && m_pending.page < m_workspace.PageCount())
        m_workspace.Header().SetCurrSel(m_pending.page);
}

void WorkspaceSession::OnPageShown(int index) {
    if (!m_hasPending || m_applied.count(index) != 0)
        return;
    ComparePage* page = m_workspace.Page(index);
    if (page == nullptr)
        return;
    m_applied.insert(index);
    // A report date the page's list still offers is chosen again; the page then loads it.
    if (index == 3 || index == 4) {
        AllocationPage& allocation = index == 3 ? static_cast<AllocationPage&>(m_workspace.Asset())
                                                : static_cast<AllocationPage&>(m_workspace.Industry());
        const XStringW& date = index == 3 ? m_pending.assetDate : m_pending.industryDate;
        HWND box = allocation.DateBox();
        LRESULT at = date.empty() ? CB_ERR
                                  : SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(date.c_str()));
        if (at != CB_ERR && at != SendMessageW(box, CB_GETCURSEL, 0, 0)) {
            SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
            allocation.Reload(false);
        }
    }
    std::string key = PageKey(page);
    PageParts parts = partsOf(page->GetHandle());
    auto filter = m_pending.filters.find(key);
    if (parts.filter != nullptr && filter != m_pending.filters.end() && !parts.filter->Conditions().empty()) {
        const XStringW& field = parts.filter->Conditions().front().field;
        const FilterWnd2::ConditionState* state = parts.filter->FindState(field);
        if (state == nullptr || state->ticked.empty())
            for (const XStringW& value : filter->second)
                parts.filter->PickValue(field, value);
    }
    auto sort = m_pending.sorts.find(key);
    if (parts.grid != nullptr && sort != m_pending.sorts.end())
        parts.grid->SortBy(sort->second.first, sort->second.second);
}

CompareSettings::Session WorkspaceSession::Capture() const {
    CompareSettings::Session session;
    session.page = m_workspace.CurrentTab();
    LRESULT horizon = SendMessageW(m_workspace.RiskReturn().HorizonBox().GetHandle(), CB_GETCURSEL, 0, 0);
    session.horizon = horizon == CB_ERR ? 0 : static_cast<int>(horizon);
    session.riskFit = m_workspace.RiskReturn().FitToData();
    session.assetDate = boxText(m_workspace.Asset().DateBox());
    session.industryDate = boxText(m_workspace.Industry().DateBox());
    for (int i = 0; i < m_workspace.PageCount(); ++i) {
        ComparePage* page = m_workspace.Page(i);
        std::string key = PageKey(page);
        if (key.empty())
            continue;
        // A page not visited in this run keeps what was remembered of it before.
        if (m_hasPending && m_applied.count(i) == 0) {
            if (auto sort = m_pending.sorts.find(key); sort != m_pending.sorts.end())
                session.sorts[key] = sort->second;
            if (auto filter = m_pending.filters.find(key); filter != m_pending.filters.end())
                session.filters[key] = filter->second;
            if (i == 3)
                session.assetDate = m_pending.assetDate;
            if (i == 4)
                session.industryDate = m_pending.industryDate;
            continue;
        }
        PageParts parts = partsOf(page->GetHandle());
        if (parts.grid != nullptr && !parts.grid->GetSortColumn().empty())
            session.sorts[key] = {parts.grid->GetSortColumn(), parts.grid->GetSortAscending()};
        if (parts.filter != nullptr && !parts.filter->Conditions().empty()) {
            const FilterWnd2::ConditionState* state =
                parts.filter->FindState(parts.filter->Conditions().front().field);
            if (state != nullptr)
                for (const auto& value : state->ticked)
                    session.filters[key].push_back(value.key);
        }
    }
    return session;
}
