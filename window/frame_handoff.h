// Frames asked for on a thread other than the window's: handed to the window's own thread with a
// private message, drawn there by the window procedure, and waited for by the caller.
#pragma once
#include "plugin/vis_module.h"

// The private message a handed frame arrives with: wParam its ticket, lParam the module record.
const UINT kHandedFrameMessage = WM_APP + 0x26;
// How long a handed frame may wait to be taken up by the window's thread (see frame_handoff.cpp).
extern const DWORD kFrameDeliveryMs;

// Opened at the end of a successful start; closed by the tear-down and by the window's destruction.
// Both on the window's thread.
void FrameHandoffOpen();
void FrameHandoffClose();
// On the window's thread: one frame, unless one is under way already (a frame's query to a window
// of another thread lets sent messages in, and a Render may arrive in one). True when it drew.
bool DrawFrameOnce(VisModule* module);
// From any other thread: hands one frame over and, once the window's thread has begun it, waits for
// its end. 0 whether drawn or not (no window included), 1 only while the quit flag is set.
int RenderOnWindowThread(VisModule* module);
// The window procedure's part: draws the handed frame `ticket`, unless it is stale or abandoned.
void RunHandedFrame(WPARAM ticket, LPARAM module);
