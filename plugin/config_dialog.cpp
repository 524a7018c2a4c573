// The configuration callback and the procedure of dialog 101: full screen and window size.
// Edits go into the record the dialog edits as they happen; only OK writes them to the file.
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

// The record the dialog edits: the settings themselves, or during a run a copy (see Config).
Settings* edited = &settings;

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
                            edited->fullscreen ? BST_CHECKED : BST_UNCHECKED, 0);
        SetDlgItemInt(dialog, IDC_WIDTH, (UINT)edited->width, FALSE);
        SetDlgItemInt(dialog, IDC_HEIGHT, (UINT)edited->height, FALSE);
        break;
    case WM_COMMAND:
        // Every notification of a control re-reads it, so the record follows each keystroke.
        switch (LOWORD(wParam)) {
        case IDC_FULLSCREEN:
            edited->fullscreen =
                SendDlgItemMessageA(dialog, IDC_FULLSCREEN, BM_GETCHECK, 0, 0) == BST_CHECKED;
            break;
        case IDC_WIDTH:
            ReadSizeBox(dialog, IDC_WIDTH, &edited->width);
            break;
        case IDC_HEIGHT:
            ReadSizeBox(dialog, IDC_HEIGHT, &edited->height);
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
    // The dialog disables only its owner: during a run the display window stays live, and its
    // resizes, moves and keys go on changing and saving the run's record. So the dialog edits a
    // copy of the stored values, and OK brings in only the dialog's own fields; the run's record,
    // its unsaved T and F among them, and its drawing size stay as the run left them. Without a run
    // the record itself is edited, and the edits stay in memory until the next load.
    const bool running = displayHandles.window != nullptr;
    Settings copy;
    if (running) {
        copy = StoredSettings(module);
        edited = &copy;
    } else {
        LoadSettings(module);
    }
    INT_PTR result = DialogBoxParamA(module->instance, MAKEINTRESOURCEA(IDD_CONFIG),
                                     module->parentWindow, ConfigDialogProc, 0);
    edited = &settings;
    if (result != IDOK) return;
    if (running) {
        settings.width = copy.width;
        settings.height = copy.height;
        settings.fullscreen = copy.fullscreen;
    }
    SaveSettings(module);
}
