// The platform's own save dialog: a modal pop-up with the folder (a path field and a button to go
// up), the folders and the files of the chosen type in it, the file name and the type.
//
// Keys: Tab and Shift+Tab move between the parts; Enter opens the folder typed or selected, else
// saves; Escape cancels (or closes the open type list); Alt+N, Alt+T, Alt+U and Alt+S reach the
// name, the type, the folder above and the save button. On the headless screen the dialog reads
// the input queued so far and is cancelled when it runs out.
//
// Sections: the file list; the dialog window; the modal run.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"
#include "shell/SaveDialogParts.h"

#include <platform/windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr wchar_t kDialogClass[] = L"PlatformSaveDialog";
constexpr wchar_t kListClass[] = L"PlatformFileList";
constexpr int kWidth = 560, kHeight = 404, kTitleHeight = 24;
constexpr int kRowHeight = 20;
constexpr int kFolderId = 1001, kUpId = 1002, kListId = 1003, kNameId = 1004, kTypeId = 1005;
// List notifications (WM_COMMAND codes) to the dialog.
constexpr WORD kListSelected = 1, kListOpened = 2;

// ---- The file list --------------------------------------------------------------------------------

struct Entry {
    std::wstring name;
    bool folder = false;
};

struct ListState {
    std::vector<Entry> entries;
    int selected = -1;
    int top = 0;
};

ListState* listOf(HWND window) {
    return ControlState<ListState>(window);
}

int visibleRows(HWND list) {
    RECT client;
    GetClientRect(list, &client);
    return std::max(1, static_cast<int>(client.bottom - 2) / kRowHeight);
}

void selectRow(HWND list, ListState* state, int row, bool notify) {
    if (state->entries.empty())
        return;
    row = std::clamp(row, 0, static_cast<int>(state->entries.size()) - 1);
    state->selected = row;
    int rows = visibleRows(list);
    if (row < state->top)
        state->top = row;
    if (row >= state->top + rows)
        state->top = row - rows + 1;
    InvalidateRect(list, nullptr, FALSE);
    if (notify)
        NotifyParent(list, kListSelected);
}

void paintList(HWND list, ListState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(list, &ps);
    RECT client;
    GetClientRect(list, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &client, GetSysColorBrush(GetFocus() == list ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, ControlFont(nullptr));
    SetBkMode(dc, TRANSPARENT);
    int rows = visibleRows(list);
    for (int i = 0; i < rows && state->top + i < static_cast<int>(state->entries.size()); ++i) {
        int index = state->top + i;
        const Entry& entry = state->entries[static_cast<size_t>(index)];
        RECT row{1, 1 + i * kRowHeight, client.right - 1, 1 + (i + 1) * kRowHeight};
        bool selected = index == state->selected;
        if (selected)
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        // Folders carry a trailing slash, as a path names them.
        std::wstring text = entry.folder ? entry.name + L"/" : entry.name;
        RECT textRect = row;
        textRect.left += 6;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, old);
    EndPaint(list, &ps);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    ListState* state = listOf(list);
    if (state == nullptr)
        return DefWindowProcW(list, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paintList(list, state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(list, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetFocus(list);
        int row = state->top + (GET_Y_LPARAM(lParam) - 1) / kRowHeight;
        if (row >= 0 && row < static_cast<int>(state->entries.size())) {
            selectRow(list, state, row, true);
            if (message == WM_LBUTTONDBLCLK)
                NotifyParent(list, kListOpened);
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        int maxTop = std::max(0, static_cast<int>(state->entries.size()) - visibleRows(list));
        state->top = std::clamp(state->top - 3 * notches, 0, maxTop);
        InvalidateRect(list, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN: {
        int page = visibleRows(list);
        int current = state->selected;
        switch (wParam) {
        case VK_UP:
            selectRow(list, state, current - 1, true);
            return 0;
        case VK_DOWN:
            selectRow(list, state, current + 1, true);
            return 0;
        case VK_PRIOR:
            selectRow(list, state, current - page, true);
            return 0;
        case VK_NEXT:
            selectRow(list, state, current + page, true);
            return 0;
        case VK_HOME:
            selectRow(list, state, 0, true);
            return 0;
        case VK_END:
            selectRow(list, state, static_cast<int>(state->entries.size()) - 1, true);
            return 0;
        default:
            return 0;
        }
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return DefWindowProcW(list, message, wParam, lParam);
    }
}

// ---- The dialog window ----------------------------------------------------------------------------

struct DialogState {
    PlatformSaveDialogRequest request;
    bool overwritePrompt = false;
    std::filesystem::path folder;
    int typeIndex = 0; // 1-based, 0 without types
    std::optional<SaveChoice> answer;
    HWND window = nullptr;
};

DialogState*& dialogOf(HWND window) {
    return *ControlState<DialogState*>(window);
}

HWND item(DialogState* state, int id) {
    return GetDlgItem(state->window, id);
}

std::wstring textOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring currentExtension(DialogState* state) {
    if (state->typeIndex <= 0)
        return std::wstring();
    return PatternExtension(state->request.types[static_cast<size_t>(state->typeIndex - 1)].second);
}

// Reads the folder into the list: its folders first, then the files of the chosen type, each
// group by name; hidden entries are left out.
void fillList(DialogState* state) {
    HWND list = item(state, kListId);
    ListState* ls = listOf(list);
    ls->entries.clear();
    ls->selected = -1;
    ls->top = 0;
    std::wstring ext = currentExtension(state);
    std::error_code ec;
    std::vector<Entry> folders, files;
    for (std::filesystem::directory_iterator it(state->folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::wstring name = WideOf(it->path().filename());
        if (name.empty() || name[0] == L'.')
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            folders.push_back(Entry{name, true});
        else if (ext.empty() || WideOf(it->path().extension()) == L"." + ext)
            files.push_back(Entry{name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    ls->entries = folders;
    ls->entries.insert(ls->entries.end(), files.begin(), files.end());
    SetWindowTextW(item(state, kFolderId), WideOf(state->folder).c_str());
    InvalidateRect(list, nullptr, FALSE);
}

void openFolder(DialogState* state, const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        MessageBoxW(state->window, (L"找不到文件夹“" + WideOf(folder) + L"”。").c_str(),
                    state->request.title.c_str(), MB_OK | MB_ICONWARNING);
        SetWindowTextW(item(state, kFolderId), WideOf(state->folder).c_str());
        return;
    }
    state->folder = std::filesystem::weakly_canonical(folder, ec);
    if (ec)
        state->folder = folder;
    fillList(state);
}

// Gives the name the chosen type's extension when it carries another type's (or none).
void matchNameToType(DialogState* state) {
    HWND nameEdit = item(state, kNameId);
    std::filesystem::path name = PathOf(textOf(nameEdit));
    std::wstring ext = currentExtension(state);
    if (ext.empty() || name.empty())
        return;
    std::wstring current = WideOf(name.extension());
    bool known = current.empty();
    for (const auto& type : state->request.types)
        known = known || current == L"." + PatternExtension(type.second);
    if (known) {
        name.replace_extension(PathOf(ext));
        SetWindowTextW(nameEdit, WideOf(name).c_str());
    }
}

void accept(DialogState* state) {
    std::wstring name = textOf(item(state, kNameId));
    if (name.empty()) {
        SetFocus(item(state, kNameId));
        return;
    }
    std::filesystem::path path = PathOf(name);
    if (path.is_relative())
        path = state->folder / path;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        // A folder's name opens the folder, as in any file chooser.
        openFolder(state, path);
        SetWindowTextW(item(state, kNameId), L"");
        return;
    }
    if (!path.has_extension() && !currentExtension(state).empty())
        path += PathOf(L"." + currentExtension(state)).native();
    if (!std::filesystem::is_directory(path.parent_path(), ec)) {
        MessageBoxW(state->window, (L"找不到文件夹“" + WideOf(path.parent_path()) + L"”。").c_str(),
                    state->request.title.c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    if (state->overwritePrompt && std::filesystem::exists(path, ec)) {
        std::wstring question = WideOf(path.filename()) + L" 已存在。\n要替换它吗？";
        if (MessageBoxW(state->window, question.c_str(), state->request.title.c_str(),
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return;
    }
    SaveChoice choice;
    choice.kind = SaveChoice::Chosen;
    choice.path = WideOf(path);
    choice.typeIndex = state->typeIndex;
    state->answer = choice;
}

void cancel(DialogState* state) {
    SaveChoice choice;
    choice.kind = SaveChoice::Cancelled;
    state->answer = choice;
}

void openSelected(DialogState* state) {
    ListState* ls = listOf(item(state, kListId));
    if (ls->selected < 0 || ls->selected >= static_cast<int>(ls->entries.size()))
        return;
    const Entry& entry = ls->entries[static_cast<size_t>(ls->selected)];
    if (entry.folder)
        openFolder(state, state->folder / PathOf(entry.name));
    else
        accept(state);
}

void onCommand(DialogState* state, int id, WORD code) {
    switch (id) {
    case IDOK:
        accept(state);
        break;
    case IDCANCEL:
        cancel(state);
        break;
    case kUpId:
        if (state->folder.has_parent_path() && state->folder != state->folder.root_path())
            openFolder(state, state->folder.parent_path());
        break;
    case kListId: {
        ListState* ls = listOf(item(state, kListId));
        if (code == kListOpened) {
            openSelected(state);
        } else if (code == kListSelected && ls->selected >= 0) {
            const Entry& entry = ls->entries[static_cast<size_t>(ls->selected)];
            if (!entry.folder)
                SetWindowTextW(item(state, kNameId), entry.name.c_str());
        }
        break;
    }
    case kTypeId:
        if (code == CBN_SELCHANGE) {
            state->typeIndex = static_cast<int>(SendMessageW(item(state, kTypeId), CB_GETCURSEL, 0, 0)) + 1;
            matchNameToType(state);
            fillList(state);
        }
        break;
    default:
        break;
    }
}

void paintDialog(HWND window, DialogState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT title{0, 0, client.right, kTitleHeight};
    FillRect(dc, &title, GetSysColorBrush(COLOR_ACTIVECAPTION));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    HGDIOBJ old = SelectObject(dc, ControlFont(nullptr));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    RECT titleText{10, 0, client.right - 10, kTitleHeight};
    DrawTextW(dc, state->request.title.c_str(), -1, &titleText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    struct Label {
        const wchar_t* text;
        RECT rect;
    } labels[] = {{L"保存在：", {12, 36, 90, 60}},
                  {L"文件名(&N)：", {12, 316, 108, 340}},
                  {L"保存类型(&T)：", {12, 350, 108, 374}}};
    for (Label& label : labels)
        DrawTextW(dc, label.text, -1, &label.rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = dialogOf(window);
    if (state == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paintDialog(window, state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        onCommand(state, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        cancel(state);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SystemClassRegistration dialogClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DialogProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kDialogClass;
    RegisterSystemClass(wc);
    WNDCLASSEXW list{};
    list.cbSize = sizeof(list);
    list.style = CS_DBLCLKS;
    list.lpfnWndProc = ListProc;
    list.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    list.lpszClassName = kListClass;
    RegisterSystemClass(list);
});

// ---- The modal run --------------------------------------------------------------------------------

HWND makeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id) {
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

// The parts that Tab walks through, in order.
std::vector<HWND> tabOrder(DialogState* state) {
    std::vector<HWND> order;
    for (int id : {kFolderId, kUpId, kListId, kNameId, kTypeId, IDOK, IDCANCEL})
        if (HWND w = item(state, id))
            order.push_back(w);
    return order;
}

void focusItem(DialogState* state, int id) {
    HWND target = item(state, id);
    if (target == nullptr)
        return;
    SetFocus(target);
    if (id == kNameId || id == kFolderId)
        SendMessageW(target, EM_SETSEL, 0, -1);
}

bool filterKeys(DialogState* state, const MSG& msg) {
    HWND focus = GetFocus();
    if (msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSCHAR) {
        wchar_t key = static_cast<wchar_t>(towupper(static_cast<wint_t>(msg.wParam)));
        if (msg.message == WM_SYSCHAR)
            return key == L'N' || key == L'T' || key == L'U' || key == L'S';
        switch (key) {
        case L'N':
            focusItem(state, kNameId);
            return true;
        case L'T':
            focusItem(state, kTypeId);
            return true;
        case L'U':
            onCommand(state, kUpId, BN_CLICKED);
            return true;
        case L'S':
            accept(state);
            return true;
        default:
            return false;
        }
    }
    if (msg.message != WM_KEYDOWN)
        return false;
    switch (msg.wParam) {
    case VK_RETURN:
        if (focus == item(state, kFolderId))
            openFolder(state, PathOf(textOf(focus)));
        else if (focus == item(state, kListId))
            openSelected(state);
        else if (focus == item(state, kUpId))
            onCommand(state, kUpId, BN_CLICKED);
        else if (focus == item(state, IDCANCEL))
            cancel(state);
        else if (focus == item(state, kTypeId) && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != 0)
            return false; // the open list takes its own Enter
        else
            accept(state);
        return true;
    case VK_ESCAPE:
        if (focus == item(state, kTypeId) && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != 0)
            return false;
        cancel(state);
        return true;
    case VK_TAB: {
        std::vector<HWND> order = tabOrder(state);
        auto at = std::find(order.begin(), order.end(), focus);
        int index = at == order.end() ? -1 : static_cast<int>(at - order.begin());
        int n = static_cast<int>(order.size());
        bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        int next = index < 0 ? 0 : (index + (back ? n - 1 : 1)) % n;
        SetFocus(order[static_cast<size_t>(next)]);
        if (order[static_cast<size_t>(next)] == item(state, kNameId))
            SendMessageW(order[static_cast<size_t>(next)], EM_SETSEL, 0, -1);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

SaveChoice OwnSaveDialog(const PlatformSaveDialogRequest& request, bool overwritePrompt) {
    DialogState state;
    state.request = request;
    state.overwritePrompt = overwritePrompt;
    state.folder = PathOf(request.folder);
    state.typeIndex = request.types.empty() ? 0 : std::max(1, request.typeIndex);

    HWND owner = request.owner != nullptr && IsWindow(request.owner) ? request.owner : nullptr;
    HWND ownerTop = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (ownerTop != nullptr)
        GetWindowRect(ownerTop, &area);
    int x = std::max(0, static_cast<int>(area.left + area.right - kWidth) / 2);
    int y = std::max(0, static_cast<int>(area.top + area.bottom - kHeight) / 2);
    HWND previousFocus = GetFocus();
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kDialogClass, request.title.c_str(),
                                  WS_POPUP, x, y, kWidth, kHeight, ownerTop, nullptr, nullptr, nullptr);
    SaveChoice result;
    if (window == nullptr)
        return result;
    state.window = window;
    dialogOf(window) = &state;
    makeChild(window, WC_EDITW, L"", ES_AUTOHSCROLL, RECT{90, 36, 440, 60}, kFolderId);
    makeChild(window, WC_BUTTONW, L"上一级(&U)", 0, RECT{448, 36, 548, 60}, kUpId);
    makeChild(window, kListClass, L"", 0, RECT{12, 68, 548, 304}, kListId);
    makeChild(window, WC_EDITW, request.fileName.c_str(), ES_AUTOHSCROLL, RECT{108, 316, 440, 340}, kNameId);
    HWND type = makeChild(window, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL, RECT{108, 350, 440, 470},
                          kTypeId);
    for (const auto& t : request.types)
        SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.first.c_str()));
    if (state.typeIndex > 0)
        SendMessageW(type, CB_SETCURSEL, static_cast<WPARAM>(state.typeIndex - 1), 0);
    makeChild(window, WC_BUTTONW, L"保存(&S)", 0, RECT{448, 316, 548, 340}, IDOK);
    makeChild(window, WC_BUTTONW, L"取消", 0, RECT{448, 350, 548, 374}, IDCANCEL);
    std::error_code ec;
    if (!std::filesystem::is_directory(state.folder, ec))
        state.folder = std::filesystem::current_path(ec);
    fillList(&state);
    ShowWindow(window, SW_SHOW);
    focusItem(&state, kNameId);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    bool reenable = ownerTop != nullptr && IsWindowEnabled(ownerTop);
    if (reenable)
        EnableWindow(ownerTop, FALSE);
    RunModalLoop([&] { return state.answer.has_value() || !IsWindow(window); },
                 [&](MSG& msg) { return filterKeys(&state, msg); });
    if (reenable && IsWindow(ownerTop))
        EnableWindow(ownerTop, TRUE);
    if (state.answer)
        result = *state.answer;
    if (IsWindow(window)) {
        dialogOf(window) = nullptr;
        DestroyWindow(window);
    }
    if (previousFocus != nullptr && IsWindow(previousFocus))
        SetFocus(previousFocus);
    return result;
}

} // namespace platform
