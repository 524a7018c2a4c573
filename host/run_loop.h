// The player stand-in: the host's main window and its query answers on the main thread, the
// plug-in's callbacks and its window's messages on a visualisation thread of their own.
#pragma once
#include "host/options.h"

// Loads the plug-in, runs it (or its Config) and unloads it. Returns the process exit status;
// a nonzero status has printed a one-line reason on stderr.
int RunHost(const HostOptions& options);
