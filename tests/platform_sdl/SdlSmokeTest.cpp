// The display backend under a virtual X server: the smoke program clicks through SDL events and
// checks a screenshot of the X screen, and meets a lost display and a refused request
// (see SdlSmoke.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

TEST(SdlDisplay, SmokeProgramClicksAndShowsItsControls) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1 && command -v import >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run or ImageMagick's import is missing";
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    std::string shot = std::string(FC_TEST_OUTPUT_DIR) + "/sdl-smoke.png";
    std::filesystem::remove(shot);
    // X and SDL keep caches for the life of the process; leak reports of the child are noise.
    std::string command =
        std::string("ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=x11 xvfb-run -a -s '-screen 0 "
                    "800x600x24' ") +
        SDL_SMOKE_PROGRAM + " " + shot;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::exists(shot));
}

TEST(SdlDisplay, ALostDisplayEndsTheProgramWithAMessageInsteadOfACrash) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is missing";
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    std::string log = std::string(FC_TEST_OUTPUT_DIR) + "/sdl-lost-display.txt";
    std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=x11 xvfb-run -a ") +
                          SDL_SMOKE_PROGRAM + " --lose-display 2>" + log;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("the connection to the display was lost"), std::string::npos) << text;
}

TEST(SdlDisplay, ARequestTheServerRefusesIsReportedAndTheProgramGoesOn) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is missing";
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    std::string log = std::string(FC_TEST_OUTPUT_DIR) + "/sdl-refused-request.txt";
    std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=x11 xvfb-run -a ") +
                          SDL_SMOKE_PROGRAM + " --refused-request 2>" + log;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("X error: BadWindow"), std::string::npos) << text;
}

TEST(SdlDisplay, AWindowDestroyedFromOutsideEndsTheLoop) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is missing";
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    std::string log = std::string(FC_TEST_OUTPUT_DIR) + "/sdl-destroyed-outside.txt";
    std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=x11 xvfb-run -a ") +
                          SDL_SMOKE_PROGRAM + " --destroyed-outside 2>" + log;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(WEXITSTATUS(status), 0) << text;
    EXPECT_NE(text.find("destroyed from outside"), std::string::npos) << text;
}
