// The noise tables under the C runtime's own generator, and the noise veil: a uniform wash at
// silent bass over the top 199/200 of the window, shown only while face culling is off.
#include "plugin/settings.h"
#include "render/noise.h"
#include "tests/noise_cases.h"
#include "tests/picture_support.h"

TEST(RuntimeGenerator, IsMicrosoftsLinearCongruentialGenerator) {
    std::srand(351);
    unsigned int state = 351;
    for (int i = 0; i < 10; ++i) {
        state = state * 214013u + 2531011u;
        EXPECT_EQ(std::rand(), (int)((state >> 16) & 0x7fff));
    }
}

class NoiseVeilTest : public GlFixture {
protected:
    void Prepare() {
        Open(400, 400);
        glDisable(GL_TEXTURE_2D);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_LIGHTING);
    }
};

TEST_F(NoiseVeilTest, SilentBassIsAUniformWashOverTheTopOfTheWindowWhileCullingIsOff) {
    Prepare();
    glDisable(GL_CULL_FACE);
    const GlStackState before = GlStackState::Read();
    NoiseVeilDraw(0.0f);
    EXPECT_EQ(GlStackState::Read(), before);
    EXPECT_TRUE(NoGlError());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    // White at alpha 0.25 over black: 64, on every row down to 398 of 400; the last two stay bare.
    const std::vector<unsigned char> frame = Frame();
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; x += 7) {
            const int expected = y < 398 ? 64 : 0;
            ASSERT_NEAR(frame[(y * 400 + x) * 3], expected, 1) << x << "," << y;
            ASSERT_EQ(frame[(y * 400 + x) * 3], frame[(y * 400 + x) * 3 + 2]);
        }
}

TEST_F(NoiseVeilTest, CulledBackFacesHideTheVeil) {
    Prepare();
    glEnable(GL_CULL_FACE);
    NoiseVeilDraw(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    const std::vector<unsigned char> frame = Frame();
    for (unsigned char b : frame) ASSERT_EQ(b, 0);
}
