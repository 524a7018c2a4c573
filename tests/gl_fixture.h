// A window and OpenGL context of the tests' own, set up as the plug-in's start-up sets it up, so
// that drawing routines can be called directly and their pixels read back.
#pragma once
#include <windows.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

struct Rgb {
    int r, g, b;
};

class GlFixture : public ::testing::Test {
protected:
    // Creates a client area of width x height, makes the context current, and runs the renderer
    // set-up (state, font, feedback texture) and the viewport and projection for that size.
    void SetUp() override;
    void TearDown() override;
    void Open(int width, int height);
    // Clears colour and depth to black.
    void ClearAll();
    // Pixel (x, y) of the back buffer, y counted from the top edge, in 0..255 per channel.
    Rgb Pixel(int x, int y);
    // The whole back buffer, top row first, RGB bytes.
    std::vector<unsigned char> Frame();
    int width = 640;
    int height = 380;
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

// Matrix and attribute stack depths, and the matrix mode: what every drawing routine must restore.
struct GlStackState {
    GLint modelviewDepth, projectionDepth, attribDepth, matrixMode;
    static GlStackState Read();
    bool operator==(const GlStackState& other) const;
};
