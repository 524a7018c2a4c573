// Frame capture: the back buffer read just before the plug-in's swap, written as a PNG file.
// The imaging component (WIC) encodes; it needs no display and works under Wine.
#include "host/harness/capture.h"
#include <GL/gl.h>
#include <wincodec.h>
#include <cstdio>

#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif

bool ReadBackBuffer(HDC dc, int& width, int& height, std::vector<unsigned char>& bgrTopFirst) {
    RECT client;
    HWND window = WindowFromDC(dc);
    if (!window || !GetClientRect(window, &client)) return false;
    width = client.right - client.left;
    height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;

    // NOTE: under Wine the front buffer reads back black after a swap; the back buffer before the
    // swap holds the frame.
    GLint readBuffer = GL_BACK, packAlignment = 4;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> bottomFirst((size_t)width * height * 3);
    glReadPixels(0, 0, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, bottomFirst.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glReadBuffer((GLenum)readBuffer);

    const size_t row = (size_t)width * 3;
    bgrTopFirst.resize(bottomFirst.size());
    for (int y = 0; y < height; ++y)
        std::copy(bottomFirst.begin() + (height - 1 - y) * row, bottomFirst.begin() + (height - y) * row,
                  bgrTopFirst.begin() + y * row);
    return true;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<unsigned char>& bgr,
              std::string& error) {
    // The visualisation thread may or may not have COM yet; both answers are fine here.
    HRESULT comInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    const char* step = "create the imaging factory";
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, (void**)&factory);
    if (SUCCEEDED(hr)) { step = "create a stream"; hr = factory->CreateStream(&stream); }
    if (SUCCEEDED(hr)) { step = "open the file"; hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE); }
    if (SUCCEEDED(hr)) { step = "create the PNG encoder"; hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder); }
    if (SUCCEEDED(hr)) { step = "start the encoder"; hr = encoder->Initialize(stream, WICBitmapEncoderNoCache); }
    if (SUCCEEDED(hr)) { step = "create a frame"; hr = encoder->CreateNewFrame(&frame, nullptr); }
    if (SUCCEEDED(hr)) { step = "start the frame"; hr = frame->Initialize(nullptr); }
    if (SUCCEEDED(hr)) { step = "size the frame"; hr = frame->SetSize(width, height); }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) { step = "set the pixel format"; hr = frame->SetPixelFormat(&format); }
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) { step = "keep 24-bit BGR"; hr = E_FAIL; }
    if (SUCCEEDED(hr)) {
        step = "write the pixels";
        hr = frame->WritePixels(height, width * 3, (UINT)bgr.size(), const_cast<BYTE*>(bgr.data()));
    }
    if (SUCCEEDED(hr)) { step = "commit the frame"; hr = frame->Commit(); }
    if (SUCCEEDED(hr)) { step = "commit the file"; hr = encoder->Commit(); }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(comInit)) CoUninitialize();
    if (FAILED(hr)) {
        char text[160];
        std::snprintf(text, sizeof(text), "could not %s (0x%08lx)", step, (unsigned long)hr);
        error = text;
        return false;
    }
    return true;
}

bool CaptureFrame(HDC dc, const std::string& dir, int frame, std::string& error, int pass) {
    int width, height;
    std::vector<unsigned char> pixels;
    if (!ReadBackBuffer(dc, width, height, pixels)) {
        error = "could not read the back buffer of frame " + std::to_string(frame);
        return false;
    }
    char name[40];
    if (pass > 0) std::snprintf(name, sizeof(name), "\\frame-%05d-pass-%d.png", frame, pass);
    else std::snprintf(name, sizeof(name), "\\frame-%05d.png", frame);
    std::string path = dir + name;
    std::wstring widePath(path.begin(), path.end());
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length > 0) {
        widePath.resize(length);
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &widePath[0], length);
        widePath.resize(length - 1);
    }
    if (!WritePng(widePath, width, height, pixels, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
