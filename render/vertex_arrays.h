// Coloured vertices handed to OpenGL as client-side arrays: one call draws what immediate mode
// would send as a glColor4f and a glVertex3f per vertex, from the very same floats.
#pragma once
#include <windows.h>
#include <GL/gl.h>

struct ColouredVertex {
    float red, green, blue, alpha;
    float x, y, z;
};

inline void SetColouredVertex(ColouredVertex& v, const float colour[4], float x, float y, float z) {
    v = {colour[0], colour[1], colour[2], colour[3], x, y, z};
}

// Draws GL_TRIANGLES through `indices` into `vertices`. Leaves the client arrays disabled, as it
// found them; the current colour is undefined afterwards (callers set it).
void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned int* indices, int indexCount);

// The triangles the driver makes of a primitive whose vertices start at `first`, written from
// `index` on; each returns the index after its last. Drawn through DrawColouredTriangles, they
// give the primitive's very pixels.
unsigned int* QuadStripTriangles(unsigned int* index, unsigned int first, int vertexCount);
unsigned int* QuadTriangles(unsigned int* index, unsigned int first);
unsigned int* TriangleStripTriangles(unsigned int* index, unsigned int first, int vertexCount);
