// The bar field goes to the driver as arrays; immediate mode, one strip or quad at a time, is the
// reference it must match pixel for pixel on random histories seen from several angles.
#include <cstdlib>
#include "tests/picture_support.h"

namespace {

void ReferenceSide(float ax, float az, float bx, float bz, const float heights[4], float alpha) {
    const float stops[4][3] = {{0.0f, 0.8f, 0.0f}, {0.8f, 0.8f, 0.0f}, {0.8f, 0.3f, 0.0f}, {0.5f, 0.0f, 0.0f}};
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 4; ++i) {
        glColor4f(stops[i][0], stops[i][1], stops[i][2], alpha);
        glVertex3f(ax, heights[i], az);
        glVertex3f(bx, heights[i], bz);
    }
    glEnd();
}

void ReferenceBar(float x, float z, float level) {
    const float width = 0.1f, alpha = 0.25f, x2 = x + width, z2 = z - width;
    const float heights[4] = {0.0f, level * 32.0f / 60.0f, level * 96.0f / 60.0f, level * 32.0f / 15.0f};
    glEnable(GL_CULL_FACE);
    ReferenceSide(x, z, x2, z, heights, alpha);
    ReferenceSide(x, z2, x, z, heights, alpha);
    ReferenceSide(x2, z2, x, z2, heights, alpha);
    ReferenceSide(x2, z, x2, z2, heights, alpha);
    glBegin(GL_QUADS);
    glColor4f(0.5f, 0.0f, 0.0f, alpha);
    glVertex3f(x, heights[3], z);
    glVertex3f(x2, heights[3], z);
    glVertex3f(x2, heights[3], z2);
    glVertex3f(x, heights[3], z2);
    glEnd();
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void ReferenceField() {
    for (int j = 0; j < kHistoryRows; ++j)
        for (int k = 32; k >= 1; --k)
            ReferenceBar((float)(0.15 * k), (float)(-0.15 * j), SpectrumHistory[j][k] * kBinToLevel);
}

}  // namespace

class BarFieldArrays : public GlFixture {};

TEST_F(BarFieldArrays, MatchTheStripsAndQuadsTheyReplace) {
    Open(640, 380);
    AllocateHistory();
    std::srand(7);
    for (int j = 0; j < kHistoryRows; ++j)
        for (int b = 0; b < kSnapshotBytes; ++b) SpectrumHistory[j][b] = (unsigned char)(std::rand() % 256);
    for (float angle : {0.0f, 37.0f, 123.0f, 250.0f}) {
        PlaceFrameCamera(angle);
        ReferenceField();
        const std::vector<unsigned char> reference = Frame();
        PlaceFrameCamera(angle);
        DrawBarField();
        const std::vector<unsigned char> arrays = Frame();
        long differing = 0;
        for (size_t i = 0; i < reference.size(); ++i) differing += reference[i] != arrays[i];
        EXPECT_EQ(differing, 0) << "bytes differ at angle " << angle;
    }
    EXPECT_TRUE(NoGlError());
}
