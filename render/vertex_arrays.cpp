// Coloured vertices handed to OpenGL as client-side arrays and drawn as indexed triangles.
// NOTE: under Wine every OpenGL call crosses from the Windows side to the driver; arrays make a
// whole layer one crossing instead of one per vertex and colour.
#include "render/vertex_arrays.h"

namespace {
void DrawIndexed(const ColouredVertex* vertices, const void* indices, int indexCount, GLenum indexType) {
    if (indexCount <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(ColouredVertex), &vertices->red);
    glVertexPointer(3, GL_FLOAT, sizeof(ColouredVertex), &vertices->x);
    glDrawElements(GL_TRIANGLES, indexCount, indexType, indices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
}  // namespace

void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned short* indices, int indexCount) {
    DrawIndexed(vertices, indices, indexCount, GL_UNSIGNED_SHORT);
}

void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned int* indices, int indexCount) {
    DrawIndexed(vertices, indices, indexCount, GL_UNSIGNED_INT);
}
