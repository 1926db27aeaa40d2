// Control::XWin: binding a window to its object, creation, subclassing and the thin wrappers.
#include <sdk/ControlWin.h>

namespace Control {

namespace {

// A window property rather than GWLP_USERDATA carries the object, because the module keeps its
// own values in the user data of windows that it also wraps.
constexpr wchar_t kObjectProperty[] = L"Control.XWin.Object";
constexpr wchar_t kDefaultClass[] = L"Control_XWin";

// The object whose window is being created. Messages arrive before CreateWindowExW returns
// (WM_NCCREATE, WM_CREATE, WM_SIZE), so the first message of a new window binds it to this
// object; the creation parameter stays free for whoever creates a window of an XWin class.
thread_local XWin* t_creating = nullptr;

// Registers a class name with the XWin procedure unless some class of that name already exists;
// returns true when windows of the class will reach XWin objects by themselves.
bool EnsureClass(LPCWSTR className, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(nullptr, className, &existing))
        return existing.lpfnWndProc == procedure;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS; // double clicks open grid rows; classes serve every library
    wc.lpfnWndProc = procedure;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

XWin::XWin() = default;

XWin::~XWin() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        if (m_previousProc != nullptr)
            Detach();
        else
            ::DestroyWindow(m_hWnd);
    }
    Unbind();
}

LPCWSTR XWin::DefaultClassName() {
    return kDefaultClass;
}

XWin* XWin::FromHandle(HWND window) {
    return window != nullptr ? static_cast<XWin*>(GetPropW(window, kObjectProperty)) : nullptr;
}

void XWin::Bind(HWND window) {
    m_hWnd = window;
    SetPropW(window, kObjectProperty, this);
}

void XWin::Unbind() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this)
        RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_previousProc = nullptr;
}

LRESULT CALLBACK XWin::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    XWin* self = FromHandle(window);
    if (self == nullptr && t_creating != nullptr) {
        self = t_creating;
        t_creating = nullptr;
        self->Bind(window);
    }
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return self->WndProc(message, wParam, lParam);
    // The last message: afterwards the handle is dead, and the object may be reused for a new one.
    WNDPROC previous = self->m_previousProc;
    LRESULT result = self->WndProc(message, wParam, lParam);
    if (previous != nullptr)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    self->Unbind();
    return result;
}

BOOL XWin::Create(LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                  HWND parent) {
    if (m_hWnd != nullptr)
        return FALSE;
    if (className == nullptr || className[0] == L'\0')
        className = kDefaultClass;
    bool ours = EnsureClass(className, &XWin::StaticWndProc);
    // Only child windows have an id; for others the same argument would name a menu.
    HMENU menu = (style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    XWin* outer = t_creating;
    t_creating = ours ? this : nullptr;
    HWND window = CreateWindowExW(0, className, title != nullptr ? title : L"", style, x, y, width, height,
                                  parent, menu, nullptr, nullptr);
    // A window that failed before its first message leaves the pointer set; do not let the next
    // window of the class bind to this object.
    t_creating = outer;
    if (window == nullptr) {
        Unbind();
        return FALSE;
    }
    if (!ours)
        return Attach(window);
    // A procedure that destroyed the window during creation leaves this object unbound.
    return m_hWnd == window ? TRUE : FALSE;
}

BOOL XWin::Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id, HWND parent) {
    return Create(kDefaultClass, title, style, x, y, width, height, id, parent);
}

BOOL XWin::Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, HWND parent) {
    return Create(kDefaultClass, title, style, x, y, width, height, 0, parent);
}

BOOL XWin::Attach(HWND window) {
    if (m_hWnd != nullptr || window == nullptr || !::IsWindow(window) || FromHandle(window) != nullptr)
        return FALSE;
    Bind(window);
    m_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&XWin::StaticWndProc)));
    return TRUE;
}

HWND XWin::Detach() {
    HWND window = m_hWnd;
    if (window == nullptr)
        return nullptr;
    if (m_previousProc != nullptr && ::IsWindow(window))
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    Unbind();
    return window;
}

LRESULT XWin::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_previousProc != nullptr)
        return CallWindowProcW(m_previousProc, m_hWnd, message, wParam, lParam);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL XWin::ShowWindow(int command) {
    return m_hWnd != nullptr ? ::ShowWindow(m_hWnd, command) : FALSE;
}

HWND XWin::SetFocus() {
    return m_hWnd != nullptr ? ::SetFocus(m_hWnd) : nullptr;
}

BOOL XWin::MoveWindow(const RECT& rect, BOOL repaint) {
    return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL XWin::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    return m_hWnd != nullptr ? ::MoveWindow(m_hWnd, x, y, width, height, repaint) : FALSE;
}

BOOL XWin::GetWindowRect(LPRECT rect) const {
    return m_hWnd != nullptr && rect != nullptr ? ::GetWindowRect(m_hWnd, rect) : FALSE;
}

BOOL XWin::GetClientRect(LPRECT rect) const {
    return m_hWnd != nullptr && rect != nullptr ? ::GetClientRect(m_hWnd, rect) : FALSE;
}

BOOL XWin::ScreenToClient(LPPOINT point) const {
    return m_hWnd != nullptr && point != nullptr ? ::ScreenToClient(m_hWnd, point) : FALSE;
}

BOOL XWin::ClientToScreen(LPPOINT point) const {
    return m_hWnd != nullptr && point != nullptr ? ::ClientToScreen(m_hWnd, point) : FALSE;
}

BOOL XWin::Invalidate(BOOL erase) {
    return InvalidateRect(nullptr, erase);
}

BOOL XWin::InvalidateRect(const RECT* rect, BOOL erase) {
    return m_hWnd != nullptr ? ::InvalidateRect(m_hWnd, rect, erase) : FALSE;
}

} // namespace Control
