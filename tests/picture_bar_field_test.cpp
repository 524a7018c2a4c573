// The spectrum history and the bar field: row shifting, where the bars stand and what colours
// they show, the bins that never count, and the state each drawing routine leaves.
#include <cstdlib>
#include "tests/picture_support.h"

TEST(SpectrumHistory, AllocateZeroesEveryRowAndShiftMovesRowsOlder) {
    AllocateHistory();
    for (int j = 0; j < kHistoryRows; ++j) {
        ASSERT_NE(SpectrumHistory[j], nullptr);
        for (int b = 0; b < kSnapshotBytes; ++b) ASSERT_EQ(SpectrumHistory[j][b], 0);
    }
    unsigned char* const slots0 = SpectrumHistory[0];
    unsigned char snapshot[kSnapshotBytes];
    for (int n = 1; n <= 3; ++n) {
        for (int b = 0; b < kSnapshotBytes; ++b) snapshot[b] = (unsigned char)(n * 10 + b);
        ShiftInSpectrum(snapshot);
    }
    // Newest in row 0; rows 3 and later are still zero; the row buffers stay in their slots.
    for (int j = 0; j < 3; ++j)
        for (int b = 0; b < kSnapshotBytes; ++b) EXPECT_EQ(SpectrumHistory[j][b], (3 - j) * 10 + b);
    for (int j = 3; j < kHistoryRows; ++j) EXPECT_EQ(SpectrumHistory[j][5], 0);
    EXPECT_EQ(SpectrumHistory[0], slots0);
}

TEST(SpectrumHistory, OldestRowFallsOffAfterThirtyTwoShifts) {
    AllocateHistory();
    unsigned char snapshot[kSnapshotBytes];
    for (int n = 0; n < 40; ++n) {
        std::memset(snapshot, n, sizeof(snapshot));
        ShiftInSpectrum(snapshot);
    }
    EXPECT_EQ(SpectrumHistory[0][1], 39);
    EXPECT_EQ(SpectrumHistory[31][1], 8);
}

class BarFieldTest : public GlFixture {};

TEST_F(BarFieldTest, FrontOfTheFieldRunsGreenYellowOrangeToDarkRed) {
    Open(640, 380);
    FillHistory(255);
    PlaceFrameCamera(0.0f);
    const GlStackState before = GlStackState::Read();
    DrawBarField();
    EXPECT_EQ(GlStackState::Read(), before);
    EXPECT_TRUE(NoGlError());
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);

    // Front face of bin 16 in row 0 (x 2.4 to 2.5, z 0), H = 255 / 350 * 32 / 15.
    const float h = 255.0f / 350.0f * 32.0f / 15.0f;
    const ScreenPoint foot = Project(2.45f, 0.02f * h, 0.0f, height);
    const Rgb footColour = Pixel(foot.x, foot.y);
    // The foot turns from green towards yellow quickly, so its red is only bounded.
    EXPECT_TRUE(footColour.g > 195 && footColour.r < 50 && footColour.b < 5) << footColour;
    struct Stop {
        float y;
        int r, g, b;
    };
    const Stop stops[] = {{0.25f * h, 204, 204, 0}, {0.75f * h, 204, 77, 0}, {0.98f * h, 133, 6, 0}};
    for (const Stop& stop : stops) {
        const ScreenPoint p = Project(2.45f, stop.y, 0.0f, height);
        const Rgb c = Pixel(p.x, p.y);
        EXPECT_TRUE(Near(c, stop.r, stop.g, stop.b, 12)) << "at y " << stop.y << ": " << c;
    }
    // Tops of the rows behind: flat dark red.
    const ScreenPoint top = Project(2.45f, h, -0.15f * 10 - 0.05f, height);
    EXPECT_TRUE(Near(Pixel(top.x, top.y), 128, 0, 0, 3)) << Pixel(top.x, top.y);
}

TEST_F(BarFieldTest, SilentRowIsARowOfFlatDarkRedSquares) {
    Open(640, 380);
    FillHistory(0);
    PlaceFrameCamera(0.0f);
    DrawBarField();
    for (int k : {1, 16, 32}) {
        const float x = 0.15f * k;
        const ScreenPoint square = Project(x + 0.05f, 0.0f, -0.05f, height);
        EXPECT_TRUE(Near(Pixel(square.x, square.y), 128, 0, 0, 2)) << "bin " << k;
        const ScreenPoint gap = Project(x + 0.125f, 0.0f, -0.05f, height);
        EXPECT_TRUE(Near(Pixel(gap.x, gap.y), 0, 0, 0, 0)) << "gap after bin " << k;
    }
    // Bin 1 stands at the left, bin 32 at the right; nothing left of bin 1.
    const ScreenPoint left = Project(0.15f - 0.05f, 0.0f, -0.05f, height);
    EXPECT_TRUE(Near(Pixel(left.x, left.y), 0, 0, 0, 0));
}

TEST_F(BarFieldTest, BinsZeroAndAboveThirtyTwoNeverChangeThePicture) {
    Open(320, 200);
    AllocateHistory();
    std::srand(5);
    for (int j = 0; j < kHistoryRows; ++j)
        for (int b = 1; b <= 32; ++b) SpectrumHistory[j][b] = (unsigned char)(std::rand() % 256);
    PlaceFrameCamera(30.0f);
    DrawBarField();
    const std::vector<unsigned char> plain = Frame();
    for (int j = 0; j < kHistoryRows; ++j) {
        SpectrumHistory[j][0] = 255;
        for (int b = 33; b < kSnapshotBytes; ++b) SpectrumHistory[j][b] = 255;
    }
    PlaceFrameCamera(30.0f);
    DrawBarField();
    EXPECT_TRUE(Frame() == plain);
    // A drawn bin does change it.
    SpectrumHistory[0][32] = 0;
    PlaceFrameCamera(30.0f);
    DrawBarField();
    EXPECT_FALSE(Frame() == plain);
}

TEST_F(BarFieldTest, DrawBarLeavesCullingOffAndColourWhiteWhateverItFound) {
    Open(64, 64);
    PlaceFrameCamera(0.0f);
    glEnable(GL_CULL_FACE);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    DrawBar(0.0f, 0.0f, 0.1f, 0.5f, 0.25f);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_TRUE(NoGlError());
}
