// Windows-side half of the GUI test helpers (tests/support/gui.sh): finds, activates and
// closes top-level windows by title, and offers a probe window that reports the input it
// receives, so the helpers themselves can be tested.
//
//   wintool wait TITLE [TIMEOUT_MS]  prints "X Y W H CX CY CW CH": window and client
//                                    rectangles in screen coordinates, once it is visible
//   wintool activate TITLE           brings the window to the foreground
//   wintool close TITLE              posts WM_CLOSE to it
//   wintool probe                    shows "wintool probe"; prints "click X Y" (client
//                                    coordinates) and "char C" (code) until closed
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND FindVisible(const char* title) {
  HWND wnd = FindWindowA(nullptr, title);
  return wnd && IsWindowVisible(wnd) ? wnd : nullptr;
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

int WithWindow(const char* title, void (*action)(HWND)) {
  HWND wnd = FindWindowA(nullptr, title);
  if (!wnd) {
    std::fprintf(stderr, "wintool: no window \"%s\"\n", title);
    return 1;
  }
  action(wnd);
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

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !std::strcmp(argv[1], "wait"))
    return Wait(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10000);
  if (argc == 3 && !std::strcmp(argv[1], "activate"))
    return WithWindow(argv[2], [](HWND w) { SetForegroundWindow(w); });
  if (argc == 3 && !std::strcmp(argv[1], "close"))
    return WithWindow(argv[2], [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); });
  if (argc == 2 && !std::strcmp(argv[1], "probe")) return Probe();
  std::fprintf(stderr, "usage: wintool wait|activate|close TITLE | wintool probe\n");
  return 2;
}
