// Whether the user asked the app to end: its close button, the menu's Exit, Escape in the picture.
// Set from the main thread, read by the visualisation thread between frames.
#pragma once

bool AppClosing();
void RequestAppClose();
