// The settings file as bench tests write it before a run and read it back after: a file text from
// key=value lines, and one stored value read the way the plug-in reads it.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "tests/bench.h"

inline std::string SettingsFileText(const std::vector<std::string>& lines) {
    std::string text = "[Korvath's OpenGL Smearscope]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The stored integer for `key` after the run, or `missing` when the file or key is absent.
inline int StoredInt(const BenchRun& run, const char* key, int missing = -99999) {
    return (int)GetPrivateProfileIntA("Korvath's OpenGL Smearscope", key, missing,
                                      (run.folder + "\\Smearscope.ini").c_str());
}

// The value of `key` in a settings file's text, "" when absent.
inline std::string SettingValue(const std::string& text, const std::string& key) {
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

// Each key=value line's value as `text` holds it; `when` names the moment in the failure message.
inline void ExpectSettingsHeld(const std::string& text, const std::vector<std::string>& lines, const std::string& when) {
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        EXPECT_EQ(SettingValue(text, line.substr(0, equals)), line.substr(equals + 1)) << when << ":\n" << text;
    }
}
