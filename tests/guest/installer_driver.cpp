// Drives the setup program's pages as a person would, for the installer suite: prints each page
// (its texts, its check boxes ticked or not, greyed or not, the tree of parts with each one's
// description, and "cut:" for a text wider or taller than its control at the screen's dpi), applies
// the actions given, clicks Next.
//   smearscope-installer-driver.exe SETUP [untick:TEXT | tick:TEXT | folder:PATH | shots:FOLDER |
//                                          arguments:TEXT | timeout:SECONDS]...
// A check box is named by the start of its text; folder: fills the directory page; shots: saves
// each page as FOLDER\page-N.bmp; arguments: follow SETUP on its command line as they are. It
// prints the screen's dpi first. Message boxes are printed and answered Yes, else OK, else
// Cancel. Exits with the setup program's status, or 3 when it did not end within the timeout (it
// is then ended).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kPagePlace = 1018;  // where NSIS's window puts the page, a dialog of its own
const int kNext = 1;
const int kHeaderTitle = 1037;
const int kHeaderSubtitle = 1038;
const int kDirectoryEdit = 1019;
const int kDescription = 1043;  // the components page's description of the part under the pointer

void Print(const std::wstring& line) {
  int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &text[0], size, nullptr, nullptr);
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

std::wstring RawText(HWND window) {
  std::wstring text(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  text.resize(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
  return text;
}

std::wstring Text(HWND window) {
  std::wstring text = RawText(window);
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

int Dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The dialog's font as NSIS's templates name it, at the screen's dpi. NOTE: a font handle is the
// process's own; another process's (WM_GETFONT) cannot be measured with.
HFONT DialogFont(bool bold) {
  return CreateFontW(-MulDiv(8, Dpi(), 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                     0, L"MS Shell Dlg");
}

// "cut: TEXT (needs W x H, has W x H)" when the text, wrapped as the control wraps it, is wider or
// taller than the room the control gives it. A check box's text starts after its box.
void CheckFits(HWND control, bool bold = false) {
  const std::wstring text = RawText(control);
  if (text.empty()) return;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  RECT room = {};
  GetClientRect(control, &room);
  if (ClassOf(control) == L"Button") {
    room.right -= MulDiv(16, Dpi(), 96);
    flags |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  } else {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return;
    flags |= type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = DialogFont(bold);
  HGDIOBJ old = SelectObject(dc, font);
  RECT need = {0, 0, room.right, 0};
  DrawTextW(dc, text.c_str(), -1, &need, flags);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  if (need.right > room.right || need.bottom > room.bottom) {
    Print(L"  cut: " + Text(control) + L" (needs " + std::to_wstring(need.right) + L" x " +
          std::to_wstring(need.bottom) + L", has " + std::to_wstring(room.right) + L" x " +
          std::to_wstring(room.bottom) + L")");
  }
}

// Memory in the setup program for the tree's messages, whose records must lie in its process.
struct Remote {
  HANDLE process;
  void* at = nullptr;
  Remote(HANDLE p, size_t size) : process(p) {
    at = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~Remote() {
    if (at) VirtualFreeEx(process, at, 0, MEM_RELEASE);
  }
  bool Put(const void* data, size_t size) { return WriteProcessMemory(process, at, data, size, nullptr); }
  bool Get(void* data, size_t size) { return ReadProcessMemory(process, at, data, size, nullptr); }
};

// Each part in the tree: "item: NAME", "cut:" when its name is wider than the tree, and "about:"
// with the description the page shows once the part is chosen (as when the pointer rests on it).
void PrintTree(HANDLE process, HWND page, HWND tree) {
  Remote remote(process, 4096);
  if (!remote.at) return Print(L"  tree: cannot read it (error " + std::to_wstring(GetLastError()) + L")");
  RECT client = {};
  GetClientRect(tree, &client);
  for (HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item;
       item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item)) {
    wchar_t name[256] = L"";
    TVITEMW record = {};
    record.mask = TVIF_TEXT | TVIF_HANDLE;
    record.hItem = item;
    record.pszText = (wchar_t*)((char*)remote.at + 1024);
    record.cchTextMax = 256;
    remote.Put(&record, sizeof record);
    SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote.at);
    ReadProcessMemory(process, record.pszText, name, sizeof name, nullptr);
    name[255] = L'\0';
    RECT label = {};
    memcpy(&label, &item, sizeof item);  // TVM_GETITEMRECT's item goes in the rectangle's place
    remote.Put(&label, sizeof label);
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote.at);
    remote.Get(&label, sizeof label);
    Print(std::wstring(L"  item: ") + name);
    if (label.right > client.right) {
      Print(std::wstring(L"  cut: ") + name + L" (ends at " + std::to_wstring(label.right) + L", the tree at " +
            std::to_wstring(client.right) + L")");
    }
    // NOTE: NSIS shows a part's description when the pointer rests on it or it is chosen; choosing
    // the part chosen already changes nothing, so the choice is cleared first.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    HWND about = GetDlgItem(page, kDescription);
    if (about) {
      Print(L"  about: " + Text(about));
      CheckFits(about);
    }
  }
}

// The setup program's window as the screen shows it, into a 24-bit BMP file.
void SaveShot(HWND main, const std::wstring& path) {
  RECT area = {};
  GetWindowRect(main, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const DWORD size = ((width * 3 + 3) & ~3) * height;
  BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof info.bmiHeader + size), 0, 0,
                           (DWORD)(sizeof file + sizeof info.bmiHeader)};
  if (FILE* out = _wfopen(path.c_str(), L"wb")) {
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    fwrite(bits, size, 1, out);
    fclose(out);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

void PrintPage(HANDLE process, HWND main, HWND page) {
  Print(L"page: " + Text(GetDlgItem(main, kHeaderTitle)));
  CheckFits(GetDlgItem(main, kHeaderTitle), true);
  CheckFits(GetDlgItem(main, kHeaderSubtitle));
  for (HWND child : Children(page)) {
    std::wstring text = Text(child);
    if (ClassOf(child) == L"SysTreeView32") {
      PrintTree(process, page, child);
    } else if (IsCheckBox(child)) {
      bool ticked = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
      Print(std::wstring(ticked ? L"  [x] " : L"  [ ] ") + text + (IsWindowEnabled(child) ? L"" : L" (greyed)"));
    } else if (ClassOf(child) == L"Edit") {
      Print(L"  edit: " + text);
    } else if (ClassOf(child) == L"Static" && !text.empty() && GetDlgCtrlID(child) != kDescription) {
      Print(L"  text: " + text);
    }
    if (IsCheckBox(child) || ClassOf(child) == L"Static") CheckFits(child);
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
    std::fprintf(stderr, "usage: smearscope-installer-driver SETUP [untick:TEXT|tick:TEXT|folder:PATH|shots:FOLDER|arguments:TEXT|timeout:SECONDS]...\n");
    return 2;
  }
  // NOTE: measured in the screen's pixels, as the setup program (DPI-aware) lays itself out.
  SetProcessDPIAware();
  std::vector<std::wstring> actions;
  std::wstring shots, arguments;
  int pages = 0;
  DWORD timeout_ms = 300000;
  for (int i = 2; i < argc; ++i) {
    std::wstring action = argv[i];
    if (action.compare(0, 8, L"timeout:") == 0) {
      timeout_ms = static_cast<DWORD>(_wtoi(action.c_str() + 8)) * 1000;
    } else if (action.compare(0, 6, L"shots:") == 0) {
      shots = action.substr(6);
    } else if (action.compare(0, 10, L"arguments:") == 0) {
      arguments += L" " + action.substr(10);
    } else {
      actions.push_back(action);
    }
  }
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"" + arguments;
  Print(L"dpi: " + std::to_wstring(Dpi()));
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
    PrintPage(process.hProcess, found.main, page);
    if (!shots.empty()) SaveShot(found.main, shots + L"\\page-" + std::to_wstring(++pages) + L".bmp");
    Apply(page, actions);
    handled = page;
    PostMessageW(found.main, WM_COMMAND, MAKEWPARAM(kNext, BN_CLICKED), reinterpret_cast<LPARAM>(next));
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  Print(L"exit " + std::to_wstring(status));
  return static_cast<int>(status);
}
