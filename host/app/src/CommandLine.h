// The host's command line:
//   fundhost [--db FILE] [--theme NAME] [--zoom X] [--size WxH] [--module FILE] [--headless]
//            [--script FILE] [--config FILE] [--timings FILE] [--help] [--version]
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::string database; // empty: the configured database, else the sample database
    std::string theme;    // empty: the configured theme, else the default
    std::optional<double> zoom;
    int width = 1280;
    int height = 800;
    bool sizeGiven = false; // --size was given: it wins over the size remembered from the last run
    std::string module;     // empty: the module next to the executable
    bool headless = false;
    std::string script;
    std::string config;  // empty: the user's configuration file
    std::string timings; // empty: none written
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. On a mistake returns nullopt and a message that
// names the offending argument.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error);

// The usage text printed for --help and after a mistake; the man page is made from it too, so its
// layout follows the rules of tools/make-manpage (options indented under the usage lines, then
// sections whose titles end with a colon).
const char* CommandLineUsage();
