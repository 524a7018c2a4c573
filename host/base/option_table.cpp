// The option tables' shared part: --help's rows laid out and the numbers options take. Each
// program's rows and its words for a refused command line stay its own.
#include "host/base/option_table.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

void AppendUsageRow(std::string& text, const char* name, const char* value, const char* help,
                    const UsageLayout& layout) {
    std::string line = std::string("  ") + name + (value ? std::string(" ") + value : "");
    line.resize(std::max(layout.column, line.size() + layout.gap), ' ');
    std::string flowed = help;
    std::replace(flowed.begin(), flowed.end(), '\n', ' ');
    line += flowed;
    while (layout.width && line.size() > layout.width) {
        const size_t space = line.rfind(' ', layout.width);
        if (space == std::string::npos || space <= layout.column) break;  // one word past the width
        text += line.substr(0, space) + "\n";
        line = std::string(layout.column, ' ') + line.substr(space + 1);
    }
    text += line + "\n";
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text.c_str(), &end, 10);
    // Out of range is refused rather than clamped: 99999999999 frames is a typing error.
    if (*end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = (int)parsed;
    return true;
}

bool ParseCount(const std::string& text, int& value, int least) {
    return ParseInt(text, value) && value >= least && value <= 1000000;
}
