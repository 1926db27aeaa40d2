// Tests about file permissions, run as an ordinary user. Root reads and writes files whatever their
// permissions say, so under root (as CI runs) such a test would pass for the wrong reason: the
// test runs itself again in a child process as the user "nobody", through setpriv, and the parent
// only checks that the child passed.
//
//     TEST_F(Suite, ReadOnlyFileStays) {
//         if (TestSupport::RanUnprivileged())
//             return;
//         ... the test, as an ordinary user ...
//     }
//
// Everything the child touches must be reachable by that user: it makes its own files in the
// temporary folder. When the test program cannot be run by that user (a checkout in a folder only
// root may enter, such as /root), the child stays root but runs without any capability: the kernel
// then checks file permissions for it as for any owner, which is what these tests need.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

// True when the user nobody can run the program at this path (every folder above it may be entered).
inline bool NobodyCanRun(const std::string& program) {
    std::string command = "cd /tmp && setpriv --reuid=nobody --regid=nogroup --clear-groups test -x '" +
                          program + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// False in a process that is no root: the caller goes on with the test. True after the test ran
// as "nobody" in a child process, whose failure fails the calling test.
inline bool RanUnprivileged() {
    // The child of a root without capabilities is still uid 0: the variable tells it apart.
    if (::geteuid() != 0 || std::getenv("FC_TEST_UNPRIVILEGED") != nullptr)
        return false;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string filter = std::string(info->test_suite_name()) + "." + info->name();
    std::array<char, 4096> self{};
    ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) {
        ADD_FAILURE() << "cannot find the test program to run it as another user";
        return true;
    }
    const std::string program(self.data(), static_cast<size_t>(length));
    // A build tree inside a folder only root may enter (a checkout under /root) cannot be run by
    // another user; root without its capabilities (no CAP_DAC_OVERRIDE) is held to the permission
    // bits as an owner is, so the test still runs and still means what it says.
    const std::string asNobody =
        NobodyCanRun(program)
            ? "cd /tmp && FC_TEST_UNPRIVILEGED=1 setpriv --reuid=nobody --regid=nogroup --clear-groups "
            : "cd /tmp && FC_TEST_UNPRIVILEGED=1 setpriv --bounding-set=-all --inh-caps=-all ";
    std::string command = asNobody + "'" + program + "' --gtest_filter='" + filter + "' 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot start " << command;
        return true;
    }
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        output += buffer.data();
    int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    // The child must have run this very test, not an empty selection.
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    return true;
}

} // namespace TestSupport
