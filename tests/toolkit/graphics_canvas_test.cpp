// Fonts, pens, brushes and the canvas on bitmaps and on foreign device contexts.
#include <gtest/gtest.h>

#include <thread>

#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/graphics.h"
#include "toolkit/typinfo.h"

using namespace graphics_test;

namespace {

int MeasuredPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi;
}

class ChangeCounter : public TObject {
 public:
  void Count(TObject*) { ++count; }
  int count = 0;
};

TEST(FontObject, SizeAndHeightConvertAtTheMeasuredScreenResolution) {
  const int ppi = MeasuredPixelsPerInch();
  auto font = Make<TFont>();
  EXPECT_EQ(font->GetName(), "MS Sans Serif");
  EXPECT_EQ(font->GetHeight(), -MulDiv(8, ppi, 72));
  EXPECT_EQ(font->GetSize(), 8);

  font->SetName("Tahoma");
  font->SetSize(24);
  EXPECT_EQ(font->GetHeight(), -MulDiv(24, ppi, 72));
  font->SetHeight(-40);
  EXPECT_EQ(font->GetSize(), MulDiv(40, 72, ppi));

  // The handle is made with that height, and a negative height is the character height.
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(font->GetHandle(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -40);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->GetHandle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 40);
}

TEST(FontObject, SettersNotifyOnlyRealChangesAndTheHandleFollows) {
  auto font = Make<TFont>();
  ChangeCounter counter;
  font->OnChange = TNotifyEvent(&counter, &ChangeCounter::Count);
  font->SetName(font->GetName());
  font->SetHeight(font->GetHeight());
  font->SetStyle(font->GetStyle());
  font->SetColor(font->GetColor());
  EXPECT_EQ(counter.count, 0);

  font->SetStyle({fsBold, fsItalic});
  font->SetColor(clRed);
  font->SetCharset(ANSI_CHARSET);
  EXPECT_EQ(counter.count, 3);
  LOGFONTA lf{};
  GetObjectA(font->GetHandle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);

  auto copy = Make<TFont>();
  copy->Assign(font.get());
  EXPECT_EQ(copy->GetStyle(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(copy->GetColor(), clRed);
  EXPECT_EQ(copy->GetHeight(), font->GetHeight());
}

TEST(FontObject, AssigningAFontOfAnotherColourOnlyKeepsTheHandle) {
  // A label takes its control's font and writes in colours of its own: a new font for that on
  // every paint cost a font made and realised per frame.
  auto source = Make<TFont>();
  source->SetName("Arial");
  source->SetHeight(-19);
  auto target = Make<TFont>();
  target->Assign(source.get());
  HGDIOBJ handle = target->GetHandle();
  ChangeCounter counter;
  target->OnChange = TNotifyEvent(&counter, &ChangeCounter::Count);
  target->SetColor(clLime);
  target->Assign(source.get());
  EXPECT_EQ(target->GetColor(), source->GetColor());
  EXPECT_EQ(counter.count, 2);  // listeners still hear of each colour
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(target->GetHandle(), handle);

  // Any part of the face is a new font.
  source->SetStyle({fsBold});
  target->Assign(source.get());
  EXPECT_EQ(GetObjectType(handle), 0u);
  LOGFONTA lf{};
  GetObjectA(target->GetHandle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

TEST(FontObject, PublishesTheStoredPropertiesForFormDefinitions) {
  auto font = Make<TFont>();
  for (const char* name : {"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"})
    EXPECT_NE(GetPropInfo(font.get(), name), nullptr) << name;
  SetStrProp(font.get(), "Name", "Tahoma");
  SetOrdProp(font.get(), "Height", -13);
  EXPECT_EQ(font->GetName(), "Tahoma");
  EXPECT_EQ(font->GetHeight(), -13);
  auto pen = Make<TPen>();
  auto brush = Make<TBrush>();
  EXPECT_NE(GetPropInfo(pen.get(), "Mode"), nullptr);
  EXPECT_NE(GetPropInfo(brush.get(), "Style"), nullptr);
}

TEST(PenAndBrush, XorPenDrawnTwiceRestoresThePixels) {
  auto bitmap = Filled(20, 20, 0x336699);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetPen()->SetMode(pmXor);
  canvas->GetPen()->SetColor(clWhite);
  canvas->MoveTo(0, 10);
  canvas->LineTo(20, 10);
  EXPECT_EQ(bitmap->GetPixelColor(5, 10), 0x336699 ^ 0xFFFFFF);
  canvas->MoveTo(0, 10);
  canvas->LineTo(20, 10);
  EXPECT_EQ(ChangedArea(*bitmap, 0x336699).right, 0);
}

TEST(PenAndBrush, ClearStylesDrawNothingAndPatternsRepeat) {
  auto bitmap = Filled(16, 16, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetPen()->SetStyle(psClear);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->Rectangle(2, 2, 14, 14);
  EXPECT_EQ(ChangedArea(*bitmap, clWhite).right, 0);

  // The pattern is the brush's own copy: the caller's bitmap may go first.
  auto checker = Filled(2, 2, clBlack);
  checker->GetCanvas()->SetPixels(0, 0, clRed);
  checker->GetCanvas()->SetPixels(1, 1, clRed);
  canvas->GetBrush()->SetBitmap(checker.get());
  checker.reset();
  canvas->FillRect(RECT{0, 0, 16, 16});
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(bitmap->GetPixelColor(x, y), (x + y) % 2 ? clBlack : clRed) << x << "," << y;
}

TEST(CanvasDrawing, ForeignDeviceContextGetsItsOwnObjectsBack) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, 32, 32);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old_surface = SelectObject(dc, surface);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), pen = GetCurrentObject(dc, OBJ_PEN),
          brush = GetCurrentObject(dc, OBJ_BRUSH);
  {
    auto canvas = Make<TCanvas>();
    canvas->SetHandle(dc);
    canvas->TextOut(0, 0, "x");
    canvas->Rectangle(0, 0, 10, 10);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas->GetFont()->GetHandle());
    canvas->Refresh();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    canvas->Ellipse(0, 0, 10, 10);
    EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), pen);
  }  // freed while bound
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  SelectObject(dc, old_surface);
  DeleteObject(surface);
  DeleteDC(dc);
}

TEST(CanvasDrawing, WithoutADeviceContextItRefusesToDraw) {
  auto canvas = Make<TCanvas>();
  EXPECT_THROW(canvas->GetHandle(), EInvalidGraphicOperation);
  EXPECT_THROW(canvas->LineTo(1, 1), EInvalidGraphicOperation);
}

TEST(CanvasDrawing, ShapesFillWithTheBrushAndOutlineWithThePen) {
  auto bitmap = Filled(40, 40, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetPen()->SetColor(clBlue);
  canvas->GetBrush()->SetColor(clLime);
  canvas->Rectangle(2, 2, 12, 12);
  EXPECT_EQ(bitmap->GetPixelColor(2, 2), clBlue);
  EXPECT_EQ(bitmap->GetPixelColor(11, 11), clBlue);
  EXPECT_EQ(bitmap->GetPixelColor(6, 6), clLime);
  EXPECT_EQ(bitmap->GetPixelColor(12, 12), clWhite);  // right and bottom are exclusive

  canvas->Ellipse(20, 20, 40, 40);
  EXPECT_EQ(bitmap->GetPixelColor(30, 30), clLime);
  EXPECT_EQ(bitmap->GetPixelColor(20, 20), clWhite);  // outside the ellipse

  const POINT triangle[] = {{20, 2}, {38, 2}, {20, 18}};
  canvas->Polygon(triangle);
  EXPECT_EQ(bitmap->GetPixelColor(23, 5), clLime);
  EXPECT_EQ(bitmap->GetPixelColor(36, 16), clWhite);

  canvas->GetBrush()->SetColor(clRed);
  canvas->FrameRect(RECT{2, 20, 12, 30});
  EXPECT_EQ(bitmap->GetPixelColor(2, 25), clRed);
  EXPECT_EQ(bitmap->GetPixelColor(6, 25), clWhite);

  canvas->MoveTo(1, 35);
  canvas->LineTo(15, 35);
  EXPECT_EQ(canvas->GetPenPos().x, 15);
  EXPECT_EQ(bitmap->GetPixelColor(5, 35), clBlue);
  EXPECT_EQ(canvas->GetPixels(100, 100), clNone);
}

TEST(CanvasDrawing, FocusRectangleDrawnTwiceDisappears) {
  auto bitmap = Filled(20, 20, 0x808040);
  bitmap->GetCanvas()->DrawFocusRect(RECT{2, 2, 18, 18});
  EXPECT_NE(ChangedArea(*bitmap, 0x808040).right, 0);
  bitmap->GetCanvas()->DrawFocusRect(RECT{2, 2, 18, 18});
  EXPECT_EQ(ChangedArea(*bitmap, 0x808040).right, 0);
}

TEST(CanvasText, TextChangesPixelsOnlyInsideItsExtent) {
  for (TBrushStyle style : {bsClear, bsSolid}) {
    auto bitmap = Filled(120, 40, clWhite);
    TCanvas* canvas = bitmap->GetCanvas();
    canvas->GetFont()->SetColor(clBlack);
    canvas->GetBrush()->SetStyle(style);
    canvas->GetBrush()->SetColor(clYellow);
    SIZE extent = canvas->TextExtent("Hgjy|");
    ASSERT_GT(extent.cx, 0);
    ASSERT_GT(extent.cy, 0);
    canvas->TextOut(7, 5, "Hgjy|");
    RECT changed = ChangedArea(*bitmap, clWhite);
    RECT bounds{7, 5, 7 + extent.cx, 5 + extent.cy};
    EXPECT_GT(changed.right, changed.left) << "nothing drawn";
    EXPECT_TRUE(Inside(changed, bounds))
        << changed.left << "," << changed.top << "," << changed.right << "," << changed.bottom;
    if (style == bsSolid) {
      EXPECT_EQ(changed.right - changed.left, extent.cx);  // background filled
    }
    EXPECT_EQ(canvas->GetPenPos().x, 7 + extent.cx);
  }
}

TEST(CanvasText, TextRectClipsAndFillsItsRectangle) {
  auto bitmap = Filled(100, 40, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetFont()->SetColor(clBlack);
  canvas->GetBrush()->SetColor(clAqua);
  RECT box{10, 10, 30, 22};
  canvas->TextRect(box, 5, 5, "A rather long text");
  EXPECT_EQ(ChangedArea(*bitmap, clWhite).left, 10);
  EXPECT_TRUE(Inside(ChangedArea(*bitmap, clWhite), box));
  EXPECT_EQ(bitmap->GetPixelColor(29, 21), clAqua);
}

TEST(CanvasDrawing, CopyRectUsesTheCopyModeAndStretches) {
  auto source = Filled(4, 4, clRed);
  source->GetCanvas()->SetPixels(0, 0, clBlue);
  auto target = Filled(8, 8, clWhite);
  target->GetCanvas()->CopyRect(RECT{0, 0, 8, 8}, source->GetCanvas(), RECT{0, 0, 4, 4});
  EXPECT_EQ(target->GetPixelColor(1, 1), clBlue);  // 2 x 2 pixels per source pixel
  EXPECT_EQ(target->GetPixelColor(2, 2), clRed);
  target->GetCanvas()->SetCopyMode(cmNotSrcCopy);
  target->GetCanvas()->CopyRect(RECT{0, 0, 4, 4}, source->GetCanvas(), RECT{0, 0, 4, 4});
  EXPECT_EQ(target->GetPixelColor(0, 0), clBlue ^ 0xFFFFFF);
  EXPECT_EQ(target->GetPixelColor(3, 3), clRed ^ 0xFFFFFF);
}

TEST(CanvasDrawing, TransparentBitmapsLeaveTheirKeyColourOut) {
  auto sprite = Filled(4, 4, clFuchsia);
  sprite->GetCanvas()->SetPixels(1, 1, clLime);
  sprite->SetTransparent(true);
  EXPECT_EQ(sprite->GetTransparentColor(), clFuchsia);  // the bottom-left pixel
  auto target = Filled(10, 10, clNavy);
  target->GetCanvas()->Draw(2, 2, sprite.get());
  EXPECT_EQ(target->GetPixelColor(3, 3), clLime);
  EXPECT_EQ(target->GetPixelColor(2, 2), clNavy);
  target->GetCanvas()->StretchDraw(RECT{0, 0, 8, 8}, sprite.get());
  EXPECT_EQ(target->GetPixelColor(2, 2), clLime);
  EXPECT_EQ(target->GetPixelColor(3, 3), clLime);
  EXPECT_EQ(target->GetPixelColor(5, 5), clNavy);

  sprite->SetTransparent(false);
  target->GetCanvas()->Draw(0, 0, sprite.get());
  EXPECT_EQ(target->GetPixelColor(0, 0), clFuchsia);

  // A two-colour bitmap keeps its own colours whatever the target's text colours are.
  sprite->SetPixelFormat(pf1bit);
  target->GetCanvas()->GetFont()->SetColor(clYellow);
  target->GetCanvas()->TextOut(0, 0, " ");
  target->GetCanvas()->Draw(0, 0, sprite.get());
  EXPECT_EQ(target->GetPixelColor(0, 0), clFuchsia);
  EXPECT_EQ(target->GetPixelColor(1, 1), clLime);
}

TEST(CanvasDrawing, ClipRectAndChangeEvents) {
  auto bitmap = Filled(30, 20, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  RECT clip = canvas->GetClipRect();
  EXPECT_EQ(clip.right, 30);
  EXPECT_EQ(clip.bottom, 20);
  ChangeCounter counter;
  canvas->OnChange = TNotifyEvent(&counter, &ChangeCounter::Count);
  canvas->FillRect(RECT{0, 0, 1, 1});
  canvas->TextOut(0, 0, "a");
  canvas->TextExtent("a");
  EXPECT_EQ(counter.count, 2);
}

TEST(CanvasDrawing, LockKeepsOtherThreadsOut) {
  auto canvas = Make<TCanvas>();
  canvas->Lock();
  canvas->Lock();
  EXPECT_EQ(canvas->GetLockCount(), 2);
  bool other_got_it = true;
  std::thread([&] { other_got_it = canvas->TryLock(); }).join();
  EXPECT_FALSE(other_got_it);
  canvas->Unlock();
  canvas->Unlock();
  std::thread([&] {
    other_got_it = canvas->TryLock();
    if (other_got_it) canvas->Unlock();
  }).join();
  EXPECT_TRUE(other_got_it);
}

// Wine does not count GDI objects per process (GetGuiResources answers 0), so the check uses
// the graphics classes' own count, which only drops when the system really deleted an object,
// and GetObjectType on the handles seen, which must all be gone.
TEST(GdiHandles, ThousandCanvasesFontsAndBitmapsLeaveNothingBehind) {
  const DWORD system_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const int before = GraphicsObjectsInUse();
  HDC dc = CreateCompatibleDC(nullptr);
  std::vector<HGDIOBJ> seen;
  for (int i = 0; i < 1000; ++i) {
    auto font = Make<TFont>();
    font->SetSize(8 + i % 5);
    seen.push_back(font->GetHandle());
    auto bitmap = Filled(16, 16, clWhite, i % 2 ? pf24bit : pf4bit);
    TCanvas* canvas = bitmap->GetCanvas();
    canvas->SetFont(font.get());
    canvas->TextOut(0, 0, "Ag");
    canvas->GetFont()->SetStyle({fsBold});  // changed while selected
    canvas->TextOut(0, 0, "Ag");
    canvas->GetPen()->SetWidth(2);
    canvas->Ellipse(0, 0, 10, 10);
    seen.push_back(canvas->GetHandle());
    seen.push_back(bitmap->GetHandle());
    auto foreign = Make<TCanvas>();
    foreign->SetHandle(dc);
    foreign->GetBrush()->SetColor(static_cast<TColor>(i));
    foreign->Rectangle(0, 0, 4, 4);
    foreign->Draw(0, 0, bitmap.get());
  }
  DeleteDC(dc);
  EXPECT_EQ(GraphicsObjectsInUse(), before);
  int alive = 0;
  for (HGDIOBJ object : seen) alive += GetObjectType(object) != 0;
  EXPECT_EQ(alive, 0);
  if (system_before != 0) {
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), system_before);
  }
}

}  // namespace
