#include "LoopTimings.h"

#include <hostkernel/AtomicFile.h>

#include <algorithm>
#include <cstdio>
#include <time.h>

namespace {

std::int64_t Now(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

LoopTimings::Line& LoopTimings::Current() {
    if (m_lines.empty())
        m_lines.emplace_back();
    return m_lines.back();
}

void LoopTimings::BeginLine(int line) {
    m_lines.emplace_back().line = line;
}

void LoopTimings::MessageStarted() {
    if (m_depth++ > 0)
        return;
    m_startWall = Now(CLOCK_MONOTONIC);
    m_startCpu = Now(CLOCK_THREAD_CPUTIME_ID);
}

void LoopTimings::MessageEnded() {
    if (m_depth == 0 || --m_depth > 0)
        return;
    const double wall = static_cast<double>(Now(CLOCK_MONOTONIC) - m_startWall) / 1e6;
    const double cpu = static_cast<double>(Now(CLOCK_THREAD_CPUTIME_ID) - m_startCpu) / 1e6;
    Line& line = Current();
    line.longestWall = std::max(line.longestWall, wall);
    line.longestCpu = std::max(line.longestCpu, cpu);
    line.busyWall += wall;
    line.busyCpu += cpu;
    ++line.messages;
}

void LoopTimings::FramePresented() {
    if (m_firstFrame != 0)
        return;
    m_firstFrame = Now(CLOCK_MONOTONIC);
    m_firstFrameCpu = Now(CLOCK_THREAD_CPUTIME_ID);
}

bool LoopTimings::Write(const std::string& path, std::string& error) const {
    std::string text;
    char line[256];
    std::snprintf(line, sizeof line, "first-frame\t%lld\t%.3f\n", static_cast<long long>(m_firstFrame),
                  static_cast<double>(m_firstFrameCpu) / 1e6);
    text += line;
    for (const Line& entry : m_lines) {
        std::snprintf(line, sizeof line, "line\t%d\t%.3f\t%.3f\t%.3f\t%.3f\t%d\n", entry.line,
                      entry.longestWall, entry.longestCpu, entry.busyWall, entry.busyCpu, entry.messages);
        text += line;
    }
    std::string reason;
    if (!HostKernel::AtomicFile::WriteWhole(path, text, reason)) {
        error = "cannot write the timings: " + reason;
        return false;
    }
    return true;
}
