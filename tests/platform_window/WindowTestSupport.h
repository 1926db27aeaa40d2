// Shared pieces of the window-manager tests: a message log that every test window writes to,
// per-window message handlers, test window classes and a fixture that starts a fresh headless
// screen for every test.
#pragma once

#include <platform/driver.h>
#include <platform/windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wintest {

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Answers a message for one window, or nothing to let DefWindowProcW answer.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

class MessageLog {
public:
    static MessageLog& Instance();

    void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Clear() { m_entries.clear(); }
    const std::vector<LoggedMessage>& Entries() const { return m_entries; }
    // The messages of one window (all windows when null), in order, without the noise of hit
    // testing and cursor queries.
    std::vector<UINT> Messages(HWND window = nullptr) const;
    // "name:WM_X" items for every window that has a name, in order.
    std::vector<std::string> Named() const;
    // The entries of one message.
    std::vector<LoggedMessage> Find(UINT message, HWND window = nullptr) const;

    void Name(HWND window, const std::string& name) { m_names[window] = name; }
    void SetHandler(HWND window, Handler handler) {
        if (handler)
            m_handlers[window] = std::move(handler);
        else
            m_handlers.erase(window);
    }
    // Handler for the window being created (known before its handle exists).
    void SetCreationHandler(Handler handler) { m_creationHandler = std::move(handler); }
    const Handler* HandlerFor(HWND window) const;
    void Reset();

private:
    std::vector<LoggedMessage> m_entries;
    std::map<HWND, std::string> m_names;
    std::map<HWND, Handler> m_handlers;
    Handler m_creationHandler;
};

// Records the message, gives it to the window's handler and otherwise to DefWindowProcW.
LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

std::string MessageName(UINT message);

// Registers (once per process) a class with LoggingProc; returns its name.
const wchar_t* TestClass(UINT style = 0, HBRUSH brush = nullptr, int windowExtra = 0);

HINSTANCE TestInstance();

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A visible top-level pop-up at (x, y), not activated-aware of anything else.
    HWND CreateTop(int x, int y, int width, int height, DWORD style = WS_POPUP | WS_VISIBLE,
                   const wchar_t* cls = nullptr, DWORD exStyle = 0, HWND owner = nullptr);
    HWND CreateChild(HWND parent, int id, int x, int y, int width, int height,
                     DWORD style = WS_CHILD | WS_VISIBLE, const wchar_t* cls = nullptr, DWORD exStyle = 0);

    MessageLog& Log() { return MessageLog::Instance(); }
};

// The folder where tests leave their pictures (build/win/test-output or the current folder).
std::string OutputPath(const std::string& name);

} // namespace wintest
