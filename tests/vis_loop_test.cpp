// The player's loop, the one the app and the bench's ordinary host both run: the order of its
// calls and where a run ends, seen by steps that write each call they get into one string.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "host/player/vis_loop.h"

namespace {

struct Case {
    const char* name;
    int frames;
    bool rendersPastOne;
    int initResult, answerFrame, answer, endAfter, restartAt, again;
    const char* calls;
    int runs;
};

const UINT kPosted = WM_APP + 1;
std::string* probeCalls = nullptr;

// A window on the test's thread: a message posted to it shows as "m" where the loop dispatched it.
LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPosted && probeCalls) *probeCalls += "m";
    return DefWindowProcA(window, message, wParam, lParam);
}

// "I" and the run's number for Init, "b" Begin, "R" Render, "e" End, "Q" Quit; each Render and
// Quit posts one message to the probe.
struct RecordingSteps : VisLoopSteps {
    RecordingSteps(HWND probe, const Case& c) : probe(probe), c(c), again(c.again) {}
    int Init(int r) override {
        calls += "I" + std::to_string(run = r);
        return c.initResult;
    }
    void Begin() override { calls += "b"; }
    bool RestartBeforeFrame(int frame) override { return run == 1 && frame == c.restartAt; }
    int Render(int frame) override {
        calls += "R";
        PostMessageA(probe, kPosted, 0, 0);
        return frame == c.answerFrame ? c.answer : 0;
    }
    bool AfterRender(int frame, int) override { return frame != c.endAfter; }
    void End() override { calls += "e"; }
    void Quit() override {
        calls += "Q";
        PostMessageA(probe, kPosted, 0, 0);
    }
    bool AgainAfterQuit() override { return again-- > 0; }
    HWND probe;
    const Case& c;
    int run = 0, again;
    std::string calls;
};

}  // namespace

TEST(VisLoop, CallsInAPlayersOrderAndEndsWhereTheRunEnds) {
    const Case cases[] = {
        {"N frames", 3, false, 0, 0, 0, 0, 0, 0, "I1bRmRmRemQm", 1},
        {"Render answers 1", 0, false, 0, 2, 1, 0, 0, 0, "I1bRmRemQm", 1},
        {"1 passed over", 3, true, 0, 2, 1, 0, 0, 0, "I1bRmRmRemQm", 1},
        {"a result outside the contract", 0, true, 0, 2, 5, 0, 0, 0, "I1bRmRemQm", 1},
        {"the caller's own end", 0, false, 0, 0, 0, 2, 0, 0, "I1bRmRemQm", 1},
        {"Init fails", 3, false, 1, 0, 0, 0, 0, 0, "I1Qm", 1},
        {"a restart before frame 2", 2, false, 0, 0, 0, 0, 2, 0, "I1bRmeQmI2bRmRemQm", 2},
        {"again after Quit, once", 0, false, 0, 1, 1, 0, 0, 1, "I1bRemQmI2bRemQm", 2},
    };
    WNDCLASSA probeClass = {};
    probeClass.lpfnWndProc = ProbeProc;
    probeClass.hInstance = GetModuleHandleA(nullptr);
    probeClass.lpszClassName = "SmearscopeLoopProbe";
    RegisterClassA(&probeClass);
    HWND probe = CreateWindowA(probeClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               probeClass.hInstance, nullptr);
    ASSERT_TRUE(probe);
    for (const Case& c : cases) {
        RecordingSteps steps(probe, c);
        probeCalls = &steps.calls;
        EXPECT_EQ(RunVisualisationLoop(steps, VisLoopLimits{c.frames, c.rendersPastOne}), c.runs) << c.name;
        EXPECT_EQ(steps.calls, c.calls) << c.name;
    }
    probeCalls = nullptr;
    DestroyWindow(probe);
    UnregisterClassA(probeClass.lpszClassName, probeClass.hInstance);
}
