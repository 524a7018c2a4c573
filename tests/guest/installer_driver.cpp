// Drives the setup program's pages as a person would, for the installer suite: prints each page
// (its texts, its check boxes ticked or not, greyed or not), applies the actions given, clicks Next.
//   smearscope-installer-driver.exe SETUP [untick:TEXT | tick:TEXT | folder:PATH | timeout:SECONDS]...
// A check box is named by the start of its text; folder: fills the directory page. Message boxes
// are printed and answered Yes, else OK, else Cancel. Exits with the setup program's status, or 3
// when it did not end within the timeout (it is then ended).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kPagePlace = 1018;  // where NSIS's window puts the page, a dialog of its own
const int kNext = 1;
const int kHeaderTitle = 1037;
const int kDirectoryEdit = 1019;

void Print(const std::wstring& line) {
  int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &text[0], size, nullptr, nullptr);
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

std::wstring Text(HWND window) {
  wchar_t buffer[1024] = L"";
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  std::wstring text = buffer;
  for (wchar_t& c : text) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

bool IsCheckBox(HWND window) {
  LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return ClassOf(window) == L"Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
}

struct Dialogs {
  DWORD process;
  HWND main = nullptr;  // NSIS's window: it holds the page
  HWND box = nullptr;   // a message box
};

BOOL CALLBACK FindDialogs(HWND window, LPARAM context) {
  Dialogs* found = reinterpret_cast<Dialogs*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != found->process || !IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
  if (GetDlgItem(window, kPagePlace)) {
    found->main = window;
  } else {
    found->box = window;
  }
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child)) children.push_back(child);
  }
  return children;
}

void PrintPage(HWND main, HWND page) {
  Print(L"page: " + Text(GetDlgItem(main, kHeaderTitle)));
  for (HWND child : Children(page)) {
    std::wstring text = Text(child);
    if (IsCheckBox(child)) {
      bool ticked = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
      Print(std::wstring(ticked ? L"  [x] " : L"  [ ] ") + text + (IsWindowEnabled(child) ? L"" : L" (greyed)"));
    } else if (ClassOf(child) == L"Edit") {
      Print(L"  edit: " + text);
    } else if (ClassOf(child) == L"Static" && !text.empty()) {
      Print(L"  text: " + text);
    }
  }
}

void Apply(HWND page, const std::vector<std::wstring>& actions) {
  for (const std::wstring& action : actions) {
    size_t colon = action.find(L':');
    std::wstring verb = action.substr(0, colon), what = action.substr(colon + 1);
    if (verb == L"folder") {
      HWND edit = GetDlgItem(page, kDirectoryEdit);
      if (edit) SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(what.c_str()));
      continue;
    }
    for (HWND child : Children(page)) {
      if (!IsCheckBox(child) || Text(child).compare(0, what.size(), what) != 0) continue;
      bool ticked = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
      if (ticked != (verb == L"tick")) SendMessageW(child, BM_CLICK, 0, 0);
    }
  }
}

void Answer(HWND box) {
  Print(L"box: " + Text(GetDlgItem(box, 0xFFFF)));
  for (int id : {IDYES, IDOK, IDCANCEL}) {
    HWND button = GetDlgItem(box, id);
    if (button) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      return;
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: smearscope-installer-driver SETUP [untick:TEXT|tick:TEXT|folder:PATH|timeout:SECONDS]...\n");
    return 2;
  }
  std::vector<std::wstring> actions;
  DWORD timeout_ms = 300000;
  for (int i = 2; i < argc; ++i) {
    std::wstring action = argv[i];
    if (action.compare(0, 8, L"timeout:") == 0) {
      timeout_ms = static_cast<DWORD>(_wtoi(action.c_str() + 8)) * 1000;
    } else {
      actions.push_back(action);
    }
  }
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start the setup program (error %lu)\n", GetLastError());
    return 2;
  }
  DWORD started = GetTickCount();
  HWND handled = nullptr;  // the page whose Next was clicked; a new page has a new window
  HWND answered = nullptr;
  // NOTE: a page's window shows before nsDialogs has made all its controls: a page counts as
  // ready when its thread answers a message (it has gone back to its message loop) and two looks
  // in a row find the same controls.
  HWND seen = nullptr;
  size_t seen_controls = 0;
  while (WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT) {
    if (GetTickCount() - started > timeout_ms) {
      Print(L"timeout");
      TerminateProcess(process.hProcess, 3);
      return 3;
    }
    Dialogs found{process.dwProcessId};
    EnumWindows(FindDialogs, reinterpret_cast<LPARAM>(&found));
    if (found.box) {
      if (found.box != answered) Answer(found.box);  // the page stays handled: its Next already went
      answered = found.box;
      continue;
    }
    if (!found.main) continue;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(found.main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) continue;
    HWND page = FindWindowExW(found.main, nullptr, L"#32770", nullptr);
    HWND next = GetDlgItem(found.main, kNext);
    if (!page || page == handled || !IsWindowVisible(page) || !next || !IsWindowEnabled(next) || !IsWindowVisible(next)) continue;
    size_t controls = Children(page).size();
    bool settled = page == seen && controls == seen_controls && controls > 0;
    seen = page;
    seen_controls = controls;
    if (!settled) continue;
    PrintPage(found.main, page);
    Apply(page, actions);
    handled = page;
    PostMessageW(found.main, WM_COMMAND, MAKEWPARAM(kNext, BN_CLICKED), reinterpret_cast<LPARAM>(next));
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  Print(L"exit " + std::to_wstring(status));
  return static_cast<int>(status);
}
