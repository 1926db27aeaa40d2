// ManPage: turns a program's --help text into a man page in roff, so that the page never tells
// something other than the program itself.
//
// The help text is read as plain lines:
//   - "usage: PROGRAM ..." and the lines indented under it form the synopsis;
//   - an indented line starting with "-" opens an option ("  --db FILE   what it does"): the words
//     up to the first run of two or more blanks name it, the rest describes it, and deeper
//     indented lines that follow continue the description;
//   - a line at the left margin that ends with ":" ("Files:") opens a section of that title, in
//     which an indented "term   text" line is an entry and any other line runs as a paragraph;
//   - everything before the first section that is neither synopsis nor option is description.
#pragma once

#include <string>

namespace ManPage {

struct PageInfo {
    std::string name;        // the program, also the page's title
    int section = 1;         // the manual section
    std::string version;     // the first line of PROGRAM --version
    std::string summary;     // the one line of the NAME section
    std::string description; // paragraphs placed first in DESCRIPTION, separated by blank lines
};

// The man page of the help text. Text is kept as UTF-8; roff's special characters are escaped.
std::string FromHelp(const std::string& help, const PageInfo& info);

// Escapes a piece of running text for roff: backslashes, hyphens (as minus signs, so that
// options can be copied from the page) and a leading dot or apostrophe.
std::string Escape(const std::string& text);

} // namespace ManPage
