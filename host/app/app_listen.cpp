// The app's listening: the one place it reaches the host's capture of what the PC plays, for
// the frames' blocks and the title the plug-in asks for.
#include "host/app/app_listen.h"
#include "host/sound/capture_source.h"

void AppListenStart(const AppOptions&) { CaptureStart(ListenSource::Output); }

void AppListenStop() { CaptureStop(); }

void AppListenFill(VisModule* module) { CaptureFill(module->spectrumData, module->waveformData); }

std::string AppListenTitle() { return CaptureTitle(); }
