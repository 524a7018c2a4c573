// freeglut inside a guest library: its error handlers, one glutInit per run, and the clean-up
// that leaves the host process as it found it when the run ends.
#pragma once

// Installs the error and warning handlers, then calls glutInit unless it stands already.
void GlutEnsureInitialised();
// Undoes what glutInit did to the process (timer resolution, the "FREEGLUT" window class).
void GlutReleaseProcessState();
