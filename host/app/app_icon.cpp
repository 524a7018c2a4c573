// The app's icon (resources/draw_app_icon.py draws it at build time), loaded at the sizes the
// system asks for: the window class's two and the notification area's small one.
#include "host/app/app_icon.h"

HICON AppIcon(bool small) {
    const int width = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int height = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    // LR_SHARED: the system keeps one copy; LoadImage picks the image drawn nearest to the size.
    HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(SMEARSCOPE_APP_ICON), IMAGE_ICON, width,
                             height, LR_SHARED);
    return icon ? (HICON)icon : LoadIconA(nullptr, IDI_APPLICATION);
}
