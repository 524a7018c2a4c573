// The spectrum history (the last 32 snapshots, row 0 newest) and the 32 x 32 field of boxes drawn
// from it, each box a four-stop colour gradient from green at its foot to dark red at its top.
#include "render/bar_field.h"
#include <windows.h>
#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include "render/field_view.h"
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
const float kBarWidth = 0.1f;
// Four sides of four vertex pairs, then the top's four corners: a bar's vertices in the order
// immediate mode would send them.
const int kSideVertices = 8;
const int kBarVertices = 4 * kSideVertices + 4;
// Each side's three quads and the top, as the triangles the driver makes of them.
const int kBarIndices = (4 * 3 + 1) * 2 * 3;

// Green at the foot, yellow, orange, dark red at the top; the alpha comes with each bar.
const float kStops[4][3] = {{0.0f, 0.8f, 0.0f}, {0.8f, 0.8f, 0.0f}, {0.8f, 0.3f, 0.0f}, {0.5f, 0.0f, 0.0f}};

// The field as built for the current frame, drawn as many times as the blur needs: only the faces
// that can show, so their number changes from frame to frame.
ColouredVertex fieldVertices[kFieldBars * kBarVertices];
unsigned int fieldIndices[kFieldBars * kBarIndices];
int fieldVertexCount = 0;
int fieldIndexCount = 0;
// The highest bin among the field's bars as last built.
unsigned char fieldTallestBin = 0;
// NOTE: the side margin's window slack (1/128 px) holds where the driver snaps vertices to at least
// 8 sub-pixel bits (Mesa 22's llvmpipe reports 8); a coarser grid moves vertices further, so there
// every side goes to the driver. Mesa 22's softpipe reports 4, though it keeps floats: it gets all.
bool fineSubpixelGrid = false;

// Vertices and their triangles written side by side, in drawing order.
struct FaceWriter {
    ColouredVertex* vertex;
    unsigned int* index;
    unsigned int next = 0;  // the number of the next vertex
};

void StopColour(int stop, float alpha, float colour[4]) {
    colour[0] = kStops[stop][0];
    colour[1] = kStops[stop][1];
    colour[2] = kStops[stop][2];
    colour[3] = alpha;
}

// One side as a strip from the foot to the top: (a, b) at every stop height, in its stop colour.
void WriteSide(FaceWriter& out, float ax, float az, float bx, float bz, const float heights[4], float alpha) {
    out.index = QuadStripTriangles(out.index, out.next, kSideVertices);
    out.next += kSideVertices;
    for (int i = 0; i < 4; ++i) {
        float colour[4];
        StopColour(i, alpha, colour);
        SetColouredVertex(*out.vertex++, colour, ax, heights[i], az);
        SetColouredVertex(*out.vertex++, colour, bx, heights[i], bz);
    }
}

// The corner a bar stands at, and its top: BarFieldBounds reckons with the same single-precision values.
float BarX(int k) { return (float)(0.15 * k); }
float BarZ(int j) { return (float)(-0.15 * j); }
float BarTop(float level) { return level * 32.0f / 15.0f; }

// One box standing on y = 0: front, left, back and right sides, then the dark red top; every face
// counter-clockwise seen from outside. Sides of no height cover no pixel and stay out; so do sides
// whose plane `view` puts the eye well behind: the driver would cull them in every pass.
void WriteBar(FaceWriter& out, const FieldView& view, float x, float z, float width, float level, float alpha) {
    const float x2 = x + width;
    const float z2 = z - width;
    const float heights[4] = {0.0f, level * 32.0f / 60.0f, level * 96.0f / 60.0f, BarTop(level)};
    if (level != 0.0f) {
        const float shortest = std::min(std::fabs(heights[1]), std::fabs(heights[3] - heights[2]));
        const float margin = SideMargin(view, width, shortest);
        // `ahead`: how far the eye stands in front of the side's plane. Anything unsure stays in.
        auto hidden = [&](float ahead) { return ahead <= -margin; };
        if (!hidden(view.eye[2] - z)) WriteSide(out, x, z, x2, z, heights, alpha);     // front
        if (!hidden(x - view.eye[0])) WriteSide(out, x, z2, x, z, heights, alpha);     // left
        if (!hidden(z2 - view.eye[2])) WriteSide(out, x2, z2, x, z2, heights, alpha);  // back
        if (!hidden(view.eye[0] - x2)) WriteSide(out, x2, z, x2, z2, heights, alpha);  // right
    }
    out.index = QuadTriangles(out.index, out.next);
    out.next += 4;
    float top[4];
    StopColour(3, alpha, top);
    SetColouredVertex(*out.vertex++, top, x, heights[3], z);
    SetColouredVertex(*out.vertex++, top, x2, heights[3], z);
    SetColouredVertex(*out.vertex++, top, x2, heights[3], z2);
    SetColouredVertex(*out.vertex++, top, x, heights[3], z2);
}

// Culling on for the bars' faces; leaves it off and the colour white.
void DrawBars(const ColouredVertex* vertices, const unsigned int* indices, int indexCount) {
    glEnable(GL_CULL_FACE);
    DrawColouredTriangles(vertices, indices, indexCount);
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The camera of the current model-view, projection and viewport, for a field no taller than the
// loudest bin makes it; unknown on a coarse sub-pixel grid.
FieldView CurrentFieldView() {
    if (!fineSubpixelGrid) return FieldView();
    float modelview[16], projection[16];
    GLint viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // A little wider than the bars reach: the box only bounds distances.
    const float low[3] = {0.1f, 0.0f, -0.15f * kHistoryRows - 0.1f};
    const float high[3] = {0.15f * (kBarsPerRow + 1) + 0.1f, 255 * kBinToLevel * 32.0f / 15.0f + 0.1f, 0.1f};
    return FieldViewFrom(modelview, projection, viewport[2], viewport[3], low, high);
}
}  // namespace

void BarFieldReadDriverGrid() {
    GLint bits = 0;
    glGetIntegerv(GL_SUBPIXEL_BITS, &bits);
    fineSubpixelGrid = bits >= 8;
}

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
    fieldVertexCount = fieldIndexCount = 0;
    fieldTallestBin = 0;
    if (!HistoryAllocated()) return;
    const FieldView view = CurrentFieldView();
    FaceWriter out{fieldVertices, fieldIndices};
    for (int j = 0; j < kHistoryRows; ++j) {
        const unsigned char* row = SpectrumHistory[j];
        for (int k = kBarsPerRow; k >= 1; --k) {
            WriteBar(out, view, BarX(k), BarZ(j), kBarWidth, row[k] * kBinToLevel, 0.25f);
            fieldTallestBin = std::max(fieldTallestBin, row[k]);
        }
    }
    fieldVertexCount = (int)out.next;
    fieldIndexCount = (int)(out.index - fieldIndices);
}

int BarFieldVertices() { return fieldVertexCount; }

bool BarFieldBounds(float low[3], float high[3]) {
    if (fieldVertexCount == 0) return false;
    low[0] = BarX(1), low[1] = 0.0f, low[2] = BarZ(kHistoryRows - 1) - kBarWidth;
    high[0] = BarX(kBarsPerRow) + kBarWidth, high[1] = BarTop(fieldTallestBin * kBinToLevel), high[2] = BarZ(0);
    return true;
}

// Leaves face culling off and the colour white, as each bar does; an empty field changes nothing.
void BarFieldDraw() {
    if (fieldIndexCount > 0) DrawBars(fieldVertices, fieldIndices, fieldIndexCount);
}

#ifdef SMEARSCOPE_REFERENCE_DRAWING
void DrawBarField() {
    BarFieldBuild();
    BarFieldDraw();
}

// Leaves face culling disabled and the current colour (1, 1, 1, 1), whatever it found.
void DrawBar(float x, float z, float width, float level, float alpha) {
    static ColouredVertex bar[kBarVertices];
    static unsigned int indices[kBarIndices];
    FaceWriter out{bar, indices};
    WriteBar(out, FieldView(), x, z, width, level, alpha);
    DrawBars(bar, indices, (int)(out.index - indices));
}
#endif
