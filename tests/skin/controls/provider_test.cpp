// The form skin provider on shown forms: a skin of a few sections built in memory, with a
// frame mask whose corner pixels carry the key colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "skin/controls/sframemouse.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sskinmenus.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"

namespace {

constexpr TColor kFormColor = 0x00C08040;   // client background of "FORM"
constexpr TColor kTitleColor = 0x000000C0;  // "FORMTITLE"
constexpr TColor kKey = 0x00FF00FF;
constexpr int kCell = 4;  // frame mask cell: corner rows 0..3

// A frame mask image: 3 states of 3 x 3 cells over the image half and the mask half. The
// outermost pixel and its two neighbours of every corner are key-coloured in state 0.
TBitmap* FrameMask() {
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(9 * kCell, 6 * kCell);
  TCanvas* c = bmp->GetCanvas();
  c->GetBrush()->SetColor(0x00303030);
  c->FillRect(RECT{0, 0, 9 * kCell, 3 * kCell});
  c->GetBrush()->SetColor(0);
  c->FillRect(RECT{0, 3 * kCell, 9 * kCell, 6 * kCell});
  const int r = 3 * kCell - 1;
  for (POINT p : {POINT{0, 0}, POINT{1, 0}, POINT{0, 1}, POINT{r, 0}, POINT{r - 1, 0}, POINT{r, 1},
                  POINT{0, r}, POINT{1, r}, POINT{0, r - 1}, POINT{r, r}, POINT{r - 1, r}, POINT{r, r - 1}})
    c->SetPixels(p.x, p.y, kKey);
  return bmp;
}

TsGeneralData SectionOf(const std::string& name, TColor color) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = color;
  s.HotPaintingColor = color;  // an active form paints in the hot state
  return s;
}

// The manager's broadcast of one message to the test form.
void Broadcast(TCustomForm* form, UINT msg) {
  TMessage message{msg, 0, 0, 0};
  BroadcastToForm(form, message);
}

class Provider : public testing::Test {
 protected:
  void SetUp() override { manager = New<TsSkinManager>(nullptr); }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);  // empties the tables, frees the masks
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
  }
  // The skin: "FORM" with a frame mask, "FORMTITLE", optionally without "FORM".
  void LoadSkin(bool with_form = true) {
    if (with_form) SkinGeneralData.push_back(SectionOf("FORM", kFormColor));
    SkinGeneralData.push_back(SectionOf("FORMTITLE", kTitleColor));
    if (with_form) SkinMasks.push_back(TsMaskData{FrameMask(), "FORM", "BORDERSMASK", {}, 1, 0});
    SkinData().SkinLoaded = true;
  }
  void MakeForm(TFormBorderStyle style = bsSizeable, TBorderIcons icons = {biSystemMenu, biMinimize}) {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBorderStyle(style);
    form->SetBorderIcons(icons);
    form->SetBounds(40, 40, 320, 200);
    form->SetText("Skinned form");
    provider = New<TsSkinProvider>(form);
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  }
  HWND Window() { return form->GetHandle(); }
  TBitmap* Cache() { return provider->GetCommonData()->GetCacheBmp(); }
  bool InRegion(int x, int y) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const bool has = GetWindowRgn(Window(), rgn) != ERROR;
    const bool in = !has || PtInRegion(rgn, x, y);
    DeleteObject(rgn);
    return in;
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TsSkinProvider* provider = nullptr;
};

}  // namespace

// ---- Modes ------------------------------------------------------------------------------------

TEST_F(Provider, AFormWhoseSectionIsNotInTheSkinPassesEverythingOn) {
  LoadSkin(false);
  MakeForm();
  int paints = 0;
  struct Counter : TObject {
    int* n;
    void Paint(TObject*) { ++*n; }
  } counter;
  counter.n = &paints;
  form->OnPaint = TNotifyEvent(&counter, &Counter::Paint);
  Show();
  EXPECT_EQ(provider->GetCommonData()->SkinIndex, -1);
  EXPECT_FALSE(provider->Skinned());
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), 0);
  EXPECT_GT(paints, 0);  // the toolkit painted the client area
  EXPECT_EQ(form->GetBorderIcons(), (TBorderIcons{biSystemMenu, biMinimize}));
}

TEST_F(Provider, SkinnedTheToolkitNeverSeesPaintOrErase) {
  LoadSkin();
  MakeForm();
  int paints = 0;
  struct Counter : TObject {
    int* n;
    void Paint(TObject*) { ++*n; }
  } counter;
  counter.n = &paints;
  form->OnPaint = TNotifyEvent(&counter, &Counter::Paint);
  Show();
  ASSERT_TRUE(provider->Skinned());
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(provider));
  EXPECT_EQ(SendMessageA(Window(), WM_ERASEBKGND, 0, 0), 1);
  InvalidateRect(Window(), nullptr, TRUE);
  UpdateWindow(Window());
  EXPECT_EQ(paints, 0);
  EXPECT_TRUE(form->GetBorderIcons().Empty());  // the system draws no caption buttons
}

TEST_F(Provider, RemovingTheSkinGivesTheFormItsCaptionButtonsBackOrRecreatesIt) {
  LoadSkin();
  MakeForm();
  Show();
  ASSERT_TRUE(form->GetBorderIcons().Empty());
  Broadcast(form, SKM_REMOVESKIN);
  EXPECT_EQ(form->GetBorderIcons(), (TBorderIcons{biSystemMenu, biMinimize}));
  EXPECT_FALSE(provider->Skinned());

  Free(form);
  MakeForm(bsSizeable, {});  // nothing to give back
  Show();
  Broadcast(form, SKM_SETNEWSKIN);
  ASSERT_TRUE(provider->Skinned());
  HWND before = Window();
  Broadcast(form, SKM_REMOVESKIN);
  EXPECT_NE(Window(), before);  // recreated
  EXPECT_TRUE(form->GetBorderIcons().Empty());
}

TEST_F(Provider, ANewSkinInstallsTheSubclassAgainAfterTheWindowWasRecreated) {
  LoadSkin();
  MakeForm(bsSizeable, {});
  Show();
  Broadcast(form, SKM_REMOVESKIN);
  ASSERT_FALSE(provider->Attached());
  Broadcast(form, SKM_SETNEWSKIN);
  EXPECT_TRUE(provider->Attached());
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(provider));
}

namespace {
WNDPROC g_previous = nullptr;
LRESULT CALLBACK LaterProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(g_previous, w, m, wp, lp);
}
}  // namespace

TEST_F(Provider, FreeingTheProviderLeavesALaterSubclassInPlace) {
  LoadSkin();
  MakeForm();
  Show();
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
  Free(provider);
  EXPECT_EQ(GetWindowLongPtrA(Window(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LaterProc));
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), 0);  // ours passes everything on
  SetWindowLongPtrA(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
}

// A second provider on the form subclasses it on top of the first, answers in its place, and
// stays when the first goes; when it goes too the form's own procedure answers again.
TEST_F(Provider, ASecondProviderOnAFormGoesOnTopAndOutlivesTheFirst) {
  LoadSkin();
  MakeForm();
  Show();
  const LONG_PTR first_proc = GetWindowLongPtrA(Window(), GWLP_WNDPROC);
  auto* second = New<TsSkinProvider>(form);
  EXPECT_TRUE(second->Attached());
  EXPECT_NE(GetWindowLongPtrA(Window(), GWLP_WNDPROC), first_proc);
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(second));
  Free(provider);
  provider = second;
  EXPECT_TRUE(second->Attached());
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(second));
  form->SetText("Still painted");
  ASSERT_TRUE(PumpUntil([&] { return !second->GetCommonData()->BGChanged; }));
  Free(second);
  provider = nullptr;
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), 0);
}

namespace {
WNDPROC g_under_count = nullptr;
TsSkinProvider* g_counted = nullptr;
std::vector<bool> g_frame_states;  // the provider's active state at each of its frame repaints
LRESULT CALLBACK CountNCPaint(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  // Ours come without a region; the system's after a new window region bring one.
  if (m == WM_NCPAINT && wp == 0) g_frame_states.push_back(g_counted->FormActive());
  return CallWindowProcA(g_under_count, w, m, wp, lp);
}
}  // namespace

// The system's answer to the activation paints its own caption: the skinned frame goes over
// it at once, in the old state, and again in the new one.
TEST_F(Provider, AnActivationPaintsTheFrameBeforeAndAfterTheNewState) {
  LoadSkin();
  MakeForm();
  Show();
  g_counted = provider;
  g_under_count = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountNCPaint)));
  for (bool active : {false, true}) {
    g_frame_states.clear();
    SendMessageA(Window(), WM_NCACTIVATE, active, 0);
    EXPECT_EQ(g_frame_states, (std::vector<bool>{!active, active}));
  }
  SetWindowLongPtrA(Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_under_count));
}

// Caption alignment and application icon mark the frame stale on a hidden form too, so it
// shows the new frame when it is shown again.
TEST_F(Provider, AlignmentAndIconMarkTheFrameStaleWhileTheFormIsHidden) {
  LoadSkin();
  MakeForm();
  Show();
  form->Hide();
  Pump();
  TsCommonData* data = provider->GetCommonData();
  data->BGChanged = false;
  provider->SetCaptionAlignment(taCenter);
  EXPECT_TRUE(data->BGChanged);
  data->BGChanged = false;
  provider->SetShowAppIcon(false);
  EXPECT_TRUE(data->BGChanged);
  data->BGChanged = false;
  provider->SetShowAppIcon(false);  // no change
  EXPECT_FALSE(data->BGChanged);
}

// A title button hot on the old window is not hot on the new one.
TEST_F(Provider, AttachingToANewWindowClearsTheHotTitleButton) {
  LoadSkin();
  MakeForm();
  Show();
  RECT r{};
  GetWindowRect(Window(), &r);
  const POINT close{r.right - provider->FrameWidth() - 11,
                    r.top + (provider->FrameHeight() + provider->CaptionHeight()) / 2};
  ASSERT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLOSE);
  ASSERT_EQ(provider->GetFrameMouse()->HotButton(), HTCLOSE);
  form->RecreateWnd();
  form->HandleNeeded();
  ASSERT_TRUE(provider->Attached());
  EXPECT_EQ(provider->GetFrameMouse()->HotButton(), 0);
}

// The provider follows a manager of its own: none while the form was made before any, until a
// manager comes onto the form or a new skin is announced.
TEST_F(Provider, TheProviderFollowsItsOwnSkinManager) {
  Free(manager);
  manager = nullptr;
  LoadSkin();
  MakeForm();
  EXPECT_EQ(provider->GetSkinManager(), nullptr);
  manager = New<TsSkinManager>(nullptr);
  SkinData().SkinLoaded = true;
  EXPECT_FALSE(provider->Skinned());
  Broadcast(form, SKM_SETNEWSKIN);
  EXPECT_EQ(provider->GetSkinManager(), manager);
  EXPECT_TRUE(provider->Skinned());
  Free(manager);  // its removal reaches the provider of a form it does not belong to
  manager = nullptr;
  EXPECT_EQ(provider->GetSkinManager(), nullptr);
  // One the form takes over while none is set becomes the provider's.
  auto* own = New<TsSkinManager>(nullptr);
  form->InsertComponent(own);
  EXPECT_EQ(provider->GetSkinManager(), own);
}

TEST_F(Provider, TheLibraryMessagesAnswerFromTheFrameState) {
  LoadSkin();
  MakeForm();
  Show();
  TsCommonData* data = provider->GetCommonData();
  EXPECT_EQ(data->BGChanged, false);
  EXPECT_EQ(SendMessageA(Window(), SKM_ISCACHEREADY, 0, 0), 1);
  SendMessageA(Window(), SKM_SETUPDATING, 0, 1);
  EXPECT_TRUE(data->BGChanged);
  EXPECT_EQ(SendMessageA(Window(), SKM_ISUPDATING, 0, 0), 1);
  EXPECT_EQ(SendMessageA(Window(), SKM_ISCACHEREADY, 0, 0), 0);
  SendMessageA(Window(), SKM_REFRESH, 0, 0);
  EXPECT_FALSE(data->Updating());
  GlobalCacheInfo = TsCacheInfo{};
  SendMessageA(Window(), SKM_GETCACHEINFO, 0, 0);
  EXPECT_EQ(GlobalCacheInfo.Bmp, Cache());
  EXPECT_EQ(GlobalCacheInfo.X, provider->ClientOffset().x);
}

// A child drawn from the form's cache continues the form's background without a seam: on a
// form whose section is a top-to-bottom gradient every row of a see-through panel has the
// colour the form shows beside it, and the cache's client offset is where the system put the
// client area, with a menu line as without.
TEST_F(Provider, ChildrenReadTheCacheWhereTheClientAreaIsCopiedFrom) {
  LoadSkin();
  SkinGeneralData[0].GradientPercent = 100;
  SkinGeneralData[0].HotGradientPercent = 100;
  SkinGeneralData[0].GradientArray = {TsGradStep{0x000000, 0xFFFFFF, 100, 0, 0}};
  SkinGeneralData[0].HotGradientArray = SkinGeneralData[0].GradientArray;
  TsGeneralData see_through = SectionOf("TSPANEL", 0x0000FF);
  see_through.PaintingTransparency = see_through.HotPaintingTransparency = 100;
  SkinGeneralData.push_back(see_through);
  // As the windows show them: the form's client area comes from its provider's paint.
  auto shown = [](HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
  };
  for (bool menu_line : {false, true}) {
    MakeForm();
    if (menu_line) {
      auto* menu = New<TMainMenu>(form);
      auto* file = New<TMenuItem>(form);
      file->SetCaption("&File");
      menu->GetItems()->Add(file);
      form->SetMenu(menu);
    }
    auto* panel = New<TsPanel>(form);
    panel->SetParent(form);
    panel->SetBounds(60, 30, 80, 60);
    panel->SetBevelOuter(cbNone);
    Show();
    ASSERT_EQ(provider->HasMenuLine(), menu_line);
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(panel->GetHandle(), nullptr, FALSE); }));
    int differing = 0;
    for (int y = 0; y < 60; ++y) differing += shown(Window(), 20, 30 + y) != shown(panel->GetHandle(), 40, y);
    EXPECT_EQ(differing, 0) << menu_line;
    EXPECT_NE(shown(Window(), 20, 30), shown(Window(), 20, 89));  // a gradient

    RECT window{};
    GetWindowRect(Window(), &window);
    const POINT client = form->ClientToScreen({0, 0});
    SendMessageA(Window(), SKM_GETCACHEINFO, 0, 0);
    EXPECT_EQ(GlobalCacheInfo.X, client.x - window.left) << menu_line;
    EXPECT_EQ(GlobalCacheInfo.Y, client.y - window.top) << menu_line;
    if (menu_line) SaveWindowPicture(Window(), "DRAVOLIN_GRADIENT_FORM_PICTURE");
    Free(form);
    form = nullptr;
  }
}

int g_registrations = 0;
void* g_register = nullptr;
UINT WINAPI CountingRegisterWindowMessageA(LPCSTR name) {
  ++g_registrations;
  return reinterpret_cast<decltype(&RegisterWindowMessageA)>(g_register)(name);
}

// The taskbar's restart notice is swallowed; the provider does not register its number again
// for every message it passes on.
TEST_F(Provider, TheTaskbarNoticeIsRegisteredOnceNotPerMessage) {
  LoadSkin();
  MakeForm();
  Show();
  g_registrations = 0;
  g_register = PatchImport("user32.dll", "RegisterWindowMessageA",
                           reinterpret_cast<void*>(&CountingRegisterWindowMessageA));
  ASSERT_NE(g_register, nullptr);
  for (UINT msg = WM_USER; msg < WM_USER + 50; ++msg) SendMessageA(Window(), msg, 0, 0);
  const LRESULT taskbar = SendMessageA(Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  PatchImport("user32.dll", "RegisterWindowMessageA", g_register);
  EXPECT_EQ(g_registrations, 1);  // the test's own
  EXPECT_EQ(taskbar, 0);
}

// Menu items the form meets join the skinned menus: one the menu line measures, one put on the
// form, and those there when the form is activated; one taken off the form leaves them.
TEST_F(Provider, MenuItemsTheFormMeetsJoinTheSkinnedMenus) {
  RegisterSkinnedMenus();
  Free(manager);
  manager = New<TsSkinManager>(nullptr);
  LoadSkin();
  manager->GetMenuPainter()->SetActive(true);
  MakeForm();
  auto* menu = New<TMainMenu>(form);
  auto add = [&](TComponent* owner, const char* caption) {
    auto* item = New<TMenuItem>(owner);
    item->SetCaption(caption);
    menu->GetItems()->Add(item);
    return item;
  };
  TMenuItem* file = add(form, "&File");
  form->SetMenu(menu);
  Show();
  TMenuItem* measured = add(nullptr, "&Edit");
  manager->GetMenuPainter()->HookItem(measured, false);  // as if the line had not measured it yet
  ASSERT_FALSE(measured->OnMeasureItem);
  MEASUREITEMSTRUCT measure{ODT_MENU, 0, measured->GetCommand(), 0, 0, 0};
  SendMessageA(Window(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
  EXPECT_TRUE(measured->OnMeasureItem);

  TMenuItem* moved = add(nullptr, "&View");
  manager->GetMenuPainter()->HookItem(moved, false);
  form->InsertComponent(moved);
  EXPECT_TRUE(moved->OnAdvancedDrawItem);
  form->RemoveComponent(moved);
  EXPECT_FALSE(moved->OnAdvancedDrawItem);

  TMenuItem* later = add(nullptr, "&Help");
  manager->GetMenuPainter()->HookItem(later, false);
  SendMessageA(Window(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(later->OnAdvancedDrawItem);
  EXPECT_TRUE(file->OnAdvancedDrawItem);
  for (TMenuItem* item : {measured, moved, later}) menu->GetItems()->Remove(item), Free(item);
  SetMenuPainterFactory(nullptr);
}

// The menu line's band is kept as the section painted it, before the items go on it.
TEST_F(Provider, TheMenuLineBandIsKeptWithoutItsItems) {
  constexpr TColor kLineColor = 0x00306050;
  RegisterSkinnedMenus();
  Free(manager);
  manager = New<TsSkinManager>(nullptr);
  LoadSkin();
  SkinGeneralData.push_back(SectionOf("MENULINE", kLineColor));
  manager->GetMenuPainter()->SetActive(true);
  MakeForm();
  auto* menu = New<TMainMenu>(form);
  auto* file = New<TMenuItem>(form);
  file->SetCaption("&File WWWW");
  menu->GetItems()->Add(file);
  form->SetMenu(menu);
  Show();
  provider->RepaintFrame();
  TBitmap* band = provider->GetMenuLineBitmap();
  ASSERT_EQ(band->GetWidth(), form->GetWidth());
  ASSERT_EQ(band->GetHeight(), provider->MenuHeight() + 1);
  const int top = provider->FrameHeight() + provider->CaptionHeight();
  int items = 0, kept = 0;
  for (int y = 0; y < band->GetHeight(); ++y)
    for (int x = provider->FrameWidth(); x < form->GetWidth() - provider->FrameWidth(); ++x) {
      kept += band->GetPixelColor(x, y) != kLineColor;
      items += Cache()->GetPixelColor(x, top + y) != kLineColor;
    }
  EXPECT_EQ(kept, 0);
  EXPECT_GT(items, 0);  // the cache has the caption written on the line
  SetMenuPainterFactory(nullptr);
}

// ---- Metrics ----------------------------------------------------------------------------------

TEST_F(Provider, FrameMetricsFollowTheBorderStyle) {
  LoadSkin();
  MakeForm(bsToolWindow);
  EXPECT_EQ(provider->FrameWidth(), GetSystemMetrics(SM_CXFRAME) - 1);
  EXPECT_EQ(provider->FrameHeight(), GetSystemMetrics(SM_CYFRAME));
  EXPECT_EQ(provider->CaptionHeight(), GetSystemMetrics(SM_CYSMCAPTION) - 1);
  form->SetBorderStyle(bsDialog);
  EXPECT_EQ(provider->FrameWidth(), GetSystemMetrics(SM_CXFRAME) - 1);
  EXPECT_EQ(provider->FrameHeight(), GetSystemMetrics(SM_CYFRAME) - 1);
  EXPECT_EQ(provider->CaptionHeight(), GetSystemMetrics(SM_CYCAPTION));
  form->SetBorderStyle(bsNone);
  EXPECT_EQ(provider->FrameWidth(), 0);
  EXPECT_EQ(provider->CaptionHeight(), 0);
  EXPECT_EQ(provider->FrameTopBand(), 1);
}

// ---- Frame painting and region ----------------------------------------------------------------

TEST_F(Provider, TheCaptionBandIsPaintedFromTheSkinAndTheClientFlat) {
  LoadSkin();
  MakeForm();
  Show();
  TBitmap* cache = Cache();
  ASSERT_EQ(cache->GetWidth(), form->GetWidth());
  ASSERT_EQ(cache->GetHeight(), form->GetHeight());
  const int y = provider->FrameHeight() + provider->CaptionHeight() / 2;
  EXPECT_EQ(cache->GetPixelColor(form->GetWidth() - 30, y), kTitleColor);
  // The window shows what the cache holds, the client area the section's flat colour.
  HDC dc = GetWindowDC(Window());
  EXPECT_EQ(GetPixel(dc, form->GetWidth() - 30, y), static_cast<COLORREF>(kTitleColor));
  const POINT offset = provider->ClientOffset();
  EXPECT_EQ(GetPixel(dc, offset.x + 20, offset.y + 20), static_cast<COLORREF>(kFormColor));
  ReleaseDC(Window(), dc);
}

TEST_F(Provider, TheRegionCutsTheCornersTheMaskMarksTransparent) {
  LoadSkin();
  MakeForm();
  Show();
  const int w = form->GetWidth(), h = form->GetHeight();
  EXPECT_FALSE(InRegion(0, 0));
  EXPECT_FALSE(InRegion(1, 0));
  EXPECT_FALSE(InRegion(w - 1, 0));
  EXPECT_FALSE(InRegion(0, h - 1));
  EXPECT_FALSE(InRegion(w - 1, h - 1));
  EXPECT_TRUE(InRegion(2, 0));
  EXPECT_TRUE(InRegion(1, 1));
  EXPECT_TRUE(InRegion(w / 2, h / 2));
  EXPECT_EQ(provider->RegionRects().size(), 8u);
  // Resized: the bottom corners follow.
  form->SetBounds(40, 40, 360, 260);
  Pump();
  SendMessageA(Window(), WM_NCPAINT, 0, 0);
  EXPECT_FALSE(InRegion(359, 259));
  EXPECT_TRUE(InRegion(318, 198));
}

TEST_F(Provider, ABorderlessFormGetsTheBackgroundWithoutCaption) {
  LoadSkin();
  MakeForm(bsNone);
  Show();
  TBitmap* cache = Cache();
  ASSERT_EQ(cache->GetWidth(), form->GetWidth());
  EXPECT_EQ(cache->GetPixelColor(form->GetWidth() - 30, 5), kFormColor);
  EXPECT_EQ(cache->GetPixelColor(0, 0), kFormColor);  // no frame mask
}

TEST_F(Provider, ANewCaptionIsPaintedRightAwayAndNeverAskedFromTheWindow) {
  LoadSkin();
  MakeForm();
  Show();
  TBitmap* before = New<TBitmap>();
  before->Assign(Cache());
  const int y = provider->FrameHeight() + provider->CaptionHeight() / 2;
  // Painted while the text is being set, with the new text, before anything else happens.
  form->SetText("Another caption, much longer than the first one");
  bool differs = false;
  for (int x = 0; x < 200 && !differs; ++x)
    for (int dy = -3; dy <= 3 && !differs; ++dy)
      differs = before->GetPixelColor(x, y + dy) != Cache()->GetPixelColor(x, y + dy);
  EXPECT_TRUE(differs);
  Free(before);
  // What stays on screen is the skinned caption, not one the system drew for the new text.
  HDC dc = GetWindowDC(Window());
  EXPECT_EQ(GetPixel(dc, form->GetWidth() - 30, y), static_cast<COLORREF>(kTitleColor));
  ReleaseDC(Window(), dc);
  ASSERT_TRUE(PumpUntil([&] { return !provider->GetCommonData()->BGChanged; }));
  // Both stored texts know it: neither WM_GETTEXT nor WM_SETCURSOR repaints again.
  char text[64];
  EXPECT_GT(GetWindowTextA(Window(), text, sizeof text), 0);
  SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), HTCLIENT);
  EXPECT_FALSE(provider->GetCommonData()->BGChanged);
}

TEST_F(Provider, ACaptionChangedBehindTheWindowsBackIsPaintedOnTheNextQuery) {
  LoadSkin();
  MakeForm();
  Show();
  // Text changed with the provider's hook out of the way meanwhile.
  TWndMethod hooked = form->WindowProc;
  form->WindowProc = TWndMethod(form, &TCustomForm::WndProc);
  form->SetText("Changed quietly");
  form->WindowProc = hooked;
  TsCommonData* data = provider->GetCommonData();
  char text[64];
  // (Wine's own caption drawing asks for the text on WM_SETTEXT: the WM_GETTEXT text is
  // up to date by now, the cursor's is not.)
  data->BGChanged = false;
  SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), HTCLIENT);
  EXPECT_TRUE(data->BGChanged);
  data->BGChanged = false;
  SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), HTCLIENT);
  SendMessageA(Window(), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_FALSE(data->BGChanged);  // both know it now
}

TEST_F(Provider, WithACaptionBandCopyACaptionChangeRepaintsTheBandOnly) {
  LoadSkin();
  SkinGeneralData[0].ReservedBoolean = true;
  MakeForm();
  Show();
  TBitmap* cache = Cache();
  const int below = provider->FrameHeight() + provider->CaptionHeight() + 10;
  cache->GetCanvas()->SetPixels(50, below, 0x0000FF00);  // a mark outside the band
  form->SetText("A new caption");
  ASSERT_TRUE(PumpUntil([&] { return !provider->GetCommonData()->BGChanged; }));
  EXPECT_EQ(cache->GetPixelColor(50, below), 0x0000FF00);
  const int y = provider->FrameHeight() + provider->CaptionHeight() / 2;
  EXPECT_EQ(cache->GetPixelColor(form->GetWidth() - 30, y), kTitleColor);
}

TEST_F(Provider, ARecreatedWindowIsSubclassedAgainBeforeItShows) {
  LoadSkin();
  MakeForm();
  Show();
  HWND before = Window();
  form->RecreateWnd();
  form->HandleNeeded();
  ASSERT_NE(Window(), before);
  ASSERT_TRUE(
      PumpUntil([&] { return IsWindowVisible(Window()) && !GetUpdateRect(Window(), nullptr, FALSE); }));
  EXPECT_TRUE(provider->Attached());
  EXPECT_EQ(SendMessageA(Window(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(provider));
  EXPECT_FALSE(InRegion(0, 0));
}

TEST_F(Provider, ACentredCaptionIsCentredBetweenTheIconAndTheButtons) {
  LoadSkin();
  MakeForm();
  provider->SetCaptionAlignment(taCenter);
  Show();
  TBitmap* cache = Cache();
  const int left = GetSystemMetrics(SM_CXSMICON) + provider->FrameWidth() + 4;
  const int right = form->GetWidth() - 16;  // no title buttons here
  int first = -1, last = -1;
  for (int x = 0; x < form->GetWidth(); ++x)
    for (int y = provider->FrameHeight(); y < provider->CaptionHeight(); ++y)
      if (x > left - 4 && cache->GetPixelColor(x, y) != kTitleColor) {
        if (first < 0) first = x;
        last = x;
      }
  ASSERT_GE(first, 0);
  EXPECT_NEAR((first + last) / 2, (left + right) / 2, 3);
}

TEST_F(Provider, AnInactiveCaptionIsPaintedInTheNormalStateOverTheSystemsOwn) {
  LoadSkin();
  constexpr TColor kInactive = 0x00808000;
  SkinGeneralData[1].PaintingColor = kInactive;
  MakeForm();
  Show();
  const int x = form->GetWidth() - 30, y = provider->FrameHeight() + provider->CaptionHeight() / 2;
  auto on_screen = [&] {
    HDC dc = GetWindowDC(Window());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Window(), dc);
    return c;
  };
  SendMessageA(Window(), WM_NCACTIVATE, FALSE, 0);
  EXPECT_FALSE(provider->FormActive());
  EXPECT_EQ(on_screen(), static_cast<COLORREF>(kInactive));
  SendMessageA(Window(), WM_NCACTIVATE, TRUE, 0);
  EXPECT_TRUE(provider->FormActive());
  EXPECT_EQ(on_screen(), static_cast<COLORREF>(kTitleColor));
}

TEST_F(Provider, AMinimizedFormIsPaintedAsACaptionBand160PixelsWide) {
  LoadSkin();
  MakeForm();
  Show();
  ShowWindow(Window(), SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(Window()) != FALSE; }));
  provider->RepaintFrame();
  EXPECT_EQ(Cache()->GetWidth(), 160);
  EXPECT_EQ(Cache()->GetHeight(), provider->CaptionHeight() + provider->FrameHeight() + 1);
}

namespace {

// Writes down the system commands and caption releases the provider passes on, and keeps the
// system's move loop (which would wait for the mouse) from starting.
class TCommandLogForm : public TForm {
 public:
  TCommandLogForm() : TForm(nullptr, kCreateNew) {}
  std::vector<std::pair<UINT, WPARAM>> log;

 protected:
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_SYSCOMMAND || m.Msg == WM_NCLBUTTONUP) log.emplace_back(m.Msg, m.WParam);
    if (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_MOVE) return;
    TForm::WndProc(m);
  }
};

}  // namespace

// Minimised, the window is its caption band: the region keeps it whole but for the corners,
// and the screen shows the text. A press drags it about (the system's move from the caption,
// then the release), and a double click maximizes it as on any form that is not maximized.
TEST_F(Provider, AMinimizedFormShowsItsCaptionIsMovedByAPressAndMaximizedByADoubleClick) {
  LoadSkin();
  auto* logging = New<TCommandLogForm>();
  form = logging;
  form->SetBorderStyle(bsSingle);
  form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
  form->SetBounds(40, 40, 320, 200);
  provider = New<TsSkinProvider>(form);
  form->SetText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  Show();
  auto minimize = [&] {
    ShowWindow(Window(), SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(Window()) && !GetUpdateRect(Window(), nullptr, FALSE); }));
  };
  minimize();
  RECT wr{};
  GetWindowRect(Window(), &wr);
  const int band = provider->CaptionHeight() + provider->FrameHeight();
  const int mid = band / 2 + 1;
  EXPECT_FALSE(InRegion(0, 0));
  EXPECT_FALSE(InRegion(159, 0));
  for (int x = 4; x < std::min<int>(wr.right - wr.left, 156); x += 8) EXPECT_TRUE(InRegion(x, mid)) << x;
  // The caption text (a row of W) runs from the left edge almost to the right one, and the
  // screen shows the band as painted, whatever the system calls client area there.
  int text_columns = 0;
  for (int x = 30; x < 140; ++x) {
    bool text = false;
    for (int y = provider->FrameHeight(); y < band; ++y)
      text = text || Cache()->GetPixelColor(x, y) != kTitleColor;
    text_columns += text;
  }
  EXPECT_GT(text_columns, 60);
  HDC dc = GetWindowDC(Window());
  int differing = 0;
  for (int y = 0; y < band; ++y)
    for (int x = 0; x < 160; ++x)
      differing +=
          InRegion(x, y) && GetPixel(dc, x, y) != static_cast<COLORREF>(Cache()->GetPixelColor(x, y));
  ReleaseDC(Window(), dc);
  EXPECT_EQ(differing, 0);
  // All of it answers as caption.
  POINT p{wr.left + 80, wr.top + mid};
  EXPECT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCAPTION);
  logging->log.clear();
  SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  const std::vector<std::pair<UINT, WPARAM>> moved{{WM_SYSCOMMAND, SC_MOVE + HTCAPTION},
                                                   {WM_NCLBUTTONUP, HTCAPTION}};
  EXPECT_EQ(logging->log, moved);
  EXPECT_TRUE(IsIconic(Window()));
  PostMessageA(Window(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(p.x, p.y));
  EXPECT_TRUE(PumpUntil([&] { return IsZoomed(Window()) != FALSE; }));
  const std::pair<UINT, WPARAM> maximize{WM_SYSCOMMAND, SC_MAXIMIZE};
  EXPECT_NE(std::find(logging->log.begin(), logging->log.end(), maximize), logging->log.end());
}

// The internal skin's caption with its minimise and close buttons, as on the main window: its
// strip behind the buttons spans the whole caption band, yet its groove neither cuts the
// outline at the top nor the line under the caption, and nothing of it shows around the
// minimise button, before or after the button was hot.
TEST_F(Provider, TheStripBehindTheTitleButtonsLeavesNoSeamAtTheMinimiseButton) {
  std::ifstream in(std::string(DRAVOLIN_SKIN_DIR) + "/internal_skin.fragment", std::ios::binary);
  std::stringstream fragment;
  fragment << in.rdbuf();
  ASSERT_FALSE(fragment.str().empty()) << "the build has not written the skin";
  ReadComponentFromText(
      manager,
      "object Skins: TsSkinManager\n" + fragment.str() + "SkinName = 'GrayPlastic (internal)'\nend\n",
      "internal skin");
  ASSERT_TRUE(SkinData().SkinLoaded);
  MakeForm(bsSingle);
  form->SetText("A");
  Show();
  TsFrameMouse* mouse = provider->GetFrameMouse();
  const RECT min = mouse->ButtonOf(HTMINBUTTON)->Rect();
  const RECT close = mouse->ButtonOf(HTCLOSE)->Rect();
  ASSERT_LT(min.left, min.right);
  ASSERT_LT(min.right, close.left);
  const int band = provider->FrameHeight() + provider->CaptionHeight();
  auto expect_no_seam = [&](const char* when) {
    TBitmap* cache = Cache();
    // Left of the strip the caption is plain: each row there is what the row must be.
    const int plain = min.left - 24;
    for (int y : {0, band - 1})
      for (int x = plain; x < close.left; ++x)
        ASSERT_EQ(cache->GetPixelColor(x, y), cache->GetPixelColor(plain, y))
            << when << " at " << x << ", " << y;
    for (int y = 0; y < band; ++y) {
      if (y >= min.top && y < min.bottom) continue;
      for (int x = min.left; x < min.right; ++x)
        ASSERT_EQ(cache->GetPixelColor(x, y), cache->GetPixelColor(plain, y))
            << when << " at " << x << ", " << y;
    }
  };
  expect_no_seam("painted");
  auto picture = [&] {
    std::vector<TColor> pixels;
    for (int y = 0; y < band; ++y)
      for (int x = min.left - 4; x <= min.right; ++x) pixels.push_back(Cache()->GetPixelColor(x, y));
    return pixels;
  };
  const std::vector<TColor> before = picture();
  mouse->SetHot(HTMINBUTTON);
  mouse->ClearHot();
  EXPECT_EQ(picture(), before) << "the button repainted alone is the button painted with the frame";
}

namespace {

// An own mask bitmap of three states, each a solid picture over an all-showing mask.
TBitmap* SolidMask(int state_width, int height, TColor colour) {
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(3 * state_width, 2 * height);
  TCanvas* c = bmp->GetCanvas();
  c->GetBrush()->SetColor(colour);
  c->FillRect(RECT{0, 0, 3 * state_width, height});
  c->GetBrush()->SetColor(0);
  c->FillRect(RECT{0, height, 3 * state_width, 2 * height});
  return bmp;
}

}  // namespace

// The title bar mask covers the caption band's right end from the window's top edge to the
// caption's bottom: two of its cells wider than the standard buttons (a button's width each,
// no gap), painted the same by the full frame and by the caption band's own repaint.
TEST_F(Provider, TheTitleBarSpansTheCaptionBandFromTheTopEdgeTwoCellsWiderThanTheButtons) {
  constexpr TColor kBar = 0x0000FF00;
  constexpr int kButton = 14, kBarCell = 5;
  LoadSkin();
  SkinGeneralData[0].ReservedBoolean = true;  // a caption change repaints the band alone
  SkinMasks.push_back(TsMaskData{SolidMask(3 * kBarCell, 3 * kBarCell, kBar), "FORM", "TITLEBAR", {}, 1, 1});
  for (const char* button : {"BICONCLOSE", "BICONMIN"})
    SkinMasks.push_back(TsMaskData{SolidMask(kButton, kButton, 0x00404040), "FORM", button, {}, 1, 1});
  MakeForm();
  Show();
  ASSERT_EQ(provider->GetFrameMouse()->StandardButtonCount(), 2);
  const int w = form->GetWidth(), band = provider->FrameHeight() + provider->CaptionHeight();
  const int left = w - (2 * kBarCell + 2 * kButton);
  auto expect_bar = [&](const char* when) {
    TBitmap* cache = Cache();
    for (int y = 0; y < band; ++y) {
      EXPECT_EQ(cache->GetPixelColor(left, y), kBar) << when << " at " << y;
      EXPECT_NE(cache->GetPixelColor(left - 1, y), kBar) << when << " at " << y;
    }
    for (int x = left; x < w; ++x) {
      EXPECT_EQ(cache->GetPixelColor(x, 0), kBar) << when << " at " << x;
      EXPECT_NE(cache->GetPixelColor(x, band), kBar) << when << " at " << x;
    }
  };
  expect_bar("painted");
  form->SetText("Another caption");
  ASSERT_TRUE(PumpUntil([&] { return !provider->GetCommonData()->BGChanged; }));
  expect_bar("caption changed");
}

TEST_F(Provider, WindowedChildrenShowAfterTheRegionIsCut) {
  LoadSkin();
  MakeForm();
  TPanel* panel = New<TPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 100, 60);
  panel->SetColor(0x0000C000);
  panel->SetBevelOuter(bvNone);
  Show();
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(panel->GetHandle(), nullptr, FALSE); }));
  HDC dc = GetDC(nullptr);
  POINT p{50, 40};
  ClientToScreen(Window(), &p);
  EXPECT_EQ(GetPixel(dc, p.x, p.y), static_cast<COLORREF>(0x0000C000));
  ReleaseDC(nullptr, dc);
}

// A form without an icon of its own shows the application's; without a size from the title
// icon it reaches down from the icon's top to the caption's bottom.
TEST_F(Provider, AFormWithoutAnIconShowsTheApplicationsDownToTheCaptionsBottom) {
  LoadSkin();
  MakeForm();
  provider->GetTitleIcon()->SetWidth(0);
  provider->GetTitleIcon()->SetHeight(0);
  constexpr COLORREF kGreen = RGB(0, 160, 0);
  Application->GetIcon()->SetHandle(SolidIcon(32, kGreen));
  Show();
  const RECT ir = provider->IconRect();
  const int size = provider->CaptionHeight() - ir.top;
  int green = 0;
  for (int y = ir.top; y < ir.top + size + 4; ++y)
    for (int x = ir.left; x < ir.left + size + 4; ++x)
      if (Cache()->GetPixelColor(x, y) == static_cast<TColor>(kGreen)) ++green;
  Application->GetIcon()->SetHandle(nullptr);
  EXPECT_EQ(green, size * size);
}

// ---- Outline sizing ---------------------------------------------------------------------------

// The real pointer is placed where each posted message points, as the user's drag would.
TEST_F(Provider, InOutlineModeASizeDragStopsAtTheFormsConstraintsOrTheSystemsMinimum) {
  LoadSkin();
  MakeForm();
  provider->SetResizeMode(rmBorder);
  Show();
  SIZE outline{};
  auto drag = [&](int dx, int dy) {
    RECT r{};
    GetWindowRect(Window(), &r);
    const POINT corner{r.right - 2, r.bottom - 2}, target{corner.x + dx, corner.y + dy};
    ASSERT_TRUE(PlaceCursor(corner));
    PostMessageA(Window(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(corner.x, corner.y));
    Pump();
    ASSERT_TRUE(PlaceCursor(target));
    POINT client = target;
    ScreenToClient(Window(), &client);
    PostMessageA(Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    Pump();
    // The outline shows the size the release will give.
    const RECT o = TsFrameMouse::DragOutline();
    outline = {o.right - o.left, o.bottom - o.top};
    PostMessageA(Window(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    Pump();
  };
  auto size = [&] {
    RECT r{};
    GetWindowRect(Window(), &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  form->GetConstraints()->SetMinWidth(260);
  form->GetConstraints()->SetMinHeight(170);
  drag(-250, -180);
  EXPECT_EQ(outline.cx, 260);
  EXPECT_EQ(outline.cy, 170);
  EXPECT_EQ(size().cx, 260);
  EXPECT_EQ(size().cy, 170);
  EXPECT_EQ(form->GetWidth(), 260);
  // Larger is free, and a limit on one side only leaves the other to the system's minimum.
  drag(40, 30);
  EXPECT_EQ(size().cx, 300);
  EXPECT_EQ(size().cy, 200);
  form->GetConstraints()->SetMinHeight(0);
  drag(-250, -180);
  EXPECT_EQ(outline.cy, GetSystemMetrics(SM_CYMINTRACK));
  EXPECT_EQ(size().cx, 260);
  EXPECT_EQ(size().cy, GetSystemMetrics(SM_CYMINTRACK));
}
