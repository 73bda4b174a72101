// The MDI child buttons (close, restore, minimize) at the right end of the menu line of a
// skinned MDI main form while its active child is maximized: where they are answered, how they
// are painted and what they do to the child; and the frame mouse of skinned children inside
// the MDI client. The mouse is never moved: the tests send what the system would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "skin/controls/smdiform.h"
#include "skin/controls/sskinmenus.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/streams.h"
#include "toolkit/formreader.h"
#include "toolkit/menus.h"

namespace {

// The application's first form is its main form: an MDI frame needs to be that one.
class TButtonsFrame : public TForm {
  TK_CLASS(TButtonsFrame, TForm)

 public:
  explicit TButtonsFrame(TComponent* owner) : TForm(owner, kCreateNew) {
    SetFormStyle(fsMDIForm);
    SetBounds(40, 40, 460, 340);
    SetText("Heats");
  }
};
TK_CLASS_INFO(TButtonsFrame, TForm)

// Counts close requests of a child and refuses them, so the child stays to be looked at.
struct TCloseWatch : TObject {
  int asked = 0;
  bool refuse = true;  // else the child is freed
  void CloseQuery(TObject*, bool& can_close) {
    ++asked;
    can_close = !refuse;
  }
  void Close(TObject*, TCloseAction& action) { action = caFree; }
};

class MDIButtons : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    ASSERT_EQ(Application->GetMainForm(), nullptr);
    frame = Application->CreateForm<TButtonsFrame>();
    RegisterSkinEngineClasses();
    manager = New<TsSkinManager>(nullptr);
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  }
  void TearDown() override {
    if (menus) {
      menus->HookMainMenu(frame->GetMenu(), false);
      Free(menus);
    }
    if (child) Free(child);
    if (heat) Free(heat);
    Free(frame);
    Pump();
    Free(manager);
    SkinTest::TearDown();
  }
  // The skinned frame, with a one-item menu line when `with_menu`, and one child in it.
  void Show(bool with_menu, TsBorderIcons icons = {biSystemMenu, biMinimize, biMaximize}) {
    if (with_menu) {
      auto* menu = New<TMainMenu>(frame);
      auto* file = New<TMenuItem>(frame);
      file->SetCaption("&File");
      menu->GetItems()->Add(file);
      frame->SetMenu(menu);
    }
    provider = New<TsSkinProvider>(frame);
    provider->SetBorderIcons(icons);
    frame->Show();
    ASSERT_TRUE(provider->Skinned());
    child = New<TForm>(Application, kCreateNew);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(20, 20, 220, 160);
    child->SetText("Heat 1");
    child->OnCloseQuery = TCloseQueryEvent(&closes, &TCloseWatch::CloseQuery);
    child->OnClose = TCloseEvent(&closes, &TCloseWatch::Close);
    child->Show();
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  }
  // The frame and its child, the menu line painted by skinned menus.
  void ShowSkinnedMenus() {
    menus = New<TsSkinableMenus>(manager);
    Show(true);
    menus->HookMainMenu(frame->GetMenu(), true);
    SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  }
  // A second child with a skin provider of its own, which moves and sizes by outline.
  void ShowSkinnedChild(RECT bounds) {
    heat = New<TForm>(Application, kCreateNew);
    heat->SetFormStyle(fsMDIChild);
    heat->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    heat->SetText("Heat 2");
    heat_provider = New<TsSkinProvider>(heat);
    heat_provider->SetResizeMode(rmBorder);
    heat->Show();
    ASSERT_TRUE(heat_provider->Skinned());
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  }
  // Where the skinned child lies in the MDI client.
  RECT HeatPlace() {
    RECT r{};
    GetWindowRect(heat->GetHandle(), &r);
    MapWindowPoints(nullptr, frame->GetClientHandle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // The skinned child's client point of a screen point, as a mouse message carries it.
  LPARAM HeatClientLParam(POINT screen) {
    ScreenToClient(heat->GetHandle(), &screen);
    return MAKELPARAM(screen.x, screen.y);
  }
  bool Settled() {
    Pump();
    return !GetUpdateRect(frame->GetHandle(), nullptr, FALSE) &&
           !GetUpdateRect(frame->GetClientHandle(), nullptr, FALSE);
  }
  void Maximize() {
    SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(child->GetHandle()) && Settled(); }));
  }
  // MDI button k (1 close, 2 restore, 3 minimize) as the frame's metrics place it: from the
  // right end of the frame, centred in the menu line.
  RECT Expected(int k) {
    const SIZE s = MDIButtonSize(provider->GetCommonData()->SkinIndex);
    const int left = frame->GetWidth() - provider->FrameWidth() - k * (s.cx + 1);
    const int top = provider->FrameTopBand() - (provider->MenuHeight() - s.cy) / 2 - s.cy - 1;
    return {left, top, left + s.cx, top + s.cy};
  }
  POINT Middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  LPARAM ScreenLParam(POINT window_point) {
    RECT w{};
    GetWindowRect(frame->GetHandle(), &w);
    return MAKELPARAM(w.left + window_point.x, w.top + window_point.y);
  }
  int HitAt(POINT window_point) {
    return static_cast<int>(SendMessageA(frame->GetHandle(), WM_NCHITTEST, 0, ScreenLParam(window_point)));
  }
  // A press on `down` released over `up`, as the system reports them.
  void Click(int down, int up) {
    const POINT p = Middle(Expected(down - HTMDICLOSE + 1));
    const POINT q = Middle(Expected(up - HTMDICLOSE + 1));
    PostMessageA(frame->GetHandle(), WM_NCLBUTTONDOWN, down, ScreenLParam(p));
    PostMessageA(frame->GetHandle(), WM_NCLBUTTONUP, up, ScreenLParam(q));
    Pump();
  }
  // Every pixel of a button's rectangle in the cache: states may share a glyph's middle.
  std::vector<TColor> CacheButton(const RECT& r) {
    std::vector<TColor> pixels;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) pixels.push_back(CacheAt({x, y}));
    return pixels;
  }
  TColor CacheAt(POINT p) {
    return provider->GetCommonData()->GetCacheBmp()->GetCanvas()->GetPixels(p.x, p.y);
  }
  COLORREF ScreenAt(POINT p) {
    HDC dc = GetWindowDC(frame->GetHandle());
    COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(frame->GetHandle(), dc);
    return c;
  }
  // Every pixel of a rectangle of a window (the frame's by default) as the screen shows it.
  std::vector<TColor> ScreenPixels(const RECT& r, HWND window = nullptr) {
    if (!window) window = frame->GetHandle();
    HDC dc = GetWindowDC(window);
    std::vector<TColor> pixels;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
  }
  COLORREF DesktopAt(POINT screen) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, screen.x, screen.y);
    ReleaseDC(nullptr, dc);
    return c;
  }

  TDesktopLock desktop;
  TButtonsFrame* frame = nullptr;
  TForm* child = nullptr;
  TsSkinProvider* provider = nullptr;
  TsSkinManager* manager = nullptr;
  TCloseWatch closes;
  TForm* heat = nullptr;
  TsSkinProvider* heat_provider = nullptr;
  TsSkinableMenus* menus = nullptr;
};

}  // namespace

TEST_F(MDIButtons, AreAnsweredInTheMenuLineOnlyWhileTheActiveChildIsMaximized) {
  Show(true);
  const SIZE s = MDIButtonSize(provider->GetCommonData()->SkinIndex);
  EXPECT_EQ(s.cx, 17);  // the internal skin's title glyphs
  EXPECT_EQ(s.cy, 17);
  TsFrameMouse* mouse = provider->GetFrameMouse();
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(HitAt(Middle(Expected(k))), HTMENU) << k;
  EXPECT_EQ(mouse->ButtonOf(HTMDICLOSE)->Right, 0);

  Maximize();
  const int top_band = provider->FrameTopBand();
  for (int k = 1; k <= 3; ++k) {
    const RECT r = Expected(k);
    const int code = HTMDICLOSE + k - 1;
    EXPECT_EQ(HitAt(Middle(r)), code) << k;
    EXPECT_EQ(HitAt({r.left, r.top}), code) << k;
    EXPECT_EQ(HitAt({r.right - 1, r.bottom - 1}), code) << k;
    const RECT painted = mouse->ButtonOf(code)->Rect();
    EXPECT_TRUE(EqualRect(&painted, &r)) << k << ": " << painted.left << "," << painted.top;
    // Inside the menu line, below the caption.
    EXPECT_GE(r.top, provider->FrameHeight() + provider->CaptionHeight()) << k;
    EXPECT_LE(r.bottom, top_band) << k;
    // Painted in the cache and on the screen alike.
    EXPECT_EQ(ScreenAt(Middle(r)), CacheAt(Middle(r))) << k;
  }
  EXPECT_LE(Expected(1).right, frame->GetWidth() - provider->FrameWidth());
  // Between the buttons and left of them the menu line is the system's again.
  EXPECT_EQ(HitAt({Expected(1).left - 1, Middle(Expected(1)).y}), HTMENU);
  EXPECT_EQ(HitAt({Expected(3).left - 2, Middle(Expected(3)).y}), HTMENU);
  // The title buttons keep their own codes.
  EXPECT_EQ(provider->GetFrameMouse()->HitTest(Middle(mouse->ButtonOf(HTCLOSE)->Rect())), HTCLOSE);

  SendMessageA(frame->GetClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsZoomed(child->GetHandle()) && Settled(); }));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(HitAt(Middle(Expected(k))), HTMENU) << k;
  EXPECT_EQ(mouse->ButtonOf(HTMDIRESTORE)->Right, 0);
}

TEST_F(MDIButtons, WithoutAMenuLineAMaximizedChildGetsNoButtons) {
  Show(false);
  Maximize();
  TsFrameMouse* mouse = provider->GetFrameMouse();
  for (int code = HTMDICLOSE; code <= HTMDIMINIMIZE; ++code) EXPECT_EQ(mouse->ButtonOf(code)->Right, 0);
  RECT w{};
  GetWindowRect(frame->GetHandle(), &w);
  // Where the buttons would be without a menu: the client area.
  const int y = provider->FrameHeight() + provider->CaptionHeight() + 8;
  for (int x = w.right - w.left - 70; x < w.right - w.left - provider->FrameWidth(); x += 3) {
    const int code = mouse->HitTest({x, y});
    EXPECT_TRUE(code < HTMDICLOSE || code > HTMDIMINIMIZE) << x;
  }
}

TEST_F(MDIButtons, HotAndPressedButtonsArePaintedInTheirOwnStates) {
  Show(true);
  Maximize();
  TsFrameMouse* mouse = provider->GetFrameMouse();
  for (int code = HTMDICLOSE; code <= HTMDIMINIMIZE; ++code) {
    const RECT r = Expected(code - HTMDICLOSE + 1);
    const POINT p = Middle(r);
    const std::vector<TColor> normal = CacheButton(r);
    HitAt(p);
    EXPECT_EQ(mouse->HotButton(), code);
    const std::vector<TColor> hot = CacheButton(r);
    EXPECT_NE(hot, normal) << code;
    EXPECT_EQ(ScreenAt({r.left + 3, p.y}), CacheAt({r.left + 3, p.y})) << code;
    SendMessageA(frame->GetHandle(), WM_NCLBUTTONDOWN, code, ScreenLParam(p));
    EXPECT_EQ(mouse->GetPressedButton(), code);
    const std::vector<TColor> pressed = CacheButton(r);
    EXPECT_NE(pressed, normal) << code;
    EXPECT_NE(pressed, hot) << code;
    EXPECT_EQ(ScreenAt({r.left + 3, p.y}), CacheAt({r.left + 3, p.y})) << code;
    // Released away from it: back to normal, and the child stays as it is.
    SendMessageA(frame->GetHandle(), WM_NCLBUTTONUP, HTCAPTION, ScreenLParam({p.x, 2}));
    EXPECT_EQ(CacheButton(r), normal) << code;
    EXPECT_TRUE(IsZoomed(child->GetHandle()));
  }
  EXPECT_EQ(closes.asked, 0);
}

TEST_F(MDIButtons, EachButtonActsOnTheActiveChildWhenReleasedOverIt) {
  Show(true);
  Maximize();
  // A press released over another button does nothing.
  Click(HTMDIMINIMIZE, HTMDICLOSE);
  EXPECT_TRUE(IsZoomed(child->GetHandle()));
  EXPECT_EQ(closes.asked, 0);
  EXPECT_EQ(provider->GetFrameMouse()->HotButton(), 0);

  Click(HTMDIMINIMIZE, HTMDIMINIMIZE);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(child->GetHandle()) != 0; }));

  Maximize();
  Click(HTMDIRESTORE, HTMDIRESTORE);
  EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(child->GetHandle()) && !IsIconic(child->GetHandle()); }));
  EXPECT_EQ(closes.asked, 0);
  EXPECT_EQ(HitAt(Middle(Expected(2))), HTMENU);

  Maximize();
  const std::vector<TColor> normal = CacheButton(Expected(1));
  Click(HTMDICLOSE, HTMDICLOSE);
  EXPECT_TRUE(PumpUntil([&] { return closes.asked == 1; }));
  EXPECT_TRUE(IsZoomed(child->GetHandle()));  // refused: still there, still maximized
  EXPECT_EQ(provider->GetFrameMouse()->HotButton(), 0);
  EXPECT_EQ(CacheButton(Expected(1)), normal);  // not left pressed
}

// Without title buttons the strip kept behind them is narrow; the MDI buttons still go back to
// exactly what they were when the pointer leaves them.
TEST_F(MDIButtons, WithoutTitleButtonsTheMenuLineButtonsStillRepaintCleanly) {
  Show(true, {});
  Maximize();
  TsFrameMouse* mouse = provider->GetFrameMouse();
  EXPECT_EQ(mouse->StandardButtonCount(), 0);
  for (int code = HTMDICLOSE; code <= HTMDIMINIMIZE; ++code) {
    const RECT r = Expected(code - HTMDICLOSE + 1);
    ASSERT_EQ(HitAt(Middle(r)), code);
    mouse->ClearHot();
    const std::vector<TColor> normal = CacheButton(r);
    mouse->SetHot(code);
    EXPECT_NE(CacheButton(r), normal) << code;
    mouse->ClearHot();
    EXPECT_EQ(CacheButton(r), normal) << code;
  }
}

TEST_F(MDIButtons, ClosingTheLastMaximizedChildTakesTheButtonsOffTheMenuLine) {
  Show(true);
  Maximize();
  closes.refuse = false;
  const HWND window = child->GetHandle();
  Click(HTMDICLOSE, HTMDICLOSE);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window) && Settled(); }));
  child = nullptr;  // freed by its close
  EXPECT_EQ(frame->GetActiveMDIChild(), nullptr);
  EXPECT_NE(frame->GetMenu()->GetItems()->GetItem(0), provider->GetMDIForm()->GetChildItem());
  EXPECT_EQ(provider->GetFrameMouse()->ButtonOf(HTMDICLOSE)->Right, 0);
  const RECT r = Expected(1);
  EXPECT_EQ(HitAt(Middle(r)), HTMENU);
  EXPECT_EQ(ScreenAt({r.left + 3, Middle(r).y}), CacheAt({r.left + 3, Middle(r).y}));
}

// The skinned menus paint the top items of the frame's menu into the menu line: the item's
// text shows there in the line section's font colour, left of the MDI buttons.
TEST_F(MDIButtons, TheMenuLinesItemsArePaintedByTheSkinnedMenus) {
  ShowSkinnedMenus();
  TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
  // Each row of the line against its own middle, where no item lies (the line may be a
  // gradient from top to bottom).
  const int top = provider->FrameTopBand() - provider->MenuHeight();
  int text_pixels = 0;
  for (int y = top; y < provider->FrameTopBand(); ++y) {
    const TColor line = cache->GetPixelColor(frame->GetWidth() / 2, y);
    for (int x = provider->FrameWidth(); x < provider->FrameWidth() + 40; ++x)
      if (cache->GetPixelColor(x, y) != line) ++text_pixels;
  }
  EXPECT_GT(text_pixels, 10);  // "File" is there
  Maximize();
  SaveWindowPicture(frame->GetHandle(), "DRAVOLIN_MDI_BUTTONS_PICTURE");
}

// The system draws a menu-line item hot and may leave it so when the pointer goes on to a
// button: the frame draws it normal again once a title or MDI button becomes hot.
TEST_F(MDIButtons, AMenuLineItemLeftHotIsNormalAgainWhenAButtonBecomesHot) {
  ShowSkinnedMenus();
  const HWND window = frame->GetHandle();
  TsFrameMouse* mouse = provider->GetFrameMouse();
  TMenuItem* file = frame->GetMenu()->GetItems()->GetItem(0);
  for (const int button : {HTCLOSE, HTMDIMINIMIZE}) {
    if (button == HTMDIMINIMIZE) Maximize();  // the child's item now leads the line
    int index = GetMenuItemCount(GetMenu(window));
    while (index >= 0 && GetMenuItemID(GetMenu(window), index) != file->GetCommand()) --index;
    RECT item{}, w{};
    ASSERT_TRUE(GetMenuItemRect(window, GetMenu(window), index, &item)) << button;
    GetWindowRect(window, &w);
    OffsetRect(&item, -w.left, -w.top);
    auto draw = [&](UINT state) {
      DRAWITEMSTRUCT d{};
      d.CtlType = ODT_MENU;
      d.itemID = file->GetCommand();
      d.itemAction = ODA_DRAWENTIRE;
      d.itemState = state;
      d.hwndItem = reinterpret_cast<HWND>(GetMenu(window));
      d.hDC = GetWindowDC(window);
      d.rcItem = item;
      SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
      ReleaseDC(window, d.hDC);
    };
    draw(0);
    const std::vector<TColor> normal = ScreenPixels(item);
    draw(ODS_HOTLIGHT);
    ASSERT_NE(ScreenPixels(item), normal) << button;
    // Along the menu line the item is the system's to put back.
    EXPECT_EQ(HitAt({item.right + 4, Middle(item).y}), HTMENU) << button;
    EXPECT_NE(ScreenPixels(item), normal) << button;
    const POINT over = Middle(mouse->ButtonOf(button)->Rect());
    EXPECT_EQ(HitAt(over), button);
    EXPECT_EQ(ScreenPixels(item), normal) << button;
    mouse->ClearHot();
  }
}

// An outline move or size of a child is measured and applied in the MDI client's coordinates:
// the child lands where the outline was, not shifted by the client's place on the screen.
TEST_F(MDIButtons, AChildMovesAndSizesByOutlineWithinTheMDIClient) {
  Show(true);
  ShowSkinnedChild({30, 40, 250, 200});
  const RECT start = HeatPlace();
  ASSERT_EQ(start.left, 30);
  ASSERT_EQ(start.top, 40);
  RECT screen{};
  GetWindowRect(heat->GetHandle(), &screen);
  const POINT caption{screen.left + 60,
                      screen.top + heat_provider->FrameHeight() + heat_provider->CaptionHeight() / 2};
  // The screen where the outline's top edge will be after the move, before it is drawn there.
  const POINT edge{screen.left + 100 + 30, screen.top + 20};
  const COLORREF before = DesktopAt(edge);
  PostMessageA(heat->GetHandle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(caption.x, caption.y));
  Pump();
  ASSERT_TRUE(TsFrameMouse::Dragging());
  RECT outline = TsFrameMouse::DragOutline();
  EXPECT_TRUE(EqualRect(&outline, &start)) << outline.left << "," << outline.top;
  PostMessageA(heat->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON,
               HeatClientLParam({caption.x + 30, caption.y + 20}));
  Pump();
  // Drawn inverted on the screen where the child would go.
  EXPECT_EQ(DesktopAt(edge), ~before & 0xFFFFFF);
  SaveWindowPicture(frame->GetHandle(), "DRAVOLIN_MDI_OUTLINE_PICTURE");
  PostMessageA(heat->GetHandle(), WM_LBUTTONUP, 0, HeatClientLParam({caption.x + 30, caption.y + 20}));
  Pump();
  EXPECT_FALSE(TsFrameMouse::Dragging());
  RECT moved = HeatPlace();
  EXPECT_EQ(moved.left, 60);
  EXPECT_EQ(moved.top, 60);
  EXPECT_EQ(moved.right - moved.left, 220);
  EXPECT_EQ(moved.bottom - moved.top, 160);

  GetWindowRect(heat->GetHandle(), &screen);
  const POINT corner{screen.right - 2, screen.bottom - 2};
  PostMessageA(heat->GetHandle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(corner.x, corner.y));
  PostMessageA(heat->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, HeatClientLParam({corner.x + 40, corner.y + 25}));
  PostMessageA(heat->GetHandle(), WM_LBUTTONUP, 0, HeatClientLParam({corner.x + 40, corner.y + 25}));
  Pump();
  const RECT sized = HeatPlace();
  EXPECT_EQ(sized.left, 60);
  EXPECT_EQ(sized.top, 60);
  EXPECT_EQ(sized.right - sized.left, 260);
  EXPECT_EQ(sized.bottom - sized.top, 185);
}

// The system paints a restored child's frame before the form learns its new state: the
// maximize slot must not keep the restore glyph.
TEST_F(MDIButtons, ARestoredChildShowsTheMaximizeGlyphAgain) {
  Show(true);
  ShowSkinnedChild({245, 20, 440, 180});
  const HWND window = heat->GetHandle();
  const RECT slot = heat_provider->GetFrameMouse()->ButtonOf(HTMAXBUTTON)->Rect();
  const std::vector<TColor> maximize = ScreenPixels(slot, window);
  SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(window) && Settled(); }));
  SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsZoomed(window) && Settled(); }));
  EXPECT_EQ(ScreenPixels(slot, window), maximize);
}

// A click on a minimised child offers its skinned system menu and leaves it minimised.
TEST_F(MDIButtons, AClickOnAMinimizedChildOpensItsSystemMenu) {
  Show(true);
  ShowSkinnedChild({30, 40, 250, 200});
  const HWND window = heat->GetHandle();
  SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(window) && Settled(); }));
  RECT icon{};
  GetWindowRect(window, &icon);
  const POINT p{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
  TMenuLoopWatch watch;
  // The system's drag of the icon ends with the release.
  PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  PostMessageA(window, WM_LBUTTONUP, 0, HeatClientLParam(p));
  EXPECT_TRUE(PumpUntil([&] { return watch.Entered() == 1; }));
  Pump();
  EXPECT_EQ(watch.Entered(), 1);
  EXPECT_TRUE(IsIconic(window));
  RECT after{};
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&after, &icon));
}
