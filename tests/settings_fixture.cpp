// Temporary library copies, file helpers and the modal-dialog driver for the settings tests.
// Wide functions with the \\?\ prefix throughout, so that folders beyond MAX_PATH work too.
#include "tests/settings_fixture.h"

const char kDescription[] = "Korvath's OpenGL Smearscope";

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += (char)c;
    return narrow;
}

namespace {

std::wstring Long(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

}  // namespace

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.rfind(L'\\') + 1);
}

std::wstring NewTempFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    folder += L"smearscope-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(Long(path).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(Long(folder).c_str());
}

std::vector<std::wstring> FindFilesNamed(const std::wstring& folder, const std::wstring& name) {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        std::wstring entry = found.cFileName;
        if (entry == L"." || entry == L"..") continue;
        std::wstring path = folder + L"\\" + entry;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::wstring& inner : FindFilesNamed(path, name)) paths.push_back(inner);
        } else if (lstrcmpiW(entry.c_str(), name.c_str()) == 0) {
            paths.push_back(path);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return paths;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
}

bool LibraryCopy::Place(const std::wstring& folder, const std::wstring& fileName) {
    std::wstring path = folder + L"\\" + fileName;
    bool isLong = path.size() >= MAX_PATH;
    std::wstring target = isLong ? Long(path) : path;
    if (!CopyFileW((ProgramFolder() + L"vis_Smearscope.dll").c_str(), target.c_str(), FALSE))
        return false;
    library = LoadLibraryW(target.c_str());
    module.description = kDescription;
    module.instance = library;
    return library != nullptr;
}

LibraryCopy::~LibraryCopy() {
    if (library) FreeLibrary(library);
}

void SettingsFileTest::SetUp() {
    folder = NewTempFolder();
    ASSERT_TRUE(copy.Place(folder));
}

void SettingsFileTest::TearDown() {
    if (copy.library) FreeLibrary(copy.library);
    copy.library = nullptr;
    RemoveTree(folder);
}

namespace {

struct DialogDrive {
    const std::function<void(HWND)>* drive = nullptr;
    bool driven = false;
    int ticksSinceDriven = 0;
};
DialogDrive dialogDrive;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)) {
        *(HWND*)found = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DialogTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, (LPARAM)&dialog);
    if (!dialog) return;
    if (!dialogDrive.driven) {
        dialogDrive.driven = true;
        (*dialogDrive.drive)(dialog);
    } else if (++dialogDrive.ticksSinceDriven > 200) {
        ADD_FAILURE() << "the dialog stayed open after it was driven";
        EndDialog(dialog, IDCANCEL);
    }
}

}  // namespace

void DriveModalDialog(const std::function<void()>& show, const std::function<void(HWND)>& drive) {
    dialogDrive = DialogDrive();
    dialogDrive.drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, DialogTimer);
    show();
    KillTimer(nullptr, timer);
    EXPECT_TRUE(dialogDrive.driven) << "no dialog appeared";
    dialogDrive = DialogDrive();
}
