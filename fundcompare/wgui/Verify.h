// FC_VERIFY: the check of an invariant, a condition that holds unless the module itself is wrong
// (never one that bad data or a user can break: those get a message or a fallback). In the test
// builds a failed check stops the program at once, naming the condition and its place, so that
// the fault shows where it happens; in a release build it writes the same line to the standard
// error, once per place, and the code after the check goes on as it would without it.
//
// The macro is an expression that is true when the condition holds, so that a caller can leave
// early in a release build: if (!FC_VERIFY(m_context != nullptr)) return;
#pragma once

namespace WGUI {

// Reports a failed check: stops the program in the test builds, else logs it. Returns false.
bool VerifyFailed(const char* condition, const char* file, int line);
// Whether a failed check stops the program (the test builds) or is logged (release builds).
bool VerifyStops();

} // namespace WGUI

#define FC_VERIFY(condition)                                                                                 \
    (static_cast<bool>(condition) || ::WGUI::VerifyFailed(#condition, __FILE__, __LINE__))
