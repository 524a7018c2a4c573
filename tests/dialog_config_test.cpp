// The configuration dialog driven as a user would: what it shows, what the size boxes accept,
// and that only OK writes the file.
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "resources/resource.h"
#include "tests/expected.h"
#include "tests/settings_fixture.h"
#include "window/display_window.h"

namespace {

std::string BoxText(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// Types into a box as the user would; the edit control notifies the dialog by itself, and the
// explicit notification stands for any further one.
void Type(HWND dialog, int id, const char* text) {
    SetDlgItemTextA(dialog, id, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

// Full screen on, title on, 800 x 600 at (10, 20).
const std::string kStored = ExpectedFile("config-stored.ini");

}  // namespace

using ConfigDialogTest = SettingsFileTest;

TEST_F(ConfigDialogTest, OpensWithTheStoredValuesAndCancelAfterEditsWritesNothing) {
    WriteBytes(IniPath(), kStored);
    settings = Settings();  // Config must load the file itself
    DriveModalDialog([&] { Config(&copy.module); }, [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FULLSCREEN), (UINT)BST_CHECKED);
        EXPECT_EQ(BoxText(dialog, IDC_WIDTH), "800");
        EXPECT_EQ(BoxText(dialog, IDC_HEIGHT), "600");
        char title[32] = "x";
        GetWindowTextA(dialog, title, sizeof(title));
        EXPECT_STREQ(title, "");
        Click(dialog, IDC_FULLSCREEN, false);
        Type(dialog, IDC_WIDTH, "1000");
        Type(dialog, IDC_HEIGHT, "700");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(ReadBytes(IniPath()), kStored);
    // The edits stay in memory until the next load.
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.width, 1000);
    EXPECT_EQ(settings.height, 700);
}

TEST_F(ConfigDialogTest, OkSavesTheEditedValues) {
    WriteBytes(IniPath(), kStored);
    DriveModalDialog([&] { Config(&copy.module); }, [&](HWND dialog) {
        Click(dialog, IDC_FULLSCREEN, false);
        Type(dialog, IDC_WIDTH, "1000");
        Type(dialog, IDC_HEIGHT, "700");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    // Full screen off and 1000 x 700, every other key as it was.
    EXPECT_EQ(ReadBytes(IniPath()), ExpectedFile("config-ok.ini"));
}

TEST_F(ConfigDialogTest, OkWithoutAFileWritesTheDefaultsAndTickingFullScreenOnlyTheSwitches) {
    DriveModalDialog([&] { Config(&copy.module); }, [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FULLSCREEN), (UINT)BST_UNCHECKED);
        EXPECT_EQ(BoxText(dialog, IDC_WIDTH), "640");
        EXPECT_EQ(BoxText(dialog, IDC_HEIGHT), "380");
        Click(dialog, IDC_FULLSCREEN, true);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(ReadBytes(IniPath()),
              "[Korvath's OpenGL Smearscope]\r\nfullscreen=1\r\nShowSongTitle=0\r\nFlashScreen=0\r\n");
}

// The procedure alone, on the test program's own copy of the template: no file is involved.
TEST(ConfigDialogBoxes, OnlyUnsignedDecimalsThatFitReplaceTheSize) {
    struct Case {
        const char* text;
        int width;  // after typing it, starting from 640
    } cases[] = {
        {"abc", 640}, {"-5", 640}, {"-0", 640}, {"12ab", 640}, {"0x10", 640}, {"", 640},
        {"+5", 640}, {"2147483648", 640}, {"4294967295", 640}, {"99999999999", 640},
        {"1000", 1000}, {" 321 ", 321}, {"0", 0}, {"2147483647", 2147483647},
        // 31 characters still fit the read; 32 would be cut to "77" (the end mark takes the last
        // place), 33 to "7": neither may be taken for what is left.
        {"                            777", 777}, {"                             777", 640},
        {"                              777", 640},
    };
    for (const Case& c : cases) {
        settings = Settings();
        DriveModalDialog(
            [&] {
                DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG), nullptr,
                                ConfigDialogProc, 0);
            },
            [&](HWND dialog) {
                Type(dialog, IDC_WIDTH, c.text);
                Type(dialog, IDC_HEIGHT, c.text);
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            });
        EXPECT_EQ(settings.width, c.width) << '"' << c.text << '"';
        EXPECT_EQ(settings.height, c.width == 640 ? 380 : c.width) << '"' << c.text << '"';
    }
}

// A size typed or stored near INT_MAX, plus the window's frame, must not wrap negative.
TEST(WindowSize, FrameAddedToTheClientSizeNeverWraps) {
    EXPECT_EQ(FramedExtent(640, 656, 640), 656);
    EXPECT_EQ(FramedExtent(2147483647, 16, 0), 2147483647);
    EXPECT_EQ(FramedExtent(2147483640, 30, 2), 2147483647);
    EXPECT_EQ(FramedExtent(0, 16, 0), 16);
}
