// LoopTimings: how long the program kept its message loop from taking the next input, written for
// `--timings FILE`, so that a benchmark can hold the program's responsiveness against its budget
// from outside: the moment the main window's first frame was presented, and for every script line
// the longest time one message kept the loop busy and the time all its messages took. A session
// in the window has no script: its line 0 covers the whole session, and the file is written when
// the window closes.
//
// Each duration is taken twice, on the wall clock and as this thread's processor time; the latter
// tells the program's own work apart from the time other programs of a shared machine took. Time
// the loop spends waiting (for input, or for a worker thread's result) is no busy time.
//
// The file holds tab-separated lines:
//   first-frame  MONOTONIC_NS  CPU_MS
//   line  N  LONGEST_WALL_MS  LONGEST_CPU_MS  BUSY_WALL_MS  BUSY_CPU_MS  MESSAGES
// MONOTONIC_NS is CLOCK_MONOTONIC, which a parent process can hold against its own launch time;
// CPU_MS the processor time of the user-interface thread until then, from the start of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LoopTimings {
public:
    // Around the handling of one message; nested handling counts within the outer one.
    void MessageStarted();
    void MessageEnded();
    // A top-level window was presented; the first presentation of the main window is the frame.
    void FramePresented();
    // The script line whose messages follow (0 before the first line).
    void BeginLine(int line);
    // False with the reason when the file cannot be written.
    bool Write(const std::string& path, std::string& error) const;

    std::int64_t FirstFrame() const { return m_firstFrame; }

private:
    struct Line {
        int line = 0;
        double longestWall = 0, longestCpu = 0, busyWall = 0, busyCpu = 0;
        int messages = 0;
    };
    Line& Current();

    std::vector<Line> m_lines;
    int m_depth = 0;
    std::int64_t m_startWall = 0, m_startCpu = 0;
    std::int64_t m_firstFrame = 0;
    std::int64_t m_firstFrameCpu = 0;
};
