// Frame capture: the back buffer read just before the plug-in's swap, written as a PNG file.
// Called from the SwapBuffers wrapper on the visualisation thread, with the plug-in's context current.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Reads the drawing (the client area of the window behind dc) from the back buffer, top row first,
// as BGR bytes. Restores the read buffer and pack alignment it changes.
bool ReadBackBuffer(HDC dc, int& width, int& height, std::vector<unsigned char>& bgrTopFirst);
// Writes 24-bit BGR pixels, top row first, as a PNG file through the platform's imaging component.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<unsigned char>& bgr,
              std::string& error);
// Reads the back buffer and writes DIR/frame-NNNNN.png for the frame, or DIR/frame-NNNNN-pass-K.png
// for its blur pass K; false with a reason on failure.
bool CaptureFrame(HDC dc, const std::string& dir, int frame, std::string& error, int pass = 0);
