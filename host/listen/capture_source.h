// Listening: what an output device plays (loopback) or a recording device hears, captured on a
// thread of its own and fed to the same spectrum and waveform analysis as a file.
#pragma once
#include <cstdint>
#include <string>
#include "host/base/real_clock.h"

enum class ListenSource { Output, Input };

struct CaptureRequest {
    ListenSource source = ListenSource::Output;  // whose default is listened to without a device
    std::string device;  // a number, id or name (MatchDevice); empty: the default, followed when it changes
    double gain = 1.0;   // clamped by GainClamp
    ClockSeconds clock = RealClockSeconds;  // places the samples and the frames that read them
    // What listening has to say as it goes (the device opened, missing or lost, the output recorded
    // instead), on the capture thread, for the program to say in its own name; null: nothing said.
    // The log has each of them as an event already.
    void (*said)(const std::string& text) = nullptr;
    // Called once a run, on the capture thread, when loopback is refused and a recording device
    // (a microphone or line-in, not the output's monitor) is all there is; `text` says so to the user.
    void (*microphoneShown)(const std::string& text) = nullptr;
};

// Opens the device (or says there is none) and keeps capturing until CaptureStop; a lost or
// missing device is looked for again every few seconds. Everything of a previous run is dropped.
// "" or why nothing could start (the run's events or thread could not be made): then the frames
// are silent, the title is "No capture device" and nothing retries; the caller says so.
std::string CaptureStart(const CaptureRequest& request);
void CaptureStop();
// The blocks for this frame from the newest samples times the gain; silence when nothing arrived lately.
void CaptureFill(uint8_t spectrum[2][576], uint8_t waveform[2][576]);
// Seconds on the request's clock since listening started.
double CaptureSeconds();
// The device's friendly name ("No capture device" while there is none).
std::string CaptureTitle();
// True once the microphone is shown in place of what the PC plays (see microphoneShown).
bool CaptureShowsMicrophone();
double CaptureGain();
void CaptureSetGain(double gain);
// A gain key (GainForKey) changes the gain: true, with the new gain in `gain`. Any thread.
bool CaptureGainKey(unsigned virtualKey, double& gain);
