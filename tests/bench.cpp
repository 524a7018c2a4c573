// Runs the host bench (smearscope-host.exe) on a fresh copy of the plug-in and reads back what it
// recorded: exit status, stderr, the JSON log lines and captured PNG frames.
#include "tests/bench.h"
#include <wincodec.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
void DeleteTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(path + "\\" + name);
            else {
                // A test may have left a file read-only.
                SetFileAttributesA((path + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((path + "\\" + name).c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}
}  // namespace

struct BenchFolder {
    std::string path;
    ~BenchFolder() {
        if (!path.empty() && !std::getenv("SMEARSCOPE_KEEP_BENCH")) DeleteTree(path);
    }
};

namespace {

// Where `key`'s value starts in a flat JSON object, or npos.
size_t ValueStart(const std::string& text, const char* key) {
    const std::string pattern = std::string("\"") + key + "\":";
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
        if (at > 0 && (text[at - 1] == '{' || text[at - 1] == ',')) return at + pattern.size();
    return std::string::npos;
}

std::string MakeFolder() {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof(name), "%ssmearscope-bench-%lu-%lu-%d", temp, GetCurrentProcessId(),
                      GetTickCount(), ++counter);
        if (CreateDirectoryA(name, nullptr)) return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
    }
}

std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') { ++backslashes; quoted += c; continue; }
        if (c == '"') quoted.append(backslashes + 1, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

bool LogLine::Has(const char* key) const { return ValueStart(text, key) != std::string::npos; }

bool LogLine::IsNull(const char* key) const {
    size_t at = ValueStart(text, key);
    return at != std::string::npos && text.compare(at, 4, "null") == 0;
}

std::string LogLine::Str(const char* key) const {
    size_t at = ValueStart(text, key);
    if (at == std::string::npos || text[at] != '"') return "";
    std::string value;
    for (size_t i = at + 1; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        char escape = text[++i];
        if (escape == 'u') {
            value += (char)std::strtol(text.substr(i + 1, 4).c_str(), nullptr, 16);
            i += 4;
        } else if (escape == 'n') value += '\n';
        else if (escape == 't') value += '\t';
        else value += escape;
    }
    return value;
}

long long LogLine::Int(const char* key) const {
    size_t at = ValueStart(text, key);
    return at == std::string::npos ? 0 : std::strtoll(text.c_str() + at, nullptr, 10);
}

double LogLine::Number(const char* key) const {
    size_t at = ValueStart(text, key);
    return at == std::string::npos ? 0 : std::strtod(text.c_str() + at, nullptr);
}

bool LogLine::Bool(const char* key) const {
    size_t at = ValueStart(text, key);
    return at != std::string::npos && text.compare(at, 4, "true") == 0;
}

std::string BenchRun::Describe() const {
    std::string text = "host ";
    text += !started ? "did not start" : timedOut ? "timed out" : "exited " + std::to_string(exitCode);
    text += "\nstderr: " + stderrText + "log:\n";
    for (const LogLine& line : log) text += "  " + line.text + "\n";
    return text;
}

std::vector<LogLine> BenchRun::Events(const char* event) const {
    std::vector<LogLine> found;
    for (const LogLine& line : log)
        if (line.Event() == event) found.push_back(line);
    return found;
}

const LogLine* BenchRun::First(const char* event) const {
    int index = IndexOf(event);
    return index < 0 ? nullptr : &log[index];
}

int BenchRun::IndexOf(const char* event, int from) const {
    for (int i = from < 0 ? 0 : from; i < (int)log.size(); ++i)
        if (log[i].Event() == event) return i;
    return -1;
}

std::string BenchRun::CapturePath(int frame) const {
    char name[32];
    std::snprintf(name, sizeof(name), "\\frame-%05d.png", frame);
    return captureDir + name;
}

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/"));
}

std::string BenchRun::SettingsText() const { return ReadWholeFile(folder + "\\Smearscope.ini"); }

BenchRun RunBench(const std::vector<std::string>& arguments, const BenchOptions& options) {
    BenchRun run;
    run.folder = options.reuseFolder.empty() ? MakeFolder() : options.reuseFolder;
    if (run.folder.empty()) return run;
    if (options.reuseFolder.empty()) {
        run.owner = std::make_shared<BenchFolder>();
        run.owner->path = run.folder;
    }
    const std::string bin = ExeFolder();
    const std::string plugin = run.folder + "\\vis_Smearscope.dll";
    if (options.reuseFolder.empty()) {
        if (!options.app && !CopyFileA((bin + "\\vis_Smearscope.dll").c_str(), plugin.c_str(), FALSE)) return run;
        if (!options.settingsFile.empty())
            std::ofstream(run.folder + "\\Smearscope.ini", std::ios::binary) << options.settingsFile;
    }
    if (options.prepare) options.prepare(run.folder);

    const std::string logPath = run.folder + "\\log.jsonl";
    std::string command;
    if (options.app)
        command = Quote(options.program.empty() ? bin + "\\smearscope.exe" : options.program) + " --user-folder " +
                  Quote(run.folder) + " --log " + Quote(logPath);
    else
        command = Quote(bin + "\\smearscope-host.exe") + " --plugin " + Quote(plugin) + " --log " + Quote(logPath);
    if (options.capture) {
        run.captureDir = run.folder + "\\capture";
        command += " --capture " + Quote(run.captureDir);
    }
    for (const std::string& argument : arguments) command += " " + Quote(argument);

    HANDLE errors = InheritableFile(run.folder + "\\stderr.txt");
    HANDLE output = InheritableFile(run.folder + "\\stdout.txt");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    run.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, run.folder.c_str(),
                                 &startup, &process) != FALSE;
    CloseHandle(errors);
    CloseHandle(output);
    if (!run.started) return run;
    if (options.whileRunning) options.whileRunning(process, run.folder);
    if (WaitForSingleObject(process.hProcess, options.timeoutMs) == WAIT_TIMEOUT) {
        run.timedOut = true;
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    run.stderrText = ReadWholeFile(run.folder + "\\stderr.txt");
    run.outputText = ReadWholeFile(run.folder + "\\stdout.txt");
    std::istringstream logText(ReadWholeFile(logPath));
    for (std::string text; std::getline(logText, text);)
        if (!text.empty()) run.log.push_back(LogLine{text});
    return run;
}

bool ReadPng(const std::string& path, BenchImage& image) {
    HRESULT comInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    std::wstring widePath(path.begin(), path.end());
    UINT width = 0, height = 0;
    std::vector<unsigned char> bgr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  (void**)&factory);
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder);
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr)) hr = converter->GetSize(&width, &height);
    if (SUCCEEDED(hr)) {
        bgr.resize((size_t)width * height * 3);
        hr = converter->CopyPixels(nullptr, width * 3, (UINT)bgr.size(), bgr.data());
    }
    if (converter) converter->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(comInit)) CoUninitialize();
    if (FAILED(hr)) return false;
    image.width = (int)width;
    image.height = (int)height;
    image.rgb.resize(bgr.size());
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
        image.rgb[i] = bgr[i + 2];
        image.rgb[i + 1] = bgr[i + 1];
        image.rgb[i + 2] = bgr[i];
    }
    return true;
}

bool IsDecimal(const std::string& text) {
    size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= start) return false;
    for (size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

std::set<std::string> FolderNames(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}
