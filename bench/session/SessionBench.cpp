// The program as a person meets it, measured from outside: fundhost is started in a child process
// on the benchmark database, headless, with a script of a whole session, and writes its timings
// (--timings); the parent adds what only it can see.
//
//   BM_Start/F          launch (the parent's clock before the child starts) to the first frame
//                       of the main window, with no compared fund (a first start) and with 99
//                       compared funds given back from the last session; budget 150 ms.
//   BM_Stall/ACTION/F   the longest time one message kept the message loop busy during one action
//                       of the session with 100 compared funds: the first show of every page, add,
//                       remove, clear, sort, filter, report date, horizon, theme and tab switches;
//                       budget 100 ms.
//   BM_PeakMemory/F     the child's peak resident memory (getrusage) after the session, which
//                       visits every page with 100 funds; budget 100 MB.
//
// Each figure is the median over the sessions run (--sessions=N, 3 unless given). A figure is
// reported as the benchmark's time, in milliseconds (memory in megabytes, as if milliseconds), with
// the counters "budget", "cpu_ms" (the child's processor time for the same, free of the time that
// other programs of a shared machine took) and "worst" (the largest over the sessions).
//
// The fund counts come from --funds=3000,12000,48000 (12,000 when not given).
#include "BenchDatabase.h"
#include "Summary.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr double kStartBudgetMs = 150;
constexpr double kStallBudgetMs = 100;
constexpr double kMemoryBudgetMb = 100;

std::int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

fs::path ProgramFolder() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? fs::path(std::string(buffer, static_cast<size_t>(n))).parent_path() : fs::path(".");
}

// What one run of the program told and what the parent saw of it.
struct Run {
    bool ok = false;
    double startMs = 0;    // launch to the first frame
    double startCpuMs = 0; // the user-interface thread's processor time until then
    double maxRssMb = 0;   // the child's peak resident memory
    struct Line {
        double longestWall = 0, longestCpu = 0;
    };
    std::map<int, Line> lines; // by script line
};

Run RunProgram(const std::string& database, const fs::path& folder, const std::string& config,
               const std::string& script) {
    Run run;
    const fs::path configFile = folder / "config.xml";
    const fs::path scriptFile = folder / "session.script";
    const fs::path timingsFile = folder / "timings.tsv";
    std::ofstream(configFile) << config;
    std::ofstream(scriptFile) << script;
    fs::remove(timingsFile);
    const std::string program = (ProgramFolder() / "fundhost").string();
    std::vector<std::string> arguments = {
        program,    "--headless",        "--size",   "1280x800",          "--db",      database,
        "--config", configFile.string(), "--script", scriptFile.string(), "--timings", timingsFile.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The program's notes of what its script did (dumps, screenshots) are not the benchmark's.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::int64_t launched = MonotonicNs();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
        return run;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the session failed (status %d); its script is in %s\n", status,
                     scriptFile.string().c_str());
        return run;
    }
    run.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::ifstream timings(timingsFile);
    std::string lineText;
    while (std::getline(timings, lineText)) {
        std::istringstream fields(lineText);
        std::string kind;
        fields >> kind;
        if (kind == "first-frame") {
            long long frame = 0;
            fields >> frame >> run.startCpuMs;
            run.startMs = frame > 0 ? static_cast<double>(frame - launched) / 1e6 : 0;
        } else if (kind == "line") {
            int number = 0;
            Run::Line line;
            fields >> number >> line.longestWall >> line.longestCpu;
            run.lines[number] = line;
        }
    }
    run.ok = run.startMs > 0;
    return run;
}

// The session: one action per line, each one of the actions a person takes. The first compared
// funds come back from the last session; the hundredth is added on the way.
struct Step {
    std::string name;   // the figure's name
    std::string action; // the script line
};

std::vector<Step> SessionSteps(const std::string& hundredth) {
    return {
        {"show-general", "tab general"},
        {"add", "add " + hundredth},
        {"show-performance", "tab performance"},
        {"sort", "sort yield desc"},
        {"filter", "filter 最近一年"},
        {"filter-all", "filter all"},
        {"show-riskreturn", "tab risk"},
        {"horizon", "horizon 3"},
        {"show-asset", "tab asset"},
        {"report-date", "date 2010-09-30"},
        {"show-industry", "tab industry"},
        {"show-growth", "tab growth"},
        {"theme", "theme light"},
        {"tab-switch", "tab performance"},
        {"remove", "remove " + hundredth},
        {"theme-back", "theme dark"},
        {"tab-general", "tab general"},
        {"clear", "clear"},
    };
}

std::string Config(const std::vector<std::string>& codes) {
    std::string joined;
    for (const std::string& code : codes)
        joined += (joined.empty() ? "" : ",") + code;
    return "<?xml version=\"1.0\"?>\n<Quenda2><FundCompare><Session><Funds>" + joined +
           "</Funds><Page>0</Page></Session></FundCompare><UserConfig><Theme>dark</Theme></UserConfig>"
           "</Quenda2>\n";
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The figures of one fund count, over all sessions.
struct Figures {
    std::vector<double> startFresh, startRestored, startFreshCpu, startRestoredCpu, memory;
    std::map<std::string, std::vector<double>> stallWall, stallCpu;
    std::vector<std::string> order;
};

Figures Measure(int funds, int sessions) {
    Figures figures;
    BenchSupport::DatabaseSpec spec;
    spec.funds = funds;
    const std::string database = BenchSupport::CachedDatabase(spec);
    std::vector<std::string> codes = BenchSupport::ComparedCodes(database, 100);
    if (codes.size() < 2) {
        std::fprintf(stderr, "the database has too few funds to compare\n");
        std::exit(1);
    }
    const std::string hundredth = codes.back();
    codes.pop_back();
    const fs::path folder = fs::temp_directory_path() / ("session_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::vector<Step> steps = SessionSteps(hundredth);
    std::string script;
    for (const Step& step : steps) {
        script += step.action + "\n";
        figures.order.push_back(step.name);
    }
    for (int s = 0; s < sessions; ++s) {
        // A first start: nothing compared, the host's own page in front.
        Run fresh = RunProgram(database, folder, "<?xml version=\"1.0\"?>\n<Quenda2/>\n", "");
        if (fresh.ok) {
            figures.startFresh.push_back(fresh.startMs);
            figures.startFreshCpu.push_back(fresh.startCpuMs);
        }
        Run session = RunProgram(database, folder, Config(codes), script);
        if (!session.ok)
            continue;
        figures.startRestored.push_back(session.startMs);
        figures.startRestoredCpu.push_back(session.startCpuMs);
        figures.memory.push_back(session.maxRssMb);
        for (size_t i = 0; i < steps.size(); ++i) {
            const Run::Line& line = session.lines[static_cast<int>(i) + 1];
            figures.stallWall[steps[i].name].push_back(line.longestWall);
            figures.stallCpu[steps[i].name].push_back(line.longestCpu);
        }
    }
    fs::remove_all(folder);
    return figures;
}

std::map<int, Figures>& AllFigures() {
    static std::map<int, Figures> figures;
    return figures;
}

int g_sessions = 3;

Figures& FiguresFor(int funds) {
    auto& all = AllFigures();
    auto found = all.find(funds);
    if (found == all.end())
        found = all.emplace(funds, Measure(funds, g_sessions)).first;
    return found->second;
}

void Report(benchmark::State& state, const std::string& figure, const std::vector<double>& values,
            const std::vector<double>& cpu, double budget, const char* unit, int funds) {
    if (values.empty()) {
        state.SkipWithError("the program did not run");
        return;
    }
    const double median = Median(values);
    BenchSupport::SummaryRow(figure + ", " + std::to_string(funds) + " funds", median, unit, budget);
    for (auto _ : state)
        state.SetIterationTime(median / 1000.0);
    state.counters["budget"] = budget;
    state.counters["worst"] = *std::max_element(values.begin(), values.end());
    if (!cpu.empty())
        state.counters["cpu_ms"] = Median(cpu);
    state.counters["funds"] = funds;
}

int TakeSessions(int& argc, char** argv) {
    constexpr const char kFlag[] = "--sessions=";
    int sessions = 3, kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, sizeof kFlag - 1) == 0)
            sessions = std::max(1, std::atoi(argv[i] + sizeof kFlag - 1));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return sessions;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<int> counts = BenchSupport::TakeFundCounts(argc, argv, {12000});
    g_sessions = TakeSessions(argc, argv);
    auto settings = [](benchmark::internal::Benchmark* bench) {
        bench->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    };
    for (int funds : counts) {
        const std::string size = "/" + std::to_string(funds);
        settings(
            benchmark::RegisterBenchmark(("BM_Start/fresh" + size).c_str(), [funds](benchmark::State& state) {
                Report(state, "launch to first frame, first start", FiguresFor(funds).startFresh,
                       FiguresFor(funds).startFreshCpu, kStartBudgetMs, "ms", funds);
            }));
        settings(benchmark::RegisterBenchmark(
            ("BM_Start/restored" + size).c_str(), [funds](benchmark::State& state) {
                Report(state, "launch to first frame, 99 funds given back", FiguresFor(funds).startRestored,
                       FiguresFor(funds).startRestoredCpu, kStartBudgetMs, "ms", funds);
            }));
        for (const Step& step : SessionSteps("")) {
            const std::string name = step.name;
            settings(benchmark::RegisterBenchmark(
                ("BM_Stall/" + name + size).c_str(), [funds, name](benchmark::State& state) {
                    Figures& figures = FiguresFor(funds);
                    Report(state, "longest loop stall, " + name, figures.stallWall[name],
                           figures.stallCpu[name], kStallBudgetMs, "ms", funds);
                }));
        }
        settings(
            benchmark::RegisterBenchmark(("BM_PeakMemory" + size).c_str(), [funds](benchmark::State& state) {
                Report(state, "peak resident memory after every page", FiguresFor(funds).memory, {},
                       kMemoryBudgetMb, "MB", funds);
            }));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
