// Test support for the settings file and the dialog: a copy of the plug-in library in a fresh
// temporary folder (so its settings file lands there), file bytes, and a driver for modal dialogs.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "plugin/vis_module.h"

extern const char kDescription[];  // the section name the plug-in uses

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// The folder of the running test program, with its trailing backslash.
std::wstring ProgramFolder();
// A new empty folder under the temporary folder, without a trailing backslash.
std::wstring NewTempFolder();
void RemoveTree(const std::wstring& folder);
// Every file called name in folder and its subfolders.
std::vector<std::wstring> FindFilesNamed(const std::wstring& folder, const std::wstring& name);
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// vis_Smearscope.dll copied into folder as fileName and loaded; the module record points at it.
struct LibraryCopy {
    bool Place(const std::wstring& folder, const std::wstring& fileName = L"vis_Smearscope.dll");
    ~LibraryCopy();
    HMODULE library = nullptr;
    VisModule module{};
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::wstring IniPath() const { return folder + L"\\Smearscope.ini"; }
    std::wstring folder;
    LibraryCopy copy;
};

// Runs show (which opens a modal dialog on this thread); a thread timer, which fires inside the
// modal loop, finds the dialog and calls drive on it once. drive must end the dialog, e.g. by
// posting IDOK; if it does not within two seconds the dialog is cancelled and the test fails.
void DriveModalDialog(const std::function<void()>& show, const std::function<void(HWND)>& drive);
