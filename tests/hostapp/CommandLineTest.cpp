// The host's command line: values, defaults and clear refusals.
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, ReadsEveryOption) {
    std::string error;
    auto line = ParseCommandLine({"--db", "f.db", "--theme", "light", "--zoom", "1.25", "--size", "1024x768",
                                  "--module", "m.so", "--headless", "--script", "s.txt", "--config", "c.xml"},
                                 error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->database, "f.db");
    EXPECT_EQ(line->theme, "light");
    EXPECT_DOUBLE_EQ(*line->zoom, 1.25);
    EXPECT_EQ(line->width, 1024);
    EXPECT_EQ(line->height, 768);
    EXPECT_EQ(line->module, "m.so");
    EXPECT_TRUE(line->headless);
    EXPECT_EQ(line->script, "s.txt");
    EXPECT_EQ(line->config, "c.xml");

    auto defaults = ParseCommandLine({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_FALSE(defaults->zoom);
    EXPECT_EQ(defaults->width, 1280);
    EXPECT_FALSE(defaults->headless);
}

TEST(CommandLine, ASizeBelowTheFramesMinimumIsRaisedToIt) {
    // Smaller, the frame's tabs and buttons would not all show, headless or not.
    std::string error;
    auto small = ParseCommandLine({"--size", "320x320"}, error);
    ASSERT_TRUE(small) << error;
    EXPECT_EQ(small->width, 760);
    EXPECT_EQ(small->height, 520);
    auto narrow = ParseCommandLine({"--size", "700x900"}, error);
    ASSERT_TRUE(narrow) << error;
    EXPECT_EQ(narrow->width, 760);
    EXPECT_EQ(narrow->height, 900);
    auto exact = ParseCommandLine({"--size", "760x520"}, error);
    ASSERT_TRUE(exact) << error;
    EXPECT_EQ(exact->width, 760);
    EXPECT_EQ(exact->height, 520);
}

TEST(CommandLine, RefusesMistakesWithTheArgumentNamed) {
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"--db"}, error));
    EXPECT_EQ(error, "--db needs a value");
    EXPECT_FALSE(ParseCommandLine({"--frobnicate"}, error));
    EXPECT_NE(error.find("--frobnicate"), std::string::npos);
    for (const char* zoom : {"abc", "0", "-1", "nan", "inf", "1.5x", "100"}) {
        EXPECT_FALSE(ParseCommandLine({"--zoom", zoom}, error)) << zoom;
        EXPECT_NE(error.find(zoom), std::string::npos);
    }
    for (const char* size : {"1024", "x768", "1024x", "10x10", "1024x768x2", "99999x800", "-5x800", "a x b"})
        EXPECT_FALSE(ParseCommandLine({"--size", size}, error)) << size;
    // An empty file name (an unset shell variable) is a mistake, not a request for the default.
    for (const char* option : {"--db", "--script", "--config", "--module"}) {
        EXPECT_FALSE(ParseCommandLine({"--headless", option, ""}, error)) << option;
        EXPECT_EQ(error, std::string(option) + " needs a file name, not an empty one");
    }
}

} // namespace
