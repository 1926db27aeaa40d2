// Heartbeat: tells a program that drives the real window from outside (the monkey test) that the
// user-interface thread still turns its message loop. When the environment names a file
// (FUNDHOST_HEARTBEAT), a timer of the loop writes a growing count into it four times a second;
// a count that stops growing while the process lives is a hung loop, told apart from a program
// that merely has nothing to draw. Timers also fire in the nested loops of menus and dialogs, so a
// person's open menu is not taken for a hang.
#pragma once

#include <platform/windows.h>

class Heartbeat {
public:
    static constexpr const char* kVariable = "FUNDHOST_HEARTBEAT";
    static constexpr UINT kPeriodMs = 250;

    // Starts beating when the variable names a file that can be written; does nothing otherwise.
    Heartbeat();
    ~Heartbeat();
    Heartbeat(const Heartbeat&) = delete;
    Heartbeat& operator=(const Heartbeat&) = delete;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Beat();

    int m_file = -1;
    UINT_PTR m_timer = 0;
    unsigned long long m_count = 0;
    bool m_failed = false;
};
