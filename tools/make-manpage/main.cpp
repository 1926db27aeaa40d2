// make-manpage PROGRAM OUT --summary TEXT [--description-file FILE] [--section N]
//
// Runs PROGRAM --help and PROGRAM --version and writes the man page made from them to OUT.
// The program runs directly, without a shell, so that no path needs quoting.
#include "ManPage.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The standard output of the program run with one argument; false when it cannot be run or
// does not exit with 0.
bool capture(const std::string& program, const char* argument, std::string& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return false;
    }
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0)
            break;
        output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: make-manpage PROGRAM OUT --summary TEXT [--description-file FILE] [--section N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2)
        return usage();
    const std::string program = args[0], out = args[1];
    ManPage::PageInfo info;
    size_t slash = program.find_last_of('/');
    info.name = slash == std::string::npos ? program : program.substr(slash + 1);
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage();
        if (args[i] == "--summary")
            info.summary = args[i + 1];
        else if (args[i] == "--description-file") {
            std::ifstream in(args[i + 1], std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "make-manpage: cannot read '%s'\n", args[i + 1].c_str());
                return 1;
            }
            info.description.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else if (args[i] == "--section")
            info.section = std::atoi(args[i + 1].c_str());
        else
            return usage();
    }
    if (info.summary.empty() || info.section < 1)
        return usage();

    std::string help, version;
    if (!capture(program, "--help", help)) {
        std::fprintf(stderr, "make-manpage: '%s --help' failed\n", program.c_str());
        return 1;
    }
    if (!capture(program, "--version", version)) {
        std::fprintf(stderr, "make-manpage: '%s --version' failed\n", program.c_str());
        return 1;
    }
    info.version = version.substr(0, version.find('\n'));

    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << ManPage::FromHelp(help, info);
    file.close();
    if (!file) {
        std::fprintf(stderr, "make-manpage: cannot write '%s'\n", out.c_str());
        std::remove(out.c_str());
        return 1;
    }
    return 0;
}
