// Where the app keeps what is the user's: its folder (%LOCALAPPDATA%\Smearscope), the plug-in's
// copy run from there, so that the plug-in's settings beside it are writable, and the app's files.
#include "host/app/app_paths.h"
#include <windows.h>
#include "host/player/plugin_library.h"

namespace {

const char kPluginName[] = "vis_Smearscope.dll";

bool MakeFolder(const std::string& folder) {
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Same size and last write time: CopyFile keeps the time, so only another build differs.
bool SameFile(const std::string& a, const std::string& b) {
    WIN32_FILE_ATTRIBUTE_DATA first, second;
    if (!GetFileAttributesExA(a.c_str(), GetFileExInfoStandard, &first) ||
        !GetFileAttributesExA(b.c_str(), GetFileExInfoStandard, &second))
        return false;
    return first.nFileSizeLow == second.nFileSizeLow && first.nFileSizeHigh == second.nFileSizeHigh &&
           CompareFileTime(&first.ftLastWriteTime, &second.ftLastWriteTime) == 0;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::string AppUserFolder(const std::string& chosen) {
    std::string folder = chosen;
    if (folder.empty()) {
        char base[MAX_PATH] = {};
        DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base, sizeof(base));
        if (length == 0 || length >= sizeof(base)) return "";
        folder = std::string(base) + "\\Smearscope";
    }
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return MakeFolder(folder) ? folder : "";
}

std::string AppSettingsPath(const std::string& userFolder) { return userFolder + "\\smearscope-app.ini"; }

std::string AppLogPath(const std::string& userFolder) { return userFolder + "\\smearscope.log"; }

std::string PreparePluginCopy(const std::string& userFolder, std::string& path, bool& copied) {
    const std::string source = PluginBesideProgram();
    path = userFolder + "\\" + kPluginName;
    copied = false;
    if (lstrcmpiA(source.c_str(), path.c_str()) == 0 || SameFile(source, path)) return "";
    if (!Exists(source)) {
        if (Exists(path)) return "";
        return std::string(kPluginName) + " is missing beside smearscope.exe (" + source + ")";
    }
    // Copied beside the old one first: a copy cut short never replaces a working one.
    const std::string fresh = path + ".new";
    if (CopyFileA(source.c_str(), fresh.c_str(), FALSE) &&
        MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        copied = true;
        return "";
    }
    const DWORD error = GetLastError();
    DeleteFileA(fresh.c_str());
    if (Exists(path)) return "";
    return "cannot copy " + source + " to " + path + " (error " + std::to_string(error) + ")";
}
