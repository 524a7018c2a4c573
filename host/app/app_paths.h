// Where the app keeps what is the user's: its folder (%LOCALAPPDATA%\Smearscope), the plug-in's
// copy run from there, so that the plug-in's settings beside it are writable, and the app's files.
#pragma once
#include <string>

// The user folder: `chosen`, else %LOCALAPPDATA%\Smearscope; made when missing. "" when neither
// can be had.
std::string AppUserFolder(const std::string& chosen);
// The app's own settings file (the listening choices): smearscope-app.ini in the user folder.
std::string AppSettingsPath(const std::string& userFolder);
// The app's log: smearscope.log in the user folder, rewritten at each start.
std::string AppLogPath(const std::string& userFolder);

// The plug-in to run: the user folder's copy of vis_Smearscope.dll from beside the program, made
// at the first start and again when the two differ in size or time (an upgrade). A copy that
// cannot be replaced (another start has it loaded) is run as it is. "" with `path` set, or why
// there is nothing to run; `copied` tells whether this start copied it.
std::string PreparePluginCopy(const std::string& userFolder, std::string& path, bool& copied);
