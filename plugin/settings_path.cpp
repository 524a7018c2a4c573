// The settings file's place: the library's folder plus "Smearscope.ini".
// Pure string handling, shared by the plug-in and the native tests.
#include "plugin/settings_path.h"
#include <cstring>

const char kSettingsFileName[] = "Smearscope.ini";

bool SettingsPathFromLibraryPath(const char* libraryPath, char* buffer, size_t bufferSize) {
    size_t folderLength = 0;
    for (size_t i = 0; libraryPath[i]; ++i)
        if (libraryPath[i] == '\\') folderLength = i + 1;
    const size_t nameLength = sizeof(kSettingsFileName) - 1;
    // A shortened path could name another folder's file; refuse rather than cut.
    if (folderLength + nameLength + 1 > bufferSize) {
        if (bufferSize > 0) buffer[0] = 0;
        return false;
    }
    memmove(buffer, libraryPath, folderLength);
    memcpy(buffer + folderLength, kSettingsFileName, nameLength + 1);
    return true;
}
