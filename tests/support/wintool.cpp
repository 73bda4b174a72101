// Windows-side half of the GUI test helpers (tests/support/gui.sh): finds, activates and
// closes top-level windows by title, and offers a probe window that reports the input it
// receives, so the helpers themselves can be tested.
//
//   wintool wait TITLE [TIMEOUT_MS]  prints "X Y W H CX CY CW CH": window and client
//                                    rectangles in screen coordinates, once it is visible
//   wintool painted TITLE [TIMEOUT_MS]
//                                    prints "ready", then waits until the window is visible
//                                    and painted (no part of it or of its children waits for
//                                    a paint, and its thread has answered) and prints the
//                                    time of that as Unix seconds: started before a click, it
//                                    times from the click to the window painted
//   wintool activate TITLE           brings the window to the foreground
//   wintool close TITLE              posts WM_CLOSE to it
//   wintool minimize TITLE           minimises it as its system menu does
//   wintool state TITLE              prints "iconic", "zoomed" or "normal", then "foreground"
//                                    or "background"
//   wintool hitmap TITLE             prints "CODE X Y" for each answer of WM_NCHITTEST in the
//                                    band above the client area: the screen point in the middle
//                                    of where it answers so (2 caption, 3 system menu,
//                                    8 minimise, 9 maximise, 20 close)
//   wintool popups                   prints one line "X Y W H" per visible popup menu
//   wintool sync TITLE               returns once the window's thread has taken in what
//                                    input reached it before (three round trips through its
//                                    message loop, which reads the display's events first)
//   wintool dismiss TITLE            closes it (a message box, say) and waits until it is gone
//   wintool texts TITLE              prints the window's text, then the text of each
//                                    descendant window that has one, a line each
//   wintool probe                    shows "wintool probe"; prints "click X Y" (client
//                                    coordinates) and "char C" (code) until closed
//   wintool run PROGRAM [ARGS...]    runs the program, waits for it, exits with its code
//   wintool hold                     stays on the desktop until killed: the system closes a
//                                    desktop a second after its last user is gone
//   wintool lock FILE                holds the file open with no sharing, as another program
//                                    may, so no one else can open it; prints "locked" once it
//                                    does and stays until killed
//   wintool share FILE               the same, sharing reading, writing and deleting (as sync
//                                    and backup tools do)
//
// "--desktop NAME" before the command works on that desktop instead of the default one (the
// test's private desktop; "run" starts the program there).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// A program's message box shares its title with the program's hidden application window,
// which may come first.
HWND FindVisible(const char* title) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExA(nullptr, wnd, nullptr, title)))
    if (IsWindowVisible(wnd)) return wnd;
  return nullptr;
}

int Wait(const char* title, DWORD timeout) {
  DWORD start = GetTickCount();
  HWND wnd;
  while (!(wnd = FindVisible(title))) {
    if (GetTickCount() - start > timeout) {
      std::fprintf(stderr, "wintool: no visible window \"%s\"\n", title);
      return 1;
    }
    Sleep(50);
  }
  RECT w, c;
  GetWindowRect(wnd, &w);
  GetClientRect(wnd, &c);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  std::printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", w.left, w.top, w.right - w.left, w.bottom - w.top,
              origin.x, origin.y, c.right, c.bottom);
  return 0;
}

BOOL CALLBACK FindUnpainted(HWND wnd, LPARAM found) {
  if (IsWindowVisible(wnd) && GetUpdateRect(wnd, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

bool Unpainted(HWND wnd) {
  bool found = !IsWindowVisible(wnd) || GetUpdateRect(wnd, nullptr, FALSE);
  if (!found) EnumChildWindows(wnd, FindUnpainted, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Painted(const char* title, DWORD timeout) {
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  for (;;) {
    if (GetTickCount() - start > timeout) {
      std::fprintf(stderr, "wintool: \"%s\" not painted\n", title);
      return 1;
    }
    HWND wnd = FindVisible(title);
    DWORD_PTR result;
    // Answering means the thread is back in its message loop, where paints come last.
    if (wnd && !Unpainted(wnd) && SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) &&
        !Unpainted(wnd))
      break;
    Sleep(1);
  }
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  std::printf("%.3f\n", static_cast<double>(ticks - 116444736000000000ULL) / 1e7);
  return 0;
}

HWND FindPreferVisible(const char* title) {
  HWND wnd = FindVisible(title);
  return wnd ? wnd : FindWindowA(nullptr, title);
}

int WithWindow(const char* title, void (*action)(HWND)) {
  HWND wnd = FindPreferVisible(title);
  if (!wnd) {
    std::fprintf(stderr, "wintool: no window \"%s\"\n", title);
    return 1;
  }
  action(wnd);
  return 0;
}

BOOL CALLBACK PrintText(HWND wnd, LPARAM) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(wnd)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), static_cast<int>(text.size()))));
  if (!text.empty()) std::printf("%s\n", text.c_str());
  return TRUE;
}

int Dismiss(const char* title) {
  HWND wnd = FindPreferVisible(title);
  if (!wnd) {
    std::fprintf(stderr, "wintool: no window \"%s\"\n", title);
    return 1;
  }
  PostMessageA(wnd, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(wnd)) {
    if (GetTickCount() - start > 10000) {
      std::fprintf(stderr, "wintool: \"%s\" stays\n", title);
      return 1;
    }
    Sleep(20);
  }
  return 0;
}

LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      std::printf("click %d %d\n", static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      std::fflush(stdout);
      return 0;
    case WM_CHAR:
      std::printf("char %u\n", static_cast<unsigned>(wparam));
      std::fflush(stdout);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(wnd, msg, wparam, lparam);
  }
}

int Probe() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "WintoolProbe";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, wc.lpszClassName, "wintool probe", WS_OVERLAPPEDWINDOW, 100, 100, 320, 240,
                             nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(wnd, SW_SHOW);
  SetForegroundWindow(wnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

// The command line from the `skip`th argument on, as the system gave it: wide, so that a
// program in a folder outside the code page is found.
std::wstring CommandLineFrom(int skip) {
  const wchar_t* c = GetCommandLineW();
  for (int i = 0; i < skip; ++i) {
    while (*c == L' ' || *c == L'\t') ++c;
    for (bool quoted = false; *c && (quoted || (*c != L' ' && *c != L'\t')); ++c)
      if (*c == L'"') quoted = !quoted;
  }
  while (*c == L' ' || *c == L'\t') ++c;
  return c;
}

int Run(int skip, char* desktop) {
  std::wstring command = CommandLineFrom(skip);
  std::wstring desktop_name =
      desktop ? std::wstring(desktop, desktop + std::strlen(desktop)) : std::wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.lpDesktop = desktop ? desktop_name.data() : nullptr;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "wintool: cannot start %ls (error %lu)\n", command.c_str(), GetLastError());
    return 127;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Skinned frames answer WM_NCHITTEST themselves, so where a title button lies is asked of the
// window, not of the system metrics. Only the band above the client area is scanned, on a
// 3-pixel grid (every question crosses processes).
int HitMap(const char* title) {
  HWND wnd = FindPreferVisible(title);
  if (!wnd) {
    std::fprintf(stderr, "wintool: no window \"%s\"\n", title);
    return 1;
  }
  RECT w;
  GetWindowRect(wnd, &w);
  POINT client{0, 0};
  ClientToScreen(wnd, &client);
  const long bottom = client.y > w.top && client.y <= w.bottom ? client.y : std::min(w.bottom, w.top + 40);
  std::map<long, RECT> parts;  // hit code -> bounding box of the grid points answering it
  for (long y = w.top + 1; y < bottom; y += 3)
    for (long x = w.left + 1; x < w.right; x += 3) {
      DWORD_PTR hit = 0;
      if (!SendMessageTimeoutA(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 5000, &hit)) return 1;
      const long code = static_cast<long>(static_cast<LRESULT>(hit));
      auto [part, added] = parts.try_emplace(code, RECT{x, y, x, y});
      RECT& r = part->second;
      r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x), std::max(r.bottom, y)};
    }
  for (const auto& [code, r] : parts)
    std::printf("%ld %ld %ld\n", code, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}

BOOL CALLBACK PrintPopup(HWND wnd, LPARAM) {
  char cls[16] = "";
  GetClassNameA(wnd, cls, sizeof cls);
  RECT r;
  if (!std::strcmp(cls, "#32768") && IsWindowVisible(wnd) && GetWindowRect(wnd, &r))
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return TRUE;
}

// Holds the file open until killed: alone (`lock`), or sharing reading, writing and deleting
// as sync and backup tools do (`share`).
int Hold(const char* file_name, DWORD sharing) {
  HANDLE file =
      CreateFileA(file_name, GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "wintool: cannot lock \"%s\" (error %lu)\n", file_name, GetLastError());
    return 1;
  }
  std::printf("locked\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  char* desktop = nullptr;
  if (argc >= 3 && !std::strcmp(argv[1], "--desktop")) {
    desktop = argv[2];
    HDESK handle = OpenDesktopA(desktop, 0, FALSE, GENERIC_ALL);
    if (!handle || !SetThreadDesktop(handle)) {
      std::fprintf(stderr, "wintool: no desktop \"%s\" (error %lu)\n", desktop, GetLastError());
      return 2;
    }
    argc -= 2;
    argv += 2;
  }
  if (argc >= 3 && !std::strcmp(argv[1], "run")) return Run(desktop ? 4 : 2, desktop);
  if (argc == 2 && !std::strcmp(argv[1], "hold")) {
    Sleep(INFINITE);
    return 0;
  }
  if (argc == 3 && !std::strcmp(argv[1], "lock")) return Hold(argv[2], 0);
  if (argc == 3 && !std::strcmp(argv[1], "share"))
    return Hold(argv[2], FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (argc >= 3 && !std::strcmp(argv[1], "wait"))
    return Wait(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10000);
  if (argc >= 3 && !std::strcmp(argv[1], "painted"))
    return Painted(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10000);
  if (argc == 3 && !std::strcmp(argv[1], "activate"))
    return WithWindow(argv[2], [](HWND w) { SetForegroundWindow(w); });
  if (argc == 3 && !std::strcmp(argv[1], "close"))
    return WithWindow(argv[2], [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); });
  if (argc == 3 && !std::strcmp(argv[1], "minimize"))
    return WithWindow(argv[2], [](HWND w) {
      DWORD_PTR result;
      SendMessageTimeoutA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 20000, &result);
    });
  if (argc == 3 && !std::strcmp(argv[1], "state"))
    return WithWindow(argv[2], [](HWND w) {
      std::printf("%s %s\n",
                  IsIconic(w)   ? "iconic"
                  : IsZoomed(w) ? "zoomed"
                                : "normal",
                  GetForegroundWindow() == w ? "foreground" : "background");
    });
  if (argc == 3 && !std::strcmp(argv[1], "sync"))
    return WithWindow(argv[2], [](HWND w) {
      for (int round = 0; round < 3; ++round) {
        DWORD_PTR result;
        SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
      }
    });
  if (argc == 3 && !std::strcmp(argv[1], "dismiss")) return Dismiss(argv[2]);
  if (argc == 3 && !std::strcmp(argv[1], "texts"))
    return WithWindow(argv[2], [](HWND w) {
      PrintText(w, 0);
      EnumChildWindows(w, PrintText, 0);
    });
  if (argc == 3 && !std::strcmp(argv[1], "hitmap")) return HitMap(argv[2]);
  if (argc == 2 && !std::strcmp(argv[1], "popups")) return !EnumWindows(PrintPopup, 0);
  if (argc == 2 && !std::strcmp(argv[1], "probe")) return Probe();
  std::fprintf(
      stderr,
      "usage: wintool [--desktop NAME] wait|activate|close|minimize|state|sync|dismiss|texts TITLE | "
      "painted TITLE [TIMEOUT_MS] | hitmap TITLE | popups | probe | run PROGRAM...\n");
  return 2;
}
