// The whole program against a database whose file reads, locks and opens fail, one at a time.
//
// First the start-up: hosts are started in child processes with the N-th operation failing; each
// must start, or stop with a reason, without crashing or hanging. Then the visits: one host is
// started on a generated database and given 20 funds with nothing failing. Each run
// then takes place in a child process forked from that host, so that every run starts from the
// same state: the child fails the N-th file operation while it visits every page, and checks
// that it did not crash or hang, that every failed statement was reported in a message box (the
// one statement a page passes over silently aside), that the compared funds are the same 20, and
// that a second visit with nothing failing shows every page exactly as a run without faults does.
#include "FaultVfs.h"

#include "FundHost.h"
#include "ScriptRunner.h"
#include "support/FixtureDb.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>
#include <platform/gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kFunds = 20;
// Every fault point is run while there are few; beyond that the first ones are run one by one and
// the others sampled evenly, so that the suite stays within a couple of minutes under the
// sanitizers on two cores.
constexpr std::int64_t kVisitRuns = 48;
constexpr std::int64_t kStartRuns = 12;
// A run that takes longer than this is a hang.
constexpr unsigned kRunSeconds = 120;

// The one statement whose failure no message reports: the general page reads the latest report
// date and, when it cannot, shows its amounts as missing.
const char* const kSilentStatements[] = {"select max([date]) from tb_assetallocation where not isdeleted"};

const char* const kPages[] = {"综合对比", "业绩表现", "风险回报", "资产分布", "行业配置", "走势对比"};

struct RunReport {
    bool fired = false;
    std::int64_t counted = 0;
    int messages = 0;
    int reportable = 0;
    std::string problems;
    FaultVfs::Kinds kinds{};
};

class Harness {
public:
    Harness(FundHost& host, HostDb::SqliteDatabase& database, std::vector<std::string> codes)
        : m_host(host), m_database(database), m_codes(std::move(codes)) {}

    // One run; called in a child process.
    RunReport Run(std::int64_t n, const fs::path& dumps) {
        RunReport report;
        std::vector<std::string> failed;
        m_database.SetFailureObserver(
            [&failed](const std::string& sql, const std::string&) { failed.push_back(sql); });
        const size_t boxes = PlatformMessageBoxes().size();

        FaultVfs::Arm(n);
        std::string visit;
        for (const char* page : kPages)
            visit += std::string("tab ") + page + "\n";
        Perform(visit, report);
        FaultVfs::Disarm();
        report.fired = FaultVfs::Fired();
        report.counted = FaultVfs::Counted();
        report.kinds = FaultVfs::CountedByKind();

        for (size_t i = boxes; i < PlatformMessageBoxes().size(); ++i)
            if (PlatformMessageBoxes()[i].caption == L"ERROR")
                ++report.messages;
        for (const std::string& sql : failed)
            if (std::find(std::begin(kSilentStatements), std::end(kSilentStatements), sql) ==
                std::end(kSilentStatements))
                ++report.reportable;
        if (report.messages != report.reportable) {
            std::ostringstream text;
            text << report.reportable << " statements failed but " << report.messages
                 << " messages were shown:";
            for (const std::string& sql : failed)
                text << " [" << sql.substr(0, 80) << "]";
            Note(report, text.str());
        }
        for (const std::string& code : m_codes)
            if (m_host.CompareModule() == nullptr ||
                !m_host.CompareModule()->IsCompared(XStringW::FromUtf8(code)))
                Note(report, "the fund " + code + " is no longer compared");

        // Once reads succeed, a visit shows every page right, and without a message.
        failed.clear();
        const size_t cleanBoxes = PlatformMessageBoxes().size();
        fs::create_directories(dumps);
        for (const char* page : kPages) {
            std::string name = page;
            Perform("tab " + name + "\ndump " + (dumps / (name + ".tsv")).string() + "\n", report);
        }
        if (!failed.empty() || PlatformMessageBoxes().size() != cleanBoxes)
            Note(report, "the visit after the fault still failed: " + (failed.empty() ? "" : failed.front()));
        m_database.SetFailureObserver({});
        return report;
    }

private:
    void Perform(const std::string& script, RunReport& report) {
        std::string error;
        auto actions = ParseScript(script, error);
        ScriptRunner runner(m_host);
        if (!actions || !runner.Run(*actions, error))
            Note(report, "the script failed: " + error);
    }

    static void Note(RunReport& report, const std::string& text) {
        report.problems += (report.problems.empty() ? "" : "; ") + text;
    }

    FundHost& m_host;
    HostDb::SqliteDatabase& m_database;
    std::vector<std::string> m_codes;
};

// A run in a child process: its id and the read end of the pipe its report comes through.
struct Child {
    pid_t pid = -1;
    int pipe = -1;
};

// Forks a child that runs `body` under a time limit and writes its report to the parent.
template <class Body>
Child Launch(Body body) {
    int ends[2];
    if (::pipe(ends) != 0)
        return Child{};
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ends[0]);
        ::alarm(kRunSeconds);
        RunReport report = body();
        std::ostringstream text;
        text << report.fired << ' ' << report.counted << ' ' << report.messages << ' ' << report.reportable
             << ' ' << report.kinds.reads << ' ' << report.kinds.locks << ' ' << report.kinds.opens << ' '
             << report.problems;
        std::string bytes = text.str();
        ssize_t written = ::write(ends[1], bytes.data(), bytes.size());
        // No destructors and no leak check: the parent still owns everything the child copied.
        ::_exit(written == static_cast<ssize_t>(bytes.size()) ? 0 : 3);
    }
    ::close(ends[1]);
    return Child{pid, ends[0]};
}

// Waits for a child and reads its report; a crash or a hang is a problem of its own.
RunReport Collect(const Child& child) {
    RunReport report;
    if (child.pid < 0) {
        report.problems = "no child could be started";
        return report;
    }
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = ::read(child.pipe, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(got));
    ::close(child.pipe);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        report.problems = WIFSIGNALED(status)
                              ? "the run was killed by signal " + std::to_string(WTERMSIG(status)) +
                                    (WTERMSIG(status) == SIGALRM ? " (a hang)" : " (a crash)")
                              : "the run exited with " + std::to_string(WEXITSTATUS(status));
        return report;
    }
    std::istringstream in(bytes);
    in >> report.fired >> report.counted >> report.messages >> report.reportable >> report.kinds.reads >>
        report.kinds.locks >> report.kinds.opens;
    std::getline(in >> std::ws, report.problems);
    return report;
}

// Runs `body(n)` for every n in children, two at a time (the machines it runs on have two cores
// or more), and answers the reports in the order of `points`.
template <class Body>
std::vector<RunReport> RunAll(const std::set<std::int64_t>& points, Body body) {
    constexpr size_t kAtOnce = 2;
    std::vector<RunReport> reports;
    std::vector<Child> running;
    for (std::int64_t n : points) {
        running.push_back(Launch([&body, n] { return body(n); }));
        if (running.size() == kAtOnce) {
            reports.push_back(Collect(running.front()));
            running.erase(running.begin());
        }
    }
    for (const Child& child : running)
        reports.push_back(Collect(child));
    return reports;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files of a run's second visit that differ from the fault-free run's.
std::string Differences(const fs::path& reference, const fs::path& dumps) {
    std::string out;
    for (const auto& entry : fs::directory_iterator(reference))
        if (ReadAll(entry.path()) != ReadAll(dumps / entry.path().filename()))
            out += (out.empty() ? "" : ", ") + entry.path().filename().string();
    return out;
}

// The fault points to run out of `points`: all of them when they are at most `runs`, else the
// first half of the runs one by one and the rest spread evenly up to the last point; and always
// the first point beyond them, where the run completes.
std::set<std::int64_t> Choose(std::int64_t points, std::int64_t runs) {
    std::set<std::int64_t> chosen;
    if (points <= runs) {
        for (std::int64_t n = 1; n <= points; ++n)
            chosen.insert(n);
    } else {
        std::int64_t leading = runs / 2, spread = runs - leading;
        for (std::int64_t n = 1; n <= leading; ++n)
            chosen.insert(n);
        for (std::int64_t i = 1; i <= spread; ++i)
            chosen.insert(leading + (points - leading) * i / spread);
    }
    chosen.insert(points + 1);
    return chosen;
}

// Starts a host with the n-th operation failing (0: none), in a child process. It must start, or
// stop with a reason; either way without a crash or a hang.
RunReport StartHost(const CommandLine& line, std::int64_t n) {
    PlatformStartHeadless(1280, 800);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    FaultVfs::Arm(n);
    FundHost host;
    std::string error;
    bool started = host.Start(line, error);
    PlatformRunUntilIdle();
    FaultVfs::Disarm();
    RunReport report;
    report.fired = FaultVfs::Fired();
    report.counted = FaultVfs::Counted();
    report.kinds = FaultVfs::CountedByKind();
    if (!started && error.empty())
        report.problems = "the host stopped without a reason";
    if (started && (host.Frame() == nullptr || host.CompareModule() == nullptr))
        report.problems = "the host started without its frame or module";
    return report;
}

TEST(FaultInjection, EveryPageSurvivesAFailedReadLockOrOpenAndComesBackRight) {
    FaultVfs::Install();
    TestSupport::GeneratedDb database(SampleDb::Options{120, 3, 11});
    fs::path folder = fs::temp_directory_path() / ("fault-injection-" + std::to_string(::getpid()));
    fs::create_directories(folder);

    // Twenty funds the picker offers, by display code and by code.
    std::vector<std::string> aliases, codes;
    {
        auto db = database.Open();
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db.get(),
                               "select code, aliascode from tb_fund where fundtype <> '契约型封闭式' and "
                               "fundtype <> '创新型封闭式' and fundtype <> '集合理财产品' and "
                               "isdellisting = 0 and not isdeleted order by code limit 20",
                               -1, &statement, nullptr),
            SQLITE_OK);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            codes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            aliases.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        }
        sqlite3_finalize(statement);
    }
    ASSERT_EQ(codes.size(), static_cast<size_t>(kFunds));

    CommandLine line;
    line.database = database.Path();
    line.config = (folder / "config.xml").string();
    line.module = FUNDCOMPARE_MODULE;
    line.headless = true;
    // A configuration exists from the outset: a first start on a sample database compares sample
    // funds and writes the file, so that the runs after it would not start alike.
    std::ofstream(line.config) << "<Quenda2/>\n";

    // Start-up, before this process starts a host of its own.
    auto start = [&line](std::int64_t n) { return StartHost(line, n); };
    RunReport plainStart = RunAll({0}, start).front();
    ASSERT_TRUE(plainStart.problems.empty()) << plainStart.problems;
    const std::int64_t startPoints = plainStart.counted;
    const FaultVfs::Kinds startKinds = plainStart.kinds;
    int startsExercised = 0;
    std::set<std::int64_t> startRuns = Choose(startPoints, kStartRuns);
    std::vector<RunReport> startReports = RunAll(startRuns, start);
    auto startReport = startReports.begin();
    for (std::int64_t n : startRuns) {
        const RunReport& report = *startReport++;
        EXPECT_TRUE(report.problems.empty()) << "start-up fault point " << n << ": " << report.problems;
        EXPECT_EQ(report.fired, n <= startPoints) << "start-up fault point " << n;
        startsExercised += report.fired ? 1 : 0;
    }

    PlatformStartHeadless(1280, 800);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        FundHost host;
        std::string error;
        ASSERT_TRUE(host.Start(line, error)) << error;
        PlatformSetMessageHandler([&host](MSG& message) { host.HandleMessage(message); });
        XComPtr<IModule> module;
        ASSERT_TRUE(host.App()->GetModule(module.Receive(), HostDb::DatabaseModule::kId));
        XComPtr<Data::IDatabase> opened;
        ASSERT_TRUE(dynamic_cast<HostDb::DatabaseModule*>(module.Get())->GetDatabase(opened.Receive()));
        auto* sqlite = dynamic_cast<HostDb::SqliteDatabase*>(opened.Get());
        ASSERT_NE(sqlite, nullptr);

        std::string adds = "tab 对比分析\n";
        for (const std::string& alias : aliases)
            adds += "add " + alias + "\n";
        auto actions = ParseScript(adds, error);
        ASSERT_TRUE(actions) << error;
        ScriptRunner runner(host);
        ASSERT_TRUE(runner.Run(*actions, error)) << error;
        ASSERT_TRUE(PlatformMessageBoxes().empty());

        Harness harness(host, *sqlite, codes);
        // A run in which nothing fails counts the fault points and shows the pages as they are.
        const fs::path reference = folder / "reference";
        auto visit = [&harness, &folder, &reference](std::int64_t n) {
            return harness.Run(n, n == 0 ? reference : folder / ("run-" + std::to_string(n)));
        };
        RunReport clean = RunAll({0}, visit).front();
        ASSERT_TRUE(clean.problems.empty()) << clean.problems;
        ASSERT_EQ(clean.messages, 0);
        const std::int64_t points = clean.counted;
        ASSERT_GT(points, 0);
        std::string general = ReadAll(reference / "综合对比.tsv");
        ASSERT_EQ(std::count(general.begin(), general.begin() + general.find('\n'), '\t'), kFunds)
            << general.substr(0, 400);
        ASSERT_GT(ReadAll(reference / "风险回报.tsv").size(), 100u);

        const FaultVfs::Kinds kinds = clean.kinds;
        int exercised = 0;
        auto started = std::chrono::steady_clock::now();
        std::set<std::int64_t> visitRuns = Choose(points, kVisitRuns);
        std::vector<RunReport> visitReports = RunAll(visitRuns, visit);
        auto visitReport = visitReports.begin();
        for (std::int64_t n : visitRuns) {
            const fs::path dumps = folder / ("run-" + std::to_string(n));
            const RunReport& report = *visitReport++;
            EXPECT_TRUE(report.problems.empty()) << "fault point " << n << ": " << report.problems;
            std::string changed = Differences(reference, dumps);
            EXPECT_TRUE(changed.empty())
                << "fault point " << n << ": after the fault these pages differ: " << changed;
            EXPECT_EQ(report.fired, n <= points) << "fault point " << n;
            exercised += report.fired ? 1 : 0;
            fs::remove_all(dumps);
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf(
            "fault injection: start-up %d of %lld fault points (%lld reads, %lld locks, %lld opens); visits "
            "%d of %lld fault points (%lld reads, %lld locks, %lld opens); %.1f s for the visits\n",
            startsExercised, static_cast<long long>(startPoints), static_cast<long long>(startKinds.reads),
            static_cast<long long>(startKinds.locks), static_cast<long long>(startKinds.opens), exercised,
            static_cast<long long>(points), static_cast<long long>(kinds.reads),
            static_cast<long long>(kinds.locks), static_cast<long long>(kinds.opens), seconds);
        ::testing::Test::RecordProperty("start_fault_points", static_cast<int>(startPoints));
        ::testing::Test::RecordProperty("start_exercised", startsExercised);
        ::testing::Test::RecordProperty("visit_fault_points", static_cast<int>(points));
        ::testing::Test::RecordProperty("visit_exercised", exercised);

        PlatformSetMessageHandler({});
        host.Stop();
    }
    Gdiplus::GdiplusShutdown(token);
    fs::remove_all(folder);
}

} // namespace
