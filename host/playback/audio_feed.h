// The player as the host runs it: the playlist on the visualisation thread's frames, the queries
// and forwarded keys on the main thread, one lock between them.
#pragma once
#include <windows.h>
#include "host/run/options.h"

// Starts the player when the run wants one: --audio files, or no --spectrum (the demo track); or,
// with --listen, the capture of a device, which then answers the queries: playing, position 0 and
// the device's name as the title.
void AudioFeedStart(const HostOptions& options);
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
