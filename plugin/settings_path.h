// The rule that places the settings file beside the library: the library's folder plus the name.
// Platform-free, so that the string handling is tested natively under sanitizers.
#pragma once
#include <cstddef>

extern const char kSettingsFileName[];  // "Smearscope.ini"

// libraryPath holds length characters, as the platform reported them into a buffer of bufferSize
// characters; they need not be terminated. Writes the folder of that path (up to and with its last
// backslash; nothing when it has none) followed by the file name into buffer (bufferSize chars).
// Returns false, leaving an empty text, when the platform reported a failure (0) or a cut path
// (bufferSize or more), or when the result and its terminator do not fit.
bool SettingsPathFromLibraryPath(const char* libraryPath, size_t length, char* buffer,
                                 size_t bufferSize);
