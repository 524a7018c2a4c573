// Runs the host bench (smearscope-host.exe) on a fresh copy of the plug-in and reads back what it
// recorded: exit status, stderr, the JSON log lines and captured PNG frames. For integration tests.
//
//   BenchRun run = RunBench({"--frames", "3", "--keys", "2:SPACE"});
//   ASSERT_TRUE(run.Finished()) << run.Describe();
//   EXPECT_EQ(run.Count("render"), 3);
//   const LogLine* window = run.First("window");
//   EXPECT_EQ(window->Int("client_width"), 640);
//
// Each run gets its own temporary folder holding vis_Smearscope.dll (copied from beside the test
// program, so the settings file starts absent), log.jsonl, stderr.txt and, with capture on,
// capture\frame-NNNNN.png. The folder is deleted when the last copy of the BenchRun goes, unless
// the environment variable SMEARSCOPE_KEEP_BENCH is set.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

// One line of the host's log: a flat JSON object. Reads fields by key; no nesting is needed.
struct LogLine {
    std::string text;
    std::string Event() const { return Str("event"); }
    bool Has(const char* key) const;
    bool IsNull(const char* key) const;
    std::string Str(const char* key) const;  // unescaped; "" when absent or null
    long long Int(const char* key) const;    // 0 when absent or not a number
    double Number(const char* key) const;    // 0 when absent or not a number
    bool Bool(const char* key) const;        // false when absent
};

struct BenchOptions {
    bool capture = false;          // adds --capture <folder>\capture
    DWORD timeoutMs = 60000;       // the host is killed after this, and the run marked timed out
    std::string settingsFile;      // when not empty: written as Smearscope.ini beside the DLL first
    std::function<void(const std::string& folder)> prepare = nullptr;  // then this, before the host starts
    // The app instead of the bench: smearscope.exe (or `program`) with --user-folder and --log for
    // the run's folder, which gets no copy of the DLL: the app makes its own.
    bool app = false;
    std::string program = "";
    std::string reuseFolder = "";  // run in this earlier run's folder, as it was left (nothing written first)
    // Called with the running process before the wait, to watch and answer it from outside.
    std::function<void(const PROCESS_INFORMATION& process, const std::string& folder)> whileRunning = nullptr;
};

struct BenchFolder;  // owns the temporary folder

struct BenchRun {
    bool started = false;          // the host process could be created
    bool timedOut = false;
    DWORD exitCode = 0;
    std::string stderrText;
    std::string outputText;        // what the host printed on stdout
    std::vector<LogLine> log;
    std::string folder;            // the run's temporary folder, no trailing backslash
    std::string captureDir;        // folder\capture when capture was on
    std::shared_ptr<BenchFolder> owner;

    // Started, not timed out, exit status 0.
    bool Finished() const { return started && !timedOut && exitCode == 0; }
    // Exit status, stderr and the whole log, for failure messages.
    std::string Describe() const;
    std::vector<LogLine> Events(const char* event) const;
    int Count(const char* event) const { return (int)Events(event).size(); }
    const LogLine* First(const char* event) const;
    // Index in `log` of the first line of `event` at or after `from`, or -1.
    int IndexOf(const char* event, int from = 0) const;
    std::string CapturePath(int frame) const;
    // The settings file beside the DLL as it stands after the run ("" when absent).
    std::string SettingsText() const;
};

// Runs the host with the given options, adding --plugin and --log for the run's own folder (the
// app: --user-folder and --log).
BenchRun RunBench(const std::vector<std::string>& arguments, const BenchOptions& options = BenchOptions());

// A picture read back from a PNG file through the imaging component.
struct BenchImage {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first, 3 bytes a pixel
    int R(int x, int y) const { return rgb[(y * width + x) * 3]; }
    int G(int x, int y) const { return rgb[(y * width + x) * 3 + 1]; }
    int B(int x, int y) const { return rgb[(y * width + x) * 3 + 2]; }
};
bool ReadPng(const std::string& path, BenchImage& image);

// The test program's folder, which holds the host, the plug-in and a copy of the README.
std::string ExeFolder();

// A file's bytes ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);

// True for an optionally signed run of decimal digits, as the settings file must hold.
bool IsDecimal(const std::string& text);
// The names in a folder, without "." and "..".
std::set<std::string> FolderNames(const std::string& folder);
