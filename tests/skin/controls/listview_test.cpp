// The skinned list view on a shown form with the internal skin: the frame's width, the
// header's sections in their states (pictures taken with WM_PRINTCLIENT, mouse messages
// posted to the header), the header hook, and the overlaid scroll bars kept in step.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "skin/controls/slistview.h"
#include "skin/controls/sscrollbar.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"
#include "toolkit/typinfo.h"

namespace {

// A mouse message posted to a window, the cursor put at the same point first: the system's
// own mouse moves (after a window changes under the cursor) then agree with the posted ones.
void PostMouse(HWND window, UINT msg, WPARAM keys, LPARAM at) {
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ClientToScreen(window, &p);
  if (msg == WM_MOUSELEAVE) p = POINT{0, 0};  // away from the window
  PlaceCursor(p);
  PostMessageA(window, msg, keys, at);
}

int Brightness(TColor c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); }
int Blue(TColor c) { return (c >> 16) & 0xFF; }
int Red(TColor c) { return c & 0xFF; }

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

class ListViewTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    manager = New<TsSkinManager>(nullptr);
    RegisterSkinEngineClasses();
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(40, 40, 420, 320);
    list = New<TsListView>(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 300, 200);
    list->SetViewStyle(vsReport);
    list->SetRowSelect(true);
    for (const char* caption : {"Place", "Name", "Best"}) {
      TListColumn* column = list->GetColumns()->Add();
      column->SetCaption(caption);
      column->SetWidth(80);
    }
  }
  void TearDown() override {
    tk_detail::SetCursorSource(nullptr);
    ParkCursor();  // off the next test's windows
    Free(form);
    Pump();
    Free(manager);
    SkinTest::TearDown();
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(list->GetHandle(), nullptr, FALSE); }));
  }
  void AddRows(int n) {
    for (int i = 0; i < n; ++i)
      list->GetItems()->Add()->SetCaption(std::to_string(list->GetItems()->GetCount()));
  }
  HWND Header() { return list->GetHeaderHandle(); }
  RECT Section(int index) {
    RECT r{};
    SendMessageA(Header(), HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // The header painted by the list into a bitmap of the header's size.
  TBitmap* HeaderPicture() {
    RECT client{};
    GetClientRect(Header(), &client);
    auto* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(client.right, client.bottom);
    SendMessageA(Header(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp->GetCanvas()->GetHandle()),
                 PRF_CLIENT);
    GdiFlush();
    return bmp;
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TsListView* list = nullptr;
};

}  // namespace

// A stored form names no skin data of the list: its section comes from the class name.
TEST_F(ListViewTest, TheSkinDataIsNoStoredPropertyAndTakesTheClassNameAsSection) {
  EXPECT_EQ(GetPropInfo(list, "CommonData"), nullptr);
  EXPECT_EQ(WriteComponentToText(form).find("CommonData"), std::string::npos);
  EXPECT_EQ(list->GetCommonData()->GetSkinSection(), "TsListView");
}

// ---- Frame ------------------------------------------------------------------------------------

TEST_F(ListViewTest, TheFrameIsThreePixelsWithTheSkinAndTheSystemsWithout) {
  Show();
  ASSERT_TRUE(list->Skinned());
  RECT client{};
  GetClientRect(list->GetHandle(), &client);
  EXPECT_EQ(client.right, 300 - 6);
  EXPECT_EQ(client.bottom, 200 - 6);
  // The strips on the window are the cache's, painted from the section.
  TBitmap* cache = list->GetCommonData()->GetCacheBmp();
  HDC dc = GetWindowDC(list->GetHandle());
  for (POINT p : {POINT{0, 0}, POINT{1, 100}, POINT{150, 198}, POINT{298, 50}})
    EXPECT_EQ(GetPixel(dc, p.x, p.y), static_cast<COLORREF>(cache->GetPixelColor(p.x, p.y)))
        << p.x << "," << p.y;
  ReleaseDC(list->GetHandle(), dc);

  SendMessageA(list->GetHandle(), SKM_REMOVESKIN, 0, 0);
  EXPECT_FALSE(list->Skinned());
  GetClientRect(list->GetHandle(), &client);
  EXPECT_EQ(client.right, 300 - 4);  // the client edge alone
}

TEST_F(ListViewTest, WithoutABorderTheSkinnedFrameIsStillThreePixels) {
  list->SetBorderStyle(bsNone);
  Show();
  RECT client{};
  GetClientRect(list->GetHandle(), &client);
  EXPECT_EQ(client.right, 300 - 6);
}

// ---- Header -----------------------------------------------------------------------------------

TEST_F(ListViewTest, TheHeaderSectionsPaintNormalHotAndPressed) {
  Show();
  ASSERT_EQ(list->GetHookedHeader(), Header());
  const RECT s1 = Section(1);
  const int mid = (s1.left + s1.right) / 2, bottom = s1.bottom - 3, top = 0;
  TBitmap* normal = HeaderPicture();
  // Hot: the section under the mouse gets the blue bar along its bottom.
  PostMouse(Header(), WM_MOUSEMOVE, 0, Point(mid, 5));
  ASSERT_TRUE(PumpUntil([&] { return list->GetHotSection() == 1; }));
  TBitmap* hot = HeaderPicture();
  EXPECT_LT(Blue(normal->GetPixelColor(mid, bottom)) - Red(normal->GetPixelColor(mid, bottom)), 20);
  EXPECT_GT(Blue(hot->GetPixelColor(mid, bottom)) - Red(hot->GetPixelColor(mid, bottom)), 60);
  // Only that section.
  const int mid0 = Section(0).right / 2;
  EXPECT_EQ(hot->GetPixelColor(mid0, bottom), normal->GetPixelColor(mid0, bottom));

  // Pressed: darker, the hot bar gone.
  PostMouse(Header(), WM_LBUTTONDOWN, MK_LBUTTON, Point(mid, 5));
  ASSERT_TRUE(PumpUntil([&] { return list->GetPressedSection() == 1; }));
  TBitmap* pressed = HeaderPicture();
  EXPECT_LT(Brightness(pressed->GetPixelColor(mid, top)), Brightness(normal->GetPixelColor(mid, top)) - 60);
  EXPECT_LT(Blue(pressed->GetPixelColor(mid, bottom)) - Red(pressed->GetPixelColor(mid, bottom)),
            Blue(hot->GetPixelColor(mid, bottom)) - Red(hot->GetPixelColor(mid, bottom)) - 40);
  EXPECT_EQ(pressed->GetPixelColor(mid0, top), normal->GetPixelColor(mid0, top));

  PostMouse(Header(), WM_LBUTTONUP, 0, Point(mid, 5));
  ASSERT_TRUE(PumpUntil([&] { return list->GetPressedSection() == -1; }));
  Free(normal);
  Free(hot);
  Free(pressed);
}

TEST_F(ListViewTest, TheCaptionsAreDrawnAndTheRemainderIsTheListsColour) {
  list->SetColor(0x00336699);
  Show();
  TBitmap* picture = HeaderPicture();
  const RECT s0 = Section(0), s2 = Section(2);
  // Dark text pixels inside the first section's text area.
  int dark = 0;
  for (int y = s0.top + 2; y < s0.bottom - 2; ++y)
    for (int x = s0.left + 4; x < s0.left + 30; ++x) dark += Brightness(picture->GetPixelColor(x, y)) < 300;
  EXPECT_GT(dark, 5);
  EXPECT_EQ(picture->GetPixelColor(s2.right + 5, 5), 0x00336699);
  Free(picture);
}

// A caption wider than its section is placed by its alignment all the same (a right-aligned
// one starts before the section) and cut at the text rectangle, without an ellipsis.
TEST_F(ListViewTest, ACaptionWiderThanItsSectionIsPlacedByItsAlignmentAndCut) {
  // The first column of a list view is always left-aligned.
  TListColumn* left = list->GetColumns()->GetItem(0);
  TListColumn* right = list->GetColumns()->GetItem(1);
  right->SetAlignment(taRightJustify);
  for (TListColumn* column : {right, left}) {
    column->SetCaption("");
    column->SetWidth(40);
  }
  Show();
  TBitmap* expected = HeaderPicture();  // the empty sections
  const std::string caption = "Placement of the day";
  right->SetCaption(caption);
  left->SetCaption(caption);
  TBitmap* picture = HeaderPicture();
  HDC dc = expected->GetCanvas()->GetHandle();
  const int saved = SaveDC(dc);
  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Header(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  const TsGeneralData& data = SkinGeneralData[static_cast<size_t>(GetSkinIndex("COLHEADER"))];
  SetTextColor(dc, static_cast<COLORREF>(data.FontColor.Color));
  SIZE extent{};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  for (int index : {0, 1}) {
    const RECT s = Section(index);
    const RECT text{s.left + 4, s.top + 1, s.right - 4, s.bottom - 1};
    ASSERT_GT(extent.cx, text.right - text.left);
    const int x = index == 1 ? text.right - extent.cx : text.left;
    ExtTextOutA(dc, x, (text.top + text.bottom - extent.cy) / 2, ETO_CLIPPED, &text, caption.c_str(),
                static_cast<UINT>(caption.size()), nullptr);
  }
  RestoreDC(dc, saved);
  GdiFlush();
  const RECT both{0, 0, Section(1).right, Section(1).bottom};
  int differing = 0;
  for (int y = both.top; y < both.bottom; ++y)
    for (int x = both.left; x < both.right; ++x)
      differing += picture->GetPixelColor(x, y) != expected->GetPixelColor(x, y);
  EXPECT_EQ(differing, 0);
  Free(expected);
  Free(picture);
}

// The header follows the frame: a frame paint paints it too. Until its first section is
// painted its height is the font's size.
TEST_F(ListViewTest, AFramePaintPaintsTheHeaderWhoseHeightStartsAtTheFontSize) {
  auto* fresh = New<TsListView>(form);
  ASSERT_GT(fresh->GetFont()->GetSize(), 0);
  EXPECT_EQ(fresh->GetHeaderHeight(), fresh->GetFont()->GetSize());
  Show();
  EXPECT_EQ(list->GetHeaderHeight(), Section(0).bottom - Section(0).top);
  const RECT s1 = Section(1);
  const POINT mid{(s1.left + s1.right) / 2, (s1.top + s1.bottom) / 2};
  auto shown = [&] {
    HDC dc = GetDC(Header());
    const TColor color = GetPixel(dc, mid.x, mid.y);
    ReleaseDC(Header(), dc);
    return color;
  };
  const TColor painted = shown();
  const TColor kMark = 0x00FF00FF;
  ASSERT_NE(painted, kMark);
  HDC dc = GetDC(Header());
  HBRUSH brush = CreateSolidBrush(kMark);
  FillRect(dc, &s1, brush);
  DeleteObject(brush);
  ReleaseDC(Header(), dc);
  ValidateRect(Header(), nullptr);
  ASSERT_EQ(shown(), kMark);
  SendMessageA(list->GetHandle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(shown(), painted);
}

TEST_F(ListViewTest, APressOnADividerLeavesNoSectionPressed) {
  Show();
  const RECT s0 = Section(0);
  SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, Point(s0.right - 1, 5));
  EXPECT_EQ(list->GetPressedSection(), -1);
  SendMessageA(Header(), WM_LBUTTONUP, 0, Point(s0.right - 1, 5));
  // A press on the section's middle does press it.
  SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, Point(s0.right / 2, 5));
  EXPECT_EQ(list->GetPressedSection(), 0);
  SendMessageA(Header(), WM_LBUTTONUP, 0, Point(s0.right / 2, 5));
  EXPECT_EQ(list->GetPressedSection(), -1);
}

// A window taking the mouse before the release (one popping up) ends the press as well.
TEST_F(ListViewTest, ASectionLosingTheMouseBeforeTheReleaseIsNoLongerPressed) {
  Show();
  const RECT s1 = Section(1);
  const int mid = (s1.left + s1.right) / 2;
  TBitmap* normal = HeaderPicture();
  SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, Point(mid, 5));
  ASSERT_EQ(list->GetPressedSection(), 1);
  SetCapture(form->GetHandle());
  EXPECT_EQ(list->GetPressedSection(), -1);
  TBitmap* after = HeaderPicture();
  EXPECT_EQ(after->GetPixelColor(mid, 2), normal->GetPixelColor(mid, 2));
  ReleaseCapture();
  Free(normal);
  Free(after);
}

// The list's cache holds its frame only, not the rows: a control on the list finds no
// background to show through.
TEST_F(ListViewTest, AControlOnTheListFindsNoCacheToDrawOver) {
  Show();
  auto* child = New<TsScrollBar>(form);
  child->SetParent(list);
  GlobalCacheInfo = TsCacheInfo{nullptr, 5, 5, true};
  SendMessageA(list->GetHandle(), SKM_GETCACHEINFO, 0, 0);
  EXPECT_FALSE(GlobalCacheInfo.Ready);
  TsCacheInfo ci;
  child->GetSkinData()->GetParentCacheInfo(ci);
  EXPECT_FALSE(ci.Ready);
  // Without the skin the list's data answers as every skin data does.
  manager->SetActive(false);
  SendMessageA(list->GetHandle(), SKM_GETCACHEINFO, 0, 0);
  EXPECT_EQ(GlobalCacheInfo.Bmp, list->GetCommonData()->GetCacheBmp());
}

TEST_F(ListViewTest, TheMouseLeavingTheHeaderClearsTheHotSection) {
  Show();
  SendMessageA(Header(), WM_MOUSEMOVE, 0, Point(10, 5));
  EXPECT_EQ(list->GetHotSection(), 0);
  SendMessageA(Header(), WM_MOUSEMOVE, 0, Point(Section(2).right + 5, 5));
  EXPECT_EQ(list->GetHotSection(), -2);
  SendMessageA(Header(), WM_MOUSEMOVE, 0, Point(10, 5));
  SendMessageA(Header(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(list->GetHotSection(), -2);
}

namespace {
WNDPROC g_header_previous = nullptr;
LRESULT CALLBACK LaterHeaderProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(g_header_previous, w, m, wp, lp);
}
}  // namespace

TEST_F(ListViewTest, ANewHeaderIsHookedAndTheOldOneReleasedOnlyWhereOursIsInstalled) {
  Show();
  HWND first = Header();
  ASSERT_EQ(list->GetHookedHeader(), first);
  const LONG_PTR system_proc = GetClassLongPtrA(first, GCLP_WNDPROC);
  // Another header made in the list takes the hook over; the first gets its procedure back.
  HWND second = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD, 0, 0, 10, 10, list->GetHandle(), nullptr,
                                nullptr, nullptr);
  EXPECT_EQ(list->GetHookedHeader(), second);
  EXPECT_EQ(GetWindowLongPtrA(first, GWLP_WNDPROC), system_proc);
  // A procedure put on the header after ours stays when ours is released.
  g_header_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(second, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterHeaderProc)));
  CreateWindowExA(0, WC_HEADERA, "", WS_CHILD, 0, 0, 10, 10, list->GetHandle(), nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(second, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterHeaderProc));
  EXPECT_EQ(SendMessageA(second, HDM_GETITEMCOUNT, 0, 0), 0);  // the chain still works
  DestroyWindow(second);
}

TEST_F(ListViewTest, ARecreatedListHooksItsNewHeader) {
  Show();
  HWND before = list->GetHandle();
  list->SetReadOnly(true);  // a style change makes the window again
  ASSERT_NE(list->GetHandle(), before);
  HWND header = Header();
  EXPECT_EQ(list->GetHookedHeader(), header);
  EXPECT_NE(GetWindowLongPtrA(header, GWLP_WNDPROC), GetClassLongPtrA(header, GCLP_WNDPROC));
}

TEST_F(ListViewTest, WithoutTheSkinTheHeaderIsTheSystems) {
  Show();
  SendMessageA(list->GetHandle(), SKM_REMOVESKIN, 0, 0);
  SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 5));
  EXPECT_EQ(list->GetPressedSection(), -1);
  SendMessageA(Header(), WM_LBUTTONUP, 0, Point(10, 5));
}

// ---- Overlaid scroll bars ---------------------------------------------------------------------

namespace {

SCROLLINFO ScrollInfo(HWND window, int bar) {
  SCROLLINFO si{sizeof(si), SIF_ALL};
  GetScrollInfo(window, bar, &si);
  return si;
}

int TopIndex(TsListView* list) {
  return static_cast<int>(SendMessageA(list->GetHandle(), LVM_GETTOPINDEX, 0, 0));
}

// The bar's client point at the middle of a part.
LPARAM PartPoint(TsScrollBar* bar, TsScrollPart part) {
  const RECT r = bar->PartRect(part);
  return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace

TEST_F(ListViewTest, TheVerticalBarComesWithTheFirstRowThatDoesNotFitAndFollowsEveryChange) {
  Show();
  AddRows(3);
  EXPECT_EQ(list->GetVerticalBar(), nullptr);
  // Row by row: the bar is set from the list as it is after the row went in.
  for (int i = 0; i < 30; ++i) {
    AddRows(1);
    const SCROLLINFO si = ScrollInfo(list->GetHandle(), SB_VERT);
    const bool scrolls = si.nMax > si.nMin && si.nPage != 0 && si.nPage <= static_cast<UINT>(si.nMax);
    TsScrollBar* bar = list->GetVerticalBar();
    ASSERT_EQ(bar != nullptr, scrolls) << "rows " << list->GetItems()->GetCount();
    if (!bar) continue;
    EXPECT_EQ(bar->GetMax(), si.nMax - static_cast<int>(si.nPage) + 1)
        << "rows " << list->GetItems()->GetCount();
    EXPECT_EQ(bar->GetPageSize(), static_cast<int>(si.nPage));
    EXPECT_EQ(bar->GetLargeChange(), si.nPage);
    EXPECT_TRUE(bar->GetVisible());
  }
  ASSERT_NE(list->GetVerticalBar(), nullptr);
  // Laid over the list's own bar, inside the frame, on the list's parent.
  TsScrollBar* bar = list->GetVerticalBar();
  EXPECT_EQ(bar->GetParent(), form);
  EXPECT_EQ(bar->GetLeft(), 10 + 300 - bar->GetWidth() - 3);
  EXPECT_EQ(bar->GetTop(), 10 + 3);
  EXPECT_EQ(bar->GetHeight(), 200 - 6);
  // Deleting rows until they fit takes the bar away again.
  while (list->GetItems()->GetCount() > 3) list->GetItems()->Delete(list->GetItems()->GetCount() - 1);
  EXPECT_EQ(list->GetVerticalBar(), nullptr);
}

TEST_F(ListViewTest, RowsAddedInOneUpdateBringTheBarWhenTheListRedrawsAgain) {
  Show();
  list->BeginUpdate();
  AddRows(100);
  list->EndUpdate();
  ASSERT_NE(list->GetVerticalBar(), nullptr);
  const SCROLLINFO si = ScrollInfo(list->GetHandle(), SB_VERT);
  EXPECT_EQ(list->GetVerticalBar()->GetMax(), si.nMax - static_cast<int>(si.nPage) + 1);
  list->GetItems()->Clear();
  EXPECT_EQ(list->GetVerticalBar(), nullptr);
}

TEST_F(ListViewTest, TheHorizontalBarStepsByATwentyThirdOfTheRange) {
  list->GetColumns()->GetItem(2)->SetWidth(301);  // 80 + 80 + 301: nMax 460
  Show();
  AddRows(3);
  list->UpdateScrollBars();
  const SCROLLINFO si = ScrollInfo(list->GetHandle(), SB_HORZ);
  ASSERT_EQ(si.nMax, 460);
  TsScrollBar* bar = list->GetHorizontalBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetSmallChange(), 20);
  EXPECT_EQ(bar->GetMax(), si.nMax - static_cast<int>(si.nPage) + 1);
  EXPECT_EQ(bar->GetLeft(), 10 + 3);
  EXPECT_EQ(bar->GetTop(), 10 + 200 - bar->GetHeight() - 3);
  // A range shorter than 23 pixels has no step: the division leaves 0.
  list->SetWidth(26);
  for (int i = 0; i < 3; ++i) list->GetColumns()->GetItem(i)->SetWidth(7);
  list->UpdateScrollBars();
  ASSERT_LT(ScrollInfo(list->GetHandle(), SB_HORZ).nMax, 23);
  ASSERT_NE(list->GetHorizontalBar(), nullptr);
  EXPECT_EQ(list->GetHorizontalBar()->GetSmallChange(), 0);
}

// Whether upper lies above lower among their parent's windows.
bool Above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
    if (w == upper) return true;
  return false;
}

TEST_F(ListViewTest, BothBarsShareTheCornerAndScrollTheList) {
  list->GetColumns()->GetItem(2)->SetWidth(400);
  Show();
  AddRows(60);
  TsScrollBar* v = list->GetVerticalBar();
  TsScrollBar* h = list->GetHorizontalBar();
  ASSERT_TRUE(v && h);
  EXPECT_EQ(v->GetHeight(), 200 - h->GetHeight() - 6);
  EXPECT_EQ(h->GetWidth(), 300 - v->GetWidth() - 6);
  HWND window = list->GetHandle();
  RECT client{}, now{};
  GetClientRect(window, &client);
  v->SetPosition(10);
  EXPECT_EQ(TopIndex(list), 10);
  EXPECT_EQ(ScrollInfo(window, SB_VERT).nPos, 10);
  h->SetPosition(50);
  EXPECT_EQ(ScrollInfo(window, SB_HORZ).nPos, 50);
  // The wheel scrolls the list and the bar follows.
  SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_GT(TopIndex(list), 10);
  EXPECT_EQ(v->GetPosition(), TopIndex(list));
  // The list's own bars, hidden while it scrolled, are back, and its layout is as it was.
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL | WS_HSCROLL);
  GetClientRect(window, &now);
  EXPECT_TRUE(EqualRect(&now, &client));
  // Scrolled from elsewhere: the bar follows.
  list->GetItems()->GetItem(50)->MakeVisible(false);
  EXPECT_EQ(v->GetPosition(), ScrollInfo(list->GetHandle(), SB_VERT).nPos);
  EXPECT_EQ(v->GetPosition(), TopIndex(list));
  // A list brought to the front hears of its move and raises the bars again.
  list->BringToFront();
  EXPECT_TRUE(Above(v->GetHandle(), window));
  EXPECT_TRUE(Above(h->GetHandle(), window));
}

TEST_F(ListViewTest, WithoutTheSkinThereAreNoOverlaidBars) {
  Show();
  AddRows(60);
  ASSERT_NE(list->GetVerticalBar(), nullptr);
  SendMessageA(list->GetHandle(), SKM_REMOVESKIN, 0, 0);
  EXPECT_EQ(list->GetVerticalBar(), nullptr);
  AddRows(1);
  EXPECT_EQ(list->GetVerticalBar(), nullptr);
}

// The protocol list's shape with 200 rows, driven by mouse messages posted to the bar.
TEST_F(ListViewTest, TwoHundredRowsScrollByDraggingTheSliderAndByHoldingAnArrow) {
  Show();
  list->BeginUpdate();
  AddRows(200);
  list->EndUpdate();
  TsScrollBar* bar = list->GetVerticalBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->Skinned());
  // Drag the slider half the track down.
  const RECT slider = bar->PartRect(spSlider);
  const int x = (slider.left + slider.right) / 2, y = (slider.top + slider.bottom) / 2;
  const int track = bar->GetHeight() - 2 * bar->PartRect(spFirstButton).bottom;
  PostMouse(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMouse(bar->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + track / 2));
  PostMouse(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y + track / 2));
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging() && bar->GetPosition() > 0; }));
  const int dragged = bar->GetPosition();
  EXPECT_GT(dragged, bar->GetMax() / 3);
  EXPECT_LT(dragged, bar->GetMax() * 2 / 3 + 2);
  EXPECT_EQ(TopIndex(list), dragged);
  // Hold the lower arrow: one row at once, more as the repeat runs.
  PostMouse(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PartPoint(bar, spSecondButton));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() >= dragged + 3; }));
  PostMouse(bar->GetHandle(), WM_LBUTTONUP, 0, PartPoint(bar, spSecondButton));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSecondButton) != psPressed; }));
  const int held = bar->GetPosition();
  Pump();
  EXPECT_EQ(bar->GetPosition(), held);  // the repeat stopped with the release
  EXPECT_EQ(TopIndex(list), held);
  // And the upper arrow back up.
  PostMouse(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PartPoint(bar, spFirstButton));
  PostMouse(bar->GetHandle(), WM_LBUTTONUP, 0, PartPoint(bar, spFirstButton));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() == held - 1; }));
  EXPECT_EQ(TopIndex(list), held - 1);
}

TEST_F(ListViewTest, ABarMovedByTheListIsPaintedWhereItNowIs) {
  Show();
  AddRows(60);
  TsScrollBar* bar = list->GetVerticalBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(bar->GetHandle(), nullptr, FALSE); }));
  list->GetItems()->GetItem(55)->MakeVisible(false);
  ASSERT_GT(bar->GetPosition(), 0);
  // What the bar shows now against a fresh painting of it.
  TBitmap* cache = bar->GetSkinData()->GetCacheBmp();
  const int x = bar->GetWidth() / 2;
  std::vector<TColor> shown;
  for (int y = 0; y < bar->GetHeight(); ++y) shown.push_back(cache->GetPixelColor(x, y));
  TBitmap* fresh = New<TBitmap>();
  fresh->SetPixelFormat(pf24bit);
  fresh->SetSize(bar->GetWidth(), bar->GetHeight());
  SendMessageA(bar->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(fresh->GetCanvas()->GetHandle()), 0);
  GdiFlush();
  for (int y = 0; y < bar->GetHeight(); ++y)
    ASSERT_EQ(shown[static_cast<size_t>(y)], fresh->GetPixelColor(x, y)) << y;
  Free(fresh);
}

namespace {
POINT g_cursor{};
bool TestCursor(POINT* screen) {
  *screen = g_cursor;
  return true;
}
}  // namespace

// The pointer stepping from the list onto its own bar is still above the list; leaving the bar
// to the outside leaves the list too, and its frame is no longer hot.
TEST_F(ListViewTest, TheMouseLeavingAcrossTheListsOwnBarLeavesTheList) {
  Show();
  AddRows(60);
  TsScrollBar* bar = list->GetVerticalBar();
  ASSERT_NE(bar, nullptr);
  tk_detail::SetCursorSource(&TestCursor);
  g_cursor = list->ClientToScreen(POINT{20, 40});
  list->Perform(CM_MOUSEENTER, 0, 0);
  ASSERT_TRUE(list->GetCommonData()->GetMouseAbove());
  g_cursor = bar->ClientToScreen(POINT{5, 30});
  list->Perform(CM_MOUSELEAVE, 0, 0);
  bar->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(list->GetCommonData()->GetMouseAbove());
  g_cursor = form->ClientToScreen(POINT{380, 100});
  bar->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(list->GetCommonData()->GetMouseAbove());
  // Onto the bar and back onto the list, then out across the list's own edge.
  g_cursor = list->ClientToScreen(POINT{20, 40});
  list->Perform(CM_MOUSEENTER, 0, 0);
  g_cursor = bar->ClientToScreen(POINT{5, 30});
  list->Perform(CM_MOUSELEAVE, 0, 0);
  bar->Perform(CM_MOUSEENTER, 0, 0);
  g_cursor = list->ClientToScreen(POINT{20, 40});
  bar->Perform(CM_MOUSELEAVE, 0, 0);  // back onto the list: still above it
  EXPECT_TRUE(list->GetCommonData()->GetMouseAbove());
  g_cursor = form->ClientToScreen(POINT{5, 300});
  list->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(list->GetCommonData()->GetMouseAbove());
}

// A focus change takes the hover back: the frame shows the focus, or nothing, until the mouse
// comes again.
TEST_F(ListViewTest, AFocusChangeEndsTheMouseAboveTheList) {
  auto* other = New<TEdit>(form);
  other->SetParent(form);
  other->SetBounds(10, 230, 100, 22);
  Show();
  other->SetFocus();
  list->Perform(CM_MOUSEENTER, 0, 0);
  ASSERT_TRUE(list->GetCommonData()->GetMouseAbove());
  list->SetFocus();
  EXPECT_FALSE(list->GetCommonData()->GetMouseAbove());
  list->Perform(CM_MOUSEENTER, 0, 0);
  other->SetFocus();
  EXPECT_FALSE(list->GetCommonData()->GetMouseAbove());
  EXPECT_FALSE(list->GetCommonData()->ControlIsActive());
}

// ---- Rows -------------------------------------------------------------------------------------

namespace {

int Brightness601(COLORREF c) {
  return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

class ListViewRowsTest : public ListViewTest {
 protected:
  void SetUp() override {
    ListViewTest::SetUp();
    list->SetGridLines(true);
    for (int i = 0; i < 8; ++i) {
      TListItem* item = list->GetItems()->Add();
      item->SetCaption("Row" + std::to_string(i));
      item->GetSubItems()->Add("Name" + std::to_string(i));
      item->GetSubItems()->Add("Best" + std::to_string(i));
    }
    other = New<TEdit>(form);
    other->SetParent(form);
    other->SetBounds(10, 230, 100, 22);
  }
  void Painted() {
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(list->GetHandle(), nullptr, FALSE); }));
  }
  // Every row shows at least half the pixels it had when the list was first shown.
  void ExpectEveryRow(const char* step) {
    Painted();
    const std::vector<int> ink = TScreenRows(list).Ink(static_cast<COLORREF>(ColorToRGB(list->GetColor())));
    for (size_t i = 0; i < ink.size(); ++i)
      EXPECT_GE(ink[i] * 2, first[i]) << "row " << i << " after " << step;
  }

  TEdit* other = nullptr;
  std::vector<int> first;
};

}  // namespace

// The frame follows the focus and the mouse; painting it must leave the rows alone.
TEST_F(ListViewRowsTest, EveryRowStaysPaintedWhenFocusAndMouseComeAndGoAndTheFrameChanges) {
  Show();
  Painted();
  first = TScreenRows(list).Ink(static_cast<COLORREF>(ColorToRGB(list->GetColor())));
  for (int ink : first) ASSERT_GT(ink, 0);
  list->SetFocus();
  ExpectEveryRow("the list took the focus");
  list->GetItems()->GetItem(1)->SetSelected(true);
  ExpectEveryRow("a row was selected");
  other->SetFocus();
  ExpectEveryRow("the focus went to another control");
  list->Perform(CM_MOUSEENTER, 0, 0);
  ExpectEveryRow("the mouse came");
  list->Perform(CM_MOUSELEAVE, 0, 0);
  ExpectEveryRow("the mouse left");
  form->Hide();
  form->Show();
  list->SetFocus();
  ExpectEveryRow("the form was shown again");
  SetWindowPos(list->GetHandle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectEveryRow("the frame changed");
}

TEST_F(ListViewRowsTest, AMarkedRowWithoutTheFocusStandsOutInTheSkinsSelectionColours) {
  list->SetHideSelection(false);
  Show();
  list->GetItems()->GetItem(2)->SetSelected(true);
  other->SetFocus();
  Painted();
  const TScreenRows rows(list);
  const COLORREF list_colour = static_cast<COLORREF>(ColorToRGB(list->GetColor()));
  const COLORREF marked = rows.Fill(2);
  EXPECT_EQ(rows.Fill(3), list_colour);
  EXPECT_GE(std::abs(Brightness601(marked) - Brightness601(list_colour)), 64) << std::hex << marked;
  // In the skin's colours of a chosen item: its text colour shows as the row's text.
  const TsGeneralData& item = SkinGeneralData[static_cast<size_t>(GetSkinIndex("MENUITEM"))];
  EXPECT_GT(rows.Count(2, static_cast<COLORREF>(item.HotFontColor.Color)), 0);
  // Focused, the list marks the row as the system does; hidden, without the focus not at all.
  list->SetFocus();
  Painted();
  EXPECT_EQ(TScreenRows(list).Fill(2), static_cast<COLORREF>(GetSysColor(COLOR_HIGHLIGHT)));
  list->SetHideSelection(true);
  other->SetFocus();
  Painted();
  EXPECT_EQ(TScreenRows(list).Fill(2), list_colour);
}
