// Controls as the program shows them (common controls 6 and the desktop's theme, through the
// program's manifest): what the window shows on the screen after focus and drop-down changes,
// read back from the window and compared with what the control paints.
#include <gtest/gtest.h>

#include "stdctrls_test_support.h"
#include "toolkit/bitmap.h"

namespace {

// Runs the loop until no window of this thread waits to be painted.
void PumpPaints() {
  MSG msg{};
  PumpUntil([&] { return !PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE); });
  GdiFlush();
}

// The client area as the window shows it now (read from the window, not painted anew).
TBitmap* ShownPicture(TWinControl* control) {
  RECT client = control->GetClientRect();
  TBitmap* picture = New<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(client.right, client.bottom);
  HDC dc = GetDC(control->GetHandle());
  BitBlt(picture->GetCanvas()->GetHandle(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(control->GetHandle(), dc);
  GdiFlush();
  return picture;
}

// How many pixels of the client area the window shows other than the control paints them.
int StalePixels(TWinControl* control) {
  TBitmap* shown = ShownPicture(control);
  TBitmap* painted = PictureOf(control);
  RECT client = control->GetClientRect();
  int stale = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x)
      stale += shown->GetPixelColor(x, y) != PixelAt(painted, control, x, y);
  Free(shown);
  Free(painted);
  return stale;
}

using ThemedSpinEditTest = StdCtrlsTest;

// The themed edit draws its frame across the whole window when the focus comes or goes, the
// arrows' window included; the arrows must come back.
TEST_F(ThemedSpinEditTest, ArrowsStayDrawnWhenTheFocusMovesToAComboBoxAndItsListOpensAndCloses) {
  auto* spin = Add<TSpinEdit>("sp", {10, 10, 90, 32});
  auto* combo = Add<TComboBox>("cb", {10, 40, 178, 61});
  for (const char* item : {"Serie", "Offen", "Damen"}) combo->GetItems()->Add(item);
  ShowActive();
  spin->SetFocus();
  PumpPaints();
  TUpDown* arrows = spin->GetButton();
  ASSERT_EQ(StalePixels(arrows), 0);

  combo->SetFocus();
  PumpPaints();
  EXPECT_EQ(StalePixels(arrows), 0) << "focus left the spin edit";
  SendMessageA(combo->GetHandle(), CB_SHOWDROPDOWN, TRUE, 0);
  PumpPaints();
  SendMessageA(combo->GetHandle(), CB_SHOWDROPDOWN, FALSE, 0);
  PumpPaints();
  EXPECT_EQ(StalePixels(arrows), 0) << "the list opened and closed";
  spin->SetFocus();
  PumpPaints();
  EXPECT_EQ(StalePixels(arrows), 0) << "focus came back";
}

}  // namespace
