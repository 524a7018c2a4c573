// The renderer set-up: projection after a resize, the swap-control lookup, the accumulation format.
#include <GL/gl.h>
#include "render/scene_state.h"
#include "tests/gl_fixture.h"

class SceneStateTest : public GlFixture {};

TEST_F(SceneStateTest, ResizeSetsViewportAndAspectAndHeightZeroCountsAsOne) {
    Open(640, 380);
    EXPECT_FLOAT_EQ(sceneProjection.aspect, 640.0f / 380.0f);
    ResizeScene(300, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_FLOAT_EQ(sceneProjection.aspect, 300.0f);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: m[5] = cot(fov/2), m[0] = m[5] / aspect.
    EXPECT_NEAR(projection[5], 2.4142135f, 1e-5);
    EXPECT_NEAR(projection[0], 2.4142135f / 300.0f, 1e-6);
}

TEST_F(SceneStateTest, ContextHasAnAccumulationBuffer) {
    Open(64, 64);
    GLint accumRed = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &accumRed);
    EXPECT_GT(accumRed, 0) << "the zoom blur needs an accumulation buffer";
}

TEST(ExtensionListed, IsAPlainSubstringSearch) {
    EXPECT_TRUE(ExtensionListed("GL_A WGL_EXT_swap_control GL_B", "WGL_EXT_swap_control"));
    EXPECT_TRUE(ExtensionListed("WGL_EXT_swap_control_tear", "WGL_EXT_swap_control"));
    EXPECT_FALSE(ExtensionListed("GL_ARB_multitexture", "WGL_EXT_swap_control"));
    EXPECT_FALSE(ExtensionListed(nullptr, "WGL_EXT_swap_control"));
}
