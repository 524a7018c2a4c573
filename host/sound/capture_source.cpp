// Listening through the platform's audio session API: the default endpoint's shared-mode stream,
// polled on a capture thread; packets become samples in a CaptureWindow that each frame reads.
#include "host/sound/capture_source.h"
#include <windows.h>
#include <initguid.h>
#include <audioclient.h>
#include <functiondiscoverykeys_devpkey.h>
#include <mmdeviceapi.h>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>
#include "host/run/host_clock.h"
#include "host/run/json_log.h"
#include "host/sound/capture_window.h"
#include "host/sound/spectrum.h"

namespace {

const DWORD kPollMs = 10;
const DWORD kRetryMs = 2000;
const REFERENCE_TIME kBufferDuration = 1000000;  // 100 ms in 100-ns units
const char kNoDevice[] = "No capture device";
const char kStalled[] = "no packets";

ListenSource listenSource = ListenSource::Output;
HANDLE thread = nullptr;
HANDLE stopEvent = nullptr;
HANDLE firstOpenDone = nullptr;
double startSeconds = 0.0;
SpectrumAnalyser* analyser = nullptr;
std::vector<float> left(kFftSize), right(kFftSize);

std::mutex lock;           // guards window and title, shared with the visualisation thread
CaptureWindow window;
std::string title = kNoDevice;

struct Stream {
    IMMDevice* device = nullptr;
    IAudioClient* client = nullptr;
    IAudioCaptureClient* capture = nullptr;
    WavFormat format;
    std::string name;
    bool loopback = false;

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

std::string FriendlyName(IMMDevice* device) {
    IPropertyStore* store = nullptr;
    std::string name;
    if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, &store))) {
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR) {
            char text[256] = {};
            WideCharToMultiByte(CP_ACP, 0, value.pwszVal, -1, text, sizeof(text) - 1, nullptr, nullptr);
            name = text;
        }
        PropVariantClear(&value);
        store->Release();
    }
    return name.empty() ? "Default device" : name;
}

// Opens a shared stream on the default endpoint of `flow` in its mix format; on a render endpoint
// as loopback. "" or the failing step and its result.
std::string OpenDefault(EDataFlow flow, Stream& stream) {
    IMMDeviceEnumerator* enumerator = nullptr;
    HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator), (void**)&enumerator);
    if (FAILED(result)) return Describe("CoCreateInstance(MMDeviceEnumerator)", result);
    result = enumerator->GetDefaultAudioEndpoint(flow, eConsole, &stream.device);
    enumerator->Release();
    if (FAILED(result)) return Describe("GetDefaultAudioEndpoint", result);
    stream.name = FriendlyName(stream.device);
    result = stream.device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, (void**)&stream.client);
    if (FAILED(result)) return Describe("Activate(IAudioClient)", result);
    WAVEFORMATEX* mix = nullptr;
    result = stream.client->GetMixFormat(&mix);
    if (FAILED(result)) return Describe("GetMixFormat", result);
    std::string fault = ParseMixFormat(reinterpret_cast<const uint8_t*>(mix), sizeof(WAVEFORMATEX) + mix->cbSize,
                                       stream.format);
    if (fault.empty()) {
        stream.loopback = flow == eRender;
        result = stream.client->Initialize(AUDCLNT_SHAREMODE_SHARED, stream.loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0,
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

// The default device for the source. Loopback is the one place the two sources differ: refused
// (Wine 8 has none), the output falls back to the default recording device, which on a PulseAudio
// system is the output's monitor. Said once a run.
std::string OpenForListening(Stream& stream, std::string& fallback) {
    static bool fallbackSaid = false;
    if (listenSource == ListenSource::Output) {
        fallback = OpenDefault(eRender, stream);
        if (fallback.empty()) return "";
        stream.Close();
        if (!fallbackSaid)
            std::fprintf(stderr, "smearscope-host: the output cannot be captured here (%s); listening to the default "
                                 "recording device instead\n", fallback.c_str());
        fallbackSaid = true;
    }
    return OpenDefault(eCapture, stream);
}

void LogOpened(const char* event, const Stream& stream, const std::string& fallback) {
    JsonLine(event).Str("device", stream.name.c_str())
        .Str("source", listenSource == ListenSource::Output ? "output" : "input").Bool("loopback", stream.loopback)
        .Str("fallback", fallback.empty() ? nullptr : fallback.c_str()).Int("rate", stream.format.sampleRate)
        .Int("channels", stream.format.channels).Int("bits", stream.format.bitsPerSample)
        .Bool("float", stream.format.formatTag == 3).Write();
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

// Drains the stream's packets until it fails or listening stops: "" when stopped, else the fault.
std::string Capture(Stream& stream) {
    AudioClip packet;
    DWORD lastPacket = GetTickCount();
    while (WaitForSingleObject(stopEvent, kPollMs) == WAIT_TIMEOUT) {
        // A recording device delivers even silence (only loopback goes quiet while nothing plays):
        // a stream silent for 2 s has stalled and is opened again. NOTE: seen once under Wine 8's
        // pulse driver on a heavily loaded machine.
        if (!stream.loopback && GetTickCount() - lastPacket > kRetryMs) return kStalled;
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

DWORD WINAPI CaptureThread(LPVOID) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    bool first = true, lost = false;
    do {
        Stream stream;
        std::string fallback;
        std::string fault = OpenForListening(stream, fallback);
        if (fault.empty()) {
            {
                std::lock_guard<std::mutex> hold(lock);
                window.Reset(stream.format.sampleRate, HostClockSeconds());
                title = stream.name;
            }
            LogOpened(first ? "listen" : "listen_found", stream, fallback);
            std::fprintf(stderr, "smearscope-host: listening to %s (%d Hz, %d channels)\n", stream.name.c_str(),
                         stream.format.sampleRate, stream.format.channels);
            lost = false;
            if (first) SetEvent(firstOpenDone);
            first = false;
            fault = Capture(stream);
            if (fault.empty()) break;
            if (fault == kStalled) {
                JsonLine("listen_stalled").Str("device", stream.name.c_str()).Write();
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
        if (first) SetEvent(firstOpenDone);
        first = false;
    } while (WaitForSingleObject(stopEvent, kRetryMs) == WAIT_TIMEOUT);
    CoUninitialize();
    return 0;
}

}  // namespace

void CaptureStart(ListenSource source) {
    listenSource = source;
    startSeconds = HostClockSeconds();
    analyser = SpectrumAnalyserCreate();
    window.Reset(44100, startSeconds);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    firstOpenDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
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
    thread = nullptr;
    SpectrumAnalyserDestroy(analyser);
    analyser = nullptr;
}

void CaptureFill(uint8_t spectrum[2][576], uint8_t waveform[2][576]) {
    {
        std::lock_guard<std::mutex> hold(lock);
        window.Read(HostClockSeconds(), left.data(), right.data());
    }
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
