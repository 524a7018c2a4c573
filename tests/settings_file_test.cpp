// The settings file: defaults, full-screen loads and saves, switch values, exact bytes written,
// hand-edited values, and paths too long to use.
#include "plugin/settings.h"
#include "tests/expected.h"
#include "tests/settings_fixture.h"

namespace {

// Every key at its default, in the order the plug-in first writes them.
const std::string kDefaultsFile = ExpectedFile("settings-defaults.ini");

// Values no load from a file of defaults would give, so a load that skips a key shows up.
void Scramble() {
    settings = {1, 2, true, 3, 4, true, true};
    drawWidth = drawHeight = -7;
}

}  // namespace

TEST_F(SettingsFileTest, PathIsTheLibraryFolderPlusTheFileName) {
    char path[kSettingsPathSize];
    ASSERT_TRUE(SettingsFilePath(&copy.module, path));
    EXPECT_EQ(lstrcmpiA(path, Narrow(IniPath()).c_str()), 0) << path;
}

TEST_F(SettingsFileTest, NoFileGivesTheDefaultsAndCreatesNone) {
    Scramble();
    LoadSettings(&copy.module);
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 380);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.configX, 50);
    EXPECT_EQ(settings.configY, 50);
    EXPECT_FALSE(settings.showSongTitle);
    EXPECT_FALSE(settings.flashScreen);
    EXPECT_EQ(drawWidth, 640);
    EXPECT_EQ(drawHeight, 380);
    EXPECT_FALSE(FileExists(IniPath()));
}

TEST_F(SettingsFileTest, WindowedSaveOfTheDefaultsWritesTheseBytes) {
    LoadSettings(&copy.module);
    SaveSettings(&copy.module);
    EXPECT_EQ(ReadBytes(IniPath()), kDefaultsFile);
    // Saving again rewrites each key in its place.
    settings.width = 1000;
    settings.configY = -20;
    SaveSettings(&copy.module);
    std::string expected = kDefaultsFile;
    expected.replace(expected.find("Width=640"), 9, "Width=1000");
    expected.replace(expected.find("Config_Y=50"), 11, "Config_Y=-20");
    EXPECT_EQ(ReadBytes(IniPath()), expected);
}

TEST_F(SettingsFileTest, FullScreenDrawsAtTheModeSizeAndSavesOnlyTheSwitches) {
    const std::string stored =
        "[Korvath's OpenGL Smearscope]\r\n"
        "fullscreen=1\r\nShowSongTitle=0\r\nFlashScreen=0\r\n"
        "Width=800\r\nHeight=600\r\nConfig_X=10\r\nConfig_Y=20\r\n";
    WriteBytes(IniPath(), stored);
    Scramble();
    LoadSettings(&copy.module);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(drawWidth, 1024);
    EXPECT_EQ(drawHeight, 768);
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.configX, 10);
    EXPECT_EQ(settings.configY, 20);

    // What a full-screen run leaves in memory: the mode's client size, moved position, a flipped F.
    settings.width = 1024;
    settings.height = 768;
    settings.configX = settings.configY = 0;
    settings.flashScreen = true;
    SaveSettings(&copy.module);
    std::string expected = stored;
    expected.replace(expected.find("FlashScreen=0"), 13, "FlashScreen=1");
    EXPECT_EQ(ReadBytes(IniPath()), expected);
}

TEST_F(SettingsFileTest, AnyNonZeroSwitchLoadsAsOnAndIsSavedAsOne) {
    WriteBytes(IniPath(), "[Korvath's OpenGL Smearscope]\r\nShowSongTitle=7\r\nFlashScreen=-3\r\n");
    LoadSettings(&copy.module);
    EXPECT_TRUE(settings.showSongTitle);
    EXPECT_TRUE(settings.flashScreen);
    SaveSettings(&copy.module);
    EXPECT_EQ(ReadBytes(IniPath()),
              "[Korvath's OpenGL Smearscope]\r\nShowSongTitle=1\r\nFlashScreen=1\r\n"
              "fullscreen=0\r\nWidth=640\r\nHeight=380\r\nConfig_X=50\r\nConfig_Y=50\r\n");
}

TEST_F(SettingsFileTest, OtherSectionsAndMissingKeysAreLeftAlone) {
    WriteBytes(IniPath(), "[Other]\r\nWidth=1\r\n[Korvath's OpenGL Smearscope]\r\nHeight=500\r\n");
    LoadSettings(&copy.module);
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 500);
    EXPECT_EQ(drawHeight, 500);
    SaveSettings(&copy.module);
    EXPECT_EQ(ReadBytes(IniPath()).substr(0, 20), "[Other]\r\nWidth=1\r\n[K");
}

// Values a user may type into the file by hand, as the platform's integer reader takes them.
// Sizes are not limited to a range: what the reader yields is what the window gets.
TEST_F(SettingsFileTest, HandEditedValuesLoadAsThePlatformReadsThem) {
    struct Case {
        const char* text;
        int width;
    } cases[] = {
        {"-5", -5}, {"0", 0}, {"99999999999", 1215752191}, {"abc", 0}, {"0x10", 16},
        {"12abc", 12}, {"4294967295", -1}, {"", 640},
    };
    for (const Case& c : cases) {
        WriteBytes(IniPath(), std::string("[Korvath's OpenGL Smearscope]\r\nWidth=") + c.text +
                                  "\r\nfullscreen=" + c.text + "\r\n");
        LoadSettings(&copy.module);
        EXPECT_EQ(settings.width, c.width) << "Width=" << c.text;
        EXPECT_EQ(drawWidth, settings.fullscreen ? 1024 : c.width) << c.text;
        EXPECT_EQ(settings.fullscreen, c.width != 0 && c.width != 640) << "fullscreen=" << c.text;
    }
}

// A library path that does not fit the path buffer: neither the cut path's folder nor the
// platform's default place may be read or written. (Wine's profile functions also refuse paths
// beyond MAX_PATH, so the cut-path rule itself is pinned down by the native path tests.)
class SettingsLongPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = NewTempFolder();
        windowsIni = L"C:\\windows\\Smearscope.ini";
        DeleteFileW(windowsIni.c_str());
    }
    void TearDown() override {
        if (copy.library) FreeLibrary(copy.library);
        copy.library = nullptr;
        RemoveTree(root);
    }
    // Nested folders under root, the deepest path at least length characters long; a settings
    // file planted in every one of them.
    std::wstring Nest(size_t length) {
        std::wstring folder = root;
        while (folder.size() < length) {
            folder += L"\\" + std::wstring(std::min<size_t>(200, length - folder.size()), L'd');
            CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
            WriteBytes(folder + L"\\Smearscope.ini", kPlanted);
            planted.push_back(folder + L"\\Smearscope.ini");
        }
        return folder;
    }
    void ExpectNothingReadOrWritten() {
        char path[kSettingsPathSize] = "junk";
        EXPECT_FALSE(SettingsFilePath(&copy.module, path));
        EXPECT_STREQ(path, "");
        Scramble();
        LoadSettings(&copy.module);
        EXPECT_EQ(settings.width, 640);
        EXPECT_EQ(settings.height, 380);
        EXPECT_FALSE(settings.fullscreen);
        EXPECT_EQ(drawWidth, 640);
        settings.width = 1234;
        SaveSettings(&copy.module);
        std::vector<std::wstring> found = FindFilesNamed(root, L"Smearscope.ini");
        EXPECT_EQ(found.size(), planted.size());
        for (const std::wstring& file : planted) EXPECT_EQ(ReadBytes(file), kPlanted);
        EXPECT_FALSE(FileExists(windowsIni));
    }
    static constexpr const char* kPlanted = "[Korvath's OpenGL Smearscope]\r\nWidth=777\r\n";
    std::wstring root, windowsIni;
    std::vector<std::wstring> planted;
    LibraryCopy copy;
};

TEST_F(SettingsLongPathTest, LibraryPathLongerThanTheBufferIsNotUsed) {
    std::wstring folder = Nest(500);
    ASSERT_TRUE(copy.Place(folder));
    wchar_t full[2048];
    ASSERT_GT(GetModuleFileNameW(copy.library, full, 2048), (DWORD)kSettingsPathSize);
    ExpectNothingReadOrWritten();
}

TEST_F(SettingsLongPathTest, LibraryPathThatFitsButLeavesNoRoomForTheFileNameIsNotUsed) {
    // With a short library name the library's path fits; its folder plus "Smearscope.ini" does not.
    std::wstring folder = Nest(500);
    folder.resize(500);
    CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    ASSERT_TRUE(copy.Place(folder, L"v.dll"));
    char libraryPath[kSettingsPathSize];
    DWORD length = GetModuleFileNameA(copy.library, libraryPath, kSettingsPathSize);
    ASSERT_LT(length, (DWORD)kSettingsPathSize) << "the library's path should fit";
    ASSERT_GT(strrchr(libraryPath, '\\') - libraryPath + 1 + 14 + 1, kSettingsPathSize);
    ExpectNothingReadOrWritten();
}
