// The letter commands of the display window (stand-in until the commands are built).
#include "window/window_proc.h"

bool RunKeyCommand(WPARAM key) { return false; }
