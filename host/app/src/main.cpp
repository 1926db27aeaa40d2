// fundhost: the fund-analysis host with the fund-comparison module.
#include "CommandLine.h"
#include "FundHost.h"
#include "Heartbeat.h"
#include "ScriptRunner.h"

#include <hostconf/RegularFile.h>
#include <platform/display.h>
#include <platform/driver.h>
#include <platform/gdiplus.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kNoDisplayMessage =
    "no display to show the program on; run it with --headless --script FILE";

// A person at the program needs a display to see it. SDL would otherwise fall back to drawing
// off-screen, and the program would run unseen until it is killed; so only the display servers
// are allowed, unless the user chose a video driver.
bool displayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("SDL_VIDEODRIVER"))
        return true;
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY"))
        return false;
    ::setenv("SDL_VIDEODRIVER", "x11,wayland", 0);
    return true;
}

// The loop of a person's session: every message through `handle` until WM_QUIT, whose code it
// answers.
template <class Handle>
int runDisplayLoop(Handle& handle) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        handle(message);
    return static_cast<int>(message.wParam);
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    auto line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!line) {
        std::fprintf(stderr, "fundhost: %s\n%s", error.c_str(), CommandLineUsage());
        return FundHost::kBadStart;
    }
    if (line->help) {
        std::printf("%s", CommandLineUsage());
        return FundHost::kOk;
    }
    if (line->version) {
        std::printf("fundhost %s\n", FC_VERSION);
        return FundHost::kOk;
    }

    std::vector<ScriptAction> actions;
    if (!line->script.empty()) {
        std::string text, reason;
        if (!HostConf::ReadRegularFile(line->script, text, reason)) {
            std::fprintf(stderr, "fundhost: cannot read the script: %s\n", reason.c_str());
            return FundHost::kScriptFailed;
        }
        auto parsed = ParseScript(text, error);
        if (!parsed) {
            std::fprintf(stderr, "fundhost: %s: %s\n", line->script.c_str(), error.c_str());
            return FundHost::kScriptFailed;
        }
        actions = std::move(*parsed);
    }
    // Scripts drive the headless screen; a person gets real windows on the display.
    bool display = !line->headless && line->script.empty();
    if (display && (!displayAvailable() || !PlatformStartSdl())) {
        std::fprintf(stderr, "fundhost: %s\n", kNoDisplayMessage);
        return FundHost::kBadStart;
    }
    if (!display)
        PlatformStartHeadless(line->width, line->height);

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    int code = FundHost::kOk;
    {
        FundHost host;
        if (!host.Start(*line, error)) {
            std::fprintf(stderr, "fundhost: %s\n", error.c_str());
            code = FundHost::kBadStart;
        } else {
            LoopTimings timings;
            const bool timed = !line->timings.empty();
            if (timed)
                PlatformSetPresentHook([&host, &timings](HWND window) {
                    if (host.Frame() != nullptr && window == host.Frame()->Window())
                        timings.FramePresented();
                });
            auto handle = [&host, &timings, timed](MSG& message) {
                if (timed)
                    timings.MessageStarted();
                host.HandleMessage(message);
                if (timed)
                    timings.MessageEnded();
            };
            if (display) {
                Heartbeat heartbeat;
                code = runDisplayLoop(handle);
            } else {
                PlatformSetMessageHandler(handle);
                ScriptRunner runner(host);
                runner.SetTimings(timed ? &timings : nullptr);
                if (!runner.Run(actions, error)) {
                    std::fprintf(stderr, "fundhost: %s: %s\n", line->script.c_str(), error.c_str());
                    code = FundHost::kScriptFailed;
                }
                PlatformSetMessageHandler({});
            }
            PlatformSetPresentHook({});
            if (timed && !timings.Write(line->timings, error)) {
                std::fprintf(stderr, "fundhost: %s\n", error.c_str());
                if (code == FundHost::kOk)
                    code = FundHost::kScriptFailed;
            }
        }
        host.Stop();
    }
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return code;
}
