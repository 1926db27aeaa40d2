// CompareSetsMenu: the button, its menu and the steps behind its items.
#include "workspace/CompareSetsMenu.h"

#include "wgui/Verify.h"
#include "workspace/NameDialog.h"
#include "workspace/WorkspaceContext.h"

#include <sdk/ControlStatusNote.h>

namespace {

const wchar_t kCaption[] = L"对比组合(&G)";

// A set's name as a menu caption: '&' would otherwise mark a mnemonic.
std::wstring menuText(const XStringW& name) {
    std::wstring text;
    for (wchar_t c : name.str())
        text += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
    return text;
}

HMENU setsSubMenu(const std::vector<CompareSettings::NamedSet>& sets, UINT first) {
    HMENU menu = CreatePopupMenu();
    if (sets.empty())
        AppendMenuW(menu, MF_STRING | MF_GRAYED, first + CompareSetsMenu::kMaxSets,
                    L"（没有保存的对比组合）");
    for (size_t i = 0; i < sets.size() && i < CompareSetsMenu::kMaxSets; ++i) {
        std::wstring caption =
            menuText(sets[i].name) + L"（" + std::to_wstring(sets[i].funds.size()) + L"只）";
        AppendMenuW(menu, MF_STRING, first + static_cast<UINT>(i), caption.c_str());
    }
    return menu;
}

} // namespace

bool CompareSetsMenu::Create(HWND parent) {
    RECT empty{0, 0, 0, 0};
    if (m_button.Create(parent, &empty, kCaption, WS_CHILD | WS_VISIBLE, 0,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId))) == nullptr)
        return false;
    m_button.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return true;
}

HWND CompareSetsMenu::Owner() const {
    return GetParent(m_button.GetHandle());
}

void CompareSetsMenu::ShowMenu() {
    if (m_context == nullptr || m_button.GetHandle() == nullptr)
        return;
    std::vector<CompareSettings::NamedSet> sets = m_context->Settings().Sets();
    bool available = m_context->Settings().Available();
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | (available ? 0 : MF_GRAYED), kSaveCommand, L"保存对比组合...(&S)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(setsSubMenu(sets, kOpenFirst)),
                L"打开对比组合(&O)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(setsSubMenu(sets, kRenameFirst)),
                L"重命名对比组合(&R)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(setsSubMenu(sets, kDeleteFirst)),
                L"删除对比组合(&D)");
    RECT r{};
    GetWindowRect(m_button.GetHandle(), &r);
    UINT picked = static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                   r.left, r.bottom, 0, Owner(), nullptr));
    DestroyMenu(menu);
    if (picked == kSaveCommand)
        SaveCurrent();
    else if (picked >= kOpenFirst && picked < kOpenFirst + kMaxSets)
        Open(static_cast<int>(picked - kOpenFirst));
    else if (picked >= kRenameFirst && picked < kRenameFirst + kMaxSets)
        Rename(static_cast<int>(picked - kRenameFirst));
    else if (picked >= kDeleteFirst && picked < kDeleteFirst + kMaxSets)
        Delete(static_cast<int>(picked - kDeleteFirst));
}

void CompareSetsMenu::SaveCurrent() {
    if (m_context == nullptr)
        return;
    const auto& funds = m_context->Funds();
    if (funds.empty()) {
        MessageBoxW(Owner(), L"当前没有对比基金，无法保存对比组合。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::vector<CompareSettings::NamedSet> sets = m_context->Settings().Sets();
    if (sets.size() >= static_cast<size_t>(kMaxSets)) {
        MessageBoxW(Owner(), L"最多只能保存99个对比组合，请先删除不用的组合。", L"提示",
                    MB_OK | MB_ICONWARNING);
        return;
    }
    XStringW name(L"对比组合" + std::to_wstring(sets.size() + 1));
    if (!PromptForName(Owner(), XStringW(L"保存对比组合"), XStringW(L"对比组合名称："), name))
        return;
    for (const auto& set : sets) {
        if (set.name != name)
            continue;
        std::wstring question = L"对比组合“" + name.str() + L"”已存在，要替换它吗？";
        if (MessageBoxW(Owner(), question.c_str(), L"提示", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    std::vector<XStringW> codes(funds.begin(), funds.end());
    XStringW error;
    if (!m_context->Settings().SaveSet(name, codes, error)) {
        MessageBoxW(Owner(), (L"保存对比组合失败：" + error.str()).c_str(), L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    Control::StatusNote note;
    note.text =
        XStringW(L"已保存对比组合“" + name.str() + L"”（" + std::to_wstring(codes.size()) + L"只基金）");
    m_context->ShowNote(note);
}

void CompareSetsMenu::Open(int index) {
    if (!FC_VERIFY(m_context != nullptr))
        return;
    std::vector<CompareSettings::NamedSet> sets = m_context->Settings().Sets();
    if (index < 0 || index >= static_cast<int>(sets.size()))
        return;
    const auto& set = sets[static_cast<size_t>(index)];
    m_context->ReplaceFunds(set.funds, XStringW(L"已打开对比组合“" + set.name.str() + L"”"));
}

void CompareSetsMenu::Rename(int index) {
    if (!FC_VERIFY(m_context != nullptr))
        return;
    std::vector<CompareSettings::NamedSet> sets = m_context->Settings().Sets();
    if (index < 0 || index >= static_cast<int>(sets.size()))
        return;
    XStringW name = sets[static_cast<size_t>(index)].name;
    XStringW old = name;
    if (!PromptForName(Owner(), XStringW(L"重命名对比组合"), XStringW(L"新的名称："), name) || name == old)
        return;
    for (const auto& set : sets) {
        if (set.name == name) {
            MessageBoxW(Owner(), (L"已有名为“" + name.str() + L"”的对比组合。").c_str(), L"提示",
                        MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    XStringW error;
    if (!m_context->Settings().RenameSet(sets[static_cast<size_t>(index)].key, name, error)) {
        MessageBoxW(Owner(), (L"重命名对比组合失败：" + error.str()).c_str(), L"提示",
                    MB_OK | MB_ICONWARNING);
        return;
    }
    Control::StatusNote note;
    note.text = XStringW(L"对比组合“" + old.str() + L"”已改名为“" + name.str() + L"”");
    m_context->ShowNote(note);
}

void CompareSetsMenu::Delete(int index) {
    if (!FC_VERIFY(m_context != nullptr))
        return;
    std::vector<CompareSettings::NamedSet> sets = m_context->Settings().Sets();
    if (index < 0 || index >= static_cast<int>(sets.size()))
        return;
    const auto& set = sets[static_cast<size_t>(index)];
    std::wstring question = L"确定要删除对比组合“" + set.name.str() + L"”吗？";
    if (MessageBoxW(Owner(), question.c_str(), L"提示", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    XStringW error;
    if (!m_context->Settings().DeleteSet(set.key, error)) {
        MessageBoxW(Owner(), (L"删除对比组合失败：" + error.str()).c_str(), L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    Control::StatusNote note;
    note.text = XStringW(L"已删除对比组合“" + set.name.str() + L"”");
    m_context->ShowNote(note);
}
