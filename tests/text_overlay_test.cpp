// The overlay bracket, the display-list and GLUT text routines, and the title, fps and help layers:
// where their pixels land and what state they leave.
#include <GL/freeglut.h>
#include <cstring>
#include <string>
#include "plugin/settings.h"
#include "render/text.h"
#include "tests/gl_fixture.h"
#include "tests/text_ink.h"

namespace {
void RasterPosition(float out[4]) { glGetFloatv(GL_CURRENT_RASTER_POSITION, out); }

void ReadMatrices(float modelview[16], float projection[16]) {
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
}

// How far the display-list font moves the raster position over `text`, inside an open bracket.
float PrintedAdvance(const std::string& text) {
    float start[4], end[4];
    glRasterPos3f(0.0f, 200.0f, -0.1f);
    RasterPosition(start);
    TextPrintf("%s", text.c_str());
    RasterPosition(end);
    return end[0] - start[0];
}
}  // namespace

class TextOverlayTest : public GlFixture {
protected:
    void SetUp() override {
        Open(640, 380);
        while (glGetError() != GL_NO_ERROR) {}  // the font builder's pending error under Wine
        ClearAll();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
    }
    InkBox Ink(int threshold = 40) { return FindInk(Frame(), width, height, threshold); }
};

TEST_F(TextOverlayTest, BracketPlacesRasterFlippedOrNotAndRestoresMatricesAndLighting) {
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, -3.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);
    float modelview[16], projection[16];
    ReadMatrices(modelview, projection);
    const GlStackState before = GlStackState::Read();

    for (bool flip : {true, false}) {
        OverlayBegin(640, 380, flip);
        GlStackState inside = GlStackState::Read();
        EXPECT_EQ(inside.matrixMode, GL_MODELVIEW);
        EXPECT_EQ(inside.modelviewDepth, before.modelviewDepth + 1);
        EXPECT_EQ(inside.projectionDepth, before.projectionDepth + 1);
        EXPECT_EQ(inside.attribDepth, before.attribDepth + 1);
        glRasterPos3f(15.0f, 15.0f, -0.1f);
        float raster[4];
        RasterPosition(raster);
        EXPECT_NEAR(raster[0], 15.0f, 0.01f);
        EXPECT_NEAR(raster[1], flip ? 380.0f - 15.0f : 15.0f, 0.01f) << "flip " << flip;
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT2);
        glShadeModel(GL_FLAT);
        OverlayEnd();

        EXPECT_TRUE(GlStackState::Read() == before);
        float modelviewAfter[16], projectionAfter[16];
        ReadMatrices(modelviewAfter, projectionAfter);
        EXPECT_EQ(0, std::memcmp(modelview, modelviewAfter, sizeof(modelview)));
        EXPECT_EQ(0, std::memcmp(projection, projectionAfter, sizeof(projection)));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
        GLint shade;
        glGetIntegerv(GL_SHADE_MODEL, &shade);
        EXPECT_EQ(shade, GL_SMOOTH);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(TextOverlayTest, TextPrintfCutsAt255BytesAndSkipsNullFormatAndByte255) {
    OverlayBegin(640, 380, true);
    glLoadIdentity();
    float end[4];
    auto advance = PrintedAdvance;
    const float one = advance("H");
    ASSERT_GT(one, 0.0f);
    EXPECT_FLOAT_EQ(advance(std::string(255, 'H')), 255 * one);
    EXPECT_FLOAT_EQ(advance(std::string(100000, 'H')), 255 * one) << "longer text is cut at 255";
    EXPECT_FLOAT_EQ(advance("\xff\xff"), 0.0f) << "code 255 has no glyph";
    EXPECT_FLOAT_EQ(advance("%d"), advance("%") + advance("d")) << "an argument is never a format";

    glRasterPos3f(0.0f, 200.0f, -0.1f);
    const GlStackState before = GlStackState::Read();
    TextPrintf(nullptr);
    RasterPosition(end);
    EXPECT_FLOAT_EQ(end[0], 0.0f);
    EXPECT_TRUE(GlStackState::Read() == before);
    ClearAll();
    glRasterPos3f(15.0f, 100.0f, -0.1f);
    TextPrintf("\xff\xff\xff");
    OverlayEnd();
    EXPECT_TRUE(Ink().Empty());
}

TEST_F(TextOverlayTest, GlutTextBreaksLinesAndTabsByTheFirstGlyphsWidth) {
    void* font = GLUT_BITMAP_HELVETICA_18;
    const int wi = glutBitmapWidth(font, 'i'), wW = glutBitmapWidth(font, 'W');
    ASSERT_NE(wi, wW) << "a proportional font shows which width a tab uses";
    OverlayBegin(640, 380, true);
    glLoadIdentity();
    float raster[4];

    GlutTextDraw(100.0f, 100.0f, font, 18, "i\nW");
    RasterPosition(raster);
    EXPECT_NEAR(raster[0], 100.0f + wW, 0.01f);
    EXPECT_NEAR(raster[1], 380.0f - 118.0f, 0.01f);

    GlutTextDraw(100.0f, 100.0f, font, 18, "i\tW");
    RasterPosition(raster);
    EXPECT_NEAR(raster[0], 100.0f + 5 * wi + wW, 0.01f) << "tab: start + charWidth per glyph + 4 per tab";
    EXPECT_NEAR(raster[1], 380.0f - 100.0f, 0.01f);

    GlutTextDraw(50.0f, 60.0f, font, 18, "");
    RasterPosition(raster);
    EXPECT_NEAR(raster[0], 50.0f, 0.01f);
    EXPECT_NEAR(raster[1], 320.0f, 0.01f);
    OverlayEnd();

    // Pixels: the tabbed W starts right of x + 5 charWidth.
    ClearAll();
    OverlayTextDraw(100.0f, 100.0f, font, 18, "i\tW", 640, 380);
    InkBox tabbed = FindInk(Frame(), width, height, 40, 100 + wi + 1);
    ASSERT_FALSE(tabbed.Empty());
    EXPECT_GE(tabbed.left, 100 + 5 * wi - 1);
    EXPECT_NEAR(tabbed.bottom, 99, 2) << "the baseline lies at y 100 of the flipped overlay";
}

TEST_F(TextOverlayTest, SongTitleSitsBelowTheTopEdgeWithItsJitterAndIsLiteral) {
    drawWidth = 640;
    drawHeight = 380;
    SongTitleDraw("HHHH", 0.0f);
    InkBox still = Ink();
    ASSERT_FALSE(still.Empty());
    EXPECT_NEAR(still.bottom, 14, 2) << "baseline 15 px below the top edge";
    EXPECT_NEAR(still.left, 15, 2);

    ClearAll();
    glColor4f(1, 1, 1, 1);
    SongTitleDraw("HHHH", 2.0f);
    InkBox jittered = Ink();
    EXPECT_EQ(jittered.left, still.left + 2);
    EXPECT_EQ(jittered.bottom, still.bottom);

    // A title of format sequences is drawn as it reads: as wide as the same bytes printed literally.
    ClearAll();
    glColor4f(1, 1, 1, 1);
    SongTitleDraw("%s%n%x%s%s%s", 0.0f);
    InkBox title = Ink();
    ClearAll();
    OverlayBegin(640, 380, true);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glRasterPos3f(15.0f, 15.0f, -0.1f);
    TextPrintf("%%s%%n%%x%%s%%s%%s");
    OverlayEnd();
    InkBox literal = Ink();
    ASSERT_FALSE(literal.Empty());
    EXPECT_EQ(title.left, literal.left);
    EXPECT_NEAR(title.right, literal.right, 1);

    // A 64 KiB title draws its first 255 bytes; a null title draws nothing.
    ClearAll();
    SongTitleDraw(std::string(65536, 'H').c_str(), 0.0f);
    InkBox longTitle = Ink();
    EXPECT_EQ(longTitle.right, width - 1);
    ClearAll();
    const GlStackState before = GlStackState::Read();
    SongTitleDraw(nullptr, 0.0f);
    EXPECT_TRUE(Ink().Empty());
    EXPECT_TRUE(GlStackState::Read() == before);
}

TEST_F(TextOverlayTest, FpsReadoutStartsAt557And335) {
    drawWidth = 640;
    drawHeight = 380;
    const GlStackState before = GlStackState::Read();
    FpsReadoutDraw(60.0f);
    EXPECT_TRUE(GlStackState::Read() == before);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    InkBox readout = Ink();
    ASSERT_FALSE(readout.Empty());
    EXPECT_NEAR(readout.left, 557, 2);
    // The digits sit on the baseline ("p" descends): 45 px above the bottom edge, plus the shadow.
    InkBox digits = FindInk(Frame(), width, height, 40, readout.right - 10);
    EXPECT_NEAR(digits.bottom, 335, 1) << "baseline 45 px above the bottom edge";
    EXPECT_LT(readout.right, 640);
    EXPECT_GT(readout.right - readout.left, 30) << "\"fps: 60\" is seven glyphs";
}

TEST_F(TextOverlayTest, HelpPanelDarkensItsBoxTo0512AndLeavesCullingOnDepthAndBlendOff) {
    drawWidth = 640;
    drawHeight = 380;
    glClearColor(200 / 255.0f, 200 / 255.0f, 200 / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    const GlStackState before = GlStackState::Read();
    for (int i = 0; i < 3; ++i) HelpPanelDraw(0.8f + 0.0005f * i, 0.2f);
    EXPECT_TRUE(GlStackState::Read() == before);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    EXPECT_NEAR(Pixel(560, 330).r, 102, 3) << "0.8^3 of 200 inside the box, clear of text";
    EXPECT_EQ(Pixel(30, 20).r, 200);
    EXPECT_EQ(Pixel(600, 360).r, 200);
    // Edges along the middle row and column.
    auto dark = [&](int x, int y) { return Pixel(x, y).r < 150; };
    int left = 0, right = 639, top = 0, bottom = 379;
    while (left < 640 && !dark(left, 190)) ++left;
    while (right >= 0 && !dark(right, 190)) --right;
    while (top < 380 && !dark(500, top)) ++top;
    while (bottom >= 0 && !dark(500, bottom)) --bottom;
    EXPECT_NEAR(left, 64, 1);
    EXPECT_NEAR(right, 575, 1);
    EXPECT_NEAR(top, 38, 1);
    EXPECT_NEAR(bottom, 341, 1);

    // Text: bluish ink (blue above red) in the title's and the first body line's rows.
    auto bluish = [&](int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = 74; x < 300; ++x) {
                Rgb p = Pixel(x, y);
                if (p.b > p.r + 30) return true;
            }
        return false;
    };
    EXPECT_TRUE(bluish(52, 66)) << "title baseline at about y 66";
    EXPECT_TRUE(bluish(86, 96)) << "first body line at about y 96";
    EXPECT_FALSE(bluish(40, 48));
}

TEST_F(TextOverlayTest, FontDestroyIsHarmlessTwiceAndBeforeAnyCreate) {
    TextFontDestroy();
    EXPECT_EQ(textFont.listBase, 0u);
    EXPECT_EQ(textFont.font, nullptr);
    TextFontDestroy();
    // Without lists the title draws nothing (and the next create works again).
    SongTitleDraw("HHHH", 0.0f);
    EXPECT_TRUE(Ink().Empty());
    TextFontCreate("times", 16);
    EXPECT_NE(textFont.listBase, 0u);
    SongTitleDraw("HHHH", 0.0f);
    EXPECT_FALSE(Ink().Empty());
}

TEST_F(TextOverlayTest, LayersStandInsideTheVolumeInFrontOfTheScene) {
    // Both depths the layers use: on the identity (-0.1) and on the bracket's translation (-0.2).
    for (bool identity : {true, false}) {
        OverlayBegin(640, 380, true);
        if (identity) glLoadIdentity();
        glRasterPos3f(15.0f, 15.0f, -0.1f);
        GLint valid = 0;
        glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
        float raster[4];
        RasterPosition(raster);
        OverlayEnd();
        EXPECT_TRUE(valid) << "identity " << identity;
        // Strictly inside the depth range, not on its near edge, and far in front of any bar.
        EXPECT_GT(raster[2], 0.0f) << "identity " << identity;
        EXPECT_LT(raster[2], 0.001f) << "identity " << identity;
    }
}

TEST_F(TextOverlayTest, FontIsBuiltOnThePluginWindowEvenWhenAnotherKeepsTheForeground) {
    HWND other = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 700, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    TextFontDestroy();
    TextFontCreate("times", 16);
    EXPECT_EQ(textFont.deviceContext, dc) << "foreground " << GetForegroundWindow() << ", other " << other;
    DestroyWindow(other);
    OverlayBegin(640, 380, true);
    glLoadIdentity();
    // A space moves the pen as far as the face says, on every driver.
    EXPECT_GT(PrintedAdvance("a b"), PrintedAdvance("ab") + 2.0f);
    OverlayEnd();
}
