// Listening: what the default output device plays (loopback) or the default recording device hears,
// captured on a thread of its own and fed to the same spectrum and waveform analysis as a file.
#pragma once
#include <cstdint>
#include <string>

enum class ListenSource { Output, Input };

// Opens the default device (or says there is none) and keeps capturing until CaptureStop; a lost
// device is looked for again every few seconds. Nothing here ends the run.
void CaptureStart(ListenSource source);
void CaptureStop();
// The blocks for this frame from the newest samples; silence when nothing arrived lately.
void CaptureFill(uint8_t spectrum[2][576], uint8_t waveform[2][576]);
// Seconds on the host's clock since listening started.
double CaptureSeconds();
// The device's friendly name ("No capture device" while there is none).
std::string CaptureTitle();
