// InitCommonControlsEx: the standard controls register their classes on their own (see
// internal/WindowSystemClasses.h), so the call has nothing to do but answer.
#include <platform/commctrl.h>
#include <platform/winbase.h>

extern "C" {

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

void WINAPI InitCommonControls() {}

} // extern "C"
