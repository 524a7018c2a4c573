// What "About Smearscope" says: the version from the program's own version resource, the licence,
// and where the settings and the log are kept.
#pragma once
#include <string>

// "1.0.0" from the version resource's fixed part; "" where it has none.
std::string AppVersion();
std::string AboutText(const std::string& userFolder, const std::string& logPath);
