// Listening through the platform's audio session API: a chosen or the default endpoint's
// shared-mode stream, polled on a capture thread; packets become samples in a CaptureWindow that
// each frame reads. Without a chosen device a change of the default switches the stream.
#include "host/listen/capture_source.h"
#include <windows.h>
#include <initguid.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>
#include "host/run/host_clock.h"
#include "host/base/json_log.h"
#include "host/listen/audio_devices.h"
#include "host/listen/capture_window.h"
#include "host/listen/default_device_watch.h"
#include "host/listen/listen_gain.h"
#include "host/listen/spectrum.h"

namespace {

const DWORD kPollMs = 10;
const DWORD kRetryMs = 2000;
const REFERENCE_TIME kBufferDuration = 1000000;  // 100 ms in 100-ns units
const char kNoDevice[] = "No capture device";
const char kStalled[] = "no packets";
const char kSwitched[] = "the default device changed";

CaptureRequest request;
HANDLE thread = nullptr;
HANDLE stopEvent = nullptr;
HANDLE firstOpenDone = nullptr;
HANDLE defaultChanged = nullptr;
double startSeconds = 0.0;
SpectrumAnalyser* analyser = nullptr;
std::vector<float> left(kFftSize), right(kFftSize);
std::atomic<int> gainStep{0};  // GainStep of the gain: an integer, so the atomic needs no lock
std::atomic<bool> showsMicrophone{false};

std::mutex lock;           // guards window and title, shared with the visualisation thread
CaptureWindow window;
std::string title = kNoDevice;

// The endpoint to open: the chosen or default device, or what records it where loopback is refused.
struct Target {
    std::string id, name;
    bool loopback = false;
    bool monitor = false;  // the output's own monitor, so still what the PC plays
};

struct Stream {
    IMMDevice* device = nullptr;
    IAudioClient* client = nullptr;
    IAudioCaptureClient* capture = nullptr;
    WavFormat format;
    Target target;

    ~Stream() { Close(); }
    void Close() {
        if (capture) capture->Release();
        if (client) client->Release();
        if (device) device->Release();
        capture = nullptr;
        client = nullptr;
        device = nullptr;
    }
};

std::string Describe(const char* step, HRESULT result) {
    struct Known { HRESULT code; const char* name; };
    static const Known known[] = {
        {HRESULT(0x80070490), "E_NOTFOUND"}, {AUDCLNT_E_WRONG_ENDPOINT_TYPE, "AUDCLNT_E_WRONG_ENDPOINT_TYPE"},
        {AUDCLNT_E_DEVICE_INVALIDATED, "AUDCLNT_E_DEVICE_INVALIDATED"},
        {AUDCLNT_E_SERVICE_NOT_RUNNING, "AUDCLNT_E_SERVICE_NOT_RUNNING"},
        {AUDCLNT_E_UNSUPPORTED_FORMAT, "AUDCLNT_E_UNSUPPORTED_FORMAT"}};
    char text[160];
    const char* name = "";
    for (const Known& k : known)
        if (k.code == result) name = k.name;
    std::snprintf(text, sizeof(text), "%s: %s%s0x%08lX", step, name, *name ? " " : "", (unsigned long)result);
    return text;
}

// What to open now: the device the request names (or the default of its direction) when
// `loopbackRefused` is false; else, for an output, what records it: its monitor where the
// platform lists one (PulseAudio does), or the default recording device. "" or why there is none.
std::string Resolve(bool loopbackRefused, Target& target) {
    std::string fault;
    const std::vector<AudioDevice> devices = ListAudioDevices(fault);
    if (!fault.empty()) return fault;
    const bool wantOutput = request.source == ListenSource::Output;
    size_t chosen = devices.size();
    if (!request.device.empty()) {
        fault = MatchDevice(devices, request.device, wantOutput, chosen);
        if (!fault.empty()) return fault;
    } else {
        for (size_t i = 0; i < devices.size(); ++i)
            if (devices[i].isDefault && devices[i].output == wantOutput) chosen = i;
        if (chosen == devices.size()) return wantOutput ? "no default output device" : "no default input device";
    }
    target = Target();
    if (devices[chosen].output && loopbackRefused) {
        size_t monitor = MonitorOf(devices, devices[chosen]);
        target.monitor = monitor < devices.size();
        if (!target.monitor)
            for (size_t i = 0; i < devices.size(); ++i)
                if (devices[i].isDefault && !devices[i].output) monitor = i;
        if (monitor == devices.size()) return "no default input device";
        chosen = monitor;
    }
    target.id = devices[chosen].id;
    target.name = devices[chosen].name;
    target.loopback = devices[chosen].output;
    return "";
}

// Opens a shared stream on the target in its mix format; on an output as loopback. "" or the
// failing step and its result.
std::string Open(IMMDeviceEnumerator* enumerator, const Target& target, Stream& stream) {
    stream.target = target;
    wchar_t id[512] = {};  // the enumeration narrowed it in the ANSI code page
    MultiByteToWideChar(CP_ACP, 0, target.id.c_str(), -1, id, 511);
    HRESULT result = enumerator->GetDevice(id, &stream.device);
    if (FAILED(result)) return Describe("GetDevice", result);
    result = stream.device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, (void**)&stream.client);
    if (FAILED(result)) return Describe("Activate(IAudioClient)", result);
    WAVEFORMATEX* mix = nullptr;
    result = stream.client->GetMixFormat(&mix);
    if (FAILED(result)) return Describe("GetMixFormat", result);
    std::string fault = ParseMixFormat(reinterpret_cast<const uint8_t*>(mix), sizeof(WAVEFORMATEX) + mix->cbSize,
                                       stream.format);
    if (fault.empty()) {
        result = stream.client->Initialize(AUDCLNT_SHAREMODE_SHARED, target.loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0,
                                           kBufferDuration, 0, mix, nullptr);
        if (FAILED(result)) fault = Describe("Initialize", result);
    } else {
        fault = "mix format: " + fault;
    }
    CoTaskMemFree(mix);
    if (!fault.empty()) return fault;
    result = stream.client->GetService(__uuidof(IAudioCaptureClient), (void**)&stream.capture);
    if (FAILED(result)) return Describe("GetService(IAudioCaptureClient)", result);
    result = stream.client->Start();
    return FAILED(result) ? Describe("Start", result) : "";
}

// Loopback is the one place outputs and inputs differ: refused (Wine 8 has none), the output is
// recorded instead, said once a run; `fallback` keeps why. A recording device other than the
// output's monitor is a microphone or line-in, which the user is told once.
std::string OpenForListening(IMMDeviceEnumerator* enumerator, Stream& stream, std::string& fallback) {
    static bool fallbackSaid = false;
    Target target;
    std::string fault = Resolve(false, target);
    if (!fault.empty()) return fault;
    fault = Open(enumerator, target, stream);
    if (fault.empty() || !target.loopback) return fault;
    stream.Close();
    fallback = fault;
    fault = Resolve(true, target);
    if (!fault.empty()) return fault;
    if (!fallbackSaid)
        std::fprintf(stderr, "smearscope-host: the output cannot be captured here (%s); listening to %s instead\n",
                     fallback.c_str(), target.monitor ? ("its monitor, " + target.name).c_str()
                                                      : "the default recording device");
    fallbackSaid = true;
    fault = Open(enumerator, target, stream);
    if (fault.empty() && !target.monitor && !showsMicrophone.exchange(true) && request.microphoneShown)
        request.microphoneShown("What this PC plays cannot be captured here, so Smearscope shows the recording device \"" +
                                target.name + "\" (a microphone or line-in) instead.");
    return fault;
}

void LogOpened(const char* event, const Stream& stream, const std::string& fallback, const std::string& from) {
    JsonLine(event).Str("device", stream.target.name.c_str()).Str("from", from.empty() ? nullptr : from.c_str())
        .Str("source", request.source == ListenSource::Output ? "output" : "input")
        .Bool("loopback", stream.target.loopback).Str("fallback", fallback.empty() ? nullptr : fallback.c_str())
        .Int("rate", stream.format.sampleRate).Int("channels", stream.format.channels)
        .Int("bits", stream.format.bitsPerSample).Bool("float", stream.format.formatTag == 3)
        .Num("gain", CaptureGain()).Write();
}

// Everything after "a packet arrived" is shared by loopback and recording.
void PacketArrived(const Stream& stream, const BYTE* data, UINT32 frames, DWORD flags, AudioClip& packet) {
    if (flags & AUDCLNT_BUFFERFLAGS_SILENT) {
        packet.left.assign(frames, 0.0f);
        packet.right.assign(frames, 0.0f);
    } else if (!DecodeWavSamples(stream.format, data, size_t(frames) * size_t(stream.format.blockAlign), packet).empty()) {
        return;
    }
    std::lock_guard<std::mutex> hold(lock);
    window.Write(packet, HostClockSeconds());
}

// Following the default: true when what Resolve now gives differs from the stream's device.
bool Switched(DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator, bool signalled, const Stream& stream,
              bool fellBack) {
    if (!watch || !DefaultDeviceChanged(watch, enumerator, signalled)) return false;
    Target now;
    return Resolve(fellBack, now).empty() && now.id != stream.target.id;
}

// Drains the stream's packets until it fails, the default changes or listening stops: "" when
// stopped, else the fault.
std::string Capture(Stream& stream, DefaultDeviceWatch* watch, IMMDeviceEnumerator* enumerator, bool fellBack) {
    AudioClip packet;
    DWORD lastPacket = GetTickCount();
    HANDLE waits[2] = {stopEvent, defaultChanged};
    DWORD woke;
    while ((woke = WaitForMultipleObjects(2, waits, FALSE, kPollMs)) != WAIT_OBJECT_0) {
        if (Switched(watch, enumerator, woke == WAIT_OBJECT_0 + 1, stream, fellBack)) return kSwitched;
        // A recording device delivers even silence (only loopback goes quiet while nothing plays):
        // a stream silent for 2 s has stalled and is opened again. NOTE: seen once under Wine 8's
        // pulse driver on a heavily loaded machine.
        if (!stream.target.loopback && GetTickCount() - lastPacket > kRetryMs) return kStalled;
        UINT32 padding = 0, size = 0;
        // NOTE: Wine's pulse driver reports a dead server only here, not in GetNextPacketSize.
        HRESULT result = stream.client->GetCurrentPadding(&padding);
        if (FAILED(result)) return Describe("GetCurrentPadding", result);
        while (SUCCEEDED(result = stream.capture->GetNextPacketSize(&size)) && size > 0) {
            BYTE* data = nullptr;
            UINT32 frames = 0;
            DWORD flags = 0;
            result = stream.capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
            if (FAILED(result)) return Describe("GetBuffer", result);
            PacketArrived(stream, data, frames, flags, packet);
            lastPacket = GetTickCount();
            stream.capture->ReleaseBuffer(frames);
        }
        if (FAILED(result)) return Describe("GetNextPacketSize", result);
    }
    stream.client->Stop();
    return "";
}

// Waits out the retry interval; a new default device ends it early. False when listening stops.
bool WaitToRetry() {
    HANDLE waits[2] = {stopEvent, defaultChanged};
    return WaitForMultipleObjects(request.device.empty() ? 2 : 1, waits, FALSE, kRetryMs) != WAIT_OBJECT_0;
}

DWORD WINAPI CaptureThread(LPVOID) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IMMDeviceEnumerator* enumerator = nullptr;
    HRESULT created = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                       __uuidof(IMMDeviceEnumerator), (void**)&enumerator);
    // A chosen device is kept; only the default is followed.
    DefaultDeviceWatch* watch =
        SUCCEEDED(created) && request.device.empty() ? DefaultDeviceWatchStart(enumerator, defaultChanged) : nullptr;
    bool first = true, lost = false;
    std::string from;  // the device a switch left, for the next open's line
    for (;;) {
        Stream stream;
        std::string fallback;
        std::string fault = FAILED(created) ? Describe("CoCreateInstance(MMDeviceEnumerator)", created)
                                            : OpenForListening(enumerator, stream, fallback);
        if (fault.empty()) {
            {
                std::lock_guard<std::mutex> hold(lock);
                window.Reset(stream.format.sampleRate, HostClockSeconds());
                title = stream.target.name;
            }
            LogOpened(first ? "listen" : !from.empty() ? "listen_switched" : "listen_found", stream, fallback, from);
            std::fprintf(stderr, "smearscope-host: listening to %s (%d Hz, %d channels)\n", stream.target.name.c_str(),
                         stream.format.sampleRate, stream.format.channels);
            lost = false;
            from.clear();
            if (first) SetEvent(firstOpenDone);
            first = false;
            fault = Capture(stream, watch, enumerator, !fallback.empty());
            if (fault.empty()) break;
            if (fault == kSwitched) {
                from = stream.target.name;
                continue;
            }
            if (fault == kStalled) {
                JsonLine("listen_stalled").Str("device", stream.target.name.c_str()).Write();
                if (!WaitToRetry()) break;
                continue;
            }
        }
        // One line when the device goes (or is missing at start), none for each failed retry.
        if (!lost) {
            std::fprintf(stderr, "smearscope-host: %s (%s); drawing silence, looking again every %lu s\n",
                         first ? "no capture device" : "lost the capture device", fault.c_str(), kRetryMs / 1000);
            JsonLine("listen_lost").Str("fault", fault.c_str()).Bool("at_start", first).Write();
            std::lock_guard<std::mutex> hold(lock);
            title = kNoDevice;
        }
        lost = true;
        from.clear();
        if (first) SetEvent(firstOpenDone);
        first = false;
        if (!WaitToRetry()) break;
    }
    if (enumerator) {
        DefaultDeviceWatchStop(watch, enumerator);
        enumerator->Release();
    }
    CoUninitialize();
    return 0;
}

}  // namespace

void CaptureStart(const CaptureRequest& wanted) {
    request = wanted;
    CaptureSetGain(wanted.gain);
    showsMicrophone = false;
    startSeconds = HostClockSeconds();
    analyser = SpectrumAnalyserCreate();
    window.Reset(44100, startSeconds);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    firstOpenDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    defaultChanged = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread = CreateThread(nullptr, 0, CaptureThread, nullptr, 0, nullptr);
    // The first frame already knows the device (or that there is none).
    HANDLE waits[2] = {firstOpenDone, thread};
    WaitForMultipleObjects(2, waits, FALSE, 10000);
}

void CaptureStop() {
    if (!thread) return;
    SetEvent(stopEvent);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(stopEvent);
    CloseHandle(firstOpenDone);
    CloseHandle(defaultChanged);
    thread = nullptr;
    SpectrumAnalyserDestroy(analyser);
    analyser = nullptr;
}

void CaptureFill(uint8_t spectrum[2][576], uint8_t waveform[2][576]) {
    {
        std::lock_guard<std::mutex> hold(lock);
        window.Read(HostClockSeconds(), left.data(), right.data());
    }
    const float factor = float(CaptureGain());
    if (factor != 1.0f)
        for (int i = 0; i < kFftSize; ++i) left[i] *= factor, right[i] *= factor;
    // The waveform is the newest 576 samples: a live source has nothing after the present.
    ComputeSpectrum(analyser, left.data(), spectrum[0]);
    ComputeSpectrum(analyser, right.data(), spectrum[1]);
    ComputeWaveform(left.data() + kFftSize - kSpectrumBins, waveform[0]);
    ComputeWaveform(right.data() + kFftSize - kSpectrumBins, waveform[1]);
}

double CaptureSeconds() { return HostClockSeconds() - startSeconds; }

std::string CaptureTitle() {
    std::lock_guard<std::mutex> hold(lock);
    return title;
}

bool CaptureShowsMicrophone() { return showsMicrophone; }

double CaptureGain() { return GainAtStep(gainStep); }

void CaptureSetGain(double wanted) { gainStep = GainStep(wanted); }

bool CaptureGainKey(unsigned virtualKey, double& newGain) {
    if (!GainForKey(virtualKey, CaptureGain(), newGain)) return false;
    CaptureSetGain(newGain);
    return true;
}
