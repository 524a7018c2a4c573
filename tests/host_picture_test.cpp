// The picture through the host bench: what each frame starts from (the cleared colour buffer, on
// a driver that copies at the swap and on one that exchanges buffers), layers that leave no trace,
// the flash's background, and the blur's mean through textures against the accumulated passes, or
// accumulated where the textures are refused.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Every layer on, a beat in the spectrum, the fake clock: run once on this driver and once with
// the back buffer filled with noise after each swap. Every frame must come out the same.
TEST(HostPicture, ExchangingSwapGivesTheSameFramesAsACopyingOne) {
    const std::vector<std::string> arguments = {"--frames", "6", "--spectrum", "demo", "--clock-step", "40",
                                                "--keys", "2:N,2:P,3:H,5:H"};
    const std::string file = SettingsFileText({"FlashScreen=1", "ShowSongTitle=1"});
    BenchRun copying = RunCaptured(arguments, file);
    std::vector<std::string> exchanging = arguments;
    exchanging.insert(exchanging.end(), {"--quirk", "swap-exchange"});
    BenchRun noisy = RunCaptured(exchanging, file);
    ASSERT_TRUE(copying.Finished()) << copying.Describe();
    ASSERT_TRUE(noisy.Finished()) << noisy.Describe();
    for (int frame = 1; frame <= 6; ++frame) {
        const BenchImage a = Captured(copying, frame), b = Captured(noisy, frame);
        ASSERT_EQ(a.width, b.width);
        EXPECT_EQ(DifferingPixels(a, b, 0, 0, a.width, a.height, 0), 0) << "frame " << frame;
    }
}

// Where the pass textures are refused (the trail's texture is had), every frame accumulates from a
// cleared buffer: the same pixels as the accumulation way's, chosen for a vendor's driver.
TEST(HostPicture, RefusedPassTexturesGiveTheAccumulationWaysFrames) {
    const std::vector<std::string> arguments = {"--frames", "4", "--spectrum", "demo", "--clock-step", "40",
                                                "--no-pause"};
    std::vector<std::string> refused = arguments, vendor = arguments;
    refused.insert(refused.end(), {"--quirk", "proxy-refuses"});
    vendor.insert(vendor.end(), {"--quirk", "vendor-gl"});
    BenchRun a = RunCaptured(refused), b = RunCaptured(vendor);
    ASSERT_TRUE(a.Finished()) << a.Describe();
    ASSERT_TRUE(b.Finished()) << b.Describe();
    for (int frame = 2; frame <= 4; ++frame) {
        const BenchImage x = Captured(a, frame), y = Captured(b, frame);
        ASSERT_EQ(x.width, y.width);
        EXPECT_GT(Brightest(x, 0, 0, x.width, x.height), 50) << "frame " << frame << " shows the bars";
        EXPECT_EQ(DifferingPixels(x, y, 0, 0, x.width, x.height, 0), 0) << "frame " << frame;
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

// The pixel format set, as the host's list described it.
const LogLine* SetFormat(const BenchRun& run) { return run.First("pixel_format"); }

TEST(HostPicture, AccumulationFormatOnlyFromTheDriverNeverTheSoftwareRenderer) {
    BenchRun plain = RunBench({"--frames", "1"});
    ASSERT_TRUE(plain.Finished()) << plain.Describe();
    ASSERT_NE(SetFormat(plain), nullptr) << plain.Describe();
    EXPECT_GT(SetFormat(plain)->Int("accum_bits"), 0) << SetFormat(plain)->text;
    EXPECT_FALSE(SetFormat(plain)->Bool("software")) << SetFormat(plain)->text;

    // Only the software renderer offers accumulation: the platform's own choice stands.
    BenchRun software = RunBench({"--frames", "1", "--quirk", "software-accum"});
    ASSERT_TRUE(software.Finished()) << software.Describe();
    const LogLine* kept = SetFormat(software);
    ASSERT_NE(kept, nullptr) << software.Describe();
    EXPECT_EQ(kept->Int("format"), kept->Int("platform_choice")) << kept->text;
    EXPECT_EQ(kept->Int("accum_bits"), 0) << kept->text;

    // One driver format has accumulation among many of the software renderer's: that one.
    BenchRun mixed = RunBench({"--frames", "1", "--quirk", "mixed-accum"});
    ASSERT_TRUE(mixed.Finished()) << mixed.Describe();
    const LogLine* fast = SetFormat(mixed);
    ASSERT_NE(fast, nullptr) << mixed.Describe();
    EXPECT_EQ(fast->Int("format"), fast->Int("emulated_fast_accum")) << fast->text;
    EXPECT_FALSE(fast->Bool("software")) << fast->text;
    EXPECT_GT(fast->Int("accum_bits"), 0) << fast->text;
    EXPECT_NE(fast->Int("format"), SetFormat(plain)->Int("format")) << "the plain run's choice is the closer one";

    // The platform answers the software renderer's format with accumulation: the driver's closest
    // instead, mixed-accum's one with accumulation, else one without.
    for (const char* also : {"software-chosen", "mixed-accum"}) {
        BenchRun run = RunBench({"--frames", "1", "--quirk", "software-chosen", "--quirk", also});
        ASSERT_TRUE(run.Finished()) << run.Describe();
        const LogLine* set = SetFormat(run);
        ASSERT_NE(set, nullptr) << run.Describe();
        EXPECT_FALSE(set->Bool("software")) << set->text;
        EXPECT_NE(set->Int("format"), set->Int("platform_choice")) << set->text;
        EXPECT_EQ(set->Int("accum_bits") > 0, set->Int("emulated_fast_accum") > 0) << set->text;
    }

    // No format lists an accumulation buffer: the platform's choice, which really has none.
    BenchRun none = RunBench({"--frames", "1", "--quirk", "no-accum"});
    ASSERT_TRUE(none.Finished()) << none.Describe();
    const LogLine* without = SetFormat(none);
    ASSERT_NE(without, nullptr) << none.Describe();
    EXPECT_EQ(without->Int("format"), without->Int("platform_choice")) << without->text;
    EXPECT_EQ(without->Int("accum_bits"), 0) << without->text;
}

// On the stepped clock both ways draw the same five passes; the texture way's frame must be their
// mean, after the black first trail's 0.75 x 0.975. Frame 1 is black (texturing is still on from
// the set-up), so frame 2 is the first with the bars lit and its trail is still black.
TEST(HostPicture, TextureWayFrameIsTheMeanOfTheFiveAccumulatedPasses) {
    const std::vector<std::string> arguments = {"--frames", "2", "--spectrum", "const:255", "--clock-step", "40",
                                                "--no-pause", "--capture-frames", "2"};
    BenchRun textures = RunCaptured(arguments);
    std::vector<std::string> accumulating = arguments;
    accumulating.insert(accumulating.end(), {"--quirk", "vendor-gl", "--capture-passes", "passes"});
    BenchRun passes = RunBench(accumulating);
    ASSERT_TRUE(textures.Finished()) << textures.Describe();
    ASSERT_TRUE(passes.Finished()) << passes.Describe();
    const BenchImage frame = Captured(textures, 2);
    std::vector<BenchImage> pass(5);
    for (int k = 0; k < 5; ++k)
        ASSERT_TRUE(ReadPng(passes.folder + "\\passes\\frame-00002-pass-" + std::to_string(k + 1) + ".png", pass[k]))
            << passes.Describe();
    ASSERT_EQ(pass[0].rgb.size(), frame.rgb.size());
    int worst = 0, differingPasses = 0;
    for (size_t i = 0; i < frame.rgb.size(); ++i) {
        int sum = 0;
        for (const BenchImage& p : pass) sum += p.rgb[i];
        differingPasses += pass[0].rgb[i] != pass[4].rgb[i];
        worst = std::max(worst, std::abs(frame.rgb[i] - (int)std::lround(sum / 5.0 * 0.75 * 0.975)));
    }
    EXPECT_GT(differingPasses, 1000) << "the loudest bass must spread the passes apart";
    EXPECT_LE(worst, 2);
    std::printf("texture way against the exact mean: worst %d levels\n", worst);
}

}  // namespace
