// Parsing of the host's command line.
#include "CommandLine.h"

#include "MainFrame.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Zoom beyond these bounds makes grids unreadable or absurdly large.
constexpr double kMinZoom = 0.5;
constexpr double kMaxZoom = 4.0;
constexpr int kMinSide = 320;
constexpr int kMaxSide = 8192;

bool parseSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == text.size())
        return false;
    char* end = nullptr;
    errno = 0;
    long w = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + x)
        return false;
    long h = std::strtol(text.c_str() + x + 1, &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    if (w < kMinSide || w > kMaxSide || h < kMinSide || h > kMaxSide)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool parseZoom(const std::string& text, double& zoom) {
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value))
        return false;
    if (value < kMinZoom || value > kMaxZoom)
        return false;
    zoom = value;
    return true;
}

} // namespace

const char* CommandLineUsage() {
    return "usage: fundhost [--db FILE] [--theme dark|light] [--zoom X] [--size WxH] [--module FILE]\n"
           "                [--headless] [--script FILE] [--config FILE] [--timings FILE]\n"
           "                [--help] [--version]\n"
           "  --db FILE       the fund database (default: the one configured, else the sample\n"
           "                  database of invented funds, made on first use)\n"
           "  --theme NAME    the colour theme (default: the configured one, else dark)\n"
           "  --zoom X        the grid zoom, 0.5 to 4 (saved as the user's font size)\n"
           "  --size WxH      the window or headless screen size (default 1280x800; at least\n"
           "                  760x520, a smaller size is raised to it)\n"
           "  --module FILE   the fund-comparison module (default: the one installed with the program)\n"
           "  --headless      no display: run off-screen (with --script to do something)\n"
           "  --script FILE   run the actions of a script, one per line, then exit\n"
           "  --config FILE   the configuration file (default: ~/.config/fundcompare/config.xml)\n"
           "  --timings FILE  write when the first frame was shown and how long messages kept the\n"
           "                  program busy: for each script line, or for the whole session in the\n"
           "                  window, written when it closes (for the benchmarks)\n"
           "  --help          print this help and exit\n"
           "  --version       print the version and exit\n"
           "\n"
           "Files:\n"
           "  ~/.config/fundcompare/config.xml     the settings; <FundHost><Database> inside\n"
           "                                       <Quenda2> names your own fund database\n"
           "  ~/.local/share/fundcompare/sample.db  the sample database of invented funds\n"
           "\n"
           "Exit status:\n"
           "  0  the program or its script ran to the end\n"
           "  1  a script line failed, or the script could not be read\n"
           "  2  the program could not start (arguments, database, theme or window)\n";
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error) {
    CommandLine line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        // A file option given an empty name is a mistake (often an unset shell variable), not a
        // request for the default.
        auto file = [&](std::string& out) {
            if (!value(out))
                return false;
            if (out.empty()) {
                error = arg + " needs a file name, not an empty one";
                return false;
            }
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--headless") {
            line.headless = true;
        } else if (arg == "--db") {
            if (!file(line.database))
                return std::nullopt;
        } else if (arg == "--theme") {
            if (!value(line.theme))
                return std::nullopt;
        } else if (arg == "--module") {
            if (!file(line.module))
                return std::nullopt;
        } else if (arg == "--script") {
            if (!file(line.script))
                return std::nullopt;
        } else if (arg == "--config") {
            if (!file(line.config))
                return std::nullopt;
        } else if (arg == "--timings") {
            if (!file(line.timings))
                return std::nullopt;
        } else if (arg == "--zoom") {
            double zoom = 1.0;
            if (!value(text))
                return std::nullopt;
            if (!parseZoom(text, zoom)) {
                error = "--zoom wants a number from 0.5 to 4, not '" + text + "'";
                return std::nullopt;
            }
            line.zoom = zoom;
        } else if (arg == "--size") {
            if (!value(text))
                return std::nullopt;
            if (!parseSize(text, line.width, line.height)) {
                error = "--size wants WIDTHxHEIGHT, each 320 to 8192, not '" + text + "'";
                return std::nullopt;
            }
            // Below the frame's minimum size its tabs and buttons would not all show, on a display
            // or off it: the size is raised to it.
            line.width = std::max(line.width, MainFrame::kMinWidth);
            line.height = std::max(line.height, MainFrame::kMinHeight);
            line.sizeGiven = true;
        } else {
            error = "unknown argument '" + arg + "'";
            return std::nullopt;
        }
    }
    return line;
}
