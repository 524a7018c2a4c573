// The settings file's place: the library's folder plus "Smearscope.ini".
// Pure string handling, shared by the plug-in and the native tests.
#include "plugin/settings_path.h"
#include <cstring>

const char kSettingsFileName[] = "Smearscope.ini";

bool SettingsPathFromLibraryPath(const char* libraryPath, size_t length, char* buffer,
                                 size_t bufferSize) {
    if (bufferSize == 0) return false;
    buffer[0] = 0;
    // A cut path could name another folder's file, and may lack its terminator: never scan it.
    if (length == 0 || length >= bufferSize) return false;
    size_t folderLength = 0;
    for (size_t i = 0; i < length; ++i)
        if (libraryPath[i] == '\\') folderLength = i + 1;
    const size_t nameLength = sizeof(kSettingsFileName) - 1;
    if (folderLength + nameLength + 1 > bufferSize) return false;
    memmove(buffer, libraryPath, folderLength);
    memcpy(buffer + folderLength, kSettingsFileName, nameLength + 1);
    return true;
}
