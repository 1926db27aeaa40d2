// The fundhost program run as a child, its output and exit code collected.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct HostRun {
    int code = -1;
    std::string output;
};

// Runs the program with a time limit: a run that hangs ends with code 124 instead of holding up
// the suite. `environment` is put before the command ("NAME=value ...").
inline HostRun runHost(const std::string& arguments, const std::string& environment = "") {
    std::string command =
        environment + " timeout -s KILL 120 " + std::string(FUNDHOST_PATH) + " " + arguments + " 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 512> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        run.output += buffer.data();
    int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
