// CompareContext: all that a comparison page may ask of the module — the compared funds, the
// database, the host application (its settings and its other modules), the read-ahead, notes in
// the status bar, taking funds out of the comparison, and reporting a failed query. The module
// implements it; a page is given it before its window is made and never sees the module itself, so
// that the pages build and link without the module (they sit below it).
#pragma once

#include "pages/common/AheadResult.h"

#include <platform/windows.h>
#include <sdk/App.h>
#include <sdk/ControlStatusNote.h>
#include <sdk/Data.h>

#include <set>
#include <vector>

// Orders codes as the compared set keeps them: by XStringW::compare, case-sensitive.
struct FundCodeLess {
    bool operator()(const XStringW& a, const XStringW& b) const { return a.compare(b, false) < 0; }
};
using FundCodeSet = std::set<XStringW, FundCodeLess>;

class CompareContext {
public:
    // The compared funds, in ascending order (the order of every SQL list and of the columns).
    virtual const FundCodeSet& Funds() const = 0;
    // The database the pages read; null before the module joined a host that has one.
    virtual Data::IDatabase* Database() const = 0;
    virtual IApp* App() const = 0;
    // The read-ahead's answer to a request (see AheadResult).
    virtual AheadResult FetchAhead(const AheadRequest& request) = 0;
    // Puts a note in the main frame's status bar.
    virtual void ShowNote(const Control::StatusNote& note) = 0;
    // Takes these funds out of the comparison; when any of them was compared, every page hears of
    // it and the host's listeners are told, as after NotifyFundsChanged. False when none was.
    virtual bool RemoveFunds(const std::vector<XStringW>& codes) = 0;
    // A query failed: its error text in a message box with the caption "ERROR" and an OK button,
    // owned by the window that ran it.
    virtual void ReportQueryError(HWND owner, const XStringW& error) = 0;

protected:
    ~CompareContext() = default;
};
