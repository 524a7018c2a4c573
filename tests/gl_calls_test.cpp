// The host counts the plug-in's OpenGL calls per Render (every opengl32 import wrapped), and the
// played frame stays far below what drawing the bar field call by call would cost. Counts only:
// timings never assert on this shared machine.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include "render/bar_field.h"
#include "render/feedback.h"
#include "tests/bench.h"
#include "tests/picture_support.h"

namespace {

// The bench figures of a run of `frames` Renders, as one flat JSON object.
LogLine BenchFigures(std::vector<std::string> arguments, int frames) {
    arguments.insert(arguments.end(), {"--frames", std::to_string(frames), "--no-pause", "--clock-step", "40",
                                       "--bench-json", "bench.json"});
    const BenchRun run = RunBench(arguments);
    EXPECT_TRUE(run.Finished()) << run.Describe();
    std::ifstream file(run.folder + "\\bench.json");
    return LogLine{std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
}

}  // namespace

TEST(GlCalls, CountedPerFunctionExactlyWherePlayingAndTheBlurWayFixTheNumber) {
    const int frames = 4;
    // On Mesa the blur averages through textures (four more copies a frame) unless the driver's
    // strings say a vendor's; without an accumulation buffer, through textures whatever they say;
    // where the textures are refused, through the accumulation buffer. Texture storage at 640 x 380:
    // the trail's 1024 x 1024, and four pass textures of the drawing size where they are had.
    struct Case {
        std::vector<std::string> options;
        int accumulations, copies;  // a frame
        double textureMb;
    };
    const double trailMb = 4.0, passesMb = 4 * 640 * 380 * 4 / (1024.0 * 1024.0);
    const Case cases[] = {
        {{"--not-playing"}, 0, 1, trailMb + passesMb},
        {{}, 0, 5, trailMb + passesMb},
        {{"--quirk", "vendor-gl"}, 6, 1, trailMb},
        {{"--quirk", "vendor-gl", "--quirk", "no-accum"}, 0, 5, trailMb + passesMb},
        // The platform's choice is the software renderer's: the driver's format, without accumulation.
        {{"--quirk", "vendor-gl", "--quirk", "software-chosen"}, 0, 5, trailMb + passesMb},
        {{"--not-playing", "--quirk", "vendor-gl"}, 0, 1, trailMb},
        {{"--quirk", "proxy-refuses"}, 6, 1, trailMb},
    };
    for (const Case& c : cases) {
        const LogLine json = BenchFigures(c.options, frames);
        ASSERT_TRUE(json.Has("gl_calls_median")) << json.text;
        // One clear a frame, whichever way.
        EXPECT_EQ(json.Int("gl_calls_glClear"), frames) << json.text;
        EXPECT_EQ(json.Int("gl_calls_glCopyTexSubImage2D"), c.copies * frames) << json.text;
        EXPECT_EQ(json.Int("gl_calls_glAccum"), c.accumulations * frames) << json.text;
        EXPECT_EQ(json.Int("accum_calls_per_frame"), c.accumulations) << json.text;
        EXPECT_NEAR(json.Number("texture_mb"), c.textureMb, 0.01) << json.text;
        EXPECT_EQ(json.Int("gl_calls_total"), json.Int("gl_calls_mean") * frames) << json.text;
        EXPECT_NE(json.Str("gl_renderer"), "") << "the bench names the rasteriser\n" << json.text;
    }
}

TEST(GlCalls, PlayedFrameMakesAFewHundredCallsNotHundredsOfThousands) {
    // Call by call, one field is about 66,000 calls and the blur draws it five times; the noise
    // veil alone is 120,000. The bounds leave a wide margin over what the arrays need.
    struct Case {
        const char* what;
        std::vector<std::string> options;
        long long bound;
    };
    const Case cases[] = {
        {"layers off", {}, 5000},
        {"title, fps, flash and noise", {"--keys", "1:T,1:P,1:F,1:N"}, 5000},
        {"help panel", {"--keys", "1:H"}, 40000},
    };
    for (const Case& c : cases) {
        const LogLine json = BenchFigures(c.options, 6);
        EXPECT_GT(json.Int("gl_calls_median"), 20) << c.what << ": the counter must see the frame's calls";
        EXPECT_LE(json.Int("gl_calls_max"), c.bound) << c.what << "\n" << json.text;
        // Over six frames: the vertices go as arrays, not one call each.
        EXPECT_LT(json.Int("gl_calls_glVertex3f") + json.Int("gl_calls_glColor4f"), 6 * 1000)
            << c.what << "\n" << json.text;
    }
}

class BarFieldBuilds : public GlFixture {};

TEST_F(BarFieldBuilds, OncePerBlurNeverOncePerPass) {
    Open(640, 380);
    FillHistory(200);
    PlaceFrameCamera(0.0f);
    const unsigned long before = barFieldBuilds;
    DrawZoomBlur(0.5f, FrameBlurWay());
    EXPECT_EQ(barFieldBuilds - before, 1u);
    // A box shows at most two of its sides: of 36 vertices a bar, the top's 4 and two sides' 16
    // reach the driver, and a few more sides that stand near edge-on.
    EXPECT_LE(BarFieldVertices(), 1024 * 22);
    FillHistory(0);
    DrawZoomBlur(0.0f, FrameBlurWay());
    EXPECT_EQ(BarFieldVertices(), 1024 * 4) << "a silent bar is its top alone";
    EXPECT_TRUE(NoGlError());
}
