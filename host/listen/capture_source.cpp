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
#include <memory>
#include <mutex>
#include <vector>
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

// Everything one listening run keeps, made anew at each start; it outlives CaptureStop so that the
// title and gain stay readable until the next start.
struct Listening {
    CaptureRequest request;
    HANDLE thread = nullptr;
    HANDLE stopEvent = nullptr;
    HANDLE firstOpenDone = nullptr;
    HANDLE defaultChanged = nullptr;
    double startSeconds = 0.0;
    SpectrumAnalyser* analyser = SpectrumAnalyserCreate();
    std::vector<float> left = std::vector<float>(kFftSize), right = std::vector<float>(kFftSize);
    std::atomic<int> gainStep{0};  // GainStep of the gain: an integer, so the atomic needs no lock
    std::atomic<bool> showsMicrophone{false};
    bool fallbackSaid = false;     // the capture thread's: the fallback is said once a run

    std::mutex lock;               // guards window and title, shared with the visualisation thread
    CaptureWindow window;
    std::string title = kNoDevice;

    ~Listening() { SpectrumAnalyserDestroy(analyser); }
    double Now() const { return request.clock(); }
    void Say(const std::string& text) const {
        if (request.said) request.said(text);
    }
};
std::unique_ptr<Listening> state(new Listening());

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
    const bool wantOutput = state->request.source == ListenSource::Output;
    size_t chosen = devices.size();
    if (!state->request.device.empty()) {
        fault = MatchDevice(devices, state->request.device, wantOutput, chosen);
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
    Target target;
    std::string fault = Resolve(false, target);
    if (!fault.empty()) return fault;
    fault = Open(enumerator, target, stream);
    if (fault.empty() || !target.loopback) return fault;
    stream.Close();
    fallback = fault;
    fault = Resolve(true, target);
    if (!fault.empty()) return fault;
    if (!state->fallbackSaid)
        state->Say("the output cannot be captured here (" + fallback + "); listening to " +
                   (target.monitor ? "its monitor, " + target.name : std::string("the default recording device")) +
                   " instead");
    state->fallbackSaid = true;
    fault = Open(enumerator, target, stream);
    if (fault.empty() && !target.monitor && !state->showsMicrophone.exchange(true) && state->request.microphoneShown)
        state->request.microphoneShown(
            "What this PC plays cannot be captured here, so Smearscope shows the recording device \"" + target.name +
            "\" (a microphone or line-in) instead.");
    return fault;
}

void LogOpened(const char* event, const Stream& stream, const std::string& fallback, const std::string& from) {
    JsonLine(event).Str("device", stream.target.name.c_str()).Str("from", from.empty() ? nullptr : from.c_str())
        .Str("source", state->request.source == ListenSource::Output ? "output" : "input")
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
    std::lock_guard<std::mutex> hold(state->lock);
    state->window.Write(packet, state->Now());
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
    HANDLE waits[2] = {state->stopEvent, state->defaultChanged};
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
    HANDLE waits[2] = {state->stopEvent, state->defaultChanged};
    return WaitForMultipleObjects(state->request.device.empty() ? 2 : 1, waits, FALSE, kRetryMs) != WAIT_OBJECT_0;
}

// What the capture thread keeps between its streams.
struct Session {
    IMMDeviceEnumerator* enumerator = nullptr;
    HRESULT created = E_FAIL;
    DefaultDeviceWatch* watch = nullptr;  // only without a chosen device: a chosen one is kept
    bool first = true;                    // nothing opened or lost yet
    bool lost = false;                    // the device is gone and its loss was said
    std::string from;                     // the device a switch left, for the next open's line
};

void SessionBegin(Session& session) {
    session.created = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                       __uuidof(IMMDeviceEnumerator), (void**)&session.enumerator);
    if (FAILED(session.created)) session.enumerator = nullptr;
    else if (state->request.device.empty())
        session.watch = DefaultDeviceWatchStart(session.enumerator, state->defaultChanged);
}

void SessionEnd(Session& session) {
    if (!session.enumerator) return;
    DefaultDeviceWatchStop(session.watch, session.enumerator);
    session.enumerator->Release();
}

// The first stream opened or found missing: CaptureStart stops waiting.
void FirstOutcome(Session& session) {
    if (session.first) SetEvent(state->firstOpenDone);
    session.first = false;
}

void Opened(Session& session, const Stream& stream, const std::string& fallback) {
    {
        std::lock_guard<std::mutex> hold(state->lock);
        state->window.Reset(stream.format.sampleRate, state->Now());
        state->title = stream.target.name;
    }
    const char* event = session.first ? "listen" : !session.from.empty() ? "listen_switched" : "listen_found";
    LogOpened(event, stream, fallback, session.from);
    state->Say("listening to " + stream.target.name + " (" + std::to_string(stream.format.sampleRate) + " Hz, " +
               std::to_string(stream.format.channels) + " channels)");
    session.lost = false;
    session.from.clear();
    FirstOutcome(session);
}

// One line when the device goes (or is missing at start), none for each failed retry.
void Lost(Session& session, const std::string& fault) {
    if (!session.lost) {
        state->Say(std::string(session.first ? "no capture device" : "lost the capture device") + " (" + fault +
                   "); drawing silence, looking again every " + std::to_string(kRetryMs / 1000) + " s");
        JsonLine("listen_lost").Str("fault", fault.c_str()).Bool("at_start", session.first).Write();
        std::lock_guard<std::mutex> hold(state->lock);
        state->title = kNoDevice;
    }
    session.lost = true;
    session.from.clear();
    FirstOutcome(session);
}

// Opens, listens and reopens until listening stops.
DWORD WINAPI CaptureThread(LPVOID) {
    // Without COM the enumerator's creation fails, which is said as a missing device.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    Session session;
    SessionBegin(session);
    for (;;) {
        Stream stream;
        std::string fallback;
        std::string fault = session.enumerator ? OpenForListening(session.enumerator, stream, fallback)
                                               : Describe("CoCreateInstance(MMDeviceEnumerator)", session.created);
        if (fault.empty()) {
            Opened(session, stream, fallback);
            fault = Capture(stream, session.watch, session.enumerator, !fallback.empty());
            if (fault.empty()) break;
            if (fault == kSwitched) {
                session.from = stream.target.name;
                continue;
            }
            if (fault == kStalled) {
                JsonLine("listen_stalled").Str("device", stream.target.name.c_str()).Write();
                if (!WaitToRetry()) break;
                continue;
            }
        }
        Lost(session, fault);
        if (!WaitToRetry()) break;
    }
    SessionEnd(session);
    if (com) CoUninitialize();
    return 0;
}

// Closes what CaptureStart made; null handles are passed over.
void CloseRunHandles(Listening& run) {
    for (HANDLE* handle : {&run.thread, &run.stopEvent, &run.firstOpenDone, &run.defaultChanged}) {
        if (*handle) CloseHandle(*handle);
        *handle = nullptr;
    }
}

std::string LastErrorFault(const char* step) {
    return std::string(step) + " failed (error " + std::to_string(GetLastError()) + ")";
}

// The run's events: stop (manual), first outcome (manual) and default changed (auto). "" or why not.
std::string MakeEvents(Listening& run) {
    const struct {
        HANDLE* handle;
        BOOL manualReset;
    } events[] = {{&run.stopEvent, TRUE}, {&run.firstOpenDone, TRUE}, {&run.defaultChanged, FALSE}};
    for (const auto& event : events)
        if (!(*event.handle = CreateEventA(nullptr, event.manualReset, FALSE, nullptr)))
            return LastErrorFault("CreateEventA");
    return "";
}

}  // namespace

std::string CaptureStart(const CaptureRequest& wanted) {
    CaptureStop();
    state.reset(new Listening());
    state->request = wanted;
    if (!state->request.clock) state->request.clock = RealClockSeconds;
    CaptureSetGain(wanted.gain);
    state->startSeconds = state->Now();
    state->window.Reset(44100, state->startSeconds);
    std::string fault = MakeEvents(*state);
    if (fault.empty() && !(state->thread = CreateThread(nullptr, 0, CaptureThread, nullptr, 0, nullptr)))
        fault = LastErrorFault("CreateThread");
    if (!fault.empty()) {
        CloseRunHandles(*state);
        return fault;
    }
    // The first frame already knows the device (or that there is none).
    HANDLE waits[2] = {state->firstOpenDone, state->thread};
    WaitForMultipleObjects(2, waits, FALSE, 10000);
    return "";
}

void CaptureStop() {
    if (!state->thread) return;
    SetEvent(state->stopEvent);
    WaitForSingleObject(state->thread, INFINITE);
    CloseRunHandles(*state);
}

void CaptureFill(uint8_t spectrum[2][576], uint8_t waveform[2][576]) {
    Listening& run = *state;
    {
        std::lock_guard<std::mutex> hold(run.lock);
        run.window.Read(run.Now(), run.left.data(), run.right.data());
    }
    const float factor = float(CaptureGain());
    if (factor != 1.0f)
        for (int i = 0; i < kFftSize; ++i) run.left[i] *= factor, run.right[i] *= factor;
    // The waveform is the newest 576 samples: a live source has nothing after the present.
    ComputeSpectrum(run.analyser, run.left.data(), spectrum[0]);
    ComputeSpectrum(run.analyser, run.right.data(), spectrum[1]);
    ComputeWaveform(run.left.data() + kFftSize - kSpectrumBins, waveform[0]);
    ComputeWaveform(run.right.data() + kFftSize - kSpectrumBins, waveform[1]);
}

double CaptureSeconds() { return state->Now() - state->startSeconds; }

std::string CaptureTitle() {
    std::lock_guard<std::mutex> hold(state->lock);
    return state->title;
}

bool CaptureShowsMicrophone() { return state->showsMicrophone; }

double CaptureGain() { return GainAtStep(state->gainStep); }

void CaptureSetGain(double wanted) { state->gainStep = GainStep(wanted); }

bool CaptureGainKey(unsigned virtualKey, double& newGain) {
    if (!GainForKey(virtualKey, CaptureGain(), newGain)) return false;
    CaptureSetGain(newGain);
    return true;
}
