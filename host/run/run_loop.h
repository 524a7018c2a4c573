// One host run: the options checked, the host window made, the plug-in loaded, run on the
// visualisation thread while the main thread answers its queries, and freed, as often as asked.
#pragma once
#include "host/run/options.h"

// Loads the plug-in, runs it (or its Config) and unloads it. Returns the process exit status;
// a nonzero status has printed a one-line reason on stderr.
int RunHost(const HostOptions& options);
