// Stand-in: the configuration dialog is built in its own change.
#include "plugin/plugin.h"
#include "plugin/settings.h"
INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
void Config(VisModule* module) { LoadSettings(module); }
