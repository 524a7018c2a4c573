// The spectrum history (the last 32 snapshots, row 0 newest) and the 32 x 32 field of boxes drawn
// from it, each box a four-stop colour gradient from green at its foot to dark red at its top.
#include "render/bar_field.h"
#include <windows.h>
#include <GL/gl.h>
#include <cstring>
#include "render/frame_math.h"

unsigned char* SpectrumHistory[kHistoryRows];
bool historyNeedsAllocation = true;

namespace {
// The rows live in one static block, so a row can never be missing; the table of row pointers
// stays the history's model and is filled by AllocateHistory.
unsigned char historyRows[kHistoryRows][kSnapshotBytes];

bool HistoryAllocated() {
    for (int i = 0; i < kHistoryRows; ++i)
        if (!SpectrumHistory[i]) return false;
    return true;
}

struct StopColour {
    float red, green, blue;
};
const StopColour kFoot = {0.0f, 0.8f, 0.0f};
const StopColour kLow = {0.8f, 0.8f, 0.0f};
const StopColour kHigh = {0.8f, 0.3f, 0.0f};
const StopColour kTop = {0.5f, 0.0f, 0.0f};

// One side as a strip from the foot to the top; (ax, az) then (bx, bz) for every pair.
void DrawSide(float ax, float az, float bx, float bz, const float heights[4], float alpha) {
    const StopColour* stops[4] = {&kFoot, &kLow, &kHigh, &kTop};
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 4; ++i) {
        glColor4f(stops[i]->red, stops[i]->green, stops[i]->blue, alpha);
        glVertex3f(ax, heights[i], az);
        glVertex3f(bx, heights[i], bz);
    }
    glEnd();
}
}  // namespace

void AllocateHistory() {
    for (int i = 0; i < kHistoryRows; ++i) {
        SpectrumHistory[i] = historyRows[i];
        std::memset(SpectrumHistory[i], 0, kSnapshotBytes);
    }
}

void ShiftInSpectrum(const unsigned char* snapshot) {
    if (!HistoryAllocated()) return;
    for (int i = kHistoryRows - 1; i >= 1; --i)
        std::memcpy(SpectrumHistory[i], SpectrumHistory[i - 1], kSnapshotBytes);
    std::memcpy(SpectrumHistory[0], snapshot, kSnapshotBytes);
}

// Leaves face culling off and the colour white (DrawBar's own promise).
void DrawBarField() {
    if (!HistoryAllocated()) return;
    for (int j = 0; j < kHistoryRows; ++j) {
        const unsigned char* row = SpectrumHistory[j];
        for (int k = 32; k >= 1; --k)
            DrawBar((float)(0.15 * k), (float)(-0.15 * j), 0.1f, row[k] * kBinToLevel, 0.25f);
    }
}

// Leaves face culling disabled and the current colour (1, 1, 1, 1), whatever it found.
void DrawBar(float x, float z, float width, float level, float alpha) {
    glEnable(GL_CULL_FACE);
    const float x2 = x + width;
    const float z2 = z - width;
    const float heights[4] = {0.0f, level * 32.0f / 60.0f, level * 96.0f / 60.0f, level * 32.0f / 15.0f};
    DrawSide(x, z, x2, z, heights, alpha);    // front
    DrawSide(x, z2, x, z, heights, alpha);    // left
    DrawSide(x2, z2, x, z2, heights, alpha);  // back
    DrawSide(x2, z, x2, z2, heights, alpha);  // right
    glBegin(GL_QUADS);
    glColor4f(kTop.red, kTop.green, kTop.blue, alpha);
    glVertex3f(x, heights[3], z);
    glVertex3f(x2, heights[3], z);
    glVertex3f(x2, heights[3], z2);
    glVertex3f(x, heights[3], z2);
    glEnd();
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
