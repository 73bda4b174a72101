// Title buttons, frame hit codes, clicks, outline moving/sizing and the system menu, on a shown
// form whose messages reach the frame mouse as they reach the skin provider. The mouse is
// never moved: the tests post what the system would send.
#include <gtest/gtest.h>

#include <windows.h>

#include "../../toolkit/visual_test_classes.h"
#include "skin/controls/sframemouse.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstoredskin.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/winsubclass.h"

// A component that stores title buttons and icon as the skin provider does.
class TTitleOwner : public TComponent {
  TK_CLASS(TTitleOwner, TComponent)

 public:
  explicit TTitleOwner(TComponent* owner)
      : TComponent(owner), buttons_(new TsTitleButtons(this)), icon_(new TsTitleIcon) {}
  ~TTitleOwner() override {
    delete buttons_;
    delete icon_;
  }
  TsTitleButtons* GetTitleButtons() const { return buttons_; }
  void SetTitleButtons(TsTitleButtons* buttons) { buttons_->Assign(buttons); }
  TsTitleIcon* GetTitleIcon() const { return icon_; }
  void SetTitleIcon(TsTitleIcon* icon) { icon_->Assign(icon); }

 private:
  static void Publish(TPublisher<TTitleOwner>& p) {
    p.Collection("TitleButtons", &TTitleOwner::GetTitleButtons, &TTitleOwner::SetTitleButtons);
    p.Object("TitleIcon", &TTitleOwner::GetTitleIcon, &TTitleOwner::SetTitleIcon);
  }
  TsTitleButtons* buttons_;
  TsTitleIcon* icon_;
};
TK_CLASS_INFO(TTitleOwner, TComponent)

namespace {

TEST(TitleButtons, AreStoredWithTheirOwnerAndReadBack) {
  TTitleOwner source(nullptr);
  source.SetName("Provider");
  TsTitleButton* pin = source.GetTitleButtons()->Add();
  EXPECT_EQ(pin->Name, "TsTitleButton");
  pin->Name = "Pin";
  pin->Enabled = false;
  source.GetTitleButtons()->Add()->UseSkinData = false;
  source.GetTitleIcon()->SetWidth(20);
  EXPECT_EQ(source.GetTitleButtons()->GetOwner(), &source);
  EXPECT_EQ(source.GetTitleButtons()->GetPropName(), "TitleButtons");
  std::string text = WriteComponentToText(&source);
  TTitleOwner copy(nullptr);
  ReadComponentFromText(&copy, text, "test");
  ASSERT_EQ(copy.GetTitleButtons()->GetCount(), 2) << text;
  EXPECT_EQ(copy.GetTitleButtons()->Button(0)->GetDisplayName(), "Pin");
  EXPECT_FALSE(copy.GetTitleButtons()->Button(0)->Enabled);
  EXPECT_TRUE(copy.GetTitleButtons()->Button(0)->UseSkinData);
  EXPECT_FALSE(copy.GetTitleButtons()->Button(1)->UseSkinData);
  EXPECT_EQ(copy.GetTitleIcon()->GetWidth(), 20);
  EXPECT_EQ(copy.GetTitleIcon()->GetHeight(), 16);
}

// Button masks are 3 states of 18 x 15 on the master bitmap; each mask and state has its
// own colour, so a pixel tells which glyph and state was drawn.
constexpr int kCellW = 18, kCellH = 15;
const char* const kMasks[] = {"BICONCLOSE", "BICONMAX", "BICONMIN", "BICONHELP", "BICONNORM", "TITLEBUTTON"};
TColor GlyphColor(int mask, int state) { return RGB(40 + mask * 30, 60 + state * 60, 200 - mask * 20); }

void ResetSkin() {
  FreeAllSkinTables();
  SkinData().DefaultManager = nullptr;
  SkinData().SkinLoaded = false;
}

LPARAM ScreenLParam(POINT p) { return MAKELPARAM(p.x, p.y); }

class FrameTest : public ::testing::Test, public TsFrameHost {
 protected:
  void SetUp() override {
    ResetSkin();
    master_ = new TBitmap;
    master_->SetPixelFormat(pf24bit);
    master_->SetSize(kCellW * 3, kCellH * 6);
    SkinGeneralData.assign(1, TsGeneralData{});
    SkinGeneralData[0].SectionName = "FORM";
    for (int m = 0; m < 6; ++m) {
      for (int s = 0; s < 3; ++s) {
        master_->GetCanvas()->GetBrush()->SetColor(GlyphColor(m, s));
        master_->GetCanvas()->FillRect(RECT{s * kCellW, m * kCellH, (s + 1) * kCellW, (m + 1) * kCellH});
      }
      TsMaskData mask;
      mask.SectionName = "FORM";
      mask.PropertyName = kMasks[m];
      mask.R = RECT{0, m * kCellH, 3 * kCellW, (m + 1) * kCellH};
      mask.ImageCount = 3;
      SkinMasks.push_back(mask);
    }
    MasterBitmap = master_;
    SkinData().SkinLoaded = true;
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(100, 100, 400, 300);
    // As the provider does: the system draws no caption buttons of its own.
    form->SetBorderIcons({});
    buttons = new TsTitleButtons(nullptr);
    menu = new TsSystemMenu(nullptr, form);
    cache = new TBitmap;
    back = new TBitmap;
    mouse = new TsFrameMouse(*this);
    form->Show();
    proc_.test = this;
    subclass = new TWindowSubclass(TWndMethod(&proc_, &Proc::Handle));
    subclass->Install(form->GetHandle());
    Paint();
  }
  void TearDown() override {
    delete subclass;
    delete mouse;
    Free(form);
    delete menu;
    delete buttons;
    delete cache;
    delete back;
    // A skin the manager loaded has freed ours already.
    if (MasterBitmap == master_) {
      MasterBitmap = nullptr;
      SkinMasks.clear();
      delete master_;
    }
    ResetSkin();
    Pump();
  }
  // The form's messages as the provider's window procedure sees them.
  struct Proc : TObject {
    FrameTest* test = nullptr;
    void Handle(TMessage& m) {
      if (!test->mouse->WndProc(m)) test->subclass->CallPrevious(m);
    }
  } proc_;

  // ---- TsFrameHost
  TCustomForm* FrameForm() override { return form; }
  TsFrameLayout FrameLayout() override {
    TsFrameLayout l;
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    l.Width = r.right - r.left;
    l.Height = r.bottom - r.top;
    l.Metrics = FrameMetricsOf(form->GetBorderStyle());
    l.IconRight = l.Metrics.FrameWidth + GetSystemMetrics(SM_CXSMICON);
    l.IconBottom = l.Metrics.FrameHeight + GetSystemMetrics(SM_CYSMICON);
    l.Button = TitleButtonSize(0);
    l.Rules = {form->GetBorderStyle(), icons, form->GetWindowState()};
    return l;
  }
  TsTitleButtons* FrameTitleButtons() override { return buttons; }
  TsSystemMenu* FrameSystemMenu() override { return menu; }
  bool FrameOutlineResize() override { return outline_resize; }
  bool FrameActive() override { return true; }
  int FrameSkinIndex() override { return 0; }
  TBitmap* FrameCache() override { return cache; }
  TBitmap* FrameButtonBackground() override { return back; }
  SIZE FrameMinSize() override { return min_size; }
  void FramePassOn(TMessage& m) override { subclass->CallPrevious(m); }
  void FrameRepaint() override { ++repaints; }
  TsSkinManager* FrameSkinManager() override { return SkinData().DefaultManager; }

  // The provider's frame painting, reduced to the buttons on a grey caption.
  void Paint() {
    menu->SetBorderIcons(icons);
    TsFrameLayout l = FrameLayout();
    cache->SetPixelFormat(pf24bit);
    cache->SetSize(l.Width, l.Height);
    cache->GetCanvas()->GetBrush()->SetColor(clGray);
    cache->GetCanvas()->FillRect(RECT{0, 0, l.Width, l.Height});
    mouse->CopyButtonBackground(cache, back);
    mouse->UpdateMasks();
    mouse->PaintTitleButtons(cache);
  }
  // The screen point of a window point.
  POINT Screen(POINT p) {
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    return {r.left + p.x, r.top + p.y};
  }
  // The middle of title slot k (1: rightmost) from the metrics.
  POINT Slot(int k) {
    TsFrameLayout l = FrameLayout();
    return {l.SlotLeft(k) + l.Button.cx / 2, l.ButtonTop() + l.Button.cy / 2};
  }
  int HitAt(POINT window_point) {
    return static_cast<int>(
        SendMessageA(form->GetHandle(), WM_NCHITTEST, 0, ScreenLParam(Screen(window_point))));
  }
  void Post(UINT msg, WPARAM wparam, POINT window_point) {
    PostMessageA(form->GetHandle(), msg, wparam, ScreenLParam(Screen(window_point)));
    Pump();
  }
  // A client-area message's point (client coordinates) for a window point.
  LPARAM ClientLParam(POINT window_point) {
    POINT p = Screen(window_point);
    ScreenToClient(form->GetHandle(), &p);
    return MAKELPARAM(p.x, p.y);
  }
  TColor CacheAt(const TsTitleButtonData& d) { return cache->GetCanvas()->GetPixels(d.Left + 2, d.Top + 2); }
  bool Iconic() { return IsIconic(form->GetHandle()) != 0; }

  TDesktopLock lock_;
  TBitmap* master_ = nullptr;
  TForm* form = nullptr;
  TsTitleButtons* buttons = nullptr;
  TsSystemMenu* menu = nullptr;
  TBitmap* cache = nullptr;
  TBitmap* back = nullptr;
  TsFrameMouse* mouse = nullptr;
  TWindowSubclass* subclass = nullptr;
  TBorderIcons icons{biSystemMenu, biMinimize, biMaximize};
  bool outline_resize = false;
  SIZE min_size{0, 0};
  int repaints = 0;
};

// ---- Hit codes -------------------------------------------------------------------------------

TEST_F(FrameTest, HitCodesOfButtonsCaptionIconAndEdgesFollowTheMetrics) {
  TsFrameLayout l = FrameLayout();
  EXPECT_EQ(l.Button.cx, kCellW);
  EXPECT_EQ(l.Button.cy, kCellH);
  EXPECT_EQ(HitAt(Slot(1)), HTCLOSE);
  EXPECT_EQ(HitAt(Slot(2)), HTMAXBUTTON);
  EXPECT_EQ(HitAt(Slot(3)), HTMINBUTTON);
  EXPECT_EQ(HitAt({l.Metrics.FrameWidth + 2, Slot(1).y}), HTSYSMENU);
  EXPECT_EQ(HitAt({l.Width / 2, Slot(1).y}), HTCAPTION);
  // Edges and client are the system's answer.
  EXPECT_EQ(HitAt({1, l.Height / 2}), HTLEFT);
  EXPECT_EQ(HitAt({l.Width - 1, l.Height - 1}), HTBOTTOMRIGHT);
  EXPECT_EQ(HitAt({l.Width / 2, l.Height / 2}), HTCLIENT);
  // The painted buttons sit where the hit test finds them.
  TsTitleButtonData* close = mouse->ButtonOf(HTCLOSE);
  EXPECT_EQ(close->Left, l.Width - l.Metrics.FrameWidth - (kCellW + 1));
  EXPECT_EQ(CacheAt(*close), GlyphColor(0, 0));
  EXPECT_EQ(CacheAt(*mouse->ButtonOf(HTMINBUTTON)), GlyphColor(2, 0));
}

// A button repainted alone gets its background back from the copy of the caption's right end
// (taken one column left of the copy's width from the form's right edge), read at copy width -
// (cache width - Left): where its glyph leaves the key colour, the column left of the button shows.
TEST_F(FrameTest, ARepaintedButtonTakesItsBackgroundFromTheCopyAtCopyWidthLessItsDistanceToTheEdge) {
  for (int m = 0; m < 6; ++m)
    for (int s = 0; s < 3; ++s) master_->GetCanvas()->SetPixels(s * kCellW, m * kCellH, clFuchsia);
  Paint();
  auto column = [](int x) { return static_cast<TColor>(RGB(x & 255, x >> 8, 0x40)); };
  for (int x = 0; x < cache->GetWidth(); ++x) {
    cache->GetCanvas()->GetPen()->SetColor(column(x));
    cache->GetCanvas()->MoveTo(x, 0);
    cache->GetCanvas()->LineTo(x, cache->GetHeight());
  }
  mouse->CopyButtonBackground(cache, back);
  TsTitleButtonData* close = mouse->ButtonOf(HTCLOSE);
  ASSERT_TRUE(close);
  EXPECT_EQ(HitAt(Slot(1)), HTCLOSE);  // hot: repainted alone
  ASSERT_EQ(close->State, 1);
  EXPECT_EQ(cache->GetCanvas()->GetPixels(close->Left, close->Top), column(close->Left - 1));
  EXPECT_EQ(cache->GetCanvas()->GetPixels(close->Left + 1, close->Top + 1), GlyphColor(0, 1));
}

TEST_F(FrameTest, WithoutTheSystemMenuIconNoButtonIsShownOrAnswered) {
  icons = {biMinimize, biMaximize};
  Paint();
  EXPECT_EQ(mouse->ButtonOf(HTCLOSE)->Right, 0);
  EXPECT_EQ(CacheAt(*mouse->ButtonOf(HTCLOSE)), clGray);
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(HitAt(Slot(k)), HTCAPTION) << k;
}

TEST_F(FrameTest, HelpAnswersOnlyWhileMaximizeIsVisible) {
  TsFrameLayout l = FrameLayout();
  l.Rules.Icons = {biSystemMenu, biMinimize, biMaximize, biHelp};
  POINT help{l.SlotLeft(4) + 3, l.ButtonTop() + 3};
  EXPECT_EQ(FrameHitTest(l, help, nullptr), HTHELP);
  l.Rules.Style = bsSingle;  // no maximize button
  EXPECT_NE(FrameHitTest(l, help, nullptr), HTHELP);
  EXPECT_NE(FrameHitTest(l, {l.SlotLeft(3) + 3, help.y}, nullptr), HTHELP);
}

TEST_F(FrameTest, MaximizedFormsAreTransparentAtTheEdgesBelowTheButtonRowAndTheGripSizes) {
  TsFrameLayout l = FrameLayout();
  l.Grip = true;
  l.GripPoint = {l.Width - 20, l.Height - 20};
  EXPECT_EQ(FrameHitTest(l, {l.Width - 10, l.Height - 10}, nullptr), HTBOTTOMRIGHT);
  EXPECT_EQ(FrameHitTest(l, {l.Width - 30, l.Height - 10}, nullptr), HTNOWHERE);
  EXPECT_EQ(FrameHitTest(l, {l.Width / 2, l.Height / 2}, nullptr, HTCLIENT), HTCLIENT);
  l.Rules.State = wsMaximized;
  EXPECT_EQ(FrameHitTest(l, {1, l.Height / 2}, nullptr), HTTRANSPARENT);
  EXPECT_EQ(FrameHitTest(l, {l.Width / 2, l.Height - 2}, nullptr), HTTRANSPARENT);
  // Maximize shows restore there, and restore is allowed.
  EXPECT_EQ(FrameHitTest(l, Slot(2), nullptr), HTMAXBUTTON);
  // The button row answers before the edge: a close button reaching into it still closes.
  l.Metrics.FrameWidth = 1;
  EXPECT_EQ(FrameHitTest(l, {l.Width - 2, Slot(1).y}, nullptr), HTCLOSE);
  EXPECT_EQ(FrameHitTest(l, {l.Width - 2, l.Height / 2}, nullptr), HTTRANSPARENT);
}

TEST_F(FrameTest, CustomButtonsStartAtTheFifthSlotEvenWithOnlyClose) {
  form->SetBorderStyle(bsDialog);
  icons = {biSystemMenu};
  buttons->Add();
  buttons->Add()->Name = "Pin";
  Paint();
  EXPECT_EQ(buttons->Button(0)->Name, "TsTitleButton");
  EXPECT_EQ(buttons->Button(0)->GetDisplayName(), "TsTitleButton");
  TsFrameLayout l = FrameLayout();
  EXPECT_EQ(buttons->Button(0)->Data.Left, l.SlotLeft(5));
  EXPECT_EQ(buttons->Button(1)->Data.Left, l.SlotLeft(6));
  EXPECT_EQ(CacheAt(buttons->Button(0)->Data), GlyphColor(5, 0));
  EXPECT_EQ(HitAt(Slot(5)), HTCUSTOMBUTTON);
  EXPECT_EQ(HitAt(Slot(6)), HTCUSTOMBUTTON + 1);
  EXPECT_EQ(HitAt(Slot(2)), HTCAPTION);
  buttons->Button(1)->Enabled = false;
  EXPECT_EQ(HitAt(Slot(6)), HTCAPTION);
}

// ---- States and clicks -----------------------------------------------------------------------

TEST_F(FrameTest, ACustomButtonGoesHotThenPressedAndFiresOnceOnRelease) {
  buttons->Add();
  Paint();
  int downs = 0, ups = 0;
  struct Counter : TObject {
    int* n;
    void Count(TObject*, TMouseButton, TShiftState, int, int) { ++*n; }
  } down, up;
  down.n = &downs;
  up.n = &ups;
  TsTitleButton* button = buttons->Button(0);
  button->OnMouseDown = TMouseEvent(&down, &Counter::Count);
  button->OnMouseUp = TMouseEvent(&up, &Counter::Count);
  EXPECT_EQ(HitAt(Slot(5)), HTCUSTOMBUTTON);
  EXPECT_EQ(button->Data.State, 1);
  EXPECT_EQ(CacheAt(button->Data), GlyphColor(5, 1));
  Post(WM_NCLBUTTONDOWN, HTCUSTOMBUTTON, Slot(5));
  EXPECT_EQ(button->Data.State, 2);
  EXPECT_EQ(CacheAt(button->Data), GlyphColor(5, 2));
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 0);
  Post(WM_NCLBUTTONUP, HTCUSTOMBUTTON, Slot(5));
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(button->Data.State, 0);
  EXPECT_EQ(CacheAt(button->Data), GlyphColor(5, 0));
  // A second release without a press fires nothing.
  Post(WM_NCLBUTTONUP, HTCUSTOMBUTTON, Slot(5));
  EXPECT_EQ(ups, 1);
  // Leaving the caption cools the hot button.
  HitAt(Slot(5));
  EXPECT_EQ(mouse->HotButton(), HTCUSTOMBUTTON);
  HitAt({FrameLayout().Width / 2, FrameLayout().Height / 2});
  EXPECT_EQ(mouse->HotButton(), 0);
  EXPECT_EQ(button->Data.State, 0);
}

TEST_F(FrameTest, MinimizeFiresOnlyOnReleaseOverThePressedButton) {
  Post(WM_NCLBUTTONDOWN, HTMINBUTTON, Slot(3));
  EXPECT_EQ(mouse->ButtonOf(HTMINBUTTON)->State, 2);
  Post(WM_NCLBUTTONUP, HTCLOSE, Slot(1));
  EXPECT_FALSE(Iconic());
  EXPECT_TRUE(IsWindowVisible(form->GetHandle()));
  EXPECT_EQ(mouse->ButtonOf(HTMINBUTTON)->State, 0);
  Post(WM_NCLBUTTONDOWN, HTMINBUTTON, Slot(3));
  Post(WM_NCLBUTTONUP, HTMINBUTTON, Slot(3));
  EXPECT_TRUE(PumpUntil([&] { return Iconic(); }));
  EXPECT_EQ(form->GetWindowState(), wsMinimized);
  EXPECT_EQ(repaints, 1);
}

TEST_F(FrameTest, CtrlClickOnTheFrameDoesNotMinimize) {
  // After a Ctrl+click the system sends WM_LBUTTONUP with MK_CONTROL (8 = HTMINBUTTON).
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, MK_CONTROL, ClientLParam(Slot(3)));
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, MK_CONTROL, ClientLParam({FrameLayout().Width / 2, 60}));
  Pump();
  EXPECT_FALSE(Iconic());
  // Nor does a release that no press on the button began.
  Post(WM_NCLBUTTONUP, HTMINBUTTON, Slot(3));
  EXPECT_FALSE(Iconic());
  // A press on the button released over it (captured: a client release) does.
  Post(WM_NCLBUTTONDOWN, HTMINBUTTON, Slot(3));
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, 0, ClientLParam(Slot(3)));
  EXPECT_TRUE(PumpUntil([&] { return Iconic(); }));
}

TEST_F(FrameTest, AMaximizedFormShowsRestoreInTheMaximizeSlotAndRestores) {
  form->SetWindowState(wsMaximized);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->GetHandle()) != 0; }));
  Paint();
  EXPECT_EQ(CacheAt(*mouse->ButtonOf(HTMAXBUTTON)), GlyphColor(4, 0));  // "BICONNORM"
  EXPECT_EQ(HitAt(Slot(2)), HTMAXBUTTON);
  Post(WM_NCLBUTTONDOWN, HTMAXBUTTON, Slot(2));
  Post(WM_NCLBUTTONUP, HTMAXBUTTON, Slot(2));
  EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(form->GetHandle()); }));
  EXPECT_EQ(form->GetWindowState(), wsNormal);
}

TEST_F(FrameTest, MaximizeButtonAndCaptionDoubleClickMaximizeWhatTheIconsAllow) {
  auto zoomed = [&] { return IsZoomed(form->GetHandle()) != 0; };
  auto caption = [&] { return POINT{FrameLayout().Width / 2, Slot(1).y}; };
  // Without biMaximize neither a double click nor the button (there is none) maximizes.
  icons = {biSystemMenu, biMinimize};
  Paint();
  EXPECT_NE(HitAt(Slot(2)), HTMAXBUTTON);
  Post(WM_NCLBUTTONDBLCLK, HTCAPTION, caption());
  EXPECT_FALSE(zoomed());
  // A sizeable form shows the button: its click maximizes.
  icons = {biSystemMenu, biMinimize, biMaximize};
  Paint();
  ASSERT_EQ(HitAt(Slot(2)), HTMAXBUTTON);
  Post(WM_NCLBUTTONDOWN, HTMAXBUTTON, Slot(2));
  Post(WM_NCLBUTTONUP, HTMAXBUTTON, Slot(2));
  EXPECT_TRUE(PumpUntil(zoomed));
  EXPECT_EQ(form->GetWindowState(), wsMaximized);
  Post(WM_NCLBUTTONDBLCLK, HTCAPTION, caption());
  EXPECT_TRUE(PumpUntil([&] { return !zoomed(); }));
  EXPECT_EQ(form->GetWindowState(), wsNormal);
  // A dialog shows no maximize button, yet its icons let a caption double click maximize it
  // and another restore it.
  form->SetBorderStyle(bsDialog);
  Pump();
  Paint();
  EXPECT_NE(HitAt(Slot(2)), HTMAXBUTTON);
  Post(WM_NCLBUTTONDBLCLK, HTCAPTION, caption());
  EXPECT_TRUE(PumpUntil(zoomed));
  EXPECT_EQ(form->GetWindowState(), wsMaximized);
  Post(WM_NCLBUTTONDBLCLK, HTCAPTION, caption());
  EXPECT_TRUE(PumpUntil([&] { return !zoomed(); }));
}

// ---- Outline moving and sizing ---------------------------------------------------------------

TEST_F(FrameTest, OutlineSizingStopsAtTheMinimumAndMovingMovesTheWindow) {
  outline_resize = true;
  min_size = {220, 160};
  RECT before{};
  GetWindowRect(form->GetHandle(), &before);
  TsFrameLayout l = FrameLayout();
  POINT corner{l.Width - 2, l.Height - 2};
  Post(WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, corner);
  ASSERT_TRUE(TsFrameMouse::Dragging());
  PostMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, ClientLParam({corner.x - 300, corner.y - 250}));
  Pump();
  RECT outline = TsFrameMouse::DragOutline();
  EXPECT_EQ(outline.right - outline.left, 220);
  EXPECT_EQ(outline.bottom - outline.top, 160);
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, 0, ClientLParam({corner.x - 300, corner.y - 250}));
  Pump();
  EXPECT_FALSE(TsFrameMouse::Dragging());
  RECT after{};
  GetWindowRect(form->GetHandle(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right - after.left, 220);
  EXPECT_EQ(after.bottom - after.top, 160);

  POINT caption{l.Width / 2 - 40, Slot(1).y};
  Post(WM_NCLBUTTONDOWN, HTCAPTION, caption);
  PostMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, ClientLParam({caption.x + 30, caption.y + 20}));
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, 0, ClientLParam({caption.x + 30, caption.y + 20}));
  Pump();
  RECT moved{};
  GetWindowRect(form->GetHandle(), &moved);
  EXPECT_EQ(moved.left, after.left + 30);
  EXPECT_EQ(moved.top, after.top + 20);
  EXPECT_EQ(moved.right - moved.left, 220);
}

// ---- System menu -----------------------------------------------------------------------------

TEST_F(FrameTest, SystemMenuItemsFollowStyleStateAndIcons) {
  form->SetBorderStyle(bsSingle);
  menu->UpdateItems();
  EXPECT_TRUE(menu->ItemSize->GetVisible());
  EXPECT_FALSE(menu->ItemSize->GetEnabled());
  EXPECT_FALSE(menu->ItemMaximize->GetVisible());
  EXPECT_TRUE(menu->ItemMinimize->GetVisible());
  EXPECT_FALSE(menu->ItemRestore->GetEnabled());
  EXPECT_EQ(menu->ItemClose->GetShortCut(), 32883);
  form->SetBorderStyle(bsSizeable);
  form->SetWindowState(wsMaximized);
  menu->UpdateItems();
  EXPECT_TRUE(menu->ItemRestore->GetEnabled());
  EXPECT_FALSE(menu->ItemMove->GetEnabled());
  EXPECT_FALSE(menu->ItemMaximize->GetEnabled());
  menu->SetBorderIcons({});
  menu->UpdateItems();
  EXPECT_FALSE(menu->ItemClose->GetVisible());
  EXPECT_FALSE(menu->ItemMinimize->GetVisible());
}

// A manager holding two internal skins, each with a FORM section.
class SkinMenuTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    manager = New<TsSkinManager>(nullptr);
    // A skin directory that does not exist: the menu offers the internal skins alone (an empty
    // one would offer every sub-folder of the test program's folder).
    manager->SetSkinDirectory("no skin folders here");
    for (const char* name : {"Alpha", "Beta"}) {
      TsStoredSkin* skin = manager->GetInternalSkins()->Add();
      skin->Name = name;
      TsSkinGeneral* section = skin->GetGeneralData()->Add();
      section->SectionName = "FORM";
    }
    manager->SetSkinName("Alpha");
    menu->SetSkinManager(manager);
  }
  void TearDown() override {
    menu->SetSkinManager(nullptr);
    Free(manager);
    FrameTest::TearDown();
  }
  TMenuItem* Named(const std::string& name) { return static_cast<TMenuItem*>(menu->FindComponent(name)); }
  TsSkinManager* manager = nullptr;
};

TEST_F(SkinMenuTest, AvailableSkinsListsEverySkinAndIsRebuiltClean) {
  for (int round = 0; round < 2; ++round) {
    menu->MakeSkinItems();
    TMenuItem* root = menu->GetItems();
    ASSERT_EQ(root->GetCount(), 9) << round;  // skins, separator, six system items and a separator
    TMenuItem* top = root->GetItem(0);
    EXPECT_EQ(top->GetName(), "SkinSelectItem");
    EXPECT_EQ(top->GetCaption(), "Available skins");
    EXPECT_TRUE(root->GetItem(1)->IsLine());
    ASSERT_EQ(top->GetCount(), 2);
    EXPECT_EQ(top->GetItem(0)->GetCaption(), "Alpha");
    EXPECT_EQ(top->GetItem(1)->GetName(), "SkinSelectItem1");
    EXPECT_EQ(top->GetItem(1)->GetCaption(), "Beta");
  }
}

TEST_F(SkinMenuTest, ChoosingASkinSwitchesTheManagerIgnoringAmpersands) {
  menu->MakeSkinItems();
  TMenuItem* beta = Named("SkinSelectItem1");
  ASSERT_NE(beta, nullptr);
  beta->SetCaption("&Be&ta");
  manager->SetActive(false);
  beta->Click();
  EXPECT_EQ(manager->GetSkinName(), "Beta");
  EXPECT_TRUE(manager->GetActive());
  EXPECT_TRUE(SkinData().SkinLoaded);
}

TEST_F(SkinMenuTest, AManagerWithoutSkinsGivesNoSkinItem) {
  manager->GetInternalSkins()->Clear();
  menu->MakeSkinItems();
  EXPECT_EQ(menu->GetItems()->GetItem(0)->GetName(), "ItemRestore");
  EXPECT_EQ(Named("SkinSelectItem"), nullptr);
}

TEST_F(SkinMenuTest, TheIconAndACaptionRightClickOpenTheSystemMenuWithTheSkins) {
  TMenuLoopWatch watch;
  Post(WM_NCLBUTTONDOWN, HTSYSMENU, {FrameLayout().Metrics.FrameWidth + 2, Slot(1).y});
  EXPECT_TRUE(PumpUntil([&] { return watch.Entered() == 1; }));
  EXPECT_NE(Named("SkinSelectItem1"), nullptr);
  Post(WM_NCRBUTTONUP, HTCAPTION, {FrameLayout().Width / 2, Slot(1).y});
  EXPECT_TRUE(PumpUntil([&] { return watch.Entered() == 2; }));
  EXPECT_EQ(menu->GetItems()->GetCount(), 9);
}

// ---- With the form's skin provider -----------------------------------------------------------

// A loaded internal skin with the button masks and a form whose provider routes the frame's
// mouse messages to its frame mouse.
class ProviderFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSkin();
    manager = New<TsSkinManager>(nullptr);
    TsStoredSkin* skin = manager->GetInternalSkins()->Add();
    skin->Name = "Alpha";
    skin->GetGeneralData()->Add()->SectionName = "FORM";
    TBitmap* master = skin->GetMasterBitmap();
    master->SetPixelFormat(pf24bit);
    master->SetSize(kCellW * 3, kCellH * 6);
    for (int m = 0; m < 6; ++m) {
      for (int s = 0; s < 3; ++s) {
        master->GetCanvas()->GetBrush()->SetColor(GlyphColor(m, s));
        master->GetCanvas()->FillRect(RECT{s * kCellW, m * kCellH, (s + 1) * kCellW, (m + 1) * kCellH});
      }
      TsSkinImage* image = skin->GetImages()->Add();
      image->SectionName = "FORM";
      image->PropertyName = kMasks[m];
      image->Left = 0;
      image->Top = m * kCellH;
      image->Right = 3 * kCellW;
      image->Bottom = (m + 1) * kCellH;
      image->ImageCount = 3;
    }
    manager->SetSkinName("Alpha");
    ASSERT_TRUE(SkinData().SkinLoaded);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(120, 120, 360, 260);
    form->Show();
    provider = New<TsSkinProvider>(form);
    ASSERT_TRUE(provider->Skinned());
    RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
  }
  void TearDown() override {
    Free(form);
    Free(manager);
    ResetSkin();
    Pump();
  }
  POINT Screen(POINT p) {
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    return {r.left + p.x, r.top + p.y};
  }
  POINT Slot(int k) {
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    int left = (r.right - r.left) - provider->FrameWidth() - k * (kCellW + 1);
    int top = (provider->CaptionHeight() - kCellH + provider->FrameHeight()) / 2 + 2;
    return {left + kCellW / 2, top + kCellH / 2};
  }
  LPARAM ScreenLParam(POINT window_point) {
    POINT p = Screen(window_point);
    return MAKELPARAM(p.x, p.y);
  }
  bool Iconic() { return IsIconic(form->GetHandle()) != 0; }

  TDesktopLock lock_;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TsSkinProvider* provider = nullptr;
};

TEST_F(ProviderFrameTest, TheProvidersFrameShowsAndAnswersTheTitleButtons) {
  EXPECT_EQ(provider->GetFrameMouse()->ButtonWidth(), kCellW);
  EXPECT_EQ(provider->GetFrameMouse()->StandardButtonCount(), 3);
  HWND window = form->GetHandle();
  EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, ScreenLParam(Slot(1))), HTCLOSE);
  EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, ScreenLParam(Slot(3))), HTMINBUTTON);
  EXPECT_EQ(provider->GetFrameMouse()->HotButton(), HTMINBUTTON);
  TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
  POINT close = Slot(1);
  EXPECT_EQ(cache->GetCanvas()->GetPixels(close.x, close.y), GlyphColor(0, 0));
  POINT min = Slot(3);
  EXPECT_EQ(cache->GetCanvas()->GetPixels(min.x, min.y), GlyphColor(2, 1));  // hot
}

TEST_F(ProviderFrameTest, CtrlClickDoesNotMinimizeButTheMinimizeButtonDoes) {
  HWND window = form->GetHandle();
  PostMessageA(window, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(20, 20));
  Pump();
  EXPECT_FALSE(Iconic());
  PostMessageA(window, WM_NCLBUTTONDOWN, HTMINBUTTON, ScreenLParam(Slot(3)));
  PostMessageA(window, WM_NCLBUTTONUP, HTMINBUTTON, ScreenLParam(Slot(3)));
  EXPECT_TRUE(PumpUntil([&] { return Iconic(); }));
}

// The pointer leaves the window straight from a button (no frame passed, no hit test after):
// the system's non-client leave notice puts the button back, also when another window of the
// program asked the system to watch the pointer meanwhile (one watch a thread).
TEST_F(ProviderFrameTest, AHotTitleButtonIsNormalAgainOnceThePointerLeftTheWindow) {
  TsFrameMouse* mouse = provider->GetFrameMouse();
  TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
  TPanel* other = New<TPanel>(form);
  other->SetParent(form);
  other->SetBounds(10, 10, 40, 40);
  Pump();
  for (int slot : {1, 3}) {
    const int code = slot == 1 ? HTCLOSE : HTMINBUTTON;
    const int mask = slot == 1 ? 0 : 2;
    ASSERT_TRUE(PlaceCursor(Screen(Slot(slot))));
    ASSERT_TRUE(PumpUntil([&] { return mouse->HotButton() == code; })) << slot;
    EXPECT_EQ(cache->GetCanvas()->GetPixels(Slot(slot).x, Slot(slot).y), GlyphColor(mask, 1));
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, other->GetHandle(), HOVER_DEFAULT};
    TrackMouseEvent(&track);
    POINT p = Screen(Slot(slot));
    ASSERT_TRUE(PlaceCursor(POINT{p.x + 1, p.y + 1}));
    Pump();
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    ASSERT_TRUE(PlaceCursor(POINT{r.right + 40, r.top > 60 ? r.top - 40 : r.bottom + 40}));
    EXPECT_TRUE(PumpUntil([&] { return mouse->HotButton() == 0; })) << slot;
    EXPECT_EQ(cache->GetCanvas()->GetPixels(Slot(slot).x, Slot(slot).y), GlyphColor(mask, 0));
  }
}

TEST_F(ProviderFrameTest, LosingTheMouseReleasesAPressedTitleButton) {
  HWND window = form->GetHandle();
  PostMessageA(window, WM_NCLBUTTONDOWN, HTMINBUTTON, ScreenLParam(Slot(3)));
  Pump();
  ASSERT_EQ(provider->GetFrameMouse()->HotButton(), HTMINBUTTON);
  // A menu or another window takes the mouse while the button is held.
  SendMessageA(window, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(GetDesktopWindow()));
  EXPECT_EQ(provider->GetFrameMouse()->HotButton(), 0);
  PostMessageA(window, WM_NCLBUTTONUP, HTMINBUTTON, ScreenLParam(Slot(3)));
  Pump();
  EXPECT_FALSE(Iconic());
}

}  // namespace
