// freeglut inside a guest library: its error handlers, one glutInit per load, and the clean-up
// that leaves the host process as it found it when the library is freed.
#pragma once

// Installs the error and warning handlers, then calls glutInit the first time only.
void GlutEnsureInitialised();
// Undoes what glutInit did to the process (timer resolution, the "FREEGLUT" window class).
void GlutReleaseProcessState();
