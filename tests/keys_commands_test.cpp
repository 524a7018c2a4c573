// The letter commands: each one's switch, notice text and word for both states, which record it
// changes, vertical sync through the swap interval, rotation resume, Escape and unknown keys.
#include <GL/gl.h>
#include <cstring>
#include <string>
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "render/frame.h"
#include "tests/gl_fixture.h"
#include "window/notices.h"
#include "window/window_proc.h"

namespace {
bool SameSettings(const Settings& a, const Settings& b) {
    return a.width == b.width && a.height == b.height && a.fullscreen == b.fullscreen &&
           a.configX == b.configX && a.configY == b.configY && a.showSongTitle == b.showSongTitle &&
           a.flashScreen == b.flashScreen;
}
bool SameToggles(const DisplayToggles& a, const DisplayToggles& b) {
    return a.rotation == b.rotation && a.beatChangesSpeed == b.beatChangesSpeed &&
           a.verticalSync == b.verticalSync && a.showFps == b.showFps && a.displayHelp == b.displayHelp &&
           a.useNoiseDistortion == b.useNoiseDistortion;
}
}  // namespace

// The switches, the notices and the rotation are the library's; each test starts from load values.
class KeyCommandsTest : public GlFixture {
protected:
    void SetUp() override {
        Open(64, 64);
        settings = Settings();
        displayToggles = DisplayToggles();
        noticeList = NoticeList();
        sceneRotation = SceneRotation();
        frameTime = 0.0f;
    }
    void TearDown() override {
        quitRequested = false;
        settings = Settings();
        displayToggles = DisplayToggles();
        noticeList = NoticeList();
        GlFixture::TearDown();
    }
    LRESULT Press(WPARAM key) { return DisplayWindowProc(window, WM_KEYDOWN, key, 0x00300001); }
    std::string LastNotice() { return noticeList.Items().empty() ? "" : noticeList.Items().back().text; }
};

TEST_F(KeyCommandsTest, EachCommandConfirmsItsNewStateAndTouchesOnlyItsOwnRecord) {
    struct Case {
        char key;
        const char* first;
        const char* second;
        bool savedSwitch;  // F and T belong to the saved settings
    } cases[] = {
        {'B', "Beat Changes Speed: No", "Beat Changes Speed: Yes", false},
        {'F', "Flash Screen: On", "Flash Screen: Off", true},
        {'H', "Display Help: On", "Display Help: Off", false},
        {'N', "Using Noise Distortion: Yes", "Using Noise Distortion: No", false},
        {'P', "Show Frames Per Second", "Hide Frames Per Second", false},
        {'R', "Rotation: Off", "Rotation: On", false},
        {'S', "Verical Sync: Off", "Verical Sync: On", false},
        {'T', "Show Song Title", "Hide Song Title", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.key));
        const Settings settingsBefore = settings;
        const DisplayToggles togglesBefore = displayToggles;
        const float before = SecondsSinceStart();
        EXPECT_EQ(Press(c.key), 0);
        const float after = SecondsSinceStart();
        EXPECT_EQ(LastNotice(), c.first);
        EXPECT_FLOAT_EQ(noticeList.Items().back().lifetime, 5.0f);
        EXPECT_GE(noticeList.Items().back().start, before) << "a fresh clock reading";
        EXPECT_LE(noticeList.Items().back().start, after);
        EXPECT_EQ(SameSettings(settings, settingsBefore), !c.savedSwitch);
        EXPECT_EQ(SameToggles(displayToggles, togglesBefore), c.savedSwitch);
        EXPECT_TRUE(RunKeyCommand(c.key));
        EXPECT_EQ(LastNotice(), c.second);
        EXPECT_TRUE(SameSettings(settings, settingsBefore));
        EXPECT_TRUE(SameToggles(displayToggles, togglesBefore));
    }
    EXPECT_EQ(noticeList.Items().size(), 16u);
}

TEST_F(KeyCommandsTest, TTwiceGivesTwoLiveNoticesAndBPacesAtTwoMilliseconds) {
    const float loud = 0.7285714f;
    EXPECT_EQ(PacingMilliseconds(loud, displayToggles.beatChangesSpeed), 17);
    Press('T');
    Press('T');
    ASSERT_EQ(noticeList.Items().size(), 2u);
    EXPECT_EQ(noticeList.Items().front().text, "Show Song Title");
    EXPECT_EQ(noticeList.Items().back().text, "Hide Song Title");
    for (const Notice& notice : noticeList.Items())
        EXPECT_GT(NoticeAlpha(notice, noticeList.Items().back().start + 4.9f), 0.0f);
    EXPECT_FALSE(settings.showSongTitle);

    Press('B');
    EXPECT_EQ(PacingMilliseconds(loud, displayToggles.beatChangesSpeed), 2);
    EXPECT_EQ(PacingMilliseconds(0.0f, displayToggles.beatChangesSpeed), 2);
}

TEST_F(KeyCommandsTest, VerticalSyncSetsTheSwapIntervalOffThenOn) {
    typedef int(WINAPI * GetSwapInterval)();
    GetSwapInterval current = (GetSwapInterval)wglGetProcAddress("wglGetSwapIntervalEXT");
    Press('S');
    EXPECT_EQ(displayToggles.verticalSync, 0);
    if (current) {
        EXPECT_EQ(current(), 0);
    }
    Press('S');
    EXPECT_EQ(displayToggles.verticalSync, 1);
    if (current) {
        EXPECT_EQ(current(), 1);
    }
    if (!current) GTEST_SKIP() << "no wglGetSwapIntervalEXT to read the interval back";
}

TEST_F(KeyCommandsTest, RotationPausesAndResumesFromTheSameAngle) {
    frameTime = 10.0f;
    Press('R');
    EXPECT_FALSE(displayToggles.rotation);
    frameTime = 15.0f;
    Press('R');
    EXPECT_TRUE(displayToggles.rotation);
    EXPECT_FLOAT_EQ(kDegreesPerSecond * frameTime - sceneRotation.heldDegrees, 40.0f);
}

TEST_F(KeyCommandsTest, EscapeAndOtherKeysGiveNoNotice) {
    EXPECT_EQ(Press(VK_ESCAPE), 0);
    EXPECT_TRUE(quitRequested);
    // Lower-case codes are other keys (98 is numpad 2); space and arrows are the host's, and so are
    // M and the menu key, which open the app's menu.
    for (WPARAM key : {WPARAM(VK_SPACE), WPARAM(VK_LEFT), WPARAM('b'), WPARAM('A'), WPARAM('Z'), WPARAM('M'),
                       WPARAM(VK_APPS)}) {
        EXPECT_FALSE(RunKeyCommand(key)) << key;
        Press(key);
    }
    EXPECT_TRUE(noticeList.Items().empty());
    EXPECT_TRUE(SameToggles(displayToggles, DisplayToggles()));
    EXPECT_TRUE(SameSettings(settings, Settings()));
}
