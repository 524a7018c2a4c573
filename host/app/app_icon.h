// The app's icon (resources/draw_app_icon.py draws it at build time), loaded at the sizes the
// system asks for: the window class's two and the notification area's small one.
#pragma once
// The icon group's id in smearscope.rc: the lowest, so Explorer, the shell links and the list of
// programs show it.
#define SMEARSCOPE_APP_ICON 1

#ifndef RC_INVOKED
#include <windows.h>
// The icon at the system's large (SM_CXICON) or small (SM_CXSMICON) size, drawn for that size;
// the system's own where the resource cannot be read. Shared: never destroyed.
HICON AppIcon(bool small);
#endif
