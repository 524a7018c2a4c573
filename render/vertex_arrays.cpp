// Coloured vertices handed to OpenGL as client-side arrays, one draw call per primitive run.
// NOTE: under Wine every OpenGL call crosses from the Windows side to the driver; arrays make a
// primitive one crossing instead of one per vertex and colour.
#include "render/vertex_arrays.h"

namespace {
void EnableArrays(const ColouredVertex* vertices) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(ColouredVertex), &vertices->red);
    glVertexPointer(3, GL_FLOAT, sizeof(ColouredVertex), &vertices->x);
}

void DisableArrays() {
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
}  // namespace

void DrawColouredRuns(GLenum mode, const ColouredVertex* vertices, int runs, int runLength) {
    if (runs <= 0 || runLength <= 0) return;
    EnableArrays(vertices);
    for (int run = 0; run < runs; ++run) glDrawArrays(mode, run * runLength, runLength);
    DisableArrays();
}

void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned short* indices, int indexCount) {
    if (indexCount <= 0) return;
    EnableArrays(vertices);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, indices);
    DisableArrays();
}
