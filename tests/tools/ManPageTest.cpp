// The man page made from --help text: the synopsis, options and sections land in the right roff
// sections, continuation lines stay with their entry, and nothing in the text can turn into a roff
// request or lose a character.
#include "ManPage.h"
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

ManPage::PageInfo info() {
    ManPage::PageInfo page;
    page.name = "tool";
    page.version = "tool 2.1";
    page.summary = "does things";
    page.description = "First paragraph\nstill the first.\n\nSecond paragraph.";
    return page;
}

// A section of the page, from its heading to the next one.
std::string section(const std::string& page, const std::string& title) {
    size_t start = page.find(".SH " + title + "\n");
    if (start == std::string::npos)
        return {};
    size_t end = page.find("\n.SH ", start + 1);
    return page.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

TEST(ManPage, HeaderNameAndSynopsisComeFromTheUsageLines) {
    std::string page = ManPage::FromHelp("usage: tool [--in FILE] [--mode a|b]\n"
                                         "            [--quiet] WORK\n",
                                         info());
    EXPECT_NE(page.find(".TH TOOL 1 \"\" \"tool 2.1\" \"User Commands\"\n"), std::string::npos) << page;
    EXPECT_NE(page.find(".SH NAME\ntool \\- does things\n"), std::string::npos) << page;
    // The second usage line continues the synopsis; options bold, their arguments in italics.
    EXPECT_EQ(section(page, "SYNOPSIS"),
              ".SH SYNOPSIS\n\\fBtool\\fR [\\fB\\-\\-in\\fR \\fIFILE\\fR] "
              "[\\fB\\-\\-mode\\fR \\fIa|b\\fR] [\\fB\\-\\-quiet\\fR] \\fIWORK\\fR\n");
    // The description's blank line separates two paragraphs; its line break does not.
    EXPECT_NE(page.find(".PP\nFirst paragraph still the first.\n.PP\nSecond paragraph.\n"), std::string::npos)
        << page;
}

TEST(ManPage, OptionsKeepTheirContinuationLinesAndEndAtTheNextSection) {
    std::string page = ManPage::FromHelp("usage: tool [--in FILE]\n"
                                         "  --in FILE    the input (default: the one\n"
                                         "               configured)\n"
                                         "  --quiet      say nothing\n"
                                         "  -v\n"
                                         "\n"
                                         "Exit status:\n"
                                         "  0  done\n"
                                         "  2  bad arguments, or a file\n"
                                         "     that cannot be read\n"
                                         "Anything else is a bug.\n",
                                         info());
    std::string options = section(page, "OPTIONS");
    EXPECT_EQ(options, ".SH OPTIONS\n"
                       ".TP\n\\fB\\-\\-in\\fR \\fIFILE\\fR\nthe input (default: the one configured)\n"
                       ".TP\n\\fB\\-\\-quiet\\fR\nsay nothing\n"
                       ".TP\n\\fB\\-v\\fR\n");
    std::string status = section(page, "EXIT STATUS");
    EXPECT_EQ(status, ".SH EXIT STATUS\n"
                      ".TP\n\\fB0\\fR\ndone\n"
                      ".TP\n\\fB2\\fR\nbad arguments, or a file that cannot be read\n"
                      ".PP\nAnything else is a bug.\n");
    // The usage line itself is not an option, and nothing went to the description.
    EXPECT_EQ(page.find(".SH DESCRIPTION"), page.rfind(".SH DESCRIPTION"));
    EXPECT_EQ(section(page, "DESCRIPTION").find("--in"), std::string::npos);
}

TEST(ManPage, TextCannotBecomeARoffRequest) {
    EXPECT_EQ(ManPage::Escape(".so /etc/passwd"), "\\&.so /etc/passwd");
    EXPECT_EQ(ManPage::Escape("'br"), "\\&'br");
    EXPECT_EQ(ManPage::Escape("a\\fBb"), "a\\efBb");
    EXPECT_EQ(ManPage::Escape("read-only -x"), "read\\-only \\-x");
    EXPECT_EQ(ManPage::Escape("示例数据"), "示例数据");

    // A description line that starts with a dot stays text.
    std::string page = ManPage::FromHelp("usage: tool\n\nFiles:\n.hidden files are skipped\n", info());
    EXPECT_NE(page.find("\n\\&.hidden files are skipped\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("\n.hidden"), std::string::npos);
}

// The program's own help reads as the page expects: every option the help lists becomes an
// option entry, and the sections after it become sections of the page.
TEST(ManPage, TheProgramsHelpGivesEveryOptionAnEntry) {
    const std::string help = CommandLineUsage();
    ManPage::PageInfo page = info();
    page.name = "fundhost";
    std::string man = ManPage::FromHelp(help, page);
    std::string options = section(man, "OPTIONS");
    std::istringstream lines(help);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0)
            continue;
        std::string option = line.substr(2, line.find(' ', 2) - 2);
        std::string escaped;
        for (char c : option)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(options.find(".TP\n\\fB" + escaped + "\\fR"), std::string::npos) << option;
        ++count;
    }
    EXPECT_GE(count, 10);
    EXPECT_NE(options.find("\\-\\-version"), std::string::npos);
    EXPECT_FALSE(section(man, "FILES").empty()) << man;
    EXPECT_FALSE(section(man, "EXIT STATUS").empty()) << man;
}

} // namespace
