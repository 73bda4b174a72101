// TBitmap32: storage and its GDI side, notifications, the stored "Data" stream, assignment
// with the toolkit's bitmaps, frames, text and the transfers through the bitmap.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "bitmap32/bitmap32.h"
#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/metafile.h"
#include "toolkit/picture.h"
#include "toolkit/typinfo.h"

// A component that stores a bitmap, as the image control will.
class TBitmapHolder : public TComponent {
  TK_CLASS(TBitmapHolder, TComponent)

 public:
  explicit TBitmapHolder(TComponent* owner) : TComponent(owner), bitmap_(New<TBitmap32>()) {}
  ~TBitmapHolder() override { Free(bitmap_); }
  TBitmap32* GetBitmap() const { return bitmap_; }
  void SetBitmap(TBitmap32* bitmap) { bitmap_->Assign(bitmap); }

 private:
  static void Publish(TPublisher<TBitmapHolder>& p) {
    p.Object("Bitmap", &TBitmapHolder::GetBitmap, &TBitmapHolder::SetBitmap);
  }
  TBitmap32* bitmap_;
};
TK_CLASS_INFO(TBitmapHolder, TComponent)

namespace {

struct FreeDeleter {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;
template <class T>
Owned<T> Make() {
  return Owned<T>(New<T>());
}

Owned<TBitmap32> Sized(int w, int h, TColor32 fill) {
  auto b = Make<TBitmap32>();
  b->SetSize(w, h);
  b->Clear(fill);
  return b;
}

// Counts the notifications of a bitmap.
class Listener : public TObject {
  TK_CLASS(Listener, TObject)

 public:
  void Changed(TObject*) { ++changes; }
  void Resized(TObject*) { ++resizes; }
  void Attach(TBitmap32& b) {
    b.OnChange = TNotifyEvent(this, &Listener::Changed);
    b.OnResize = TNotifyEvent(this, &Listener::Resized);
  }
  int changes = 0;
  int resizes = 0;
};
TK_ABSTRACT_CLASS_INFO(Listener, TObject)

std::string DataOf(std::initializer_list<uint32_t> words) {
  std::string bytes(words.size() * 4, '\0');
  size_t i = 0;
  for (uint32_t w : words) std::memcpy(&bytes[4 * i++], &w, 4);
  return bytes;
}

// ---- Storage ------------------------------------------------------------------------------------

TEST(Bitmap32Storage, SizeMakesATopDownSectionWithItsOwnDC) {
  auto b = Make<TBitmap32>();
  EXPECT_TRUE(b->Empty());
  b->SetSize(7, 3);
  ASSERT_FALSE(b->Empty());
  EXPECT_NE(b->GetHandle(), nullptr);
  EXPECT_EQ(b->GetBitmapInfo().bmiHeader.biHeight, -3);
  EXPECT_EQ(b->RowAddress(2), b->GetBits() + 14);
  EXPECT_EQ(b->PixelAddress(1, 2), b->GetBits() + 15);
  // GDI draws on the same pixels: row 0 is the top row, no padding.
  b->Clear(0);
  SetPixel(b->GetHandle(), 6, 0, RGB(0x11, 0x22, 0x33));
  GdiFlush();
  EXPECT_EQ(b->GetPixel(6, 0) & 0x00FFFFFF, 0x112233u);
  b->SetSize(-5, 10);
  EXPECT_EQ(b->GetWidth(), 0);
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(b->GetHandle(), nullptr);
}

TEST(Bitmap32Storage, NotificationsFollowChangesAndUpdates) {
  auto b = Make<TBitmap32>();
  auto listener = Make<Listener>();
  listener->Attach(*b);
  b->Clear(0xFF000000);  // empty: nothing
  EXPECT_EQ(listener->changes, 0);
  b->DrawText(RECT{0, 0, 20, 10}, 0, "A");  // empty: nothing drawn, but a change all the same
  EXPECT_EQ(listener->changes, 1);
  b->SetSize(2, 2);
  EXPECT_EQ(listener->changes, 2);
  EXPECT_EQ(listener->resizes, 1);
  b->SetSize(2, 2);
  EXPECT_EQ(listener->resizes, 1);
  b->BeginUpdate();
  b->Clear(0);
  b->SetMasterAlpha(255);  // unchanged value: no notification either way
  b->SetMasterAlpha(256);  // taken as 255: unchanged too
  b->EndUpdate();
  EXPECT_EQ(listener->changes, 2);
  EXPECT_EQ(b->GetMasterAlpha(), 255u);
  b->SetMasterAlpha(100);
  b->SetStretchFilter(sfSpline);
  b->SetDrawMode(dmBlend);
  EXPECT_EQ(listener->changes, 5);
  EXPECT_THROW(b->EndUpdate(), EAssertionFailed);
  EXPECT_EQ(b->GetUpdateCount(), 0);
  b->Clear(0);
  EXPECT_EQ(listener->changes, 6);
}

TEST(Bitmap32Storage, DestructionReportsNothingToItsOwner) {
  auto listener = Make<Listener>();
  {
    auto b = Sized(3, 3, 0);
    listener->Attach(*b);
  }
  EXPECT_EQ(listener->changes, 0);
  EXPECT_EQ(listener->resizes, 0);
}

TEST(Bitmap32Storage, NoGdiObjectOutlivesTheBitmap) {
  const int before = GraphicsObjectsInUse();
  {
    auto b = Sized(20, 10, 0);
    b->GetCanvas()->FillRect(RECT{0, 0, 5, 5});
    b->DrawText(RECT{0, 0, 20, 10}, DT_LEFT, "Ag");
    b->SetSize(5, 5);
  }
  EXPECT_EQ(GraphicsObjectsInUse(), before);
}

// ---- Drawing ------------------------------------------------------------------------------------

TEST(Bitmap32Drawing, FillRectAndLinesClipToTheBitmap) {
  auto b = Sized(5, 4, 0xFF000000);
  b->FillRect(-3, 2, 2, 9, 0xFF0000FF);
  EXPECT_EQ(b->GetPixel(0, 3), 0xFF0000FFu);
  EXPECT_EQ(b->GetPixel(1, 2), 0xFF0000FFu);
  EXPECT_EQ(b->GetPixel(2, 2), 0xFF000000u);
  EXPECT_EQ(b->GetPixel(0, 1), 0xFF000000u);
  b->Clear(0xFF000000);
  b->HorzLineBlend(9, 1, -4, 0xFFFFFFFF);  // reversed and beyond both ends
  b->VertLineBlend(4, -2, 1, 0xFF00FF00);
  b->HorzLineBlend(0, 4, 4, 0xFFFFFFFF);  // a row outside: nothing
  for (int x = 0; x < 5; ++x) EXPECT_EQ(b->GetPixel(x, 1), x == 4 ? 0xFF00FF00u : 0xFFFFFFFFu) << x;
  EXPECT_EQ(b->GetPixel(4, 0), 0xFF00FF00u);
  EXPECT_EQ(b->GetPixel(4, 2), 0xFF000000u);
  EXPECT_EQ(b->GetPixelS(9, 9), 0u);
  b->SetOuterColor(0x12345678);
  EXPECT_EQ(b->GetPixelS(-1, 0), 0x12345678u);
}

TEST(Bitmap32Drawing, RaiseFrameLightensTopLeftAndDarkensBottomRight) {
  InitBlending();
  const bool previous = MultimediaInUse();
  for (bool multimedia : {false, true}) {
    SelectBlendVariants(multimedia);
    const TColor32 base = 0xFF406080;
    auto b = Sized(10, 10, base);
    b->RaiseFrame(RECT{0, 0, 10, 10}, 20);
    const TColor32 light = BlendColors(0x66FFFFFF, base), dark = BlendColors(0x33000000, base);
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(b->GetPixel(i, 0), light) << i;
      EXPECT_EQ(b->GetPixel(i, 9), dark) << i;
    }
    for (int i = 1; i < 9; ++i) {
      EXPECT_EQ(b->GetPixel(0, i), light) << i;
      EXPECT_EQ(b->GetPixel(9, i), dark) << i;
      EXPECT_EQ(b->GetPixel(5, i), base) << i;
    }
    b->Clear(base);
    b->RaiseFrame(RECT{0, 0, 10, 10}, -60);  // sunken: black on top at 153, white below at 255
    EXPECT_EQ(b->GetPixel(3, 0), BlendColors(0x99000000, base));
    EXPECT_EQ(b->GetPixel(3, 9), 0xFFFFFFFFu);
    // Past the percent range the edges are simply opaque, however large the number.
    for (int contrast : {5000000, INT_MAX, -5000000, INT_MIN}) {
      b->Clear(base);
      b->RaiseFrame(RECT{0, 0, 10, 10}, contrast);
      EXPECT_EQ(b->GetPixel(3, 0), contrast > 0 ? 0xFFFFFFFFu : 0xFF000000u) << contrast;
      EXPECT_EQ(b->GetPixel(3, 9), contrast > 0 ? 0xFF000000u : 0xFFFFFFFFu) << contrast;
    }
  }
  SelectBlendVariants(previous);
}

TEST(Bitmap32Drawing, TextGoesIntoThePixelsInTheFontColour) {
  auto b = Sized(60, 20, 0xFFFFFFFF);
  b->GetFont()->SetColor(0x0000FF);  // red
  b->GetFont()->SetHeight(-14);
  const SIZE extent = b->TextExtent("WW");
  EXPECT_GT(extent.cx, 10);
  EXPECT_GT(extent.cy, 10);
  b->DrawText(RECT{0, 0, 60, 20}, DT_LEFT | DT_TOP | DT_SINGLELINE, "WW");
  int red = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) red += (b->GetPixel(x, y) & 0x00FFFFFF) == 0xFF0000;
  EXPECT_GT(red, 10);
  // Without a device context the text is measured elsewhere, in the same font.
  auto empty = Make<TBitmap32>();
  empty->GetFont()->Assign(b->GetFont());
  EXPECT_EQ(empty->TextExtent("WW").cx, extent.cx);
  // A font change takes effect on the next text.
  b->GetFont()->SetHeight(-28);
  EXPECT_GT(b->TextExtent("WW").cx, extent.cx);
}

TEST(Bitmap32Drawing, ANewTextColourKeepsTheFontSelectedAndANewFaceLetsItGo) {
  // A label writes shadow and text in two colours on every paint: each colour reselected the
  // same font, which Wine looks up anew each time.
  auto b = Make<TBitmap32>();
  b->SetSize(60, 20);
  b->GetFont()->SetHeight(-14);
  b->DrawText(RECT{0, 0, 60, 20}, 0, "A");
  HGDIOBJ font = b->GetFont()->GetHandle();
  EXPECT_EQ(GetCurrentObject(b->GetHandle(), OBJ_FONT), font);
  b->GetFont()->SetColor(clRed);
  EXPECT_EQ(GetCurrentObject(b->GetHandle(), OBJ_FONT), font);
  // Another face frees the old handle: the bitmap's device context must not hold it.
  b->GetFont()->SetHeight(-28);
  EXPECT_NE(GetCurrentObject(b->GetHandle(), OBJ_FONT), font);
  EXPECT_EQ(GetObjectType(font), 0u);
  b->DrawText(RECT{0, 0, 60, 20}, 0, "A");
  EXPECT_EQ(GetCurrentObject(b->GetHandle(), OBJ_FONT), b->GetFont()->GetHandle());
}

TEST(Bitmap32Drawing, CanvasDrawsOnTheSamePixels) {
  auto b = Sized(8, 8, 0);
  auto listener = Make<Listener>();
  listener->Attach(*b);
  b->GetCanvas()->GetBrush()->SetColor(0x00FF00);
  b->GetCanvas()->FillRect(RECT{2, 2, 4, 4});
  EXPECT_EQ(b->GetPixel(3, 3) & 0x00FFFFFF, 0x00FF00u);
  EXPECT_EQ(b->GetPixel(4, 4), 0u);
  EXPECT_GT(listener->changes, 0);
}

TEST(Bitmap32Drawing, DrawToCopiesOneToOne) {
  auto b = Sized(3, 2, 0xFF0000FF);
  b->SetPixel(2, 1, 0xFFFF0000);
  auto target = Make<TBitmap>();
  target->SetPixelFormat(pf24bit);
  target->SetSize(5, 5);
  b->DrawTo(target->GetCanvas()->GetHandle(), 1, 1);
  EXPECT_EQ(target->GetPixelColor(1, 1), static_cast<TColor>(0xFF0000));  // blue as $00BBGGRR
  EXPECT_EQ(target->GetPixelColor(3, 2), static_cast<TColor>(0x0000FF));
  EXPECT_EQ(target->GetPixelColor(4, 4), static_cast<TColor>(0));
}

TEST(Bitmap32Drawing, DrawScalesTheSourceWithItsFilterAndMode) {
  auto src = Sized(2, 2, 0x80FFFFFF);
  auto dst = Sized(4, 4, 0xFF000000);
  src->SetDrawMode(dmBlend);
  dst->Draw(RECT{0, 0, 4, 4}, src.get());
  EXPECT_EQ(dst->GetPixel(3, 3), BlendColors(0x80FFFFFF, 0xFF000000));
  src->SetMasterAlpha(0);
  dst->Clear(0xFF000000);
  dst->Draw(0, 0, src.get());
  EXPECT_EQ(dst->GetPixel(0, 0), 0xFF000000u);
}

TEST(Bitmap32Transfer, ErrorsAndTheSilentEmptySource) {
  auto src = Sized(4, 4, 0xFFFFFFFF);
  auto dst = Sized(4, 4, 0);
  auto empty = Make<TBitmap32>();
  const RECT r{0, 0, 4, 4};
  EXPECT_NO_THROW(StretchTransfer(nullptr, r, r, empty.get(), r, sfSpline, dmOpaque, nullptr));
  try {
    StretchTransfer(empty.get(), r, r, src.get(), r, sfSpline, dmOpaque, nullptr);
    ADD_FAILURE();
  } catch (const ETransformError& e) {
    EXPECT_EQ(e.Message(), "Destination bitmap is nil or empty");
  }
  try {
    StretchTransfer(dst.get(), r, r, nullptr, r, sfSpline, dmOpaque, nullptr);
    ADD_FAILURE();
  } catch (const ETransformError& e) {
    EXPECT_EQ(e.Message(), "Source bitmap is nil or empty");
  }
  try {
    StretchTransfer(dst.get(), RECT{0, 0, 8, 8}, r, src.get(), RECT{0, 0, 5, 4}, sfSpline, dmOpaque, nullptr);
    ADD_FAILURE();
  } catch (const ETransformError& e) {
    EXPECT_EQ(e.Message(), "Source rectangle is invalid");
  }
  EXPECT_EQ(dst->GetPixel(0, 0), 0u);
}

// A bitmap drawn onto itself (moved, or a part of it enlarged) reads its pixels as they were
// before the draw, whichever rows and columns the draw has written already.
TEST(Bitmap32Transfer, ABitmapDrawnOntoItselfReadsItsPixelsAsTheyWere) {
  auto numbered = [] {
    auto b = Sized(4, 4, 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) b->SetPixel(x, y, 0xFF000000u | (y << 8) | x);
    return b;
  };
  auto moved = numbered();
  moved->Draw(1, 1, moved.get());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const TColor32 expected =
          x == 0 || y == 0 ? 0xFF000000u | (y << 8) | x : 0xFF000000u | ((y - 1) << 8) | (x - 1);
      EXPECT_EQ(moved->GetPixel(x, y), expected) << x << "," << y;
    }
  auto enlarged = numbered();
  enlarged->Draw(RECT{0, 0, 4, 4}, RECT{0, 0, 2, 2}, enlarged.get());  // nearest: each pixel doubled
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(enlarged->GetPixel(x, y), 0xFF000000u | ((y / 2) << 8) | (x / 2)) << x << "," << y;
}

// The source pixels fill one page between two pages that cannot be read: a path that reads a
// neighbour beyond any edge of the source ends the test program.
TEST(Bitmap32Transfer, NoPathReadsBeyondTheSource) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  auto* memory =
      static_cast<uint8_t*>(VirtualAlloc(nullptr, 3 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(memory, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(memory, page, PAGE_NOACCESS, &old));
  ASSERT_TRUE(VirtualProtect(memory + 2 * page, page, PAGE_NOACCESS, &old));
  const int width = 32, height = static_cast<int>(page / 4 / width);
  TPixelMap src{reinterpret_cast<TColor32*>(memory + page), width, height};
  for (int i = 0; i < width * height; ++i) src.bits[i] = 0xFF000000 | (i * 2654435761u);
  for (TStretchFilter filter : {sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell})
    for (auto [w, h] : {std::pair{97, 71}, {7, 5}, {97, 5}, {1, 1}}) {
      std::vector<TColor32> pixels(static_cast<size_t>(w) * h);
      TPixelMap dst{pixels.data(), w, h};
      TTransferMode mode;
      mode.filter = filter;
      EXPECT_EQ(StretchPixels(dst, {0, 0, w, h}, {0, 0, w, h}, src, {0, 0, width, height}, mode),
                TTransferResult::Done);
    }
  VirtualFree(memory, 0, MEM_RELEASE);
}

TEST(Bitmap32Transfer, CustomModeCallsTheBitmapsCombineEvent) {
  class Combiner : public TObject {
   public:
    void Combine(TColor32 f, TColor32& b, uint32_t m) { b = (f & 0x00FFFFFF) | (m << 24); }
  };
  Combiner combiner;
  auto src = Sized(1, 1, 0xFF112233);
  auto dst = Sized(3, 3, 0);
  src->SetDrawMode(dmCustom);
  src->SetMasterAlpha(9);
  src->OnPixelCombine = TPixelCombineEvent(&combiner, &Combiner::Combine);
  dst->Draw(RECT{0, 0, 3, 3}, src.get());
  EXPECT_EQ(dst->GetPixel(2, 2), 0x09112233u);
}

TEST(Bitmap32Transfer, PresetSevenOnTheBitmapFiresNoChange) {
  auto b = Sized(5, 5, MakeColor32(100, 100, 100, 0));
  auto listener = Make<Listener>();
  listener->Attach(*b);
  ApplyPresetFilter32(7, b.get());
  EXPECT_EQ(b->GetPixel(2, 2), MakeColor32(100, 100, 100, 255));
  EXPECT_EQ(b->GetPixel(0, 0), MakeColor32(100, 100, 100, 0));
  EXPECT_EQ(listener->changes, 0);
  EXPECT_THROW(Convolve3x3({0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, b.get()), Exception);
}

TEST(Bitmap32Helpers, ColoursAndSpans) {
  EXPECT_EQ(ToColor32(0x0000FF), 0xFFFF0000u);  // $00BBGGRR red
  EXPECT_EQ(ToColor32(0x123456), 0xFF563412u);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(ToColor32(static_cast<TColor>(0x80000000 | COLOR_BTNFACE)), ToColor32(static_cast<TColor>(face)));
  EXPECT_EQ(LightenColor(0x80F00A10, 20), 0x80FF1E24u);
  EXPECT_EQ(LightenColor(0x80F00A10, -20), 0x80DC0000u);
  EXPECT_EQ(WithAlpha(0x11223344, 300), 0xFF223344u);
  int a = 9, b = -3;
  EXPECT_TRUE(ClipSpan(a, b, 5));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 4);
  a = 7, b = 9;
  EXPECT_FALSE(ClipSpan(a, b, 5));
  EXPECT_EQ(ClampRange(-1, 0, 10), 0);
  EXPECT_EQ(ClampRange(11, 0, 10), 10);
}

TEST(Bitmap32Helpers, LockCountsNest) {
  auto b = Make<TBitmap32>();
  b->Lock();
  b->Lock();
  EXPECT_EQ(b->GetLockCount(), 2);
  b->Unlock();
  b->Unlock();
  EXPECT_EQ(b->GetLockCount(), 0);
}

// ---- Stored data --------------------------------------------------------------------------------

TEST(Bitmap32Data, TwoPixelStreamIsWidthHeightAndPixels) {
  auto b = Sized(2, 1, 0xFF000000);
  b->SetPixel(1, 0, 0xFFFFFFFF);
  const std::string expected = DataOf({2, 1, 0xFF000000, 0xFFFFFFFF});
  EXPECT_EQ(b->GetData(), expected);
  const TPropInfo* data = GetPropInfo(b.get(), "Data");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(GetBinaryProp(b.get(), data), expected);

  auto copy = Make<TBitmap32>();
  SetBinaryProp(copy.get(), data, expected);
  EXPECT_EQ(copy->GetWidth(), 2);
  EXPECT_EQ(copy->GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(copy->GetPixel(1, 0), 0xFFFFFFFFu);
  // An empty bitmap stores nothing, and nothing empties.
  auto empty = Make<TBitmap32>();
  EXPECT_EQ(empty->GetData(), "");
  copy->SetData("");
  EXPECT_TRUE(copy->Empty());
}

TEST(Bitmap32Data, FormDefinitionsStoreThePixelsAndTheSettings) {
  auto holder = Owned<TBitmapHolder>(New<TBitmapHolder>(nullptr));
  holder->SetName("Holder");
  TBitmap32* b = holder->GetBitmap();
  b->SetSize(3, 2);
  for (int i = 0; i < 6; ++i) b->GetBits()[i] = 0x01020304u * (i + 1) | 0x80000000u;
  b->SetStretchFilter(sfSpline);
  b->SetMasterAlpha(200);
  const std::string text = WriteComponentToText(holder.get());
  EXPECT_NE(text.find("Bitmap.StretchFilter = sfSpline"), std::string::npos) << text;
  EXPECT_EQ(text.find("Bitmap.DrawMode"), std::string::npos) << text;  // default, not stored

  auto copy = Owned<TBitmapHolder>(New<TBitmapHolder>(nullptr));
  ReadComponentFromText(copy.get(), text, "holder");
  TBitmap32* c = copy->GetBitmap();
  ASSERT_EQ(c->GetWidth(), 3);
  ASSERT_EQ(c->GetHeight(), 2);
  EXPECT_EQ(std::memcmp(c->GetBits(), b->GetBits(), 24), 0);
  EXPECT_EQ(c->GetStretchFilter(), sfSpline);
  EXPECT_EQ(c->GetMasterAlpha(), 200u);
}

TEST(Bitmap32Data, ZeroWidthReadsNoPixelBytes) {
  TMemoryStream stream;
  const std::string bytes = DataOf({0, 5, 0xAABBCCDD});
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  auto b = Sized(3, 3, 0);
  b->ReadData(stream);
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(stream.GetPosition(), 8);
}

TEST(Bitmap32Data, MalformedStreamsAreRefusedAndLeaveTheBitmap) {
  const std::string cases[] = {
      DataOf({0xFFFFFFFF, 1, 0}),              // negative width
      DataOf({1, 0x80000000, 0}),              // negative height
      DataOf({2, 2, 1, 2, 3}),                 // one pixel short
      DataOf({0x7FFFFFFF, 0x7FFFFFFF, 1, 2}),  // a size whose byte count overflows
      DataOf({0x40000000, 4, 1, 2, 3, 4}),     // 2^32 pixels wrapped to 0 in 32 bits
      std::string("\x02\x00\x00\x00\x01", 5),  // cut inside the height
  };
  for (const std::string& bytes : cases) {
    auto b = Sized(3, 3, 0xFF010203);
    EXPECT_THROW(b->SetData(bytes), EReadError) << bytes.size();
    EXPECT_EQ(b->GetWidth(), 3);
    EXPECT_EQ(b->GetPixel(2, 2), 0xFF010203u);
  }
}

// ---- Assignment -----------------------------------------------------------------------------------

TEST(Bitmap32Assign, FromAnotherBitmap32WithItsSettings) {
  auto src = Sized(3, 2, 0x80112233);
  src->SetMasterAlpha(17);
  src->SetStretchFilter(sfLanczos);
  src->SetDrawMode(dmBlend);
  src->SetOuterColor(0xFFABCDEF);
  auto b = Make<TBitmap32>();
  b->Assign(src.get());
  EXPECT_EQ(b->GetWidth(), 3);
  EXPECT_EQ(b->GetPixel(2, 1), 0x80112233u);
  EXPECT_EQ(b->GetMasterAlpha(), 17u);
  EXPECT_EQ(b->GetStretchFilter(), sfLanczos);
  EXPECT_EQ(b->GetDrawMode(), dmBlend);
  EXPECT_EQ(b->GetOuterColor(), 0xFFABCDEFu);
  b->Assign(nullptr);
  EXPECT_TRUE(b->Empty());
}

TEST(Bitmap32Assign, TwentyFourBitBitmapBecomesOpaque) {
  auto bitmap = Make<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(4, 3);
  bitmap->GetCanvas()->GetBrush()->SetColor(0x332211);
  bitmap->GetCanvas()->FillRect(RECT{0, 0, 4, 3});
  bitmap->GetCanvas()->SetPixels(3, 2, 0x0000FF);
  auto b = Make<TBitmap32>();
  b->Assign(bitmap.get());
  ASSERT_EQ(b->GetWidth(), 4);
  EXPECT_EQ(b->GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(b->GetPixel(3, 2), 0xFFFF0000u);
}

TEST(Bitmap32Assign, TransparentColourBecomesAlphaZero) {
  auto bitmap = Make<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(2, 1);
  bitmap->GetCanvas()->SetPixels(0, 0, 0xFF00FF);
  bitmap->GetCanvas()->SetPixels(1, 0, 0x00FF00);
  bitmap->SetTransparent(true);
  bitmap->SetTransparentColor(0xFF00FF);
  auto b = Make<TBitmap32>();
  b->Assign(bitmap.get());
  EXPECT_EQ(b->GetPixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(b->GetPixel(1, 0), 0xFF00FF00u);
}

TEST(Bitmap32Assign, ThirtyTwoBitRoundTripKeepsAlpha) {
  auto b = Sized(3, 3, 0x40506070);
  b->SetPixel(1, 2, 0x00FFFFFF);
  auto bitmap = Make<TBitmap>();
  bitmap->Assign(b.get());  // the bitmap hands over to our AssignTo
  EXPECT_EQ(bitmap->GetPixelFormat(), pf32bit);
  auto back = Make<TBitmap32>();
  back->Assign(bitmap.get());
  EXPECT_EQ(back->GetPixel(0, 0), 0x40506070u);
  EXPECT_EQ(back->GetPixel(1, 2), 0x00FFFFFFu);
  auto picture = Make<TPicture>();
  picture->Assign(b.get());
  back->Assign(picture.get());
  EXPECT_EQ(back->GetPixel(2, 2), 0x40506070u);
}

TEST(Bitmap32Assign, IconInAPictureKeepsItsShapeInAlpha) {
  // 8 x 8, the left half masked out, the right half red.
  const BYTE mask_rows[8 * 2] = {0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0};
  HBITMAP mask = CreateBitmap(8, 8, 1, 1, mask_rows);
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateCompatibleBitmap(screen, 8, 8);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, color);
  RECT all{0, 0, 8, 8};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ::FillRect(dc, &all, red);
  SelectObject(dc, old);
  DeleteObject(red);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  ASSERT_NE(icon, nullptr);
  auto picture = Make<TPicture>();
  picture->GetIcon()->SetHandle(icon);
  auto b = Make<TBitmap32>();
  b->Assign(picture.get());
  ASSERT_EQ(b->GetWidth(), 8);
  EXPECT_EQ(b->GetPixel(6, 3), 0xFFFF0000u);
  EXPECT_EQ(b->GetPixel(1, 3) >> 24, 0u);
}

TEST(Bitmap32Assign, MetafileInAPictureIsOpaqueWhereItDraws) {
  // A red block, a pure blue corner (the colour of the first rendering's ground), nothing
  // elsewhere.
  auto metafile = Make<TMetafile>();
  metafile->SetHandle(graphics_test::RedBlockMetafile(true));
  auto picture = Make<TPicture>();
  picture->SetGraphic(metafile.get());

  auto b = Make<TBitmap32>();
  b->Assign(picture.get());
  ASSERT_EQ(b->GetWidth(), 40);
  ASSERT_EQ(b->GetHeight(), 30);
  EXPECT_EQ(b->GetPixel(20, 15), 0xFFFF0000u);
  EXPECT_EQ(b->GetPixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(b->GetPixel(35, 25), 0x000000FFu) << "not drawn: the first rendering's colour, transparent";
  // Alone, not in a picture, it is drawn once and opaque.
  b->Assign(metafile.get());
  EXPECT_EQ(b->GetPixel(20, 15), 0xFFFF0000u);
  EXPECT_EQ(b->GetPixel(35, 25) >> 24, 0xFFu);
}

// Stored BMP images come through the toolkit's bitmap "Data" and then into a TBitmap32:
// broken ones are refused before any pixel is read, odd but readable ones arrive whole.
std::string Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t offset, uint32_t colors,
                size_t pixel_bytes) {
  std::string file(14 + 40 + colors * 4 + pixel_bytes, '\0');
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&file[at], &v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  file[0] = 'B', file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, bits);
  put32(46, colors);
  for (size_t i = 0; i < pixel_bytes; ++i) file[14 + 40 + colors * 4 + i] = static_cast<char>(0x40 + i % 7);
  return file;
}

TEST(Bitmap32Assign, StoredBmpImagesOfEveryDepthAndMalformedOnes) {
  struct Case {
    std::string bmp;
    bool readable;
  };
  const uint32_t base = 14 + 40;
  std::vector<Case> cases = {
      {Bmp(3, 2, 1, base + 8, 2, 8), true},
      {Bmp(3, 2, 4, base + 64, 16, 8), true},
      {Bmp(3, 2, 8, base + 1024, 256, 8), true},
      {Bmp(3, 2, 24, base, 0, 24), true},
      {Bmp(3, 2, 32, base, 0, 24), true},
      {Bmp(3, 2, 8, base + 2048, 256, 8), true},  // offset 1,024 too far, as in the skin
      {Bmp(3, 2, 24, 0xFFFFFFF0, 0, 24), true},   // an offset far beyond: rows follow anyway
      {Bmp(3, 2, 24, base, 0, 12), false},        // rows cut short
      {Bmp(40000, 1, 24, base, 0, 16), false},    // wider than the data
      {Bmp(3, -40000, 24, base, 0, 16), false},
      {Bmp(3, 2, 7, base, 0, 24), false},  // no such depth
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    auto bitmap = Make<TBitmap>();
    std::string data(4, '\0');
    const uint32_t length = static_cast<uint32_t>(cases[i].bmp.size()) + (i == 5 ? 1024 : 0);
    std::memcpy(&data[0], &length, 4);
    data += cases[i].bmp;
    const TPropInfo* prop = GetPropInfo(bitmap.get(), "Data");
    ASSERT_NE(prop, nullptr);
    if (!cases[i].readable) {
      EXPECT_ANY_THROW(SetBinaryProp(bitmap.get(), prop, data));
      continue;
    }
    ASSERT_NO_THROW(SetBinaryProp(bitmap.get(), prop, data));
    auto b = Make<TBitmap32>();
    b->Assign(bitmap.get());
    EXPECT_EQ(b->GetWidth(), 3);
    EXPECT_EQ(b->GetHeight(), 2);
  }
}

}  // namespace
