// Telling the user something from a window program, which has no console of its own: where the
// starter sent its output, else the console it was started from, else a box.
#pragma once
#include <string>

// `fault`: on the error output, or a box with the error icon.
void TellUser(const std::string& text, bool fault);
