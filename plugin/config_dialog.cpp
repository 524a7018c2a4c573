// The configuration callback and the procedure of dialog 101: full screen and window size.
// Edits go into the settings record as they happen; only OK writes them to the file.
#include <climits>
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "resources/resource.h"
#include "window/display_window.h"

bool ParseSizeText(const char* text, int* value) {
    while (*text == ' ') ++text;
    if (*text < '0' || *text > '9') return false;
    long long parsed = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        parsed = parsed * 10 + (*text - '0');
        if (parsed > INT_MAX) return false;
    }
    while (*text == ' ') ++text;
    if (*text) return false;
    *value = (int)parsed;
    return true;
}

namespace {

// HACK: Wine's unsigned GetDlgItemInt takes "-5" as 4294967291 and "12ab" as 12, and an unsigned
// reading above INT_MAX would turn a size negative; the box is read as text and parsed strictly.
void ReadSizeBox(HWND dialog, int id, int* size) {
    char text[32];
    // A text longer than the buffer would come back cut ("640" after 30 spaces reads "6"): no
    // size fits in it with room to spare, so such a text is refused whole.
    if (GetWindowTextLengthA(GetDlgItem(dialog, id)) >= (int)sizeof(text)) return;
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    ParseSizeText(text, size);
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_FULLSCREEN, BM_SETCHECK,
                            settings.fullscreen ? BST_CHECKED : BST_UNCHECKED, 0);
        SetDlgItemInt(dialog, IDC_WIDTH, (UINT)settings.width, FALSE);
        SetDlgItemInt(dialog, IDC_HEIGHT, (UINT)settings.height, FALSE);
        break;
    case WM_COMMAND:
        // Every notification of a control re-reads it, so the record follows each keystroke.
        switch (LOWORD(wParam)) {
        case IDC_FULLSCREEN:
            settings.fullscreen =
                SendDlgItemMessageA(dialog, IDC_FULLSCREEN, BM_GETCHECK, 0, 0) == BST_CHECKED;
            break;
        case IDC_WIDTH:
            ReadSizeBox(dialog, IDC_WIDTH, &settings.width);
            break;
        case IDC_HEIGHT:
            ReadSizeBox(dialog, IDC_HEIGHT, &settings.height);
            break;
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            break;
        }
        break;
    }
    return 0;
}

void Config(VisModule* module) {
    // A running visualisation saves the record at Quit and on every resize: during a run, a dialog
    // that ends in anything but OK puts back what the run had, so neither the edits nor the file's
    // values (the load drops the run's unsaved T and F and its drawing size) outlive it. Without
    // a run the edits stay in memory until the next load, as they always have.
    const bool running = displayHandles.window != nullptr;
    const SettingsState before = CurrentSettingsState();
    LoadSettings(module);
    INT_PTR result = DialogBoxParamA(module->instance, MAKEINTRESOURCEA(IDD_CONFIG),
                                     module->parentWindow, ConfigDialogProc, 0);
    if (result == IDOK) SaveSettings(module);
    else if (running) RestoreSettingsState(before);
}
