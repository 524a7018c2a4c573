// The settings file's path from the library's path: folder kept with its backslash, name added,
// and refusal instead of a cut path, whether the platform cut it or the name does not fit.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "plugin/settings_path.h"

namespace {

// The rule applied to a terminated text, as the platform reports a path that fits.
bool PathFor(const std::string& library, char* buffer, size_t size = 512) {
    return SettingsPathFromLibraryPath(library.c_str(), library.size(), buffer, size);
}

}  // namespace

TEST(SettingsPath, KeepsTheFolderThroughItsLastBackslash) {
    char buffer[512];
    ASSERT_TRUE(PathFor("C:\\Player\\Plugins\\vis_Smearscope.dll", buffer));
    EXPECT_STREQ(buffer, "C:\\Player\\Plugins\\Smearscope.ini");
    ASSERT_TRUE(PathFor("C:\\vis.dll", buffer));
    EXPECT_STREQ(buffer, "C:\\Smearscope.ini");
    ASSERT_TRUE(PathFor("\\\\?\\C:\\Plugins\\vis.dll", buffer));
    EXPECT_STREQ(buffer, "\\\\?\\C:\\Plugins\\Smearscope.ini");
}

TEST(SettingsPath, WithoutABackslashIsTheBareName) {
    char buffer[512];
    ASSERT_TRUE(PathFor("vis_Smearscope.dll", buffer));
    EXPECT_STREQ(buffer, "Smearscope.ini");
    // Forward slashes are not this rule's separator.
    ASSERT_TRUE(PathFor("C:/a/vis.dll", buffer));
    EXPECT_STREQ(buffer, "Smearscope.ini");
}

TEST(SettingsPath, FailedOrCutLibraryPathGivesNoPath) {
    char buffer[512];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_FALSE(SettingsPathFromLibraryPath("", 0, buffer, 512));
    EXPECT_EQ(buffer[0], 0);
    // A cut path fills the whole buffer without a terminator; its tail must not be read (the
    // sanitizer sees a read past this exact-size block).
    std::vector<char> cut(512, 'd');
    cut[100] = '\\';
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_FALSE(SettingsPathFromLibraryPath(cut.data(), 512, buffer, 512));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(SettingsPathFromLibraryPath(cut.data(), 600, buffer, 512));
}

TEST(SettingsPath, ResultMustFitWithItsTerminator) {
    // A folder of n characters (with its backslash) needs n + 14 + 1 characters.
    for (size_t size : {size_t(16), size_t(40), size_t(512)}) {
        for (size_t folder = 1; folder + 14 + 1 <= size + 2; ++folder) {
            std::string library(folder - 1, 'a');
            library += "\\v";
            if (library.size() >= size) continue;
            std::vector<char> buffer(size, 'x');
            bool fits = folder + 14 + 1 <= size;
            EXPECT_EQ(PathFor(library, buffer.data(), size), fits)
                << "folder " << folder << " buffer " << size;
            if (fits) EXPECT_EQ(std::string(buffer.data()), library.substr(0, folder) + "Smearscope.ini");
            else EXPECT_EQ(buffer[0], 0);
        }
    }
}
