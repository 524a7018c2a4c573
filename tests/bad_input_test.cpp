// Hostile input through the host bench: broken settings files, strange host answers, spectra,
// key and size storms and callback orders. None may crash, hang or end the host; the settings
// file must come out either absent or whole, and nothing may be written outside its folder.
#include <gtest/gtest.h>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>
#include "tests/bench.h"

namespace {

const char kSection[] = "Korvath's OpenGL Smearscope";
const char kHeader[] = "[Korvath's OpenGL Smearscope]\r\n";
const char* const kKeys[] = {"fullscreen", "ShowSongTitle", "FlashScreen", "Width", "Height", "Config_X", "Config_Y"};

std::string Repeated(const std::string& text, size_t times) {
    std::string result;
    for (size_t i = 0; i < times; ++i) result += text;
    return result;
}

std::string RandomBytes(size_t count, unsigned seed) {
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = (char)((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct BadInput {
    const char* name;
    std::vector<std::string> arguments;
    std::string settings;                                 // Smearscope.ini before the run; "" none
    std::function<void(const std::string& folder)> prepare = nullptr;
    std::function<void(const BenchRun& run)> expect = nullptr;  // checks beyond surviving
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class HostSurvives : public ::testing::TestWithParam<BadInput> {};

TEST_P(HostSurvives, TheRunEndsCleanlyAndTheSettingsFileIsAbsentOrWhole) {
    const BadInput& input = GetParam();
    BenchOptions options;
    options.settingsFile = input.settings;
    options.prepare = input.prepare;
    options.timeoutMs = 90000;
    std::vector<std::string> arguments = input.arguments;
    arguments.push_back("--no-pause");
    BenchRun run = RunBench(arguments, options);
    ASSERT_FALSE(run.timedOut) << "hang: " << run.Describe();
    ASSERT_EQ(run.Count("crash"), 0) << run.Describe();
    ASSERT_TRUE(run.Finished()) << run.Describe();
    ASSERT_GE(run.IndexOf("exit"), 0) << "the host must reach its own end";
    if (input.expect) input.expect(run);

    const std::string path = run.folder + "\\Smearscope.ini";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // A full-screen run keeps the stored window size and so may never have written it.
        const bool fullscreen = GetPrivateProfileIntA(kSection, "fullscreen", 0, path.c_str()) != 0;
        for (const char* key : kKeys) {
            char value[64] = {};
            GetPrivateProfileStringA(kSection, key, "", value, sizeof(value), path.c_str());
            const bool sizeKey = std::string(key) == "Width" || std::string(key) == "Height" ||
                                 std::string(key).rfind("Config_", 0) == 0;
            if (fullscreen && sizeKey && value[0] == '\0') continue;
            EXPECT_TRUE(IsDecimal(value)) << key << " holds \"" << value << "\"";
        }
    }
    // The run's folder holds only what the bench and the case put there, and the settings file.
    for (const std::string& name : FolderNames(run.folder)) {
        static const std::set<std::string> expected = {"vis_Smearscope.dll", "log.jsonl", "stderr.txt",
                                                       "stdout.txt", "Smearscope.ini", "title.bin"};
        EXPECT_TRUE(expected.count(name)) << "unexpected " << name;
    }
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_EQ(GetFileAttributesA((std::string(windows) + "\\Smearscope.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

std::vector<std::string> Frames(int count, std::vector<std::string> more = {}) {
    more.insert(more.begin(), {"--frames", std::to_string(count)});
    return more;
}

std::string Settings(const std::string& lines) { return kHeader + lines; }

// With the song title shown, so every title answer is drawn.
const std::string kTitleOn = Settings("ShowSongTitle=1\r\nWidth=96\r\nHeight=64\r\n");
const std::string kSmall = Settings("Width=96\r\nHeight=64\r\n");

void TitleFile(const std::string& folder, const std::string& bytes) { WriteFile(folder + "\\title.bin", bytes); }

std::string EveryByte() {
    std::string bytes;
    for (int value = 1; value <= 255; ++value) bytes += (char)value;
    return Repeated(bytes, 4);
}

void ExpectDrawn(const BenchRun& run) { EXPECT_GT(run.Count("swap"), 0) << run.Describe(); }

void ExpectSize(const BenchRun& run, int width, int height) {
    const LogLine* window = run.First("window");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Int("client_width"), width);
    EXPECT_EQ(window->Int("client_height"), height);
}

HANDLE lockedSettings = INVALID_HANDLE_VALUE;

const std::string kReadOnlyContent =
    Settings("fullscreen=0\r\nShowSongTitle=0\r\nFlashScreen=0\r\nWidth=96\r\nHeight=64\r\nConfig_X=50\r\nConfig_Y=50\r\n");

INSTANTIATE_TEST_SUITE_P(SettingsFiles, HostSurvives, ::testing::Values(
    BadInput{"RandomBytes", Frames(3), RandomBytes(4096, 7)},
    BadInput{"RandomBytesAfterSection", Frames(3), kHeader + RandomBytes(2048, 11)},
    BadInput{"OneMegabyte", Frames(3), Settings(Repeated("Filler=0123456789012345678901234567890123456789\r\n", 21000) + "Width=96\r\nHeight=64\r\n")},
    BadInput{"NegativeSizes", Frames(3), Settings("Width=-5\r\nHeight=-7\r\nConfig_X=-30000\r\nConfig_Y=-30000\r\n")},
    BadInput{"ZeroSizes", Frames(3), Settings("Width=0\r\nHeight=0\r\n")},
    BadInput{"HugeSizes", Frames(2), Settings("Width=99999999999\r\nHeight=2147483647\r\nConfig_X=2147483647\r\n"),
             nullptr,
             [](const BenchRun& run) {
                 // No wrap to a zero or negative size, and no larger than the user could drag it.
                 std::vector<LogLine> sizes = run.Events("window");
                 ASSERT_FALSE(sizes.empty()) << run.Describe();
                 EXPECT_GT(sizes[0].Int("client_height"), 0) << sizes[0].text;
                 EXPECT_GT(sizes[0].Int("client_width"), 0) << sizes[0].text;
                 EXPECT_LE(sizes[0].Int("client_width"), GetSystemMetrics(SM_CXMAXTRACK)) << sizes[0].text;
                 EXPECT_LE(sizes[0].Int("client_height"), GetSystemMetrics(SM_CYMAXTRACK)) << sizes[0].text;
             }},
    BadInput{"TextForNumbers", Frames(3), Settings("Width=abc\r\nHeight=12px\r\nfullscreen=yes\r\nConfig_X=0x10\r\nFlashScreen=%s%n\r\n")},
    BadInput{"DuplicateKeys", Frames(3), Settings("Width=96\r\nWidth=4000\r\nHeight=64\r\nHeight=-1\r\n[Korvath's OpenGL Smearscope]\r\nWidth=1\r\n"),
             nullptr, [](const BenchRun& run) { ExpectSize(run, 96, 64); }},
    BadInput{"FullscreenNotAvailable", Frames(3), Settings("fullscreen=7\r\n")},
    // NOTE: Wine running as root writes through the read-only attribute; the file must stay whole.
    BadInput{"ReadOnlyFile", Frames(3, {"--keys", "1:T,2:F"}), kReadOnlyContent,
             [](const std::string& folder) {
                 SetFileAttributesA((folder + "\\Smearscope.ini").c_str(), FILE_ATTRIBUTE_READONLY);
             }},
    // A file another process holds without sharing: Wine refuses every write to it.
    BadInput{"FileLockedByAnotherProcess", Frames(3, {"--keys", "1:T,2:F"}), kReadOnlyContent,
             [](const std::string& folder) {
                 lockedSettings = CreateFileA((folder + "\\Smearscope.ini").c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             },
             [](const BenchRun& run) {
                 ASSERT_NE(lockedSettings, INVALID_HANDLE_VALUE);
                 CloseHandle(lockedSettings);
                 EXPECT_EQ(ReadFile(run.folder + "\\Smearscope.ini"), kReadOnlyContent);
             }},
    BadInput{"SettingsPathIsAFolder", Frames(3, {"--keys", "1:T"}), "",
             [](const std::string& folder) { CreateDirectoryA((folder + "\\Smearscope.ini").c_str(), nullptr); },
             ExpectDrawn}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(HostAnswers, HostSurvives, ::testing::Values(
    BadInput{"NullTitle", Frames(3, {"--null-title"}), kTitleOn},
    BadInput{"Title64KiB", Frames(3, {"--title-file", "title.bin"}), kTitleOn,
             [](const std::string& folder) { TitleFile(folder, std::string(64 * 1024, 'W')); }, ExpectDrawn},
    BadInput{"TitleEveryByte", Frames(3, {"--title-file", "title.bin"}), kTitleOn,
             [](const std::string& folder) { TitleFile(folder, EveryByte()); }, ExpectDrawn},
    BadInput{"TitlePercentSequences", Frames(3, {"--title", "%s%s%s%n%n%d%x%p%%%*.*s%999999999d"}), kTitleOn},
    BadInput{"TitleChangesEveryFrame", Frames(40, {"--title-changes"}), kTitleOn, nullptr, ExpectDrawn},
    BadInput{"PlayingFlaps", Frames(40, {"--playing-flap", "--title-changes"}), kTitleOn, nullptr, ExpectDrawn}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Spectra, HostSurvives, ::testing::Values(
    BadInput{"AllZero", Frames(20, {"--spectrum", "const:0", "--keys", "1:F,1:N"}), kSmall, nullptr, ExpectDrawn},
    BadInput{"All255", Frames(20, {"--spectrum", "const:255", "--keys", "1:F,1:N"}), kSmall, nullptr, ExpectDrawn},
    BadInput{"Random", Frames(40, {"--spectrum", "random", "--keys", "1:F,1:N,1:P"}), kSmall, nullptr, ExpectDrawn}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

void ExpectStorms(const BenchRun& run) {
    EXPECT_EQ(run.Count("key_storm"), 8);
    EXPECT_EQ(run.Events("render").back().Int("result"), 0) << "no held key may end the run";
}

INSTANTIATE_TEST_SUITE_P(Keys, HostSurvives, ::testing::Values(
    BadInput{"TenThousandRandomKeyDowns", Frames(102, {"--random-keys", "10000"}), kSmall, nullptr,
             [](const BenchRun& run) {
                 EXPECT_EQ(run.Events("render").back().Int("result"), 0) << "only Escape ends a run";
                 EXPECT_GT(run.Count("forwarded_key"), 9000) << "keys that are not commands go to the host";
             }},
    BadInput{"HeldCommandKeys", Frames(12, {"--key-storm", "B:300", "--key-storm", "F:300", "--key-storm", "H:300",
                                             "--key-storm", "N:300", "--key-storm", "P:300", "--key-storm", "R:300",
                                             "--key-storm", "S:300", "--key-storm", "T:301"}),
             kSmall, nullptr, ExpectStorms}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Sizes, HostSurvives, ::testing::Values(
    BadInput{"OneByOne", Frames(3), Settings("Width=1\r\nHeight=1\r\n"), nullptr, ExpectDrawn},
    BadInput{"Huge4096", Frames(2), Settings("Width=4096\r\nHeight=4096\r\n"), nullptr, ExpectDrawn},
    BadInput{"ResizedToZeroOneAndHuge", Frames(5, {"--resize", "2:0x0,3:1x1,4:4096x4096,5:96x64"}), kSmall, nullptr, ExpectDrawn},
    BadInput{"ThousandQuickResizes", Frames(22, {"--resize-storm", "1000"}), kSmall, nullptr, ExpectDrawn}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(CallOrders, HostSurvives, ::testing::Values(
    BadInput{"RenderAfterQuit", Frames(2, {"--call-order", "render-after-quit"}), kSmall, nullptr,
             [](const BenchRun& run) {
                 std::vector<LogLine> renders = run.Events("render");
                 ASSERT_EQ(renders.size(), 5u);
                 for (size_t i = 2; i < renders.size(); ++i) EXPECT_EQ(renders[i].Int("result"), 1);
                 EXPECT_EQ(run.Count("swap"), 2);
             }},
    BadInput{"QuitWithoutInit", {"--call-order", "quit-without-init"}, "", nullptr,
             [](const BenchRun& run) {
                 EXPECT_EQ(run.Count("init"), 0);
                 EXPECT_EQ(run.SettingsText(), "") << "nothing was loaded, so nothing is saved";
             }},
    BadInput{"InitTwice", Frames(3, {"--call-order", "init-twice"}), kSmall, nullptr,
             [](const BenchRun& run) {
                 EXPECT_EQ(run.Count("init"), 2);
                 EXPECT_EQ(run.Count("window"), 2);
             }},
    BadInput{"ConfigDuringRun", Frames(4, {"--call-order", "config-during-run", "--dialog", "set:1012=80,ok"}), kSmall, nullptr,
             [](const BenchRun& run) {
                 const LogLine* config = run.First("config_result");
                 ASSERT_NE(config, nullptr);
                 EXPECT_TRUE(config->Bool("dialog"));
                 EXPECT_EQ(config->Int("result"), 1);
             }}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
