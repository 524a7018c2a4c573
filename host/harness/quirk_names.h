// The --quirk names and their bits, as the command line takes them and the log writes them: what
// the options need of the quirks, apart from the quirks themselves.
#pragma once
#include <string>
#include <vector>

enum : unsigned {
    kQuirkConfigBeforeInit = 1u << 0,   // Config, dismissed, before Init
    kQuirkRenderThread = 1u << 1,       // Render from a host thread of its own
    kQuirkSilentPlaylist = 1u << 2,     // position query answers 0, title query null
    kQuirkDestroyBeforeQuit = 1u << 3,  // the host window goes before Quit, taking ours with it
    kQuirkIgnoreResult = 1u << 4,       // Render goes on after it returned 1
    kQuirkNoRate = 1u << 5,             // sample rate and channel count 0 during Init
    kQuirkSwapExchange = 1u << 6,       // the back buffer holds noise after each swap
    kQuirkSoftwareAccum = 1u << 7,      // every accumulation format is the software renderer's
    kQuirkMixedAccum = 1u << 8,         // all but the last accumulation format are
    kQuirkNo16BitModes = 1u << 9,       // display modes below 32 bits neither listed nor taken
    kQuirkTimerThread = 1u << 10,       // Init on a loader's thread, Render from a multimedia timer
    kQuirkNoAccum = 1u << 11,           // no pixel format lists an accumulation buffer
    kQuirkVendorGl = 1u << 12,          // glGetString answers as a vendor's driver
    kQuirkSizeOnlyModes = 1u << 13,     // a mode request naming a depth or a refresh rate is refused
    kQuirkTimerBeforeInit = 1u << 14,   // timer-thread's timer already ticks during Init
    kQuirkCoarseSubpixel = 1u << 15,    // GL_SUBPIXEL_BITS answers 4
    kQuirkSoftwareChosen = 1u << 16,    // software-accum, and ChoosePixelFormat answers such a format
    kQuirkProxyRefuses = 1u << 17,      // a proxy texture reports its size refused
};

// Either way of the timer loader: timer-before-init is timer-thread with an early timer.
const unsigned kQuirkTimerLoader = kQuirkTimerThread | kQuirkTimerBeforeInit;

// The bit for a --quirk name, 0 for an unknown name.
unsigned QuirkFromName(const std::string& name);
// The names of the bits set in `quirks`, in the order --help lists them.
std::vector<const char*> QuirkNames(unsigned quirks);
