// The zoom blur, the feedback trail and the flash veil: the first trail's black, the trail's
// drift, the veil kept out of the trail, areas larger than 1024, a missing set-up buffer; the blur's
// texture way: state it leaves, the rectangle it averages, textures that grow with the area or cannot be had.
#include <cmath>
#include <vector>
#include "plugin/settings.h"
#include "render/bar_field.h"
#include "render/blur_average.h"
#include "render/feedback.h"
#include "render/scene_state.h"
#include "render/text.h"
#include "tests/alloc_counter.h"
#include "tests/picture_support.h"

namespace {
// Colour buffer filled with one grey (depth cleared), overlay-free: what the trail is laid over.
void FillPicture(float grey) {
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A white rectangle, x0..x1 across and y0..y1 down from the top, on black.
void WhiteRectangle(int x0, int y0, int x1, int y1, int height) {
    FillPicture(0.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, height - y1, x1 - x0, y1 - y0);
    FillPicture(1.0f);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<unsigned char> TextureContent() {
    std::vector<unsigned char> texels(1024 * 1024 * 3);
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

bool AllZero(const std::vector<unsigned char>& bytes) {
    for (unsigned char b : bytes)
        if (b) return false;
    return true;
}
}  // namespace

class FeedbackTest : public GlFixture {
protected:
    // Opens the window and puts the state the frame sets before its layers (lighting off).
    void OpenPicture(int w, int h) {
        Open(w, h);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_LIGHTING);
    }
};

TEST_F(FeedbackTest, TextureStartsBlackAndSetUpLeavesItBound) {
    Open(64, 64);
    EXPECT_NE(FeedbackTexture, 0u);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, unpack = 0, pack = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    EXPECT_EQ((GLuint)bound, FeedbackTexture);
    EXPECT_EQ(unpack, 1);
    EXPECT_EQ(pack, 1);
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
    EXPECT_EQ(size, 1024);
    EXPECT_TRUE(AllZero(TextureContent()));
    EXPECT_TRUE(NoGlError());
}

TEST_F(FeedbackTest, WithoutTheSetUpBufferTheTextureStillExistsAndIsBlack) {
    Open(64, 64);
    AllocationCounter::refuseFrom = 1 << 20;
    CreateFeedbackTexture();
    AllocationCounter::refuseFrom = 0;
    EXPECT_TRUE(NoGlError());
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size);
    EXPECT_EQ(size, 1024);
    EXPECT_TRUE(AllZero(TextureContent()));
}

TEST_F(FeedbackTest, FirstTrailIsBlackSoThePictureComesOutAtThreeQuartersTimesVeil) {
    OpenPicture(160, 100);
    FillPicture(1.0f);
    const GlStackState before = GlStackState::Read();
    DrawFeedbackTrail();
    EXPECT_EQ(GlStackState::Read(), before);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    CaptureFeedback();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(NoGlError());
    // 255 x 0.75 x 0.975 = 186.5, everywhere.
    for (int x : {0, 80, 159})
        for (int y : {0, 50, 99}) EXPECT_TRUE(Near(Pixel(x, y), 186, 186, 186, 2)) << x << "," << y;
}

TEST_F(FeedbackTest, TrailShrinksInwardAtTheSidesAndGrowsTowardTopAndBottom) {
    OpenPicture(640, 380);
    // The captured rectangle covers x 20..619 and y 20..359 (from the top).
    WhiteRectangle(20, 20, 620, 360, height);
    CaptureFeedback();
    FillPicture(0.0f);
    DrawFeedbackTrail();
    const int trail = 62;  // 255 x 0.25 x 0.975
    // About 2.4 pixels at each side: the rectangle's edge columns are now dark.
    EXPECT_LT(Pixel(21, 190).r, 15);
    EXPECT_TRUE(Near(Pixel(24, 190), trail, trail, trail, 3)) << Pixel(24, 190);
    EXPECT_LT(Pixel(618, 190).r, 15);
    EXPECT_TRUE(Near(Pixel(615, 190), trail, trail, trail, 3)) << Pixel(615, 190);
    // About 2.3 pixels at top and bottom: rows outside the rectangle are now lit.
    EXPECT_TRUE(Near(Pixel(320, 18), trail, trail, trail, 3)) << Pixel(320, 18);
    EXPECT_TRUE(Near(Pixel(320, 361), trail, trail, trail, 3)) << Pixel(320, 361);
    EXPECT_LT(Pixel(320, 15).r, 5);
    EXPECT_LT(Pixel(320, 364).r, 5);
}

TEST_F(FeedbackTest, FlashVeilDarkensSilenceByFifteenPercentAndStaysOutOfTheTrail) {
    OpenPicture(160, 100);
    glDisable(GL_TEXTURE_2D);
    FillPicture(1.0f);
    const GlStackState before = GlStackState::Read();
    DrawFlashVeil(0.0f);
    EXPECT_EQ(GlStackState::Read(), before);
    EXPECT_TRUE(NoGlError());
    EXPECT_TRUE(Near(Pixel(80, 50), 217, 217, 217, 2)) << Pixel(80, 50);  // 255 x 0.85
    // At the loudest bass the veil is grey 0.7286: white drops to 0.85 + 0.15 x 0.7286.
    FillPicture(1.0f);
    DrawFlashVeil(0.7285714f);
    EXPECT_TRUE(Near(Pixel(0, 0), 245, 245, 245, 2)) << Pixel(0, 0);

    // A frame's order: trail, capture, then the veil. The next trail holds the unveiled picture.
    FillPicture(1.0f);
    DrawFeedbackTrail();
    CaptureFeedback();
    DrawFlashVeil(0.0f);
    FillPicture(0.0f);
    DrawFeedbackTrail();
    const int unveiled = (int)std::lround(186.5 * 0.25 * 0.975);  // 45; veiled would be 39
    EXPECT_TRUE(Near(Pixel(80, 50), unveiled, unveiled, unveiled, 2)) << Pixel(80, 50);
}

TEST_F(FeedbackTest, AreaLargerThan1024GrowsTheTextureAndTheTrailReachesEveryEdge) {
    OpenPicture(1600, 900);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFeedbackTrail();
    CaptureFeedback();
    EXPECT_TRUE(NoGlError());
    EXPECT_EQ(feedbackSide, 2048);
    GLint side = 0;
    glBindTexture(GL_TEXTURE_2D, FeedbackTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
    EXPECT_EQ(side, 2048);
    FillPicture(0.0f);
    DrawFeedbackTrail();
    EXPECT_TRUE(NoGlError());
    // Green x 0.75 x 0.975 was captured; a quarter of it comes back, dimmed by the veil: 45.
    for (int x : {10, 800, 1590})
        for (int y : {10, 450, 890}) EXPECT_TRUE(Near(Pixel(x, y), 0, 45, 0, 3)) << x << "," << y << " " << Pixel(x, y);
    // The drift stays 2.56 texels a side: the edge columns darken as at 1024.
    EXPECT_LT(Pixel(0, 450).g, 15);
    EXPECT_LT(Pixel(1599, 450).g, 15);
}

TEST_F(FeedbackTest, AreasUpTo1024KeepThe1024Texture) {
    OpenPicture(1024, 768);
    DrawFeedbackTrail();
    CaptureFeedback();
    EXPECT_EQ(feedbackSide, 1024);
    EXPECT_TRUE(NoGlError());
}

class ZoomBlurTest : public GlFixture {};

TEST_F(ZoomBlurTest, SilentBassAveragesIdenticalPassesToOnePicture) {
    Open(320, 200);
    FillHistory(180);
    PlaceFrameCamera(20.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    DrawBarField();
    const std::vector<unsigned char> single = Frame();

    PlaceFrameCamera(20.0f);
    const GlStackState before = GlStackState::Read();
    DrawZoomBlur(0.0f, FrameBlurWay());
    EXPECT_EQ(GlStackState::Read(), before);
    EXPECT_TRUE(NoGlError());
    const std::vector<unsigned char> blurred = Frame();
    int worst = 0;
    for (size_t i = 0; i < single.size(); ++i) worst = std::max(worst, std::abs(single[i] - blurred[i]));
    EXPECT_LE(worst, 2);
}

TEST_F(ZoomBlurTest, LoudBassWidensThePictureAndLeavesTheNarrowestSquareProjection) {
    Open(320, 200);
    FillHistory(180);
    auto litPixels = [this]() {
        const std::vector<unsigned char> frame = Frame();
        int lit = 0;
        for (size_t i = 0; i < frame.size(); i += 3) lit += (frame[i] | frame[i + 1]) != 0;
        return lit;
    };
    PlaceFrameCamera(20.0f);
    DrawZoomBlur(0.0f, FrameBlurWay());
    const int quiet = litPixels();
    PlaceFrameCamera(20.0f);
    DrawZoomBlur(0.7285714f, FrameBlurWay());
    EXPECT_GT(litPixels(), quiet + quiet / 20);
    // Last pass: 45 - 8 x |sin(0.7285714)| degrees at aspect 1.
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double fov = 45.0 - 8.0 * std::fabs(std::sin(0.7285714));
    const double f = 1.0 / std::tan(fov * M_PI / 360.0);
    EXPECT_NEAR(projection[5], f, 1e-4);
    EXPECT_NEAR(projection[0], f, 1e-4);
}

namespace {
// The state the texture way touches, as a list of numbers to compare before and after.
std::vector<GLint> BlurStateSnapshot() {
    std::vector<GLint> state;
    for (GLenum capability : {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_ALPHA_TEST})
        state.push_back(glIsEnabled(capability));
    for (GLenum name : {GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST, GL_MATRIX_MODE, GL_VIEWPORT}) {
        GLint value[4] = {};
        glGetIntegerv(name, value);
        state.push_back(value[0]);
    }
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    state.push_back(environment);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (GLfloat c : colour) state.push_back((GLint)(c * 1000));
    return state;
}
}  // namespace

TEST_F(ZoomBlurTest, TextureWayLeavesTheStateAsTheAccumulationWayDoes) {
    Open(320, 200);
    ASSERT_EQ(chosenBlurWay, BlurWay::Textures) << "Mesa averages through textures";
    FillHistory(180);
    // As in a frame's first played picture (texturing on) and in a later one (off).
    for (bool texturing : {true, false}) {
        std::vector<GLint> after[2];
        for (BlurWay way : {BlurWay::Accumulation, BlurWay::Textures}) {
            PlaceFrameCamera(20.0f);
            if (texturing) glEnable(GL_TEXTURE_2D);
            glColor4f(0.3f, 0.6f, 0.9f, 0.5f);
            const GlStackState stacks = GlStackState::Read();
            DrawZoomBlur(0.7285714f, way);
            EXPECT_EQ(GlStackState::Read(), stacks);
            after[way == BlurWay::Textures] = BlurStateSnapshot();
        }
        EXPECT_EQ(after[1], after[0]) << "texturing " << texturing;
        EXPECT_TRUE(NoGlError());
    }
}

// Outside the rectangle the passes can touch, the texture way leaves the fifth pass's picture (the
// passes drawn over one another, as the way without averaging leaves them) exactly, on a grey where a
// blend of equal pixels could miss a level; inside, it averages. The rectangle is less than the window.
TEST_F(ZoomBlurTest, TextureWayLeavesTheFifthPassExactlyOutsideTheRectangleThePassesCanTouch) {
    Open(640, 380);
    AllocateHistory();
    for (int j = 0; j < kHistoryRows; ++j)
        for (int b = 0; b < kSnapshotBytes; ++b) SpectrumHistory[j][b] = (unsigned char)((j * 7 + b * 13) % 200);
    const float bass = 0.7285714f;
    for (float angle : {20.0f, 160.0f}) {
        std::vector<unsigned char> frame[2];
        for (BlurWay way : {BlurWay::None, BlurWay::Textures}) {
            PlaceFrameCamera(angle);
            glClearColor(0.3f, 0.45f, 0.6f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            DrawZoomBlur(bass, way);
            frame[way == BlurWay::Textures] = Frame();
        }
        PlaceFrameCamera(angle);
        BarFieldBuild();
        const float pulse = std::fabs(std::sin(bass));
        float fields[5];
        for (int i = 0; i < 5; ++i) fields[i] = 45.0f - 2.0f * i * pulse;
        const PixelRect rect = KeptPassRectangle(fields, 5);
        EXPECT_LT(rect.width * rect.height, 640 * 380 * 9 / 10) << angle;
        int outsideDiffering = 0, insideDiffering = 0;
        for (int y = 0; y < 380; ++y)
            for (int x = 0; x < 640; ++x) {
                const int row = 379 - y;  // Frame() is top row first
                const bool inside = x >= rect.x && x < rect.x + rect.width && row >= rect.y && row < rect.y + rect.height;
                const size_t i = 3 * ((size_t)y * 640 + x);
                const bool differs = frame[0][i] != frame[1][i] || frame[0][i + 1] != frame[1][i + 1] ||
                                     frame[0][i + 2] != frame[1][i + 2];
                (inside ? insideDiffering : outsideDiffering) += differs;
            }
        EXPECT_EQ(outsideDiffering, 0) << angle;
        EXPECT_GT(insideDiffering, 1000) << angle << ": the mean differs from the fifth pass where the passes do";
    }
    EXPECT_TRUE(NoGlError());
}

// The pass textures follow the drawing size both ways, one side alone too (Mesa takes any size);
// where they cannot be had the frame accumulates, and a later size that fits takes them again.
TEST_F(ZoomBlurTest, PassTexturesFollowTheAreaBothWaysAndWhenRefusedTheFrameAccumulates) {
    Open(640, 380);
    EXPECT_EQ(FrameBlurWay(), BlurWay::Textures);
    drawWidth = 1600, drawHeight = 900;
    EXPECT_EQ(FrameBlurWay(), BlurWay::Accumulation) << "an area the textures do not hold";
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    struct Step {
        int width, height;
        BlurWay way;
        int passWidth, passHeight;
        const char* what;
    } steps[] = {
        {1600, 900, BlurWay::Textures, 1600, 900, "larger"},
        {640, 380, BlurWay::Textures, 640, 380, "smaller again gives the memory back"},
        {640, 800, BlurWay::Textures, 640, 800, "taller only"},
        {1200, 380, BlurWay::Textures, 1200, 380, "wider only"},
        // Wider than any driver's textures: all four are given up, and this context has accumulation.
        {largest + 1, 10, BlurWay::Accumulation, 0, 0, "beyond the driver's size"},
        {320, 200, BlurWay::Textures, 320, 200, "a later size that fits takes them again"},
    };
    for (const Step& step : steps) {
        drawWidth = step.width, drawHeight = step.height;
        ResizeScene(step.width, step.height);
        EXPECT_EQ(FrameBlurWay(), step.way) << step.what;
        int w = -1, h = -1;
        PassTextureSize(w, h);
        EXPECT_EQ(w, step.passWidth) << step.what;
        EXPECT_EQ(h, step.passHeight) << step.what;
    }
    EXPECT_TRUE(NoGlError());
}

// A resize that a host's reply lets in during a frame leaves the frame its way and its textures:
// the blur at the new, larger size draws without error, and the textures change at the frame's end.
TEST_F(ZoomBlurTest, AResizeWithinAFrameWaitsForTheFramesEnd) {
    Open(640, 380);
    FillHistory(180);
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    struct Step {
        int width, height, passWidth, passHeight;
        BlurWay after;
    } steps[] = {{1200, 800, 1200, 800, BlurWay::Textures}, {largest + 1, 10, 0, 0, BlurWay::Accumulation}};
    int keptWidth = 640, keptHeight = 380;
    for (const Step& step : steps) {
        const BlurWay way = BeginBlurFrame();
        ASSERT_EQ(way, BlurWay::Textures);
        drawWidth = step.width, drawHeight = step.height;
        ResizeScene(step.width, step.height);
        int w = -1, h = -1;
        PassTextureSize(w, h);
        EXPECT_EQ(w, keptWidth);
        EXPECT_EQ(h, keptHeight);
        PlaceFrameCamera(20.0f);
        DrawZoomBlur(0.7285714f, way);
        EXPECT_TRUE(NoGlError()) << step.width;
        EndBlurFrame();
        PassTextureSize(w, h);
        EXPECT_EQ(w, step.passWidth);
        EXPECT_EQ(h, step.passHeight);
        EXPECT_EQ(FrameBlurWay(), step.after);
        keptWidth = w, keptHeight = h;
    }
}
