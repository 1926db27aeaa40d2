// FundFilterPageKeys: Tab and Shift+Tab on the host's fund-filter page, offered every message
// before it is dispatched (a pre-message handler of the application), as a dialog moves the
// keyboard between its controls: the company box, the page's buttons and the fund list, round.
// It acts only while the keyboard is inside the page; the page adds it when its window is made
// and removes it when the window goes.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/App.h>

class FundFilterPage;

class FundFilterPageKeys final : public HostKernel::RefCounted<IPreMessageHandler> {
public:
    explicit FundFilterPageKeys(FundFilterPage& page) : m_page(page) {}
    bool PreTranslateMessage(MSG* message) override;

private:
    ~FundFilterPageKeys() override = default;

    FundFilterPage& m_page;
};
