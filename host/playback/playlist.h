// The bench's playlist: WAV files (or the built-in demo track), its play position on the clock it
// is given, pause and seek, audio output when a device exists, and the blocks a plug-in reads.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "host/base/real_clock.h"
#include "host/playback/wav_file.h"
#include "host/listen/wav_format.h"

struct PlaylistEntry {
    std::string title;
    std::unique_ptr<WavFile> file;  // a file, read in blocks as it plays
    AudioClip clip;                 // else the demo track, held whole
    int SampleRate() const { return file ? file->SampleRate() : clip.sampleRate; }
    uint64_t Frames() const { return file ? file->Frames() : clip.Frames(); }
    // Up to count frames from frame first (fewer at the end).
    void Read(uint64_t first, size_t count, AudioClip& out);
};

struct SpectrumAnalyser;

class Playlist {
public:
    // `clock` times the play position (the bench's stepped clock makes runs repeat).
    explicit Playlist(ClockSeconds clock);
    ~Playlist();
    // Loads each file; one that cannot be read gets a one-line error on stderr naming it and its
    // fault (and an audio_error log event), and the rest still play. Each entry that starts is
    // logged as a track event. Not thread-safe: callers on two threads hold a lock of their own. With no files, the demo track plays, looping.
    void Open(const std::vector<std::string>& paths, const std::string& titleOverride);
    // Starts the first entry: the play clock runs from here.
    void Start();
    bool Empty() const { return entries.empty(); }
    // Advances to the next entry when the current one has ended; call before each frame.
    void Update();
    bool Playing() const { return started && !Empty() && !paused && !finished; }
    int Index() const { return index; }
    const char* Title() const { return Empty() ? "" : entries[index].title.c_str(); }
    // The title of any entry; the current one's for an index out of range. Stays valid while the
    // playlist lives.
    const char* TitleAt(long long entry) const {
        return entry >= 0 && entry < (long long)entries.size() ? entries[size_t(entry)].title.c_str() : Title();
    }
    double PositionSeconds() const;
    void TogglePause();
    void Seek(double seconds);
    bool Paused() const { return paused; }
    bool AudioOutput() const { return waveOut != nullptr; }
    // The blocks at the current position: 576 bytes per channel each.
    void Fill(uint8_t spectrum[2][576], uint8_t waveform[2][576]);

private:
    double Now() const;
    void StartEntry(int entry, double offsetSeconds);
    void StartAudio(double offsetSeconds);
    void QueueAudioBlock(int block);
    void StopAudio();

    ClockSeconds clock;
    std::vector<PlaylistEntry> entries;
    bool loop = false;
    int index = 0;
    bool paused = false;
    bool finished = false;
    bool started = false;
    double entryStart = 0.0;   // clock time at which the entry's position 0 would have played
    double pausedAt = 0.0;
    void* waveOut = nullptr;    // HWAVEOUT, when an output device exists
    bool noOutput = false;      // opening the output failed once: the clock alone keeps time
    // The output plays from a few blocks queued ahead; Update refills each one it has played.
    static const int kAudioBlocks = 4;
    void* waveHeaders = nullptr;  // WAVEHDR[kAudioBlocks] while the output is open
    std::vector<int16_t> pcm[kAudioBlocks];
    uint64_t audioNext = 0;       // the first frame not yet queued
    AudioClip block;              // the samples last read, reused
    SpectrumAnalyser* analyser;
    std::vector<float> window;
};
