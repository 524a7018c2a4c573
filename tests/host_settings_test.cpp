// The settings file through the host bench: the configuration dialog's strict size boxes, OK and
// Cancel, and the window's size and position carried from one run (one library load) to the next.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/bench.h"
#include "tests/bench_settings.h"

namespace {

const std::vector<std::string> kStored = {"Width=800", "Height=600", "fullscreen=0", "Config_X=70", "Config_Y=60"};

struct DialogCase {
    const char* name;
    const char* actions;
    long long result;         // the dialog's end: 1 OK, 2 Cancel
    bool fileUnchanged;       // Cancel: not a byte written
    int width, height, fullscreen;
};

void PrintTo(const DialogCase& c, std::ostream* out) { *out << c.name; }

class HostConfigDialog : public ::testing::TestWithParam<DialogCase> {};

TEST_P(HostConfigDialog, OpensOnTheStoredValuesAndSavesOnlyOnOk) {
    const DialogCase& c = GetParam();
    BenchOptions options;
    options.settingsFile = SettingsFileText(kStored);
    BenchRun run = RunBench({"--config", "--dialog", c.actions}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* dialog = run.First("dialog");
    ASSERT_NE(dialog, nullptr) << run.Describe();
    EXPECT_EQ(dialog->Str("width"), "800");
    EXPECT_EQ(dialog->Str("height"), "600");
    EXPECT_FALSE(dialog->Bool("fullscreen"));
    ASSERT_NE(run.First("config_result"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("config_result")->Int("result"), c.result);
    if (c.fileUnchanged) {
        EXPECT_EQ(run.SettingsText(), options.settingsFile);
        return;
    }
    EXPECT_EQ(StoredInt(run, "Width"), c.width) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "Height"), c.height) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "fullscreen"), c.fullscreen) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "Config_X"), 70);
    EXPECT_EQ(StoredInt(run, "Config_Y"), 60);
}

INSTANTIATE_TEST_SUITE_P(Edits, HostConfigDialog, ::testing::Values(
    DialogCase{"NewSizeSaved", "set:1012=1024,set:1013=700,ok", 1, false, 1024, 700, 0},
    // The boxes read unsigned decimals: letters and a leading minus leave the stored size.
    DialogCase{"LettersAndMinusKeepTheOldSize", "set:1012=abc,set:1013=-5,ok", 1, false, 800, 600, 0},
    DialogCase{"EmptyBoxKeepsTheOldSize", "set:1012=,ok", 1, false, 800, 600, 0},
    // Saving in full screen writes the switches only: the typed size does not reach the file.
    DialogCase{"FullscreenSavesTheSwitchOnly", "set:1012=1024,check:1001,ok", 1, false, 800, 600, 1},
    DialogCase{"CancelAfterEditsWritesNothing", "set:1012=1024,set:1013=700,check:1001,cancel", 2, true, 0, 0, 0}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

// Config during a run loads the file over the run's state; Cancel must put that state back, or
// Quit's save writes the cancelled edits (and drops the run's T and F) after all.
TEST(HostSettings, CancelDuringARunLeavesTheFileAndTheRunsSwitches) {
    BenchOptions options;
    options.settingsFile = SettingsFileText({"fullscreen=0", "ShowSongTitle=0", "FlashScreen=0", "Width=320",
                                             "Height=200", "Config_X=70", "Config_Y=60"});
    const std::vector<std::string> config = {"--frames", "4", "--call-order", "config-during-run", "--dialog",
                                             "set:1012=1024,set:1013=700,check:1001,cancel"};
    BenchRun run = RunBench(config, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    ASSERT_NE(run.First("config_result"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("config_result")->Int("result"), 2);
    EXPECT_EQ(run.SettingsText(), options.settingsFile);

    std::vector<std::string> withTitle = config;
    withTitle.insert(withTitle.end(), {"--keys", "1:T"});
    BenchRun titled = RunBench(withTitle, options);
    ASSERT_TRUE(titled.Finished()) << titled.Describe();
    EXPECT_EQ(StoredInt(titled, "ShowSongTitle"), 1) << titled.SettingsText();
    EXPECT_EQ(StoredInt(titled, "Width"), 320) << titled.SettingsText();
    EXPECT_EQ(StoredInt(titled, "fullscreen"), 0) << titled.SettingsText();
}

// Config during a run edits a copy: what the run does while the dialog is open (a resize, a key)
// stays, in memory and in the file, whatever the dialog ends with; OK brings in only the dialog's
// size and full-screen switch, and the run's unsaved T stays with them.
TEST(HostSettings, ConfigDuringARunLeavesTheRunsOwnChanges) {
    struct Case {
        const char* name;
        std::vector<std::string> extra;  // before the dialog opens at frame 2
        const char* actions;
        std::vector<std::string> whenConfigEnds, afterQuit;  // key=value lines the file holds
    };
    const Case cases[] = {
        {"resize and F, Cancel", {}, "resize:400x300,key:F,cancel",
         {"Width=400", "Height=300", "FlashScreen=0", "fullscreen=0"},
         {"Width=400", "Height=300", "FlashScreen=1", "fullscreen=0"}},
        {"Fullscreen ticked, resize, Cancel", {}, "check:1001,resize:500x400,cancel",
         {"fullscreen=0", "Width=500"}, {"fullscreen=0", "Width=500", "Height=400"}},
        {"T, then a new width and OK", {"--keys", "1:T"}, "set:1012=720,ok",
         {"ShowSongTitle=1", "Width=720", "Height=200"}, {"ShowSongTitle=1", "Width=720"}},
        // The next run is full screen; the windowed run's size and place stay for the one after.
        {"Fullscreen ticked and OK", {}, "check:1001,ok", {"fullscreen=1", "Width=320", "Config_X=70", "Config_Y=60"},
         {"fullscreen=1", "Width=320", "Height=200", "Config_X=70", "Config_Y=60"}},
    };
    BenchOptions options;
    options.settingsFile = SettingsFileText({"fullscreen=0", "ShowSongTitle=0", "FlashScreen=0", "Width=320",
                                             "Height=200", "Config_X=70", "Config_Y=60"});
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--frames", "4", "--call-order", "config-during-run", "--dialog",
                                              c.actions};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        BenchRun run = RunBench(arguments, options);
        ASSERT_TRUE(run.Finished()) << c.name << run.Describe();
        const LogLine* config = run.First("config_result");
        ASSERT_NE(config, nullptr) << c.name << run.Describe();
        ExpectSettingsHeld(config->Str("settings_file"), c.whenConfigEnds, std::string(c.name) + ", as Config ends");
        ExpectSettingsHeld(run.SettingsText(), c.afterQuit, std::string(c.name) + ", after Quit");
    }
}

TEST(HostSettings, ResizeTo800x600IsStored) {
    BenchRun run = RunBench({"--frames", "3", "--resize", "2:800x600"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    EXPECT_EQ(StoredInt(run, "Width"), 800) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "Height"), 600) << run.SettingsText();
    // The next load creates the window at that size.
    BenchOptions next;
    next.settingsFile = run.SettingsText();
    BenchRun again = RunBench({"--frames", "1"}, next);
    ASSERT_TRUE(again.Finished()) << again.Describe();
    ASSERT_NE(again.First("window"), nullptr) << again.Describe();
    EXPECT_EQ(again.First("window")->Int("client_width"), 800);
    EXPECT_EQ(again.First("window")->Int("client_height"), 600);
}

TEST(HostSettings, WindowStartsAtTheStoredPositionAndAMoveIsRememberedForTheNextRun) {
    BenchOptions options;
    options.settingsFile = SettingsFileText({"Config_X=120", "Config_Y=90"});
    BenchRun run = RunBench({"--frames", "4", "--move", "2:300,200"}, options);
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const LogLine* window = run.First("window");
    ASSERT_NE(window, nullptr) << run.Describe();
    EXPECT_EQ(window->Int("x"), 120);
    EXPECT_EQ(window->Int("y"), 90);
    ASSERT_NE(run.First("move"), nullptr) << run.Describe();
    EXPECT_EQ(run.First("move")->Int("x"), 300);
    EXPECT_EQ(StoredInt(run, "Config_X"), 300) << run.SettingsText();
    EXPECT_EQ(StoredInt(run, "Config_Y"), 200) << run.SettingsText();

    BenchOptions next;
    next.settingsFile = run.SettingsText();
    BenchRun again = RunBench({"--frames", "1"}, next);
    ASSERT_TRUE(again.Finished()) << again.Describe();
    ASSERT_NE(again.First("window"), nullptr) << again.Describe();
    EXPECT_EQ(again.First("window")->Int("x"), 300);
    EXPECT_EQ(again.First("window")->Int("y"), 200);
}

}  // namespace
