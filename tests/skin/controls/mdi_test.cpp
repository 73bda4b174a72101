// MDI forms: the toolkit's MDI main form with its client window and child forms, and the
// skinning of the client area (background, ring, our scroll bars) and of the child-window
// menu item on the internal skin.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "skin/controls/smdiform.h"
#include "skin/controls/sskinmenus.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/menus.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"

namespace {

// The application's first form is its main form: an MDI frame needs to be that one.
class TMDIFrame : public TForm {
  TK_CLASS(TMDIFrame, TForm)

 public:
  explicit TMDIFrame(TComponent* owner) : TForm(owner, kCreateNew) {
    SetFormStyle(fsMDIForm);
    SetBounds(30, 30, 480, 360);
    SetText("Heats");
  }
};
TK_CLASS_INFO(TMDIFrame, TForm)

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

class MDITest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    ASSERT_EQ(Application->GetMainForm(), nullptr);
    frame = Application->CreateForm<TMDIFrame>();
  }
  void TearDown() override {
    FreeChildren();  // before the frame, whose window holds theirs
    Free(frame);
    Pump();
    Free(manager);
    SkinTest::TearDown();
  }
  // With skinned, the child gets its provider before its window, as one read from a definition.
  TForm* Child(const char* caption, RECT bounds, TsSkinProvider** skinned = nullptr) {
    auto* child = New<TForm>(Application, kCreateNew);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    child->SetText(caption);
    if (skinned) *skinned = New<TsSkinProvider>(child);
    child->Show();
    children.push_back(child);
    return child;
  }
  void FreeChildren() {
    for (TForm* c : children) Free(c);
    children.clear();
  }
  void LoadSkin() {
    RegisterSkinEngineClasses();
    manager = New<TsSkinManager>(nullptr);
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  }
  bool Settled() {
    Pump();
    return !GetUpdateRect(frame->GetHandle(), nullptr, FALSE) &&
           !GetUpdateRect(frame->GetClientHandle(), nullptr, FALSE);
  }

  // The skin, and the frame shown with its menu line and provider (mdi).
  TsSkinProvider* SkinnedMain();

  TDesktopLock desktop;
  TMDIFrame* frame = nullptr;
  TsMDIForm* mdi = nullptr;
  std::vector<TForm*> children;
  TsSkinManager* manager = nullptr;
};

}  // namespace

// ---- The toolkit's MDI forms -------------------------------------------------------------------

TEST_F(MDITest, ChildrenLiveInTheFramesClientAndTakeTurnsBeingActive) {
  frame->Show();
  HWND client = frame->GetClientHandle();
  ASSERT_TRUE(client);
  EXPECT_EQ(CompareText(ClassOf(client), "MDICLIENT"), 0);
  RECT r;
  GetClientRect(frame->GetHandle(), &r);
  RECT c;
  GetWindowRect(client, &c);
  EXPECT_EQ(c.right - c.left, r.right);  // the client fills the frame
  TForm* first = Child("First", {10, 10, 200, 150});
  TForm* second = Child("Second", {60, 60, 260, 200});
  EXPECT_EQ(GetParent(first->GetHandle()), client);
  EXPECT_EQ(frame->GetMDIChildCount(), 2);
  EXPECT_EQ(frame->GetActiveMDIChild(), second);
  SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->GetHandle()), 0);
  EXPECT_EQ(frame->GetActiveMDIChild(), first);
  // Maximizing goes through the child's default procedure, and the form notes it.
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(first->GetHandle()), 0);
  EXPECT_TRUE(IsZoomed(first->GetHandle()));
  EXPECT_EQ(first->GetWindowState(), wsMaximized);
  SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(first->GetHandle()), 0);
  EXPECT_FALSE(IsZoomed(first->GetHandle()));
  EXPECT_EQ(first->GetWindowState(), wsNormal);
  // A child freed leaves the client's list.
  Free(second);
  children.pop_back();
  EXPECT_EQ(frame->GetMDIChildCount(), 1);
  EXPECT_EQ(frame->GetMDIChild(0), first);
  FreeChildren();
}

TEST_F(MDITest, AnMDIChildNeedsAnMDIMainFormAndOtherFormsStayAsTheyWere) {
  frame->HandleNeeded();
  auto* plain = New<TForm>(Application, kCreateNew);
  plain->HandleNeeded();
  EXPECT_EQ(plain->GetClientHandle(), nullptr);
  EXPECT_EQ(GetWindow(plain->GetHandle(), GW_OWNER), frame->GetHandle());  // owned by the main form
  EXPECT_EQ(GetWindowLongPtrA(plain->GetHandle(), GWL_EXSTYLE) & WS_EX_MDICHILD, 0);
  Free(plain);
  frame->SetFormStyle(fsNormal);  // made again without a client
  EXPECT_EQ(frame->GetClientHandle(), nullptr);
  auto* child = New<TForm>(Application, kCreateNew);
  child->SetFormStyle(fsMDIChild);
  EXPECT_THROW(child->HandleNeeded(), EInvalidOperation);
  Free(child);
}

TEST_F(MDITest, TheActiveChildsMenuShowsInTheFramesBarUntilAnotherIsActiveOrItIsFreed) {
  auto* bar = New<TMainMenu>(frame);
  auto* file = New<TMenuItem>(frame);
  file->SetCaption("&File");
  bar->GetItems()->Add(file);
  auto* window = New<TMenuItem>(frame);
  window->SetCaption("&Window");
  window->SetGroupIndex(9);
  bar->GetItems()->Add(window);
  frame->SetMenu(bar);
  frame->Show();
  TForm* plain = Child("Plain", {10, 10, 200, 150});
  TForm* heat = Child("Heat", {60, 60, 260, 200});
  ASSERT_EQ(frame->GetActiveMDIChild(), heat);
  struct TProbe : TObject {
    int clicks = 0;
    void Click(TObject*) { ++clicks; }
  } probe;
  auto* menu = New<TMainMenu>(heat);
  auto* laps = New<TMenuItem>(heat);
  laps->SetCaption("&Laps");
  laps->SetGroupIndex(1);
  laps->OnClick = TNotifyEvent(&probe, &TProbe::Click);
  menu->GetItems()->Add(laps);
  heat->SetMenu(menu);  // the active child's new menu shows at once
  HMENU native = GetMenu(frame->GetHandle());
  EXPECT_EQ(bar->GetMerged(), menu);
  EXPECT_EQ(GetMenuItemCount(native), 3);
  EXPECT_EQ(GetMenuItemID(native, 1), laps->GetCommand());
  EXPECT_EQ(menu->GetWindowHandle(), nullptr);  // no bar of the child's own
  SendMessageA(frame->GetHandle(), WM_COMMAND, laps->GetCommand(), 0);
  EXPECT_EQ(probe.clicks, 1);

  HWND client = frame->GetClientHandle();
  SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(plain->GetHandle()), 0);
  EXPECT_EQ(bar->GetMerged(), nullptr);
  EXPECT_EQ(GetMenuItemCount(native), 2);
  SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(heat->GetHandle()), 0);
  EXPECT_EQ(bar->GetMerged(), menu);
  Free(heat);
  children.pop_back();
  EXPECT_EQ(bar->GetMerged(), nullptr);
  EXPECT_EQ(GetMenuItemCount(native), 2);
  FreeChildren();
}

// ---- Skinned -----------------------------------------------------------------------------------

// The frame of the skinned tests: a menu line, the provider, shown.
TsMDIForm* SkinnedFrame(TMDIFrame* frame, TsSkinProvider*& provider, TMenuItem*& file) {
  auto* menu = New<TMainMenu>(frame);
  file = New<TMenuItem>(frame);
  file->SetCaption("&File");
  menu->GetItems()->Add(file);
  frame->SetMenu(menu);
  provider = New<TsSkinProvider>(frame);
  frame->Show();
  return provider->GetMDIForm();
}

TEST_F(MDITest, AScrollRangeNoLargerThanThePageShowsNoBar) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  ASSERT_TRUE(mdi);
  ASSERT_TRUE(provider->Skinned());
  Child("Inside", {10, 10, 150, 120});
  Child("Also inside", {100, 100, 300, 250});
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_EQ(mdi->GetVertBar(), nullptr);
  EXPECT_EQ(mdi->GetHorzBar(), nullptr);
  EXPECT_EQ(mdi->GetGrip(), nullptr);
}

TEST_F(MDITest, AMaximizedChildHidesOurBarsAndTheRingRestoringBringsThemBack) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  ASSERT_TRUE(mdi);
  ASSERT_TRUE(provider->Skinned());
  // One child reaching past both edges (the first: Wine's client works its ranges out only
  // while it still has its own bars), one inside: both bars and the grip between them.
  TForm* wide = Child("Wide", {200, 150, 700, 600});
  Child("Inside", {10, 10, 150, 120});
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetVertBar() && mdi->GetHorzBar() && Settled(); }));
  ASSERT_TRUE(mdi->GetGrip());
  EXPECT_TRUE(mdi->GetVertBar()->GetVisible());
  EXPECT_EQ(mdi->GetGrip()->GetLeft(), mdi->GetVertBar()->GetLeft() + 1);
  EXPECT_EQ(mdi->GetGrip()->GetTop(), mdi->GetHorzBar()->GetTop() + 1);
  EXPECT_EQ(mdi->GetVertBar()->GetLeft() + mdi->GetVertBar()->GetWidth(), mdi->ClientAreaWidth() - 1);
  EXPECT_EQ(frame->GetMenu()->GetItems()->GetItem(0), file);

  HWND client = frame->GetClientHandle();
  TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
  const POINT o = mdi->ClientOffset();
  const int mid = mdi->ClientAreaHeight() / 2;
  auto ring = [&] {
    HDC dc = GetWindowDC(client);
    COLORREF c = GetPixel(dc, 0, mid);
    ReleaseDC(client, dc);
    return c;
  };
  auto mark_ring = [&] {
    HDC dc = GetWindowDC(client);
    SetPixel(dc, 0, mid, RGB(255, 0, 255));
    ReleaseDC(client, dc);
  };
  const COLORREF skin_ring = GetPixel(cache->GetCanvas()->GetHandle(), o.x, o.y + mid);
  EXPECT_EQ(ring(), skin_ring);

  {
    TBitmap* shot = New<TBitmap>();
    RECT w;
    GetWindowRect(frame->GetHandle(), &w);
    shot->SetPixelFormat(pf24bit);
    shot->SetSize(w.right - w.left, w.bottom - w.top);
    HDC dc = GetWindowDC(frame->GetHandle());
    BitBlt(shot->GetCanvas()->GetHandle(), 0, 0, shot->GetWidth(), shot->GetHeight(), dc, 0, 0, SRCCOPY);
    ReleaseDC(frame->GetHandle(), dc);
    shot->SaveToFile(std::string(DRAVOLIN_BUILD_DIR) + "/skin_mdi_form.bmp");
    Free(shot);
  }

  SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(wide->GetHandle()), 0);
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(wide->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_EQ(mdi->GetVertBar(), nullptr);
  EXPECT_EQ(mdi->GetHorzBar(), nullptr);
  EXPECT_EQ(mdi->GetGrip(), nullptr);
  EXPECT_EQ(frame->GetMenu()->GetItems()->GetItem(0), mdi->GetChildItem());
  mark_ring();
  SendMessageA(client, WM_NCPAINT, 1, 0);
  EXPECT_EQ(ring(), RGB(255, 0, 255));  // no ring under a maximized child

  // The item's Restore: the child comes back, the item goes, bars and ring return.
  mdi->GetChildItem()->GetItem(0)->Click();
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetVertBar() && Settled(); }));
  EXPECT_FALSE(IsZoomed(wide->GetHandle()));
  EXPECT_EQ(frame->GetMenu()->GetItems()->GetItem(0), file);
  EXPECT_EQ(frame->GetMenu()->GetItems()->IndexOf(mdi->GetChildItem()), -1);
  EXPECT_TRUE(mdi->GetHorzBar());
  mark_ring();
  SendMessageA(client, WM_NCPAINT, 1, 0);
  EXPECT_EQ(ring(), skin_ring);

  // Our bar scrolls the client: the children move by what the bar moved.
  const int top = wide->GetTop();
  TsMDIScrollBar* bar = mdi->GetVertBar();
  bar->SetPosition(bar->GetPosition() + 40);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  RECT wr;
  GetWindowRect(wide->GetHandle(), &wr);
  POINT p{wr.left, wr.top};
  ScreenToClient(client, &p);
  EXPECT_EQ(p.y, top - 40);
  FreeChildren();
}

// The skin's "MDIAREA" section gives the MDI client its ground.
TEST_F(MDITest, TheClientShowsTheSkinsMDIAreaSection) {
  LoadSkin();
  const int index = GetSkinIndex("MDIAREA");
  ASSERT_TRUE(IsValidSkinIndex(index));
  TsGeneralData& area = SkinGeneralData[index];  // a colour of its own, apart from the frame's
  area.PaintingColor = 0x2080C0;
  area.GradientPercent = area.ImagePercent = area.PaintingTransparency = 0;
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  Child("Lane 1", {10, 10, 150, 100});
  SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  HWND client = frame->GetClientHandle();
  HDC dc = GetDC(client);
  const COLORREF ground = GetPixel(dc, mdi->ClientAreaWidth() - 30, mdi->ClientAreaHeight() - 30);
  ReleaseDC(client, dc);
  EXPECT_EQ(ground, ColorToRGB(0x2080C0));
  SaveWindowPicture(frame->GetHandle(), "DRAVOLIN_MDI_AREA_PICTURE");
  FreeChildren();
}

// Neither a child's frame nor its client is painted while a maximized sibling covers it.
TEST_F(MDITest, AChildUnderAMaximizedSiblingPaintsNeitherFrameNorClient) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  SkinnedFrame(frame, provider, file);
  TForm* under = Child("Lane 1", {10, 10, 150, 100});
  TForm* over = Child("Lane 2", {40, 40, 180, 130});
  TsCommonData* data = New<TsSkinProvider>(under)->GetCommonData();
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  // A mark in the corner of the child's frame picture that only a new paint takes away.
  // Its client's paint draws a stale frame picture first, so the same mark tells of it.
  auto painted = [&](UINT msg) {
    data->BGChanged = true;
    data->GetCacheBmp()->GetCanvas()->SetPixels(1, 1, clFuchsia);
    SendMessageA(under->GetHandle(), msg, msg == WM_NCPAINT ? 1 : 0, 0);
    return data->GetCacheBmp()->GetCanvas()->GetPixels(1, 1) != clFuchsia;
  };
  // A client paint takes a stale frame picture along: the flag tells whether one ran.
  auto client_painted = [&] {
    data->BGChanged = true;
    SendMessageA(under->GetHandle(), WM_PAINT, 0, 0);
    return !data->BGChanged;
  };
  EXPECT_TRUE(painted(WM_NCPAINT));
  EXPECT_TRUE(painted(WM_PAINT));
  EXPECT_TRUE(client_painted());
  SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(over->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_FALSE(painted(WM_NCPAINT));
  EXPECT_FALSE(painted(WM_PAINT));
  EXPECT_FALSE(client_painted());
  FreeChildren();
}

TEST_F(MDITest, WithoutASkinTheClientKeepsItsOwnBars) {
  auto* provider = New<TsSkinProvider>(frame);
  TsMDIForm* mdi = provider->GetMDIForm();
  ASSERT_TRUE(mdi);
  frame->Show();
  Child("Wide", {200, 150, 700, 600});
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_EQ(mdi->GetVertBar(), nullptr);
  EXPECT_TRUE(GetWindowLongPtrA(frame->GetClientHandle(), GWL_STYLE) & WS_VSCROLL);
  FreeChildren();
}

// The bars come with the active skin, even over a frame without a section of it (the client
// then paints its own ground and edge).
TEST_F(MDITest, OurBarsFollowTheActiveSkinWhateverTheFramesSection) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  ASSERT_TRUE(mdi);
  provider->GetCommonData()->SkinIndex = -1;  // neither its section nor the fallback in the skin
  ASSERT_FALSE(provider->Skinned());
  Child("Wide", {200, 150, 700, 600});
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  mdi->UpdateScrollBars();
  EXPECT_NE(mdi->GetVertBar(), nullptr);
  EXPECT_NE(mdi->GetHorzBar(), nullptr);
  FreeChildren();
}

// A provider read before the menu goes after it: the menu, freed first, frees the child-window
// item it holds, and the provider must not free it again.
TEST_F(MDITest, AFrameFreedWhileAChildIsMaximizedFreesTheItemOnce) {
  LoadSkin();
  auto* provider = New<TsSkinProvider>(frame);
  auto* menu = New<TMainMenu>(frame);
  auto* file = New<TMenuItem>(frame);
  file->SetCaption("&File");
  menu->GetItems()->Add(file);
  frame->SetMenu(menu);
  frame->Show();
  TsMDIForm* mdi = provider->GetMDIForm();
  ASSERT_TRUE(mdi);
  TForm* child = Child("Wide", {200, 150, 700, 600});
  SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_EQ(menu->GetItems()->GetItem(0), mdi->GetChildItem());
  struct TWatch : TComponent {
    using TComponent::TComponent;
    int removed = 0;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (op == opRemove) ++removed;
    }
  };
  auto* watch = New<TWatch>(nullptr);
  mdi->GetChildItem()->FreeNotification(watch);
  Free(frame);  // the child's window goes with the frame's
  frame = nullptr;
  EXPECT_EQ(watch->removed, 1);
  Free(watch);
}

namespace {

// A top item of a menu, in a merge group.
TMenuItem* TopItem(TComponent* owner, TMainMenu* menu, const std::string& caption, uint8_t group) {
  auto* item = New<TMenuItem>(owner);
  item->SetCaption(caption);
  item->SetGroupIndex(group);
  menu->GetItems()->Add(item);
  return item;
}

// A caption whose menu-line cell takes more than `share` of the line's width.
std::string CaptionWider(TsSkinableMenus* menus, TsSkinProvider* provider, double share) {
  auto* probe = New<TMenuItem>(nullptr);
  TBitmap* target = New<TBitmap>();
  const int limit = provider->GetForm()->GetWidth() - 2 * provider->FrameWidth() - 6;
  const int extra = GetSystemMetrics(SM_CXMENUSIZE) - 6;
  std::string caption = "Wide";
  for (;;) {
    probe->SetCaption(caption);
    int width = 0, height = 0;
    menus->LineMeasure(probe, target->GetCanvas(), width, height);
    if (width + extra > limit * share) break;
    caption += " wide";
  }
  Free(target);
  Free(probe);
  return caption;
}

// Counts messages of a window while it lives: a window procedure put before the current one.
class TMessageCount {
 public:
  explicit TMessageCount(HWND window) : window_(window) {
    counts_[window] = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TMessageCount::Proc)));
  }
  ~TMessageCount() {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    counts_.erase(window_);
  }
  TMessageCount(const TMessageCount&) = delete;
  TMessageCount& operator=(const TMessageCount&) = delete;
  int Of(UINT msg) const { return seen_.count(msg) ? seen_.at(msg) : 0; }
  void Clear() { seen_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    TMessageCount* self = counts_.at(window);
    ++self->seen_[msg];
    return CallWindowProcA(self->previous_, window, msg, wparam, lparam);
  }
  static inline std::map<HWND, TMessageCount*> counts_;
  HWND window_;
  WNDPROC previous_;
  std::map<UINT, int> seen_;
};

}  // namespace

// The child-window item goes with a menu freed while it led it; the next menu gets one again,
// with the same subitems.
TEST_F(MDITest, AMenuFreedWhileTheChildItemLedItGivesTheNextMenuANewItem) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  ASSERT_TRUE(mdi);
  TForm* child = Child("Wide", {200, 150, 700, 600});
  HWND client = frame->GetClientHandle();
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_EQ(frame->GetMenu()->GetItems()->GetItem(0), mdi->GetChildItem());
  Free(frame->GetMenu());
  ASSERT_EQ(frame->GetMenu(), nullptr);
  SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  auto* menu = New<TMainMenu>(frame);
  menu->GetItems()->Add(New<TMenuItem>(frame));
  frame->SetMenu(menu);
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  TMenuItem* item = mdi->GetChildItem();
  ASSERT_TRUE(item);
  ASSERT_EQ(menu->GetItems()->GetItem(0), item);
  EXPECT_EQ(item->GetName(), "sMDICII");
  ASSERT_EQ(item->GetCount(), 4);
  EXPECT_EQ(item->GetItem(3)->GetName(), "ItemMDIClose");
  EXPECT_EQ(item->GetItem(3)->GetShortCut(), 16499);  // Ctrl+F4
  EXPECT_TRUE(item->GetItem(2)->IsLine());
  // Minimize and Close reach the active child.
  item->GetItem(1)->Click();
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(child->GetHandle()) != 0; }));
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  TMessageCount count(child->GetHandle());
  item->GetItem(3)->Click();
  EXPECT_GE(count.Of(WM_SYSCOMMAND), 1);
}

// The active child's items are laid out in the frame's menu line among the frame's own, in
// place of the frame's items of their group; the child's own frame gets no menu line.
TEST_F(MDITest, TheActiveChildsMenuIsLaidOutInTheFramesMenuLine) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  SkinnedFrame(frame, provider, file);
  auto* menus = New<TsSkinableMenus>(manager);
  const std::string wide = CaptionWider(menus, provider, 0.6);
  file->SetCaption(wide);
  TForm* replacing = Child("Replaces File", {10, 10, 200, 150});
  auto* own = New<TMainMenu>(replacing);
  TopItem(replacing, own, "&Go", 0);
  TopItem(replacing, own, wide, 1);
  replacing->SetMenu(own);
  TsSkinProvider* child_provider = New<TsSkinProvider>(replacing);
  TForm* adding = Child("Adds", {60, 60, 260, 200});
  auto* more = New<TMainMenu>(adding);
  TopItem(adding, more, wide, 1);
  adding->SetMenu(more);
  for (TMainMenu* m : {frame->GetMenu(), own, more}) menus->HookMainMenu(m, true);
  auto rows = [&] {
    SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Settled(); }));
    return provider->MenuBandHeight() / provider->MenuHeight();
  };
  EXPECT_EQ(rows(), 2);  // the frame's wide File and the child's wide item
  SendMessageA(frame->GetClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(replacing->GetHandle()), 0);
  EXPECT_EQ(rows(), 1);  // "Go" took File's place
  EXPECT_FALSE(child_provider->HasMenuLine());
  EXPECT_EQ(child_provider->ClientOrigin().y,
            child_provider->FrameHeight() + child_provider->CaptionHeight());

  // The frame's own line may be empty: the child's items make one.
  file->SetVisible(false);
  EXPECT_TRUE(provider->HasMenuLine());
  own->GetItems()->GetItem(0)->SetVisible(false);
  own->GetItems()->GetItem(1)->SetVisible(false);
  EXPECT_FALSE(provider->HasMenuLine());
  for (TMainMenu* m : {frame->GetMenu(), own, more}) menus->HookMainMenu(m, false);
  Free(menus);
  FreeChildren();
}

// A maximized child's icon leads the frame's menu line, (menu height - 2) pixels square a pixel
// inside the line; the child-window item that carries it measures 8 wide. When the child's own
// items take that item's place, the icon stays and the first item makes room for it.
TEST_F(MDITest, AMaximizedChildsIconLeadsTheMenuLine) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  auto* menus = New<TsSkinableMenus>(manager);
  TForm* child = Child("Heat", {10, 10, 200, 150});
  constexpr COLORREF kRed = RGB(200, 0, 0);
  child->GetIcon()->SetHandle(SolidIcon(32, kRed));
  SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_EQ(frame->GetMenu()->GetItems()->GetItem(0), mdi->GetChildItem());
  menus->HookMainMenu(frame->GetMenu(), true);
  TBitmap* target = New<TBitmap>();
  int width = 30, height = 0;  // not the larger of the old and new width
  menus->LineMeasure(mdi->GetChildItem(), target->GetCanvas(), width, height);
  EXPECT_EQ(width, 8);
  const int size = provider->MenuHeight() - 2;
  const int top = provider->FrameHeight() + provider->CaptionHeight();
  // Red only in the square at the left end of the line.
  auto icon_shown = [&] {
    SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Settled(); }));
    TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
    const RECT square{provider->FrameWidth() + 1, top + 1, provider->FrameWidth() + 1 + size, top + 1 + size};
    int inside = 0, outside = 0;
    for (int y = top; y < top + provider->MenuHeight(); ++y)
      for (int x = 0; x < 80; ++x)
        if (cache->GetPixelColor(x, y) == static_cast<TColor>(kRed))
          ++(PtInRect(&square, {x, y}) ? inside : outside);
    return inside == size * size && outside == 0;
  };
  EXPECT_TRUE(icon_shown());

  // The child's own first item replaces the child-window item (both of group 0).
  auto* own = New<TMainMenu>(child);
  TMenuItem* go = TopItem(child, own, "&Go", 0);
  TopItem(child, own, "&Laps", 1);
  child->SetMenu(own);
  menus->HookMainMenu(own, true);
  EXPECT_TRUE(icon_shown());
  SaveWindowPicture(frame->GetHandle(), "DRAVOLIN_MDI_MERGED_MAXIMIZED_PICTURE");
  auto measure = [&](TMenuItem* item) {
    int w = 0, h = 0;
    menus->LineMeasure(item, target->GetCanvas(), w, h);
    return w;
  };
  // The first item leaves room for the icon as wide as the icon is, and none for a child
  // without an icon.
  const int with_icon = measure(go);
  const int icon_width = child->GetIcon()->GetWidth();
  HICON icon = child->GetIcon()->ReleaseHandle();
  const int without_icon = measure(go);
  child->GetIcon()->SetHandle(icon);
  SendMessageA(frame->GetClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_EQ(icon_width, 32);
  EXPECT_EQ(with_icon, measure(go) + icon_width);
  EXPECT_EQ(without_icon, measure(go));
  SaveWindowPicture(frame->GetHandle(), "DRAVOLIN_MDI_MERGED_RESTORED_PICTURE");
  Free(target);
  for (TMainMenu* m : {frame->GetMenu(), own}) menus->HookMainMenu(m, false);
  Free(menus);
  FreeChildren();
}

// A child moved inside the client tells the frame's bars at once.
TEST_F(MDITest, AMovedChildUpdatesTheFramesBars) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  TsMDIForm* mdi = SkinnedFrame(frame, provider, file);
  TForm* child = Child("Heat", {10, 10, 150, 120});
  New<TsSkinProvider>(child);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_EQ(mdi->GetVertBar(), nullptr);
  // The range the client would work out for a child far below; the move is what we send.
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 0, 0};
  SetScrollInfo(frame->GetClientHandle(), SB_VERT, &info, FALSE);
  ASSERT_EQ(mdi->GetVertBar(), nullptr);
  SendMessageA(child->GetHandle(), WM_MOVE, 0, MAKELPARAM(10, 10));
  ASSERT_NE(mdi->GetVertBar(), nullptr);
  EXPECT_EQ(mdi->GetVertBar()->GetMax(), 901);
  FreeChildren();
}

// A refresh of the frame repaints the maximized child that covers the client, else it sizes
// the client and paints its ring anew.
TEST_F(MDITest, ARefreshRepaintsAMaximizedChildOrElseSizesAndFramesTheClient) {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  SkinnedFrame(frame, provider, file);
  TForm* child = Child("Heat", {10, 10, 150, 120});
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  {
    TMessageCount client(frame->GetClientHandle());
    TMessageCount heat(child->GetHandle());
    SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
    EXPECT_GE(client.Of(WM_SIZE), 1);
    EXPECT_GE(client.Of(WM_NCPAINT), 1);
    SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
    client.Clear();
    heat.Clear();
    SendMessageA(frame->GetHandle(), SKM_REFRESH, 0, 0);
    EXPECT_GE(heat.Of(WM_PAINT), 1);
    EXPECT_EQ(client.Of(WM_SIZE), 0);
  }
  FreeChildren();
}

// ---- Repaints between the main form and its children ---------------------------------------------

namespace {

constexpr COLORREF kMark = RGB(255, 0, 255);

// A pixel of the window (frame: window coordinates, else client coordinates); with mark, it
// is first set to a colour that only a new paint takes away.
COLORREF Pixel(HWND window, POINT p, bool frame, bool mark = false) {
  HDC dc = frame ? GetWindowDC(window) : GetDC(window);
  if (mark) SetPixel(dc, p.x, p.y, kMark);
  const COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(window, dc);
  return c;
}

// Inside the caption, left of the title buttons.
POINT CaptionPoint(TsSkinProvider* provider) {
  return {provider->FrameWidth() + 30, provider->FrameHeight() + provider->CaptionHeight() / 2};
}

void GiveMenu(TForm* form) {
  auto* menu = New<TMainMenu>(form);
  auto* item = New<TMenuItem>(form);
  item->SetCaption("&Lane");
  menu->GetItems()->Add(item);
  form->SetMenu(menu);
}

}  // namespace

TsSkinProvider* MDITest::SkinnedMain() {
  LoadSkin();
  TsSkinProvider* provider = nullptr;
  TMenuItem* file = nullptr;
  mdi = SkinnedFrame(frame, provider, file);
  return provider;
}

TEST_F(MDITest, AnActivatedChildRepaintsItsSiblingsFramesAndMarksTheMainFrame) {
  TsSkinProvider* provider = SkinnedMain();
  TsSkinProvider* child_provider = nullptr;
  TForm* left = Child("Lane 1", {10, 10, 190, 140}, &child_provider);
  TForm* right = Child("Lane 2", {200, 10, 380, 140}, &child_provider);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  const POINT p = CaptionPoint(provider);
  const COLORREF caption = Pixel(left->GetHandle(), p, true);
  for (UINT msg : {WM_ACTIVATE, WM_NCACTIVATE}) {
    SCOPED_TRACE(msg == WM_ACTIVATE ? "WM_ACTIVATE" : "WM_NCACTIVATE");
    ASSERT_FALSE(provider->GetCommonData()->BGChanged);
    Pixel(left->GetHandle(), p, true, true);
    SendMessageA(right->GetHandle(), msg, msg == WM_ACTIVATE ? WA_ACTIVE : TRUE, 0);
    EXPECT_EQ(Pixel(left->GetHandle(), p, true), caption);
    // The main frame is painted anew when it next shows (its menu line holds the child's items).
    EXPECT_TRUE(provider->GetCommonData()->BGChanged);
    SendMessageA(frame->GetHandle(), WM_NCPAINT, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  }
  FreeChildren();
}

TEST_F(MDITest, AMaximizedChildKeepsTheMainFrameActiveAndIsRepaintedWithIt) {
  TsSkinProvider* provider = SkinnedMain();
  TsSkinProvider* child_provider = nullptr;
  TForm* child = Child("Lane 1", {10, 10, 190, 140}, &child_provider);
  HWND main = frame->GetHandle(), client = frame->GetClientHandle();
  SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_TRUE(IsZoomed(child->GetHandle()));
  // The maximized child's size: the main frame's menu line (with the child's buttons) again.
  const POINT p = CaptionPoint(provider);
  const COLORREF caption = Pixel(main, p, true);
  Pixel(main, p, true, true);
  SendMessageA(child->GetHandle(), WM_SIZE, SIZE_MAXIMIZED,
               MAKELPARAM(child->GetClientWidth(), child->GetClientHeight()));
  EXPECT_EQ(Pixel(main, p, true), caption);
  // The main form's activation repaints the child that covers its client.
  const POINT inside{child->GetClientWidth() / 2, child->GetClientHeight() / 2};
  const COLORREF ground = Pixel(child->GetHandle(), inside, false);
  Pixel(child->GetHandle(), inside, false, true);
  SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(Pixel(child->GetHandle(), inside, false), ground);
  // The caption stays active while the maximized child is the active one, not once restored.
  SendMessageA(main, WM_NCACTIVATE, FALSE, 0);
  EXPECT_TRUE(provider->FormActive());
  SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  SendMessageA(main, WM_NCACTIVATE, FALSE, 0);
  EXPECT_FALSE(provider->FormActive());
  SendMessageA(main, WM_NCACTIVATE, TRUE, 0);
  FreeChildren();
}

// The caption kept active for a maximized child belongs to the active application only: another
// of our windows taking the activation greys it, and the main form taking it back restores it.
TEST_F(MDITest, TheCaptionKeptForAMaximizedChildGreysWhileAnotherWindowIsActive) {
  TsSkinProvider* provider = SkinnedMain();
  Child("Lane 1", {10, 10, 190, 140});
  TForm* child = Child("Lane 2", {200, 10, 380, 140});
  HWND main = frame->GetHandle();
  SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
  SetActiveWindow(main);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_TRUE(IsZoomed(child->GetHandle()));
  ASSERT_EQ(frame->GetActiveMDIChild(), child);
  ASSERT_TRUE(child->GetActive());
  ASSERT_TRUE(provider->FormActive());
  const POINT p = CaptionPoint(provider);
  const COLORREF active = Pixel(main, p, true);

  auto* other = New<TForm>(Application, kCreateNew);
  other->SetBounds(560, 30, 200, 150);
  other->Show();
  // Another program taking the activation leaves our process without an active window.
  for (HWND next : {other->GetHandle(), HWND{}}) {
    SCOPED_TRACE(next ? "another form of ours" : "no window of ours");
    SetActiveWindow(next);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
    ASSERT_EQ(GetActiveWindow(), next);
    EXPECT_FALSE(provider->FormActive());
    EXPECT_NE(Pixel(main, p, true), active);

    SetActiveWindow(main);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
    EXPECT_TRUE(provider->FormActive());
    EXPECT_EQ(Pixel(main, p, true), active);
  }
  Free(other);
  FreeChildren();
}

// A child that comes, gets its provider late or goes (with a menu of its own) shows on the main
// form: its client, its bars and its frame.
TEST_F(MDITest, TheMainFormFollowsChildrenThatComeAndGo) {
  TsSkinProvider* provider = SkinnedMain();
  TsSkinProvider* second_provider = nullptr;
  Child("Lane 1", {10, 10, 150, 100}, &second_provider);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  HWND client = frame->GetClientHandle();
  const POINT free_spot{mdi->ClientAreaWidth() - 20, mdi->ClientAreaHeight() - 20};
  const COLORREF ground = Pixel(client, free_spot, false);
  // Shown: the client's ground is painted again.
  Pixel(client, free_spot, false, true);
  TForm* second = Child("Lane 2", {200, 10, 300, 100}, &second_provider);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  EXPECT_EQ(Pixel(client, free_spot, false), ground);
  // A provider made for a child already shown marks the main frame.
  TForm* late = Child("Lane 3", {10, 120, 150, 200});
  SendMessageA(frame->GetHandle(), WM_NCPAINT, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  ASSERT_FALSE(provider->GetCommonData()->BGChanged);
  New<TsSkinProvider>(late);
  EXPECT_TRUE(provider->GetCommonData()->BGChanged);
  // A child with a menu of its own: the system gives a child window no menu bar, nor do we.
  GiveMenu(second);
  RECT window;
  GetWindowRect(second->GetHandle(), &window);
  POINT origin{0, 0};
  ClientToScreen(second->GetHandle(), &origin);
  EXPECT_EQ(second_provider->ClientOrigin().y, origin.y - window.top);
  // Going, it repaints the main frame.
  const POINT p = CaptionPoint(provider);
  const COLORREF caption = Pixel(frame->GetHandle(), p, true);
  Pixel(frame->GetHandle(), p, true, true);
  Free(second_provider);
  EXPECT_EQ(Pixel(frame->GetHandle(), p, true), caption);
  FreeChildren();
}

// A child sized by its border: the main form's bars follow at once, with the client's new
// ranges.
TEST_F(MDITest, AChildResizedByItsBorderBringsTheBarsAtOnce) {
  SkinnedMain();
  // Past the right edge: Wine's client works its ranges out only while it has a bar of its own.
  Child("Wide", {10, 10, mdi->ClientAreaWidth() + 100, 100});
  TsSkinProvider* child_provider = nullptr;
  TForm* child = Child("Lane 1", {10, 120, 150, 200}, &child_provider);
  child_provider->SetResizeMode(rmBorder);
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetHorzBar() && Settled(); }));
  ASSERT_EQ(mdi->GetVertBar(), nullptr);
  SetWindowPos(child->GetHandle(), nullptr, 0, 0, 140, mdi->ClientAreaHeight() + 100,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(mdi->GetVertBar());
  FreeChildren();
}

// Our bar's scroll moves the children, and the client's ranges change with them: the bar takes
// the new ones within the same scroll, and may go in it.
TEST_F(MDITest, ScrollingWithOurBarTakesTheClientsNewRangesAtOnce) {
  SkinnedMain();
  HWND client = frame->GetClientHandle();
  RECT area;
  GetClientRect(client, &area);
  // Reaching 100 pixels below the client: a step down leaves the room above it empty.
  TForm* tall = Child("Tall", {10, 200, 150, area.bottom + 100});
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetVertBar() && Settled(); }));
  auto press_down_arrow = [&] {
    TsMDIScrollBar* bar = mdi->GetVertBar();
    const RECT arrow = bar->PartRect(spSecondButton);
    const LPARAM at = MAKELPARAM((arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2);
    SendMessageA(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar->GetHandle(), WM_LBUTTONUP, 0, at);  // a bar gone in the press is freed later
  };
  const int max_before = mdi->GetVertBar()->GetMax();
  press_down_arrow();
  const int max = mdi->GetVertBar()->GetMax(), position = mdi->GetVertBar()->GetPosition();
  // The client asked for its ranges with the children where they are now: the bar has them.
  GetClientRect(client, &area);
  SendMessageA(client, WM_SIZE, SIZE_RESTORED, MAKELPARAM(area.right, area.bottom));
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetVertBar() && Settled(); }));
  ASSERT_NE(mdi->GetVertBar()->GetMax(), max_before);  // the empty room above is gone
  EXPECT_EQ(max, mdi->GetVertBar()->GetMax());
  EXPECT_EQ(position, mdi->GetVertBar()->GetPosition());
  // Only a step below the client: the step takes the bar away, inside the bar's own event.
  tall->SetBounds(10, 100, 140, area.bottom - 100 + mdi->GetVertBar()->GetSmallChange() - 1);
  ASSERT_TRUE(PumpUntil([&] { return mdi->GetVertBar() && Settled(); }));
  ASSERT_LE(mdi->GetVertBar()->GetMax(), mdi->GetVertBar()->GetSmallChange());
  press_down_arrow();
  EXPECT_EQ(mdi->GetVertBar(), nullptr);
  Pump();
  for (int i = 0; i < frame->GetControlCount(); ++i)
    EXPECT_FALSE(DynamicCast<TsScrollBar>(frame->GetControl(i)));
  FreeChildren();
}
