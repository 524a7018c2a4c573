// The key commands through the host bench: each notice's text for both states, the effect that
// each switch has on the frames and calls, and which switches survive a fresh load of the library.
#include <GL/gl.h>
#include <GL/freeglut.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "render/text.h"
#include "tests/bench.h"
#include "tests/bench_image.h"
#include "tests/bench_settings.h"
#include "tests/gl_fixture.h"

namespace {

const int kWidth = 640, kHeight = 380;
// The notice band: both lines, baselines at y 30 and 50 in 9-by-15 glyphs. With one line the band
// stops above the help panel's title, which is drawn in the same colour.
const int kBandTop = 12, kOneLineBottom = 36, kTwoLinesBottom = 56;

// Notice colour (0.51, 0.75, 0.9) at full opacity over black.
bool NoticeInk(const BenchImage& image, int x, int y) {
    return std::abs(image.R(x, y) - 130) < 30 && std::abs(image.G(x, y) - 191) < 30 &&
           std::abs(image.B(x, y) - 230) < 30;
}

bool WhiteInk(const BenchImage& image, int x, int y) {
    return image.R(x, y) > 150 && image.G(x, y) > 150 && image.B(x, y) > 150;
}

// The is-playing, list-position and title queries of each frame, by frame number (index 0 unused).
std::vector<std::vector<long long>> QueriesByFrame(const BenchRun& run) {
    std::vector<std::vector<long long>> frames(1);
    std::vector<long long> current;
    for (const LogLine& line : run.log) {
        if (line.Event() == "query") current.push_back(line.Int("lparam"));
        if (line.Event() == "render") {
            frames.push_back(current);
            current.clear();
        }
    }
    return frames;
}

std::vector<long long> PausesByFrame(const BenchRun& run) {
    std::vector<long long> pauses(1, -1);
    for (const LogLine& render : run.Events("render")) pauses.push_back(render.Int("pause_ms"));
    return pauses;
}

std::vector<long long> SwapIntervals(const BenchRun& run) {
    std::vector<long long> intervals;
    for (const LogLine& line : run.Events("swap_interval")) intervals.push_back(line.Int("interval"));
    return intervals;
}

std::string Join(const std::vector<long long>& values) {
    std::string text;
    for (long long value : values) text += (text.empty() ? "" : " ") + std::to_string(value);
    return text;
}

struct KeyCase {
    const char* key;
    const char* firstNotice;   // after the first press: the switch's state flipped from its start
    const char* secondNotice;  // after the second
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.key; }

// Each command pressed twice, before frames 2 and 3, on a black picture: frame 3 must show both
// notices, oldest at y 30. The reference is the same 9-by-15 text drawn in a context of our own.
class HostKeyNotices : public GlFixture, public ::testing::WithParamInterface<KeyCase> {
protected:
    void SetUp() override {
        Open(kWidth, kHeight);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
    }
    // Lit pixels of the given lines drawn as the notice list draws them, inside the band.
    std::vector<bool> Reference(const std::vector<const char*>& lines) {
        const int bottom = lines.size() == 1 ? kOneLineBottom : kTwoLinesBottom;
        ClearAll();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        for (size_t i = 0; i < lines.size(); ++i)
            OverlayTextDraw(15.0f, 30.0f + 20.0f * i, GLUT_BITMAP_9_BY_15, 15, lines[i], width, height);
        std::vector<unsigned char> frame = Frame();
        std::vector<bool> mask;
        for (int y = kBandTop; y < bottom; ++y)
            for (int x = 0; x < width; ++x) mask.push_back(frame[(y * width + x) * 3 + 1] > 127);
        return mask;
    }
    static int Mismatch(const BenchImage& image, const std::vector<bool>& reference, int& inkCount) {
        int mismatch = 0, i = 0;
        inkCount = 0;
        const int bottom = kBandTop + (int)reference.size() / kWidth;
        for (int y = kBandTop; y < bottom; ++y)
            for (int x = 0; x < kWidth; ++x, ++i) {
                inkCount += reference[i] ? 1 : 0;
                mismatch += NoticeInk(image, x, y) != reference[i] ? 1 : 0;
            }
        return mismatch;
    }
};

TEST_P(HostKeyNotices, BothStatesShowTheirNoticeStackedOnePerPress) {
    const KeyCase& c = GetParam();
    BenchOptions options;
    options.capture = true;
    const std::string keys = std::string("2:") + c.key + ",3:" + c.key;
    BenchRun run = RunBench({"--frames", "4", "--not-playing", "--spectrum", "const:0", "--keys", keys,
                             "--capture-frames", "2,3"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    BenchImage one, two;
    ASSERT_TRUE(ReadPng(run.CapturePath(2), one));
    ASSERT_TRUE(ReadPng(run.CapturePath(3), two));
    ASSERT_EQ(one.width, kWidth);

    int ink = 0;
    const int firstOnly = Mismatch(one, Reference({c.firstNotice}), ink);
    EXPECT_LT(firstOnly, ink / 20) << c.firstNotice << ": " << firstOnly << " of " << ink << " pixels differ";
    const int both = Mismatch(two, Reference({c.firstNotice, c.secondNotice}), ink);
    EXPECT_LT(both, ink / 20) << c.firstNotice << " / " << c.secondNotice << ": " << both << " of " << ink;
    // The words must be the right way round, not just the right length.
    int swappedInk = 0;
    const int swapped = Mismatch(two, Reference({c.secondNotice, c.firstNotice}), swappedInk);
    EXPECT_GT(swapped, both + 20) << "swapped states match as well: " << swapped << " vs " << both;
}

INSTANTIATE_TEST_SUITE_P(Commands, HostKeyNotices, ::testing::Values(
    KeyCase{"B", "Beat Changes Speed: No", "Beat Changes Speed: Yes"},
    KeyCase{"F", "Flash Screen: On", "Flash Screen: Off"},
    KeyCase{"H", "Display Help: On", "Display Help: Off"},
    KeyCase{"N", "Using Noise Distortion: Yes", "Using Noise Distortion: No"},
    KeyCase{"P", "Show Frames Per Second", "Hide Frames Per Second"},
    KeyCase{"R", "Rotation: Off", "Rotation: On"},
    KeyCase{"S", "Verical Sync: Off", "Verical Sync: On"},
    // Lower case arrives as the capital's code too.
    KeyCase{"t", "Show Song Title", "Hide Song Title"}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(1, (char)toupper(info.param.key[0])); });

// The picture is never cleared and each frame keeps 0.25 of the last and dims by 0.025: a layer
// that was not drawn again is left at about 0.73 of its brightness; a redrawn one keeps all of it.
// Not a lit pixel inside the rectangle: a layer switched off leaves nothing behind.
void ExpectNoTrace(const BenchImage& off, int left, int top, int right, int bottom, const char* key) {
    EXPECT_EQ(Brightness(off, left, top, right, bottom), 0) << key << ": the layer left a trace";
}

// Runs with one command pressed before frames 2 and 3 (on, then off again), frames 2 and 3 captured.
BenchRun PressTwice(const char* key, const char* spectrum = "const:0") {
    BenchOptions options;
    options.capture = true;
    return RunBench({"--frames", "4", "--not-playing", "--spectrum", spectrum, "--keys",
                     std::string("2:") + key + ",3:" + key, "--capture-frames", "2,3"}, options);
}

TEST(HostKeys, HelpPanelAndFpsReadoutShowOnlyWhileOn) {
    struct Layer {
        const char* key;
        int left, top, right, bottom;  // where the layer draws in 640 x 380
        bool (*ink)(const BenchImage&, int, int);
    };
    // The help rectangle starts below the two notices drawn in its top left corner.
    const Layer layers[] = {
        // The help text, in the notice colour at 0.85 inside the darkened box.
        {"H", 64, 60, 576, 340, [](const BenchImage& i, int x, int y) { return i.G(x, y) > 80 && i.B(x, y) > 100; }},
        {"P", 540, 300, 640, 350, WhiteInk},
    };
    for (const Layer& layer : layers) {
        BenchRun run = PressTwice(layer.key);
        ASSERT_TRUE(run.Finished()) << run.Describe();
        BenchImage on, off;
        ASSERT_TRUE(ReadPng(run.CapturePath(2), on));
        ASSERT_TRUE(ReadPng(run.CapturePath(3), off));
        EXPECT_GT(CountIn(on, layer.left, layer.top, layer.right, layer.bottom, layer.ink), 30) << layer.key;
        ExpectNoTrace(off, layer.left, layer.top, layer.right, layer.bottom, layer.key);
    }
}

TEST(HostKeys, SongTitleSwitchAddsTheTitleQueriesAndTheTitle) {
    BenchRun run = PressTwice("T");
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<std::vector<long long>> queries = QueriesByFrame(run);
    ASSERT_EQ(queries.size(), 5u) << run.Describe();
    EXPECT_EQ(Join(queries[1]), "104");
    EXPECT_EQ(Join(queries[2]), "104 125 212");
    EXPECT_EQ(Join(queries[3]), "104");
    BenchImage on, off;
    ASSERT_TRUE(ReadPng(run.CapturePath(2), on));
    ASSERT_TRUE(ReadPng(run.CapturePath(3), off));
    // The title sits above the notices, in white; the notices' band starts at row 12.
    EXPECT_GT(CountIn(on, 10, 0, 300, 16, WhiteInk), 20);
    ExpectNoTrace(off, 10, 0, 300, 12, "T");
}

TEST(HostKeys, VerticalSyncGoesToZeroThenBackToOne) {
    BenchRun run = RunBench({"--frames", "5", "--not-playing", "--keys", "2:S,4:S"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_EQ(Join(SwapIntervals(run)), "1 0 1") << "Init, first S, second S";
    std::vector<LogLine> intervals = run.Events("swap_interval");
    for (const LogLine& line : intervals) EXPECT_TRUE(line.Bool("ok")) << line.text;
}

TEST(HostKeys, BeatChangesSpeedOffPacesAFixed2Ms) {
    // Bin 2 at 255 is a bass level of 0.7286: the beat pacing pauses 17 ms.
    BenchRun run = RunBench({"--frames", "6", "--not-playing", "--no-pause", "--spectrum", "const:255",
                             "--keys", "3:B,5:B"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_EQ(Join(PausesByFrame(run)), "-1 17 17 2 2 17 17");
}

// Everything the keys can flip, once each; only the song title and the flash survive the load.
TEST(HostKeys, OnlyFlashAndTitleSurviveAFreshLoad) {
    BenchOptions options;
    options.capture = true;
    BenchRun first = RunBench({"--frames", "10", "--not-playing", "--no-pause", "--spectrum", "const:255", "--keys",
                               "2:B,2:H,2:N,2:P,2:R,2:S,3:F,3:T", "--capture-frames", "4"}, options);
    ASSERT_TRUE(first.Finished()) << first.Describe();
    EXPECT_EQ(Join(SwapIntervals(first)), "1 0");
    EXPECT_EQ(PausesByFrame(first)[4], 2);
    EXPECT_EQ(StoredInt(first, "FlashScreen"), 1) << first.SettingsText();
    EXPECT_EQ(StoredInt(first, "ShowSongTitle"), 1) << first.SettingsText();
    EXPECT_EQ(StoredInt(first, "fullscreen"), 0);
    EXPECT_EQ(StoredInt(first, "Width"), 640);
    // The file holds the seven keys and nothing else.
    const std::string text = first.SettingsText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '='), 7) << text;
    BenchImage flipped;
    ASSERT_TRUE(ReadPng(first.CapturePath(4), flipped));

    options.settingsFile = text;
    BenchRun next = RunBench({"--frames", "4", "--not-playing", "--no-pause", "--spectrum", "const:255",
                              "--capture-frames", "4"}, options);
    ASSERT_TRUE(next.Finished()) << next.Describe();
    EXPECT_EQ(Join(SwapIntervals(next)), "1") << "vertical sync is on again";
    EXPECT_EQ(PausesByFrame(next)[2], 17) << "the beat paces again";
    std::vector<std::vector<long long>> queries = QueriesByFrame(next);
    ASSERT_GE(queries.size(), 2u);
    EXPECT_EQ(Join(queries[1]), "104 125 212") << "the title switch came back on";
    BenchImage fresh;
    ASSERT_TRUE(ReadPng(next.CapturePath(4), fresh));
    auto helpInk = [](const BenchImage& i, int x, int y) { return i.G(x, y) > 80 && i.B(x, y) > 100 && i.R(x, y) < i.G(x, y); };
    EXPECT_GT(CountIn(flipped, 64, 60, 576, 340, helpInk), 30) << "help shown in the first run";
    EXPECT_LT(CountIn(fresh, 64, 60, 576, 340, helpInk), 5) << "help is off after the load";
    EXPECT_GT(CountIn(flipped, 540, 300, 640, 350, WhiteInk), 10) << "fps shown in the first run";
    // The flash, on in the fresh run, greys the background there to about 181 at this bass.
    auto brightWhite = [](const BenchImage& i, int x, int y) { return i.R(x, y) > 230 && i.G(x, y) > 230 && i.B(x, y) > 230; };
    EXPECT_LT(CountIn(fresh, 540, 300, 640, 350, brightWhite), 5) << "fps readout is off after the load";
}

// Rotation paused for a stretch and resumed: the picture holds still while paused and resumes
// without the jump that the time spent paused would make.
TEST(HostKeys, RotationPausesAndResumesFromTheSameAngle) {
    BenchOptions options;
    options.capture = true;
    BenchRun run = RunBench({"--frames", "100", "--spectrum", "const:160", "--keys", "40:R,90:R",
                             "--capture-frames", "38-41,86-92"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    BenchImage image[101];
    for (int frame : {38, 39, 40, 41, 86, 87, 88, 89, 90, 91, 92})
        ASSERT_TRUE(ReadPng(run.CapturePath(frame), image[frame])) << frame;
    // Below the notices.
    auto diff = [&](int a, int b) { return DifferingPixels(image[a], image[b], 0, 70, kWidth, kHeight); };
    const int turning = diff(38, 39), paused = diff(88, 89), resumed = diff(89, 90), after = diff(90, 91);
    const int lit = CountIn(image[89], 0, 70, kWidth, kHeight,
                            [](const BenchImage& i, int x, int y) { return i.R(x, y) + i.G(x, y) + i.B(x, y) > 24; });
    const std::string numbers = "differing pixels: turning " + std::to_string(turning) + ", paused " +
        std::to_string(paused) + ", resumed " + std::to_string(resumed) + ", lit " + std::to_string(lit);
    EXPECT_GT(turning, 50) << "the field turns from frame to frame; " << numbers;
    EXPECT_LT(paused, turning / 10 + 5) << "the paused picture holds still; " << numbers;
    // Measured: a one-frame step changes 1,800 to 5,900 of some 85,000 lit pixels; the seconds spent
    // paused (20 degrees and more) would turn most of the field.
    EXPECT_LT(resumed, lit / 8) << "resuming jumps; " << numbers;
    EXPECT_GT(after, paused) << "the field turns again; " << numbers;
}

}  // namespace
