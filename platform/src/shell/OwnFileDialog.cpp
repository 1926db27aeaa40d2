// The platform's own file dialogs: a modal pop-up with the folder (a path field and a button to go
// up), the folders and the files of the chosen type in it, the file name and the type — for saving
// one file, or for opening one file, several, or files and folders together.
//
// Keys: Tab and Shift+Tab move between the parts; Enter opens the folder typed or selected, else
// saves or opens; Escape cancels (or closes the open type list); Alt+N, Alt+T and Alt+U reach the
// name, the type and the folder above, Alt+S saves and Alt+O opens. When several entries may be
// chosen, Ctrl with a click adds or takes away one, Shift with a click or the arrows selects from
// the anchor to the entry, and Ctrl+A selects every entry that may be chosen.
//
// Opening: the names of the entries selected in the list stand in the name field ("a.csv", or
// "a.csv" "b.csv" for several). The open button (or Enter in the name field) takes them while the
// field still says what the list chose, which is how a folder is chosen; a name typed instead is
// taken as typed, and a typed folder is opened. Enter or a double click in the list opens the
// folder under the caret, or takes the file. On the headless screen the dialog reads the input
// queued so far and is cancelled when it runs out.
//
// Sections: the file list; the dialog window; choosing; the modal run.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"
#include "shell/FileDialogParts.h"

#include <platform/windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr wchar_t kDialogClass[] = L"PlatformSaveDialog";
constexpr wchar_t kOpenDialogClass[] = L"PlatformOpenDialog";
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
    std::vector<bool> selected;
    int caret = -1;  // the entry the keys move from
    int anchor = -1; // where a Shift selection starts
    int top = 0;
    bool multiple = false; // several entries may be selected
};

ListState* listOf(HWND window) {
    return ControlState<ListState>(window);
}

int visibleRows(HWND list) {
    RECT client;
    GetClientRect(list, &client);
    return std::max(1, static_cast<int>(client.bottom - 2) / kRowHeight);
}

int rowCount(const ListState* state) {
    return static_cast<int>(state->entries.size());
}

void scrollTo(HWND list, ListState* state, int row) {
    int rows = visibleRows(list);
    if (row < state->top)
        state->top = row;
    if (row >= state->top + rows)
        state->top = row - rows + 1;
}

// Selects the entry alone, or (extend) every entry from the anchor to it, and moves the caret there.
void selectRow(HWND list, ListState* state, int row, bool extend, bool notify) {
    if (state->entries.empty())
        return;
    row = std::clamp(row, 0, rowCount(state) - 1);
    state->selected.assign(state->entries.size(), false);
    if (extend && state->multiple && state->anchor >= 0) {
        for (int i = std::min(state->anchor, row); i <= std::max(state->anchor, row); ++i)
            state->selected[static_cast<size_t>(i)] = true;
    } else {
        state->selected[static_cast<size_t>(row)] = true;
        state->anchor = row;
    }
    state->caret = row;
    scrollTo(list, state, row);
    InvalidateRect(list, nullptr, FALSE);
    if (notify)
        NotifyParent(list, kListSelected);
}

void toggleRow(HWND list, ListState* state, int row) {
    if (!state->multiple)
        return selectRow(list, state, row, false, true);
    state->selected[static_cast<size_t>(row)] = !state->selected[static_cast<size_t>(row)];
    state->caret = row;
    state->anchor = row;
    InvalidateRect(list, nullptr, FALSE);
    NotifyParent(list, kListSelected);
}

void paintList(HWND list, ListState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(list, &ps);
    RECT client;
    GetClientRect(list, &client);
    const bool focused = GetFocus() == list;
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &client, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, ControlFont(nullptr));
    SetBkMode(dc, TRANSPARENT);
    int rows = visibleRows(list);
    for (int i = 0; i < rows && state->top + i < rowCount(state); ++i) {
        int index = state->top + i;
        const Entry& entry = state->entries[static_cast<size_t>(index)];
        RECT row{1, 1 + i * kRowHeight, client.right - 1, 1 + (i + 1) * kRowHeight};
        bool selected = state->selected[static_cast<size_t>(index)];
        if (selected)
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        if (focused && index == state->caret && state->multiple)
            DrawFocusRect(dc, &row);
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

LRESULT OnListKey(HWND list, ListState* state, WPARAM key) {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    int page = visibleRows(list);
    int current = state->caret;
    switch (key) {
    case VK_UP:
        selectRow(list, state, current - 1, shift, true);
        break;
    case VK_DOWN:
        selectRow(list, state, current + 1, shift, true);
        break;
    case VK_PRIOR:
        selectRow(list, state, current - page, shift, true);
        break;
    case VK_NEXT:
        selectRow(list, state, current + page, shift, true);
        break;
    case VK_HOME:
        selectRow(list, state, 0, shift, true);
        break;
    case VK_END:
        selectRow(list, state, rowCount(state) - 1, shift, true);
        break;
    case 'A':
        if (control && state->multiple && !state->entries.empty()) {
            state->selected.assign(state->entries.size(), true);
            InvalidateRect(list, nullptr, FALSE);
            NotifyParent(list, kListSelected);
        }
        break;
    default:
        break;
    }
    return 0;
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
        if (row < 0 || row >= rowCount(state))
            return 0;
        if (message == WM_LBUTTONDOWN && (wParam & MK_CONTROL) != 0)
            toggleRow(list, state, row);
        else
            selectRow(list, state, row, (wParam & MK_SHIFT) != 0, true);
        if (message == WM_LBUTTONDBLCLK)
            NotifyParent(list, kListOpened);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        int maxTop = std::max(0, rowCount(state) - visibleRows(list));
        state->top = std::clamp(state->top - 3 * notches, 0, maxTop);
        InvalidateRect(list, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        return OnListKey(list, state, wParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    default:
        return DefWindowProcW(list, message, wParam, lParam);
    }
}

// ---- The dialog window ----------------------------------------------------------------------------

// What the dialog is asked, whichever call asked it.
struct DialogRequest {
    bool open = false;
    std::wstring title;
    std::wstring fileName;
    std::wstring folder;
    std::vector<std::pair<std::wstring, std::wstring>> types;
    int typeIndex = 0;
    bool multiple = false;
    bool folders = false;
    bool overwritePrompt = false;
    HWND owner = nullptr;
};

struct DialogState {
    DialogRequest request;
    std::filesystem::path folder;
    int typeIndex = 0; // 1-based, 0 without types
    std::wstring selectionText; // what the list's selection put into the name field
    std::optional<FileChoice> answer;
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

std::wstring currentPatterns(DialogState* state) {
    if (state->typeIndex <= 0)
        return L"*";
    return state->request.types[static_cast<size_t>(state->typeIndex - 1)].second;
}

std::wstring currentExtension(DialogState* state) {
    if (state->typeIndex <= 0)
        return std::wstring();
    return PatternExtension(currentPatterns(state));
}

void message(DialogState* state, const std::wstring& text) {
    MessageBoxW(state->window, text.c_str(), state->request.title.c_str(), MB_OK | MB_ICONWARNING);
}

// Reads the folder into the list: its folders first, then the files of the chosen type, each
// group by name; hidden entries are left out.
void fillList(DialogState* state) {
    HWND list = item(state, kListId);
    ListState* ls = listOf(list);
    ls->entries.clear();
    ls->caret = -1;
    ls->anchor = -1;
    ls->top = 0;
    std::wstring patterns = currentPatterns(state);
    std::error_code ec;
    std::vector<Entry> folders, files;
    for (std::filesystem::directory_iterator it(state->folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::wstring name = WideOf(it->path().filename());
        if (name.empty() || name[0] == L'.')
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            folders.push_back(Entry{name, true});
        else if (MatchesPatterns(name, patterns))
            files.push_back(Entry{name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    ls->entries = folders;
    ls->entries.insert(ls->entries.end(), files.begin(), files.end());
    ls->selected.assign(ls->entries.size(), false);
    state->selectionText.clear();
    SetWindowTextW(item(state, kFolderId), WideOf(state->folder).c_str());
    InvalidateRect(list, nullptr, FALSE);
}

void openFolder(DialogState* state, const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        message(state, L"找不到文件夹“" + WideOf(folder) + L"”。");
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

// ---- Choosing --------------------------------------------------------------------------------------

void choose(DialogState* state, std::vector<std::wstring> paths) {
    FileChoice choice;
    choice.kind = FileChoice::Chosen;
    choice.paths = std::move(paths);
    choice.typeIndex = state->typeIndex;
    state->answer = choice;
}

// The selected entries that may be chosen: files, and folders when the caller allows them.
std::vector<const Entry*> choosableSelection(DialogState* state) {
    ListState* ls = listOf(item(state, kListId));
    std::vector<const Entry*> chosen;
    for (size_t i = 0; i < ls->entries.size(); ++i)
        if (ls->selected[i] && (!ls->entries[i].folder || state->request.folders))
            chosen.push_back(&ls->entries[i]);
    return chosen;
}

// The names of the name field: several in double quotes ("a.csv" "b.csv"), else the text as one.
std::vector<std::wstring> typedNames(const std::wstring& text) {
    std::vector<std::wstring> names;
    size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return names;
    if (text[first] != L'"') {
        size_t last = text.find_last_not_of(L' ');
        names.push_back(text.substr(first, last - first + 1));
        return names;
    }
    for (size_t at = first; at < text.size();) {
        size_t open = text.find(L'"', at);
        if (open == std::wstring::npos)
            break;
        size_t close = text.find(L'"', open + 1);
        if (close == std::wstring::npos)
            close = text.size();
        if (close > open + 1)
            names.push_back(text.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return names;
}

void acceptSave(DialogState* state) {
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
        message(state, L"找不到文件夹“" + WideOf(path.parent_path()) + L"”。");
        return;
    }
    if (state->request.overwritePrompt && std::filesystem::exists(path, ec)) {
        std::wstring question = WideOf(path.filename()) + L" 已存在。\n要替换它吗？";
        if (MessageBoxW(state->window, question.c_str(), state->request.title.c_str(),
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return;
    }
    choose(state, {WideOf(path)});
}

void acceptOpen(DialogState* state) {
    std::wstring text = textOf(item(state, kNameId));
    if (!state->selectionText.empty() && text == state->selectionText) {
        std::vector<std::wstring> paths;
        for (const Entry* entry : choosableSelection(state))
            paths.push_back(WideOf(state->folder / PathOf(entry->name)));
        return choose(state, std::move(paths));
    }
    std::vector<std::wstring> names = typedNames(text);
    if (names.empty()) {
        // Files only: a folder selected in the list is opened, as its Enter would.
        ListState* ls = listOf(item(state, kListId));
        if (ls->caret >= 0 && ls->entries[static_cast<size_t>(ls->caret)].folder &&
            ls->selected[static_cast<size_t>(ls->caret)])
            openFolder(state, state->folder / PathOf(ls->entries[static_cast<size_t>(ls->caret)].name));
        else
            SetFocus(item(state, kNameId));
        return;
    }
    std::error_code ec;
    auto full = [&](const std::wstring& name) {
        std::filesystem::path path = PathOf(name);
        return path.is_relative() ? state->folder / path : path;
    };
    if (names.size() == 1 && std::filesystem::is_directory(full(names.front()), ec)) {
        openFolder(state, full(names.front()));
        SetWindowTextW(item(state, kNameId), L"");
        return;
    }
    if (names.size() > 1 && !state->request.multiple) {
        message(state, L"只能选择一个文件。");
        return;
    }
    std::vector<std::wstring> paths;
    for (const std::wstring& name : names) {
        std::filesystem::path path = full(name);
        if (!std::filesystem::exists(path, ec)) {
            message(state, L"找不到文件“" + name + L"”。\n请检查文件名是否正确。");
            return;
        }
        if (std::filesystem::is_directory(path, ec) && !state->request.folders) {
            message(state, L"“" + name + L"”是文件夹，不能选作文件。");
            return;
        }
        paths.push_back(WideOf(path));
    }
    choose(state, std::move(paths));
}

void accept(DialogState* state) {
    if (state->request.open)
        acceptOpen(state);
    else
        acceptSave(state);
}

void cancel(DialogState* state) {
    FileChoice choice;
    choice.kind = FileChoice::Cancelled;
    state->answer = choice;
}

// Enter or a double click in the list: the folder under the caret opens; a file is taken.
void openSelected(DialogState* state) {
    ListState* ls = listOf(item(state, kListId));
    if (ls->caret < 0 || ls->caret >= rowCount(ls))
        return;
    const Entry& entry = ls->entries[static_cast<size_t>(ls->caret)];
    int selectedCount = static_cast<int>(std::count(ls->selected.begin(), ls->selected.end(), true));
    if (entry.folder && selectedCount <= 1) {
        openFolder(state, state->folder / PathOf(entry.name));
        return;
    }
    if (state->request.open && !state->selectionText.empty())
        SetWindowTextW(item(state, kNameId), state->selectionText.c_str());
    accept(state);
}

// The list's selection, written into the name field.
void showSelection(DialogState* state) {
    std::vector<const Entry*> chosen = choosableSelection(state);
    if (!state->request.open) {
        if (chosen.size() == 1)
            SetWindowTextW(item(state, kNameId), chosen.front()->name.c_str());
        return;
    }
    std::wstring text;
    if (chosen.size() == 1)
        text = chosen.front()->name;
    else
        for (const Entry* entry : chosen)
            text += (text.empty() ? L"\"" : L" \"") + entry->name + L"\"";
    state->selectionText = text;
    if (!text.empty())
        SetWindowTextW(item(state, kNameId), text.c_str());
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
    case kListId:
        if (code == kListOpened)
            openSelected(state);
        else if (code == kListSelected)
            showSelection(state);
        break;
    case kTypeId:
        if (code == CBN_SELCHANGE) {
            state->typeIndex = static_cast<int>(SendMessageW(item(state, kTypeId), CB_GETCURSEL, 0, 0)) + 1;
            if (!state->request.open)
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
    const bool open = state->request.open;
    struct Label {
        const wchar_t* text;
        RECT rect;
    } labels[] = {{open ? L"查找范围：" : L"保存在：", {12, 36, 90, 60}},
                  {L"文件名(&N)：", {12, 316, 108, 340}},
                  {open ? L"文件类型(&T)：" : L"保存类型(&T)：", {12, 350, 108, 374}}};
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
    wc.lpszClassName = kOpenDialogClass;
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
    const wchar_t acceptKey = state->request.open ? L'O' : L'S';
    if (msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSCHAR) {
        wchar_t key = static_cast<wchar_t>(towupper(static_cast<wint_t>(msg.wParam)));
        if (msg.message == WM_SYSCHAR)
            return key == L'N' || key == L'T' || key == L'U' || key == acceptKey;
        if (key == L'N')
            focusItem(state, kNameId);
        else if (key == L'T')
            focusItem(state, kTypeId);
        else if (key == L'U')
            onCommand(state, kUpId, BN_CLICKED);
        else if (key == acceptKey)
            accept(state);
        else
            return false;
        return true;
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

FileChoice runDialog(const DialogRequest& request) {
    DialogState state;
    state.request = request;
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
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, request.open ? kOpenDialogClass : kDialogClass,
                                  request.title.c_str(), WS_POPUP, x, y, kWidth, kHeight, ownerTop, nullptr,
                                  nullptr, nullptr);
    FileChoice result;
    if (window == nullptr)
        return result;
    state.window = window;
    dialogOf(window) = &state;
    makeChild(window, WC_EDITW, L"", ES_AUTOHSCROLL, RECT{90, 36, 440, 60}, kFolderId);
    makeChild(window, WC_BUTTONW, L"上一级(&U)", 0, RECT{448, 36, 548, 60}, kUpId);
    HWND list = makeChild(window, kListClass, L"", 0, RECT{12, 68, 548, 304}, kListId);
    listOf(list)->multiple = request.open && request.multiple;
    makeChild(window, WC_EDITW, request.fileName.c_str(), ES_AUTOHSCROLL, RECT{108, 316, 440, 340}, kNameId);
    HWND type = makeChild(window, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL, RECT{108, 350, 440, 470},
                          kTypeId);
    for (const auto& t : request.types)
        SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.first.c_str()));
    if (state.typeIndex > 0)
        SendMessageW(type, CB_SETCURSEL, static_cast<WPARAM>(state.typeIndex - 1), 0);
    makeChild(window, WC_BUTTONW, request.open ? L"打开(&O)" : L"保存(&S)", 0, RECT{448, 316, 548, 340}, IDOK);
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

} // namespace

FileChoice OwnSaveDialog(const PlatformSaveDialogRequest& request, bool overwritePrompt) {
    DialogRequest r;
    r.title = request.title;
    r.fileName = request.fileName;
    r.folder = request.folder;
    r.types = request.types;
    r.typeIndex = request.typeIndex;
    r.overwritePrompt = overwritePrompt;
    r.owner = request.owner;
    return runDialog(r);
}

FileChoice OwnOpenDialog(const PlatformOpenDialogRequest& request) {
    DialogRequest r;
    r.open = true;
    r.title = request.title;
    r.folder = request.folder;
    r.types = request.types;
    r.typeIndex = request.typeIndex;
    r.multiple = request.multiple;
    r.folders = request.folders;
    r.owner = request.owner;
    return runDialog(r);
}

} // namespace platform
