// The letter commands of the display window: each flips one switch and confirms the new state
// with a five-second notice. Escape and forwarding live in the window procedure.
#include <cstdio>
#include "plugin/settings.h"
#include "render/frame.h"
#include "render/scene_state.h"
#include "window/notices.h"
#include "window/window_proc.h"

namespace {
const float kNoticeLifetime = 5.0f;

struct KeyCommand {
    WPARAM key;
    const char* format;
    const char* onWord;
    const char* offWord;
    bool (*apply)();  // carries out the effect; returns the switch's new state
};

bool FlipBeatChangesSpeed() { return displayToggles.beatChangesSpeed = !displayToggles.beatChangesSpeed; }
bool FlipFlashScreen() { return settings.flashScreen = !settings.flashScreen; }
bool FlipDisplayHelp() { return displayToggles.displayHelp = !displayToggles.displayHelp; }
bool FlipNoise() { return displayToggles.useNoiseDistortion = !displayToggles.useNoiseDistortion; }
bool FlipShowFps() { return displayToggles.showFps = !displayToggles.showFps; }
bool FlipRotation() {
    ToggleSceneRotation();
    return displayToggles.rotation;
}
bool FlipVerticalSync() {
    displayToggles.verticalSync = 1 - displayToggles.verticalSync;
    ApplySwapInterval(displayToggles.verticalSync);
    return displayToggles.verticalSync != 0;
}
bool FlipSongTitle() { return settings.showSongTitle = !settings.showSongTitle; }

// Letter keys arrive as the capital's code whatever Shift and Caps Lock say.
const KeyCommand kKeyCommands[] = {
    {'B', "Beat Changes Speed: %s", "Yes", "No", FlipBeatChangesSpeed},
    {'F', "Flash Screen: %s", "On", "Off", FlipFlashScreen},
    {'H', "Display Help: %s", "On", "Off", FlipDisplayHelp},
    {'N', "Using Noise Distortion: %s", "Yes", "No", FlipNoise},
    {'P', "%s Frames Per Second", "Show", "Hide", FlipShowFps},
    {'R', "Rotation: %s", "On", "Off", FlipRotation},
    {'S', "Verical Sync: %s", "On", "Off", FlipVerticalSync},
    {'T', "%s Song Title", "Show", "Hide", FlipSongTitle},
};
}  // namespace

bool RunKeyCommand(WPARAM key) {
    for (const KeyCommand& command : kKeyCommands) {
        if (command.key != key) continue;
        const bool on = command.apply();
        char text[256] = {};
        std::snprintf(text, sizeof(text), command.format, on ? command.onWord : command.offWord);
        noticeList.Add(Notice(text, kNoticeLifetime, SecondsSinceStart()));
        return true;
    }
    return false;
}
