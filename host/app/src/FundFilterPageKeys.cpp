#include "FundFilterPageKeys.h"

#include "FundFilterPage.h"

bool FundFilterPageKeys::PreTranslateMessage(MSG* message) {
    if (message == nullptr || message->message != WM_KEYDOWN || message->wParam != VK_TAB)
        return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    return m_page.MoveFocus(GetKeyState(VK_SHIFT) < 0);
}
