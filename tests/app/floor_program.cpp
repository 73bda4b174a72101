// The floors the program's benchmarks are measured against: what the least Win32 program
// doing the same costs on this machine.
//
//   floor_program            one window, shown, and a message loop (the start-up floor)
//   floor_program heat       one window whose three 438 x 97 lane areas are repainted at
//                            100 Hz through a memory device context (the floor of a heat)
//
// Either ends when its window is closed.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char kClass[] = "DravolinFloor";
constexpr int kLanes = 3, kLaneWidth = 438, kLaneHeight = 97, kLaneGap = 51;
constexpr UINT_PTR kTimer = 1;

struct TLaneBuffer {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr, old = nullptr;
};
TLaneBuffer buffer;
HFONT font = nullptr;
DWORD started = 0;

RECT LaneRect(int lane) {
  const int top = 8 + lane * (kLaneHeight + kLaneGap);
  return {8, top, 8 + kLaneWidth, top + kLaneHeight};
}

// A running time drawn into the memory bitmap and copied to the window, as a lane shows it.
void PaintLane(HDC target, int lane, DWORD now) {
  const RECT area{0, 0, kLaneWidth, kLaneHeight};
  FillRect(buffer.dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  char text[32];
  const DWORD ms = now - started + 1000 * lane;
  std::snprintf(text, sizeof text, "%lu:%02lu.%03lu", ms / 60000, ms / 1000 % 60, ms % 1000);
  SetBkMode(buffer.dc, TRANSPARENT);
  SetTextColor(buffer.dc, RGB(255, 64, 0));
  HGDIOBJ old_font = SelectObject(buffer.dc, font);
  RECT text_area = area;
  DrawTextA(buffer.dc, text, -1, &text_area, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  SelectObject(buffer.dc, old_font);
  const RECT to = LaneRect(lane);
  BitBlt(target, to.left, to.top, kLaneWidth, kLaneHeight, buffer.dc, 0, 0, SRCCOPY);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const DWORD now = GetTickCount();
  for (int lane = 0; lane < kLanes; ++lane) {
    const RECT to = LaneRect(lane);
    RECT common;
    if (buffer.dc && IntersectRect(&common, &to, &ps.rcPaint)) PaintLane(dc, lane, now);
  }
  EndPaint(window, &ps);
}

void Tick(HWND window) {
  for (int lane = 0; lane < kLanes; ++lane) {
    const RECT area = LaneRect(lane);
    InvalidateRect(window, &area, FALSE);
  }
}

void StartHeat(HWND window) {
  HDC screen = GetDC(window);
  buffer.dc = CreateCompatibleDC(screen);
  buffer.bitmap = CreateCompatibleBitmap(screen, kLaneWidth, kLaneHeight);
  ReleaseDC(window, screen);
  buffer.old = static_cast<HBITMAP>(SelectObject(buffer.dc, buffer.bitmap));
  font = CreateFontA(-72, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  started = GetTickCount();
  SetTimer(window, kTimer, 10, nullptr);
}

void EndHeat() {
  if (!buffer.dc) return;
  SelectObject(buffer.dc, buffer.old);
  DeleteObject(buffer.bitmap);
  DeleteDC(buffer.dc);
  DeleteObject(font);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_TIMER: Tick(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

// A windows program like the one it is the floor of: no console.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const bool heat = __argc > 1 && !std::strcmp(__argv[1], "heat");
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = FloorProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClass;
  RegisterClassA(&window_class);
  HWND window = CreateWindowA(kClass, heat ? "Dravolin heat floor" : "Dravolin start-up floor",
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 470, 500, nullptr, nullptr,
                              window_class.hInstance, nullptr);
  if (!window) return 1;
  if (heat) StartHeat(window);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EndHeat();
  return 0;
}
