// Coloured vertices handed to OpenGL as client-side arrays and drawn as indexed triangles.
// NOTE: under Wine every OpenGL call crosses from the Windows side to the driver; arrays make a
// whole layer one crossing instead of one per vertex and colour.
#include "render/vertex_arrays.h"
#include <initializer_list>

void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned int* indices, int indexCount) {
    if (indexCount <= 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(ColouredVertex), &vertices->red);
    glVertexPointer(3, GL_FLOAT, sizeof(ColouredVertex), &vertices->x);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, indices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// HACK (Mesa llvmpipe): pixels depend on which corner starts a triangle, so these are exactly the
// driver's own splits: a quad strip's quad (a, b, c, d) as (c, a, d) and (a, b, d); a quad (p0 to
// p3) as (p0, p1, p2) and (p0, p2, p3); a triangle strip's triangle n as (n, n + 1, n + 2), or
// (n + 1, n, n + 2) when n is odd.
unsigned int* QuadStripTriangles(unsigned int* index, unsigned int first, int vertexCount) {
    for (int q = 0; q + 4 <= vertexCount; q += 2) {
        const unsigned int a = first + q, b = a + 1, c = a + 2, d = a + 3;
        for (unsigned int corner : {c, a, d, a, b, d}) *index++ = corner;
    }
    return index;
}

unsigned int* QuadTriangles(unsigned int* index, unsigned int first) {
    for (unsigned int corner : {first, first + 1, first + 2, first, first + 2, first + 3}) *index++ = corner;
    return index;
}

unsigned int* TriangleStripTriangles(unsigned int* index, unsigned int first, int vertexCount) {
    for (int n = 0; n + 3 <= vertexCount; ++n) {
        const unsigned int a = first + n, odd = n & 1;
        *index++ = a + odd;
        *index++ = a + 1 - odd;
        *index++ = a + 2;
    }
    return index;
}
