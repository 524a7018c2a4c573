// What "About Smearscope" says: the version from the program's own version resource, the licence,
// and where the settings and the log are kept.
#include "host/app/app_about.h"
#include <windows.h>
#include "host/app/app_paths.h"

std::string AppVersion() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const BYTE* data = loaded ? (const BYTE*)LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(nullptr, found) : 0;
    // The fixed part follows the record's header and key, found by its signature on a 4-byte boundary.
    for (DWORD at = 0; data && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        const VS_FIXEDFILEINFO* info = (const VS_FIXEDFILEINFO*)(data + at);
        if (info->dwSignature != 0xFEEF04BD) continue;
        return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
               "." + std::to_string(HIWORD(info->dwFileVersionLS));
    }
    return "";
}

std::string AboutText(const std::string& userFolder, const std::string& logPath) {
    // The zip and the installer put both texts beside the program, under these names.
    char program[MAX_PATH] = {};
    const std::string path(program, GetModuleFileNameA(nullptr, program, sizeof(program)));
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    return "Smearscope " + AppVersion() +
           "\nThe Smearscope visualisation, drawing what this PC plays.\n\n"
           "MIT License. Copyright (C) 2026 the Smearscope developers.\n"
           "The licence: " + folder + "LICENSE\n"
           "The notices of the libraries it uses: " + folder + "THIRD-PARTY-NOTICES.txt\n\n"
           "Settings: " + AppSettingsPath(userFolder) + "\n"
           "The plug-in's settings: " + userFolder + "\\Smearscope.ini\n"
           "Log: " + logPath;
}
