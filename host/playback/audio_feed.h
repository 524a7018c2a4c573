// What the bench feeds the plug-in: the playlist (or a listened device) on the visualisation
// thread's frames, the queries and forwarded keys on the main thread, one lock between them.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host/base/real_clock.h"

// What the run wants fed, from the bench's options.
struct FeedRequest {
    std::vector<std::string> audioPaths;  // the playlist; empty: the demo track
    std::string title;                    // every entry's title when given; empty: each file's name
    bool spectrumOverride = false;        // --spectrum: the frames' blocks come from elsewhere
    bool listen = false;                  // capture a device instead of playing
    bool listenInput = false;             // the default recording device, not the output
    std::string device;                   // a number, id or name; empty: the default (or the kept one)
    std::string listenSettingsPath;       // device and gain kept between runs; empty: none
    ClockSeconds clock = RealClockSeconds;  // times the playlist and the capture
};

// Starts the player when the run wants one: audio files, or no spectrum override (the demo track);
// or, when listening, the capture of a device, which then answers the queries: playing, position 0
// and the device's name as the title.
void AudioFeedStart(const FeedRequest& request);
void AudioFeedStop();
bool AudioFeedActive();
// Before each Render: advances the playlist and fills the blocks (unless --spectrum overrides
// them), logging the spectrum's peaks as a spectrum event (position: seconds listened, when listening).
void AudioFeedFill(int frame, unsigned char spectrum[2][576], unsigned char waveform[2][576]);
bool AudioFeedPlaying();
int AudioFeedIndex();
// Stays readable while the player lives.
const char* AudioFeedTitle(long long index);
// A key forwarded to the host window: SPACE pauses and resumes, LEFT and RIGHT seek 5 s; while
// listening + and - (either key) step the gain and 0 resets it.
void AudioFeedKey(WPARAM key);
