// make-sample-db OUT.db [--funds N] [--years Y] [--seed S] [--no-history]: writes the sample fund
// database.
#include "InputFiles.h"
#include "SampleDbGenerator.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The usage on stderr after a mistake (exit status 2), on stdout when asked for (status 0).
int Usage(FILE* to = stderr, int status = 2) {
    std::fprintf(
        to,
        "usage: make-sample-db OUT.db [--funds N] [--years Y] [--seed S] [--no-history] [--csv DIR]\n"
        "  --funds N     fund rows, 1 to %d (default 2000)\n"
        "  --years Y     years of reports, 1 to %d (default 6)\n"
        "  --seed S      any unsigned 64-bit number (default 1); equal seeds give equal data\n"
        "  --no-history  leave out the daily net values of the funds and the index\n"
        "  --csv DIR     also write the invented facts as the files fund-import reads (CSV, TSV\n"
        "                and xlsx, GBK and UTF-8): importing them gives the same database pages\n",
        SampleDb::kMaxFunds, SampleDb::kMaxYears);
    return status;
}

// A whole decimal number and nothing else; strtoull alone would accept "12abc" and "-3".
bool ParseNumber(const char* text, unsigned long long& value) {
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0';
}

// Stopped while it builds, the program removes its unfinished file and then dies of the signal as
// it would have.
void OnStopSignal(int signal) {
    SampleDb::RemoveUnfinishedFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main(int argc, char** argv) {
    SampleDb::Options options;
    std::string out, csv;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        unsigned long long value = 0;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return Usage(stdout, 0);
        } else if (std::strcmp(arg, "--no-history") == 0) {
            options.historyFunds = 0;
        } else if (std::strcmp(arg, "--csv") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "make-sample-db: --csv needs a folder\n");
                return Usage();
            }
            csv = argv[++i];
        } else if (std::strcmp(arg, "--funds") == 0 || std::strcmp(arg, "--years") == 0 ||
                   std::strcmp(arg, "--seed") == 0) {
            if (!ParseNumber(i + 1 < argc ? argv[i + 1] : nullptr, value)) {
                std::fprintf(stderr, "make-sample-db: %s needs a whole number\n", arg);
                return Usage();
            }
            ++i;
            if (std::strcmp(arg, "--seed") == 0) {
                options.seed = value;
            } else {
                const bool funds = std::strcmp(arg, "--funds") == 0;
                const unsigned long long limit = funds ? SampleDb::kMaxFunds : SampleDb::kMaxYears;
                if (value < 1 || value > limit) {
                    std::fprintf(stderr, "make-sample-db: %s must be between 1 and %llu\n", arg, limit);
                    return 2;
                }
                (funds ? options.funds : options.years) = static_cast<int>(value);
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "make-sample-db: unknown option %s\n", arg);
            return Usage();
        } else if (out.empty()) {
            out = arg;
        } else {
            std::fprintf(stderr, "make-sample-db: more than one output file\n");
            return Usage();
        }
    }
    if (out.empty())
        return Usage();

    // A signal that the program was started with ignored (Ctrl+C for a background job) stays
    // ignored.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        if (std::signal(signal, OnStopSignal) == SIG_IGN)
            std::signal(signal, SIG_IGN);
    const auto start = std::chrono::steady_clock::now();
    SampleDb::Summary summary;
    const std::string error = SampleDb::Generate(out, options, &summary);
    if (!error.empty()) {
        std::fprintf(stderr, "make-sample-db: %s\n", error.c_str());
        return 1;
    }
    if (!csv.empty()) {
        const std::string failure = SampleDb::WriteInputFiles(out, csv);
        if (!failure.empty()) {
            std::fprintf(stderr, "make-sample-db: %s\n", failure.c_str());
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %lld funds, %lld rows, %d years, seed %llu, %.1f s\n", out.c_str(),
                static_cast<long long>(summary.funds), static_cast<long long>(summary.rows), options.years,
                static_cast<unsigned long long>(options.seed), seconds);
    return 0;
}
