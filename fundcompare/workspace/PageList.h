// PageList: the comparison pages of the workspace, in the order of their tabs, each with its tab
// caption and the function that makes it. This list is the only place that names every page: a new
// page is a folder under pages/ and one line in PageList.cpp; the workspace makes, lays out,
// themes, shows and tells every page of the list alike.
#pragma once

#include "pages/common/ComparePage.h"

#include <memory>
#include <vector>

struct PageListEntry {
    const wchar_t* caption; // the tab's caption
    std::unique_ptr<ComparePage> (*make)();
};

// The pages in tab order: the five pages, then the growth page.
const std::vector<PageListEntry>& PageList();
