// fund-import DB FILE|DIR... [options]: reads fund lists, net-value histories, index closes,
// holdings, dividends, ratings and managers into a fund database (see docs/import.md).
#include "FundImporter.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

void OnStop(int) {
    g_stop.store(true);
}

void PrintHelp(std::FILE* out) {
    std::fprintf(
        out, "usage: fund-import DB FILE|DIR... [--kind KIND] [--encoding ENC] [--code CODE] [--skip-bad]\n"
             "\n"
             "Reads fund data files into the fund database DB, creating it when it does not exist.\n"
             "FILE may be CSV or TSV (UTF-8, UTF-16 or GB18030/GBK, found out by itself) or an xlsx\n"
             "workbook; a DIR is read with every data file in it. The kind of each file comes from\n"
             "its header row: a fund list, net-value history, index closes, asset or industry\n"
             "allocation, stock holdings, dividends, ratings or managers, with English or Chinese\n"
             "column names.\n"
             "\n"
             "One import is one transaction: the database changes only when all is read. A bad row\n"
             "is listed as FILE:LINE: column: reason and, without --skip-bad, nothing is written.\n"
             "Rows already in the database are never deleted: a replaced row is kept, withdrawn.\n"
             "\n"
             "  --kind KIND       read every file as KIND: funds, history, index, assets, industries,\n"
             "                    holdings, dividends, ratings, managers (default: from the header)\n"
             "  --encoding ENC    read text files as ENC: utf-8, gb18030 (also gbk), utf-16\n"
             "  --code CODE       the fund (or index) of a history file that names none, when its\n"
             "                    file name carries no code (000082_历史净值.csv carries 000082)\n"
             "  --skip-bad        write the good rows and list the bad ones\n"
             "  --quiet           print only problems\n"
             "  --help            print this help and exit\n"
             "  --version         print the version and exit\n"
             "\n"
             "Exit status:\n"
             "  0    the import was written\n"
             "  1    it was not: bad rows (without --skip-bad), a stop, or an error\n"
             "  2    a wrong command line\n"
             "\n"
             "Files:\n"
             "  share/fundcompare/examples/    example files of each kind (docs/import.md)\n");
}

int Usage(const char* message) {
    std::fprintf(stderr, "fund-import: %s\n", message);
    PrintHelp(stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    FundImport::Options options;
    std::vector<std::string> paths;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "fund-import: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            PrintHelp(stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("fund-import %s\n", FC_VERSION);
            return 0;
        } else if (arg == "--skip-bad") {
            options.skipBad = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--kind") {
            const char* text = value("--kind");
            if (text == nullptr || !FundImport::ParseKind(text, options.kind))
                return Usage("--kind takes funds, history, index, assets, industries, holdings, dividends, "
                             "ratings or managers");
        } else if (arg == "--encoding") {
            const char* text = value("--encoding");
            if (text == nullptr || !FundImport::ParseEncoding(text, options.encoding))
                return Usage("--encoding takes utf-8, gb18030, gbk or utf-16");
        } else if (arg == "--code") {
            const char* text = value("--code");
            if (text == nullptr || *text == '\0')
                return Usage("--code needs a code");
            options.code = text;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2)
        return Usage("give the database and at least one file or folder");
    const std::string database = paths.front();
    paths.erase(paths.begin());

    // Ctrl+C stops the import; the database stays as it was.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        if (std::signal(signal, OnStop) == SIG_IGN)
            std::signal(signal, SIG_IGN);
    options.cancel = &g_stop;
    if (!quiet && isatty(fileno(stderr)))
        options.progress = [](const FundImport::Progress& progress) {
            std::fprintf(stderr, "\r%d/%d files, %lld rows: %s\033[K", progress.filesDone,
                         progress.filesTotal, static_cast<long long>(progress.rows),
                         progress.currentFile.c_str());
        };
    const FundImport::Result result = FundImport::Import(database, paths, options);
    if (options.progress)
        std::fprintf(stderr, "\r\033[K");
    for (const FundImport::Problem& problem : result.problems)
        std::fprintf(stderr, "%s\n", problem.Text().c_str());
    if (!result.error.empty()) {
        std::fprintf(stderr, "fund-import: %s\n", result.error.c_str());
        return 1;
    }
    if (result.cancelled) {
        std::fprintf(stderr, "fund-import: stopped; %s is as it was\n", database.c_str());
        return 1;
    }
    if (!result.written) {
        std::fprintf(
            stderr,
            "fund-import: %zu bad rows or files; nothing written to %s (--skip-bad writes the good rows)\n",
            result.problems.size(), database.c_str());
        return 1;
    }
    if (!quiet) {
        for (const std::string& note : result.notes)
            std::printf("note: %s\n", note.c_str());
        std::printf("%s %s: %d files, %lld rows read; %lld funds added, %lld changed; rows %lld added, %lld "
                    "replaced, %lld withdrawn, %lld unchanged, %lld rejected\n",
                    result.created ? "created" : "updated", database.c_str(), result.files,
                    static_cast<long long>(result.rowsRead), static_cast<long long>(result.fundsAdded),
                    static_cast<long long>(result.fundsChanged), static_cast<long long>(result.rowsAdded),
                    static_cast<long long>(result.rowsReplaced), static_cast<long long>(result.rowsWithdrawn),
                    static_cast<long long>(result.rowsUnchanged),
                    static_cast<long long>(result.rowsRejected));
    }
    return 0;
}
