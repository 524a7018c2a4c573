// Whether the user asked the app to end: its close button, the menu's Exit, Escape in the picture.
// Set from the main thread, read by the visualisation thread between frames.
#include "host/app/app_end.h"
#include <atomic>

namespace {
std::atomic<bool> closing{false};
}  // namespace

bool AppClosing() { return closing; }

void RequestAppClose() { closing = true; }
