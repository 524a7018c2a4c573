// The rule that places the settings file beside the library: the library's folder plus the name.
// Platform-free, so that the string handling is tested natively under sanitizers.
#pragma once
#include <cstddef>

extern const char kSettingsFileName[];  // "Smearscope.ini"

// Writes the folder of libraryPath (up to and with its last backslash; none when it has no
// backslash) followed by the file name into buffer. Returns false, leaving an empty text, when
// the result and its terminator do not fit bufferSize characters.
bool SettingsPathFromLibraryPath(const char* libraryPath, char* buffer, size_t bufferSize);
