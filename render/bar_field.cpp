// The spectrum history (the last 32 snapshots, row 0 newest) and the 32 x 32 field of boxes drawn
// from it, each box a four-stop colour gradient from green at its foot to dark red at its top.
#include "render/bar_field.h"
#include <windows.h>
#include <GL/gl.h>
#include <cstring>
#include "render/frame_math.h"
#include "render/vertex_arrays.h"

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

const int kBarsPerRow = 32;
const int kFieldBars = kHistoryRows * kBarsPerRow;
// Four sides of four vertex pairs, then the top's four corners: a bar's vertices in the order
// immediate mode would send them.
const int kSideVertices = 8;
const int kBarVertices = 4 * kSideVertices + 4;
// Each side's three quads and the top, as the triangles the driver makes of them.
const int kBarIndices = (4 * 3 + 1) * 2 * 3;

// Green at the foot, yellow, orange, dark red at the top; the alpha comes with each bar.
const float kStops[4][3] = {{0.0f, 0.8f, 0.0f}, {0.8f, 0.8f, 0.0f}, {0.8f, 0.3f, 0.0f}, {0.5f, 0.0f, 0.0f}};

// The field as built for the current frame, drawn as many times as the blur needs.
ColouredVertex fieldVertices[kFieldBars * kBarVertices];
unsigned int fieldIndices[kFieldBars * kBarIndices];
int fieldBars = 0;

// Each side's quad strip, then the top's quad, as the driver splits them.
void WriteBarIndices(unsigned int* index, unsigned int first) {
    for (int side = 0; side < 4; ++side) index = QuadStripTriangles(index, first + side * kSideVertices, kSideVertices);
    QuadTriangles(index, first + 4 * kSideVertices);
}

void StopColour(int stop, float alpha, float colour[4]) {
    colour[0] = kStops[stop][0];
    colour[1] = kStops[stop][1];
    colour[2] = kStops[stop][2];
    colour[3] = alpha;
}

// One side as a strip from the foot to the top: (a, b) at every stop height, in its stop colour.
ColouredVertex* WriteSide(ColouredVertex* v, float ax, float az, float bx, float bz, const float heights[4],
                          float alpha) {
    for (int i = 0; i < 4; ++i) {
        float colour[4];
        StopColour(i, alpha, colour);
        SetColouredVertex(*v++, colour, ax, heights[i], az);
        SetColouredVertex(*v++, colour, bx, heights[i], bz);
    }
    return v;
}

// One box standing on y = 0: front, left, back and right sides, then the dark red top; every face
// counter-clockwise seen from outside. Returns the vertex after the bar's last.
ColouredVertex* WriteBar(ColouredVertex* v, float x, float z, float width, float level, float alpha) {
    const float x2 = x + width;
    const float z2 = z - width;
    const float heights[4] = {0.0f, level * 32.0f / 60.0f, level * 96.0f / 60.0f, level * 32.0f / 15.0f};
    v = WriteSide(v, x, z, x2, z, heights, alpha);    // front
    v = WriteSide(v, x, z2, x, z, heights, alpha);    // left
    v = WriteSide(v, x2, z2, x, z2, heights, alpha);  // back
    v = WriteSide(v, x2, z, x2, z2, heights, alpha);  // right
    float top[4];
    StopColour(3, alpha, top);
    SetColouredVertex(*v++, top, x, heights[3], z);
    SetColouredVertex(*v++, top, x2, heights[3], z);
    SetColouredVertex(*v++, top, x2, heights[3], z2);
    SetColouredVertex(*v++, top, x, heights[3], z2);
    return v;
}

// Culling on for the bars' faces; leaves it off and the colour white.
void DrawBars(const ColouredVertex* vertices, int bars) {
    static bool indicesWritten = false;
    if (!indicesWritten) {
        for (int bar = 0; bar < kFieldBars; ++bar) WriteBarIndices(fieldIndices + bar * kBarIndices, bar * kBarVertices);
        indicesWritten = true;
    }
    glEnable(GL_CULL_FACE);
    DrawColouredTriangles(vertices, fieldIndices, bars * kBarIndices);
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
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

unsigned long barFieldBuilds = 0;

void BarFieldBuild() {
    ++barFieldBuilds;
    fieldBars = 0;
    if (!HistoryAllocated()) return;
    ColouredVertex* v = fieldVertices;
    for (int j = 0; j < kHistoryRows; ++j) {
        const unsigned char* row = SpectrumHistory[j];
        for (int k = kBarsPerRow; k >= 1; --k)
            v = WriteBar(v, (float)(0.15 * k), (float)(-0.15 * j), 0.1f, row[k] * kBinToLevel, 0.25f);
    }
    fieldBars = kFieldBars;
}

// Leaves face culling off and the colour white, as each bar does; an empty field changes nothing.
void BarFieldDraw() {
    if (fieldBars > 0) DrawBars(fieldVertices, fieldBars);
}

void DrawBarField() {
    BarFieldBuild();
    BarFieldDraw();
}

// Leaves face culling disabled and the current colour (1, 1, 1, 1), whatever it found.
void DrawBar(float x, float z, float width, float level, float alpha) {
    static ColouredVertex bar[kBarVertices];
    WriteBar(bar, x, z, width, level, alpha);
    DrawBars(bar, 1);
}
