// The picture through the host bench: what each frame starts from (the cleared colour buffer),
// layers that leave no trace, and the flash's background.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>
#include "tests/bench.h"
#include "tests/bench_image.h"
#include "tests/bench_settings.h"

namespace {

BenchImage Captured(const BenchRun& run, int frame) {
    BenchImage image;
    EXPECT_TRUE(ReadPng(run.CapturePath(frame), image)) << run.CapturePath(frame);
    return image;
}

BenchRun RunCaptured(const std::vector<std::string>& arguments, const std::string& settingsFile = "") {
    BenchOptions options;
    options.capture = true;
    options.settingsFile = settingsFile;
    return RunBench(arguments, options);
}

// The brightest channel anywhere in the rectangle.
int Brightest(const BenchImage& image, int left, int top, int right, int bottom) {
    int most = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            most = std::max({most, image.R(x, y), image.G(x, y), image.B(x, y)});
    return most;
}

TEST(HostPicture, FlashBackgroundIsBlackInSilenceAndTheBassGreyWhenLoud) {
    struct Case {
        const char* spectrum;
        int grey;
    };
    // Cleared to the bass grey g, the trail T settles at 0.975 x (0.75 g + 0.25 T) = 0.9669 g, and
    // the flash veil adds g at 0.15: 0.85 x 0.9669 g + 0.15 g = 0.9719 g; bin 255 is g 0.7286.
    const Case cases[] = {{"const:0", 0}, {"const:255", 181}};
    for (const Case& c : cases) {
        // Playing: the player sends no spectrum while it stops. The bars fill the middle band.
        BenchRun run = RunCaptured({"--frames", "8", "--spectrum", c.spectrum, "--clock-step", "20",
                                    "--capture-frames", "8"},
                                   SettingsFileText({"FlashScreen=1"}));
        ASSERT_TRUE(run.Finished()) << run.Describe();
        const BenchImage last = Captured(run, 8);
        for (int x : {10, 320, 630})
            for (int y : {10, 60, 330, 370}) {
                EXPECT_NEAR(last.R(x, y), c.grey, 4) << c.spectrum << " at " << x << "," << y;
                EXPECT_EQ(last.R(x, y), last.B(x, y)) << c.spectrum << " at " << x << "," << y;
            }
    }
}

TEST(HostPicture, NoiseVeilAtSilenceIsAQuarterWhiteWashOverTheTop199Of200) {
    // Playing, so the bar field turns culling off and the veil shows; bass 0 samples one point.
    BenchRun run = RunCaptured({"--frames", "6", "--spectrum", "const:0", "--clock-step", "40", "--keys", "1:N"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const BenchImage image = Captured(run, 6);
    // Away from the notice (top left) and the flat bars (middle): white at 0.25 over black is 64.
    for (int x : {450, 600, 639})
        for (int y : {0, 40, 100}) EXPECT_NEAR(image.G(x, y), 64, 2) << x << "," << y;
    // The strips stop at 199 of 200 units: the bottom row of the window stays black.
    EXPECT_EQ(Brightest(image, 0, 379, 640, 380), 0);
}

TEST(HostPicture, ExpiredNoticeLeavesNoTrace) {
    // B has no picture of its own; its notice lives 5 s, and the clock steps a second a frame.
    BenchRun run = RunCaptured({"--frames", "9", "--not-playing", "--spectrum", "const:0", "--clock-step", "1000",
                                "--keys", "2:B"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_GT(Brightest(Captured(run, 2), 0, 12, 300, 56), 100) << "the notice shows";
    EXPECT_EQ(Brightest(Captured(run, 9), 0, 0, 640, 380), 0);
}

}  // namespace
