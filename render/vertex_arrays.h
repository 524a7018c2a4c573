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
void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned short* indices, int indexCount);
void DrawColouredTriangles(const ColouredVertex* vertices, const unsigned int* indices, int indexCount);
