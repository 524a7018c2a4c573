// The picture through the whole frame: a host that does not play gets no bars and no shift, a
// playing one gets both, and frames after the first make no heap allocation.
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include "plugin/settings.h"
#include "render/feedback.h"
#include "render/frame.h"
#include "render/noise.h"
#include "tests/alloc_counter.h"
#include "tests/picture_support.h"
#include "window/display_window.h"
#include "window/window_proc.h"

namespace {
LRESULT hostPlaying = 1;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHostQueryMessage) {
        if (lParam == HOST_IS_PLAYING) return hostPlaying;
        if (lParam == HOST_GET_LIST_POSITION) return 0;
        if (lParam == HOST_GET_LIST_TITLE) return (LRESULT) "A Song";
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA hostClass = {};
        hostClass.lpfnWndProc = HostProc;
        hostClass.hInstance = GetModuleHandleA(nullptr);
        hostClass.lpszClassName = "SmearscopePictureTestHost";
        RegisterClassA(&hostClass);
        registered = true;
    }
    return CreateWindowExA(0, "SmearscopePictureTestHost", "host", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool TextureBlack() {
    std::vector<unsigned char> texels(1024 * 1024 * 3);
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return std::all_of(texels.begin(), texels.end(), [](unsigned char b) { return b == 0; });
}
}  // namespace

class PictureFrameTest : public GlFixture {
protected:
    void OpenFrame(int w, int h) {
        Open(w, h);
        host = CreateHostWindow();
        module = VisModule();
        module.parentWindow = host;
        displayHandles.windowDC = dc;
        for (int b = 0; b < 64; ++b) module.spectrumData[0][b] = (unsigned char)(100 + b);
    }
    void TearDown() override {
        if (host) DestroyWindow(host);
        GlFixture::TearDown();
    }
    HWND host = nullptr;
    VisModule module;
};

TEST_F(PictureFrameTest, HostNotPlayingDrawsNoBarsAndShiftsNothing) {
    OpenFrame(160, 100);
    hostPlaying = 0;
    ClearAll();
    RenderFrame(&module);  // first frame: allocates the history
    ASSERT_NE(SpectrumHistory[0], nullptr);
    for (int j = 0; j < kHistoryRows; ++j) std::memset(SpectrumHistory[j], 200, kSnapshotBytes);
    ClearAll();
    RenderFrame(&module);
    EXPECT_EQ(SpectrumHistory[0][1], 200);
    EXPECT_EQ(SpectrumHistory[31][1], 200);
    EXPECT_TRUE(TextureBlack()) << "the captured picture holds no bars";

    hostPlaying = 1;
    ClearAll();
    RenderFrame(&module);
    EXPECT_EQ(SpectrumHistory[0][1], 101);
    EXPECT_EQ(SpectrumHistory[1][1], 200);
    EXPECT_FALSE(TextureBlack());
    EXPECT_TRUE(NoGlError());
}

TEST_F(PictureFrameTest, FramesAfterTheFirstAllocateNothing) {
    OpenFrame(320, 190);
    hostPlaying = 1;
    settings.flashScreen = true;
    settings.showSongTitle = true;
    displayToggles.useNoiseDistortion = true;
    displayToggles.showFps = true;
    RenderFrame(&module);
    const long long before = AllocationCounter::count;
    for (int i = 0; i < 5; ++i) {
        module.spectrumData[0][2] = (unsigned char)(i * 50);
        RenderFrame(&module);
    }
    EXPECT_EQ(AllocationCounter::count - before, 0);
    settings.flashScreen = false;
    settings.showSongTitle = false;
    displayToggles.useNoiseDistortion = false;
    displayToggles.showFps = false;
}

// A measurement, not a check: run with --gtest_also_run_disabled_tests to print frame times.
TEST_F(PictureFrameTest, DISABLED_MeasureFrameTime) {
    OpenFrame(640, 380);
    hostPlaying = 1;
    RenderFrame(&module);
    auto measure = [&](bool veils) {
        std::vector<double> ms;
        for (int i = 0; i < 100; ++i) {
            for (int b = 0; b < 64; ++b) module.spectrumData[0][b] = (unsigned char)((b * 37 + i * 11) % 256);
            const float bass = module.spectrumData[0][2] * kBinToLevel;
            const auto start = std::chrono::steady_clock::now();
            // The frame's drawing without its pacing sleep and swap.
            PlaceFrameCamera(4.0f * i);
            glEnable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_2D);
            ShiftInSpectrum(module.spectrumData[0]);
            DrawZoomBlur(bass, FrameBlurWay());
            ResizeScene(640, 380);
            DrawFeedbackTrail();
            CaptureFeedback();
            if (veils) {
                DrawFlashVeil(bass);
                NoiseVeilDraw(bass);
            }
            glFinish();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("frame 640x380 %s: median %.2f ms, p95 %.2f ms\n", veils ? "with flash and noise veils" : "bars, blur, trail",
                    ms[50], ms[95]);
    };
    measure(false);
    measure(true);
    std::vector<double> whole;
    displayToggles.beatChangesSpeed = false;  // a fixed 2 ms pause
    for (int i = 0; i < 100; ++i) {
        const auto start = std::chrono::steady_clock::now();
        RenderFrame(&module);
        whole.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(whole.begin(), whole.end());
    std::printf("RenderFrame 640x380 incl. 2 ms sleep and swap: median %.2f ms, p95 %.2f ms\n", whole[50], whole[95]);
    displayToggles.beatChangesSpeed = true;
}
