// The app (smearscope.exe) as a user meets it, watched and answered from outside its process: a
// failed start's box, the picture's window and its owner, the settings of a second start, filling.
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include "host/app/app_messages.h"
#include "resources/resource.h"
#include "tests/bench.h"
#include "tests/bench_settings.h"

namespace {

const char kPluginClass[] = "Korvath's OpenGL Smearscope";
const char kAppClass[] = "SmearscopeApp";
const DWORD kWaitMs = 30000;

// Polls `done` until it holds or the bound passes.
bool WaitFor(const std::function<bool()>& done, DWORD bound = kWaitMs) {
    for (DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > bound) return false;
        Sleep(20);
    }
    return true;
}

struct Found {
    DWORD process;
    const char* className;
    const char* title;  // null: any
    HWND window;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* found = (Found*)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[256] = {}, title[256] = {};
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, title, sizeof(title));
    if (process != found->process || lstrcmpA(name, found->className) != 0 || !IsWindowVisible(window)) return TRUE;
    if (found->title && lstrcmpA(title, found->title) != 0) return TRUE;
    found->window = window;
    return FALSE;
}

// The process's visible top-level window of this class (and title), or null.
HWND WindowOf(const PROCESS_INFORMATION& process, const char* className, const char* title = nullptr) {
    Found found{process.dwProcessId, className, title, nullptr};
    EnumWindows(MatchWindow, (LPARAM)&found);
    return found.window;
}

HWND WaitForWindow(const PROCESS_INFORMATION& process, const char* className, const char* title = nullptr) {
    HWND window = nullptr;
    WaitFor([&] { return (window = WindowOf(process, className, title)) != nullptr; });
    return window;
}

bool LogHas(const std::string& folder, const char* event, int count = 1) {
    const std::string text = ReadWholeFile(folder + "\\log.jsonl");
    const std::string pattern = std::string("\"event\":\"") + event + "\"";
    int seen = 0;
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1)) ++seen;
    return seen >= count;
}

void PressKey(HWND window, WPARAM key) { PostMessageA(window, WM_KEYDOWN, key, 1); }

// The log's lines so far, as the app writes them.
std::vector<LogLine> LogSoFar(const std::string& folder) {
    std::vector<LogLine> lines;
    const std::string text = ReadWholeFile(folder + "\\log.jsonl");
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(LogLine{text.substr(at, end - at)});
    return lines;
}

int CountSoFar(const std::string& folder, const char* event) {
    int count = 0;
    for (const LogLine& line : LogSoFar(folder)) count += line.Event() == event;
    return count;
}

// The system menu, as the taskbar opens it, and a click with real input on the item that starts
// with `item`, at the rectangle the app logged for it once the menu was placed.
bool PickFromSystemMenu(HWND appWindow, const std::string& folder, const std::string& item) {
    const size_t before = LogSoFar(folder).size();
    PostMessageA(appWindow, 0x0313 /* WM_POPUPSYSTEMMENU */, 0, MAKELPARAM(200, 150));
    RECT r = {};
    if (!WaitFor([&] {
            const std::vector<LogLine> lines = LogSoFar(folder);
            for (size_t i = before; i < lines.size(); ++i)
                if (lines[i].Event() == "menu_item" && lines[i].Str("text").rfind(item, 0) == 0) {
                    r = {(LONG)lines[i].Int("left"), (LONG)lines[i].Int("top"), (LONG)lines[i].Int("right"),
                         (LONG)lines[i].Int("bottom")};
                    return true;
                }
            return false;
        }))
        return false;
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, click, sizeof(INPUT)) == 2;
}

std::string TitleOf(HWND window) {
    char text[256] = {};
    if (window) GetWindowTextA(window, text, sizeof(text));
    return text;
}

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// The box of this title, once shown: its text, and the button pressed; false when none came.
bool AnswerBox(const PROCESS_INFORMATION& process, const char* title, UINT button, std::string& text) {
    HWND box = WaitForWindow(process, "#32770", title);
    if (!box) return false;
    char said[512] = {};
    GetDlgItemTextA(box, 0xFFFF, said, sizeof(said));
    text = said;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button)) &&
           WaitFor([&] { return !IsWindow(box); });
}

// The plug-in's settings dialog (a box of no title), full screen ticked or not as a click leaves
// it (the check, then its notification), then OK.
bool AnswerDialog(const PROCESS_INFORMATION& process, bool fullscreen) {
    HWND dialog = WaitForWindow(process, "#32770", "");
    if (!dialog) return false;
    HWND box = GetDlgItem(dialog, IDC_FULLSCREEN);
    SendMessageA(box, BM_SETCHECK, fullscreen ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FULLSCREEN, BN_CLICKED), (LPARAM)box);
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
}

// A start that fails shows its box as a real window; the test reads and answers it there. Then the
// app offers Picture settings in a box of its own: No ends it, Yes and a dialog that starts the
// picture go on. So does a restart that Picture settings asks for during a run.
TEST(App, FailedStartShowsItsBoxAndEndsWithOneLogLineAndStatus2) {
    struct Case {
        const char* name;
        std::string settings;
        std::vector<std::string> arguments;
        bool programAlone;      // smearscope.exe copied alone: no plug-in beside it
        bool fullscreenInRun;   // Picture settings during a run tick full screen
        const char* boxTitle;
        const char* boxText;    // the box's text starts with this
        UINT offerAnswer;       // to "Open Picture settings?"; 0: no offer comes
        DWORD status;
        int firstFrames;
    };
    const std::string fullscreen = SettingsFileText({"fullscreen=1"});
    const char* refused = "Cannot Change to Fullscreen.\nCheck the config.";
    const Case cases[] = {
        {"full screen refused", fullscreen, {}, false, false, "ERROR", refused, IDNO, 2, 0},
        {"full screen refused, windowed in Picture settings", fullscreen, {"--frames", "3"}, false, false, "ERROR",
         refused, IDYES, 0, 1},
        {"full screen ticked in Picture settings during a run", "", {}, false, true, "ERROR", refused, IDNO, 2, 1},
        {"no plug-in", "", {}, true, false, "Smearscope", "vis_Smearscope.dll is missing beside smearscope.exe", 0, 2,
         0},
    };
    for (const Case& c : cases) {
        if (!c.programAlone && (std::getenv("SMEARSCOPE_DISPLAY_16BIT") || std::getenv("SMEARSCOPE_DISPLAY_24BIT")))
            continue;  // those screens take 1024 x 768
        BenchOptions options;
        options.app = true;
        options.settingsFile = c.settings;
        std::string boxText, offerText;
        bool answered = false, offered = false, dialogAnswered = false;
        if (c.programAlone)
            options.prepare = [&](const std::string& folder) {
                CreateDirectoryA((folder + "\\program").c_str(), nullptr);
                CopyFileA((ExeFolder() + "\\smearscope.exe").c_str(), (folder + "\\program\\smearscope.exe").c_str(), FALSE);
                options.program = folder + "\\program\\smearscope.exe";
            };
        options.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string& folder) {
            if (c.fullscreenInRun) {
                HWND appWindow = WaitForWindow(process, kAppClass);
                if (!appWindow || !WaitFor([&] { return LogHas(folder, "first_frame"); })) return;
                // As a second start with --config hands over to it.
                PostMessageA(appWindow, kAppHandOverMessage, 1, 0);
                if (!AnswerDialog(process, true)) return;
            }
            answered = AnswerBox(process, c.boxTitle, IDOK, boxText);
            if (answered && c.offerAnswer) offered = AnswerBox(process, "Smearscope", c.offerAnswer, offerText);
            if (offered && c.offerAnswer == IDYES) dialogAnswered = AnswerDialog(process, false);
        };
        BenchRun run = RunBench(c.arguments, options);
        ASSERT_TRUE(answered) << c.name << ": no box titled " << c.boxTitle << "\n" << run.Describe();
        EXPECT_EQ(boxText.rfind(c.boxText, 0), 0u) << c.name << ": " << boxText;
        EXPECT_EQ(offered, c.offerAnswer != 0) << c.name << "\n" << run.Describe();
        EXPECT_EQ(offerText, c.offerAnswer ? "The picture could not start. Open Picture settings?" : "") << c.name;
        EXPECT_EQ(dialogAnswered, c.offerAnswer == IDYES) << c.name;
        EXPECT_FALSE(run.timedOut) << c.name;
        EXPECT_EQ(run.exitCode, c.status) << c.name << "\n" << run.Describe();
        EXPECT_EQ(run.Count("failure"), c.status == 2 ? 1 : 0) << c.name << "\n" << run.Describe();
        EXPECT_EQ(run.Count("first_frame"), c.firstFrames) << c.name;
    }
}

// The app's window is the one the taskbar shows; the picture is its owned tool window. The
// plug-in's settings land in the user folder and are read again at the next start, also after
// an upgrade replaced the plug-in's copy there.
TEST(App, PictureIsOwnedByTheAppWindowAndSettingsSurviveASecondStartAndAnUpgrade) {
    BenchOptions first;
    first.app = true;
    HWND owner = nullptr, appWindow = nullptr;
    LONG pictureExStyle = 0, appExStyle = 0;
    bool hiddenWhileMinimised = false, shownAgain = false;
    std::string gainTitle;
    first.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string& folder) {
        HWND picture = WaitForWindow(process, kPluginClass);
        appWindow = WindowOf(process, kAppClass);
        if (!picture || !WaitFor([&] { return LogHas(folder, "first_frame"); })) return;
        owner = GetWindow(picture, GW_OWNER);
        pictureExStyle = GetWindowLongA(picture, GWL_EXSTYLE);
        appExStyle = appWindow ? GetWindowLongA(appWindow, GWL_EXSTYLE) : 0;
        // Minimising the app (its taskbar button) hides the picture; restoring shows it again.
        ShowWindow(appWindow, SW_MINIMIZE);
        hiddenWhileMinimised = WaitFor([&] { return !IsWindowVisible(picture); }, 5000);
        ShowWindow(appWindow, SW_RESTORE);
        shownAgain = WaitFor([&] { return IsWindowVisible(picture) != FALSE; }, 5000);
        // The user drags the picture to 300 x 200 and turns the song title on; the taskbar's Close ends it.
        RECT outer = {0, 0, 300, 200};
        AdjustWindowRectEx(&outer, GetWindowLongA(picture, GWL_STYLE), FALSE, pictureExStyle);
        SetWindowPos(picture, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
        PressKey(picture, 'T');
        // Two gain steps up (the =/+ key and the keypad's +): 6 dB, said in the app's title and kept.
        PressKey(picture, VK_OEM_PLUS);
        PressKey(picture, VK_ADD);
        WaitFor([&] { return TitleOf(appWindow).find("Gain 2x") != std::string::npos; }, 5000);
        gainTitle = TitleOf(appWindow);
        WaitFor([&] { return GetPrivateProfileIntA(kPluginClass, "Width", 0,
                                                   (folder + "\\Smearscope.ini").c_str()) == 300; });
        PostMessageA(appWindow, WM_CLOSE, 0, 0);
    };
    BenchRun run = RunBench({}, first);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    ASSERT_NE(appWindow, nullptr);
    EXPECT_EQ(owner, appWindow) << "the picture's owner is the app's window";
    EXPECT_TRUE(pictureExStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(appExStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(appExStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(hiddenWhileMinimised);
    EXPECT_TRUE(shownAgain);
    ASSERT_NE(run.First("app"), nullptr);
    EXPECT_TRUE(run.First("app")->Bool("copied")) << "the first start copies the plug-in";
    // A player asks for module 0 alone: the contract probe of modules 1 and -1 is the bench's.
    EXPECT_EQ(run.Count("header"), 1);
    EXPECT_EQ(run.Count("module"), 0);
    EXPECT_EQ(StoredInt(run, "Width"), 300);
    EXPECT_EQ(StoredInt(run, "Height"), 200);
    EXPECT_EQ(StoredInt(run, "ShowSongTitle"), 1) << run.SettingsText();
    // Under Wine the fallback is its virtual default recording device, which the app cannot tell from
    // a microphone: the title may go on to say so.
    EXPECT_EQ(gainTitle.rfind("Smearscope - Gain 2x (+6 dB)", 0), 0u) << gainTitle;
    char keptGain[16] = {};
    GetPrivateProfileStringA("Listen", "Gain", "", keptGain, sizeof(keptGain), (run.folder + "\\smearscope-app.ini").c_str());
    EXPECT_STREQ(keptGain, "2") << "the gain is kept in the app's settings file";

    struct Start {
        const char* name;
        bool upgrade;  // the copy differs from the plug-in beside the app, as after installing a newer one
    };
    for (const Start& start : {Start{"second start", false}, Start{"after an upgrade", true}}) {
        BenchOptions again;
        again.app = true;
        again.reuseFolder = run.folder;
        if (start.upgrade)
            again.prepare = [](const std::string& folder) {
                HANDLE copy = CreateFileA((folder + "\\vis_Smearscope.dll").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
                FILETIME old = {0x10000000, 0x01d00000};
                SetFileTime(copy, nullptr, nullptr, &old);
                CloseHandle(copy);
            };
        SIZE size = {};
        std::string keptTitle;
        again.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string& folder) {
            HWND picture = WaitForWindow(process, kPluginClass);
            if (!picture || !WaitFor([&] { return LogHas(folder, "first_frame"); })) return;
            size = ClientSize(picture);
            keptTitle = TitleOf(WindowOf(process, kAppClass));
            // Escape ends the app as it ends the player's visualisation; so does closing the picture.
            if (start.upgrade) PostMessageA(picture, WM_CLOSE, 0, 0);
            else PressKey(picture, VK_ESCAPE);
        };
        BenchRun next = RunBench({}, again);
        ASSERT_TRUE(next.Finished()) << start.name << "\n" << next.Describe();
        ASSERT_NE(next.First("app"), nullptr);
        EXPECT_EQ(next.First("app")->Bool("copied"), start.upgrade) << start.name;
        EXPECT_EQ(size.cx, 300) << start.name;
        EXPECT_EQ(size.cy, 200) << start.name;
        EXPECT_EQ(keptTitle.rfind("Smearscope - Gain 2x (+6 dB)", 0), 0u) << start.name << ": the kept gain, " << keptTitle;
        EXPECT_EQ(StoredInt(run, "ShowSongTitle"), 1) << start.name << ": " << run.SettingsText();
    }
}

// F11 (passed on by the plug-in) and --fill-screen: borderless over the monitor, and back on the
// same key; leaving, or quitting while filled, gives the plug-in back the size it had stored.
TEST(App, FillScreenCoversTheMonitorAndTheStoredSizeComesBack) {
    BenchOptions options;
    options.app = true;
    options.settingsFile = SettingsFileText({"Width=400", "Height=300", "Config_X=50", "Config_Y=40"});
    RECT filled = {}, monitor = {}, refilled = {};
    SIZE left = {};
    LONG filledStyle = 0;
    options.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string& folder) {
        HWND picture = WaitForWindow(process, kPluginClass);
        if (!picture || !WaitFor([&] { return LogHas(folder, "first_frame"); })) return;
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        GetMonitorInfoA(MonitorFromWindow(picture, MONITOR_DEFAULTTONEAREST), &info);
        monitor = info.rcMonitor;
        GetWindowRect(picture, &filled);
        filledStyle = GetWindowLongA(picture, GWL_STYLE);
        PressKey(picture, VK_F11);
        WaitFor([&] { return LogHas(folder, "fill", 2); });
        left = ClientSize(picture);
        PressKey(picture, VK_F11);
        WaitFor([&] { return LogHas(folder, "fill", 3); });
        GetWindowRect(picture, &refilled);
        PostMessageA(WindowOf(process, kAppClass), WM_CLOSE, 0, 0);
    };
    BenchRun run = RunBench({"--fill-screen"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_TRUE(EqualRect(&filled, &monitor)) << filled.left << "," << filled.top << " " << filled.right << "x"
                                              << filled.bottom << "\n" << run.Describe();
    EXPECT_FALSE(filledStyle & (WS_THICKFRAME | WS_CAPTION)) << "borderless";
    EXPECT_EQ(left.cx, 400);
    EXPECT_EQ(left.cy, 300);
    EXPECT_TRUE(EqualRect(&refilled, &monitor)) << "F11 fills again";
    // Quitting while filled: the file keeps the window as the user had it.
    EXPECT_EQ(StoredInt(run, "Width"), 400) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "Height"), 300);
    EXPECT_EQ(StoredInt(run, "Config_X"), 50);
    EXPECT_EQ(StoredInt(run, "Config_Y"), 40);
}

// "Smearscope settings" in the Start menu: the plug-in's dialog, owned by the app's window, keeps
// what the user sets in the user folder.
TEST(App, ConfigShowsThePluginsDialogAndKeepsWhatItSets) {
    BenchOptions options;
    options.app = true;
    HWND owner = nullptr, appWindow = nullptr;
    options.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string&) {
        HWND dialog = WaitForWindow(process, "#32770");
        if (!dialog) return;
        owner = GetWindow(dialog, GW_OWNER);
        appWindow = WindowOf(process, kAppClass);
        SetDlgItemTextA(dialog, IDC_WIDTH, "500");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    };
    BenchRun run = RunBench({"--config"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    ASSERT_NE(appWindow, nullptr);
    EXPECT_EQ(owner, appWindow);
    EXPECT_EQ(StoredInt(run, "Width"), 500) << run.SettingsText();
}

// A second start of the app in `folder` with --config, logging beside the first; its exit status.
DWORD StartAgainWithConfig(const std::string& folder) {
    std::string command = "\"" + ExeFolder() + "\\smearscope.exe\" --config --user-folder \"" + folder +
                          "\" --log \"" + folder + "\\second.jsonl\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION second = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &second))
        return 99;
    DWORD status = 99;
    if (WaitForSingleObject(second.hProcess, kWaitMs) == WAIT_OBJECT_0) GetExitCodeProcess(second.hProcess, &status);
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
    return status;
}

// The app window's system menu holds the app's menu: "Keep on top" puts the picture above the
// others and is kept (and the icon comes back when the taskbar restarts); "Picture settings..."
// shows the plug-in's dialog during the run (so does a second start with --config): Cancel changes
// nothing, OK restarts the run at the new size, still on top.
TEST(App, SystemMenuKeepsOnTopAndPictureSettingsRestartTheRunAtTheNewSize) {
    BenchOptions options;
    options.app = true;
    bool iconAgain = false, topmost = false, cancelled = false, confirmed = false, topmostAfter = false;
    bool restartedAfterCancel = false;
    SIZE restarted = {};
    options.whileRunning = [&](const PROCESS_INFORMATION& process, const std::string& folder) {
        HWND picture = WaitForWindow(process, kPluginClass);
        HWND appWindow = WindowOf(process, kAppClass);
        if (!picture || !appWindow || !WaitFor([&] { return LogHas(folder, "first_frame"); })) return;
        // The taskbar restarting: the icon is added again.
        PostMessageA(appWindow, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        iconAgain = WaitFor([&] { return CountSoFar(folder, "tray") == 2; });
        if (PickFromSystemMenu(appWindow, folder, "Keep on top"))
            topmost = WaitFor([&] { return (GetWindowLongA(picture, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; });
        // The dialog, answered as a user would; the edits go in before the button.
        auto answer = [&](const std::function<bool()>& open, UINT button, const char* width, const char* height) {
            HWND dialog = nullptr;
            const int closed = CountSoFar(folder, "picture_settings_closed");
            if (!open() || !(dialog = WaitForWindow(process, "#32770"))) return false;
            if (width) SetDlgItemTextA(dialog, IDC_WIDTH, width);
            if (height) SetDlgItemTextA(dialog, IDC_HEIGHT, height);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
            return WaitFor([&] { return CountSoFar(folder, "picture_settings_closed") > closed && !IsWindow(dialog); });
        };
        cancelled = answer([&] { return PickFromSystemMenu(appWindow, folder, "Picture settings"); }, IDCANCEL,
                           "320", nullptr);
        for (const LogLine& line : LogSoFar(folder))
            restartedAfterCancel |= line.Event() == "picture_settings_closed" && line.Bool("restart");
        // "Smearscope settings" from the Start menu while the app runs: handed over to this item.
        confirmed = answer([&] { return StartAgainWithConfig(folder) == 0; }, IDOK, "500", "300");
        HWND again = nullptr;
        if (WaitFor([&] { return CountSoFar(folder, "init") == 2; }))
            again = WaitForWindow(process, kPluginClass);
        if (again && WaitFor([&] { return ClientSize(again).cx == 500 && ClientSize(again).cy == 300; })) {
            restarted = ClientSize(again);
            topmostAfter = WaitFor([&] { return (GetWindowLongA(again, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; });
        }
        PostMessageA(appWindow, WM_CLOSE, 0, 0);
    };
    BenchRun run = RunBench({}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_TRUE(iconAgain) << "the icon added again when the taskbar restarts";
    EXPECT_TRUE(topmost) << run.Describe();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(restartedAfterCancel) << "Cancel restarts nothing";
    EXPECT_TRUE(confirmed) << "a second start with --config opens the running app's dialog";
    const std::string second = ReadWholeFile(run.folder + "\\second.jsonl");
    EXPECT_NE(second.find("\"hand_over\",\"told\":true,\"config\":true"), std::string::npos) << second;
    EXPECT_EQ(run.Count("init"), 2) << run.Describe();
    EXPECT_EQ(restarted.cx, 500);
    EXPECT_EQ(restarted.cy, 300);
    EXPECT_TRUE(topmostAfter) << "on top again after the restart";
    EXPECT_EQ(StoredInt(run, "Width"), 500) << run.SettingsText();
    EXPECT_EQ(GetPrivateProfileIntA("App", "OnTop", 0, (run.folder + "\\smearscope-app.ini").c_str()), 1);
}

// Without a console of its own the app still answers a script: on the output it was given.
TEST(App, HelpAndBadOptionsGoToTheGivenOutputWithTheirStatus) {
    struct Case {
        std::vector<std::string> arguments;
        DWORD status;
        const char* said;  // a part of what it printed
    };
    const Case cases[] = {
        {{"--help"}, 0, "--fill-screen"},
        {{"--no-such-option"}, 1, "unknown option --no-such-option"},
        {{"--frames", "0"}, 1, "--frames needs a whole number from 1"},
        {{"--log"}, 1, "--log needs PATH"},
    };
    for (const Case& c : cases) {
        BenchOptions options;
        options.app = true;
        BenchRun run = RunBench(c.arguments, options);
        EXPECT_EQ(run.exitCode, c.status) << c.arguments[0] << "\n" << run.Describe();
        EXPECT_NE((run.outputText + run.stderrText).find(c.said), std::string::npos) << run.Describe();
        EXPECT_TRUE(run.log.empty()) << "nothing started";
    }
}

}  // namespace
