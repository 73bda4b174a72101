// Controls: the message chain (WindowProc, class tables, the original procedure), windows of
// superclassed system classes, subclassing of foreign windows, and painting of graphic
// children measured on the screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/stdctrls.h"
#include "toolkit/winsubclass.h"
#include "visual_test_classes.h"

using testing::ElementsAre;

namespace {

// Replaces a control's WindowProc and passes every message on to the one it replaced.
class TWindowProcHook : public TObject {
 public:
  explicit TWindowProcHook(TControl* control) : control_(control), saved_(control->WindowProc) {
    control->WindowProc = TWndMethod(this, &TWindowProcHook::Proc);
  }
  ~TWindowProcHook() override {
    if (control_->WindowProc == TWndMethod(this, &TWindowProcHook::Proc)) control_->WindowProc = saved_;
  }
  void Proc(TMessage& message) {
    if (message.Msg == WM_TESTMESSAGE) Trace().push_back("hook");
    if (message.Msg == WM_SETTEXT && replace_text) message.LParam = reinterpret_cast<LPARAM>("replaced");
    saved_(message);
  }
  bool replace_text = false;

 private:
  TControl* control_;
  TWndMethod saved_;
};

WNDPROC g_previous_proc = nullptr;

LRESULT CALLBACK RecordingSubclassProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TESTMESSAGE) Trace().push_back("subclass");
  return CallWindowProcA(g_previous_proc, window, msg, wparam, lparam);
}

// Counts the messages a foreign window's subclass sees.
class TSubclassRecorder : public TObject {
 public:
  TSubclassRecorder() : subclass(TWndMethod(this, &TSubclassRecorder::Handle)) {}
  void Handle(TMessage& message) {
    if (message.Msg == WM_TESTMESSAGE) {
      ++seen;
      message.Result = 7;
      return;
    }
    subclass.CallPrevious(message);
  }
  int seen = 0;
  TWindowSubclass subclass;
};

int g_property_reads = 0;
void* g_get_prop = nullptr;
HANDLE WINAPI CountingGetPropA(HWND window, LPCSTR name) {
  ++g_property_reads;
  return reinterpret_cast<decltype(&GetPropA)>(g_get_prop)(window, name);
}

// The window properties that `send` reads. A program that does not import GetPropA reads none.
template <class F>
int PropertyReads(F send) {
  g_property_reads = 0;
  g_get_prop = PatchImport("user32.dll", "GetPropA", reinterpret_cast<void*>(&CountingGetPropA));
  send();
  if (g_get_prop) PatchImport("user32.dll", "GetPropA", g_get_prop);
  return g_property_reads;
}

class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    Trace().clear();
    form = New<TTestForm>(nullptr, kCreateNew);
    form->SetName("Form");
    form->SetBorderStyle(bsSingle);
    // Mostly outside the shared desktop, clear of other tests' windows; pictures are painted
    // off the screen.
    form->SetBounds(1040, 800, 420, 320);
    form->SetColor(clWhite);
  }
  void TearDown() override {
    Free(form);
    Pump();
  }
  void ShowForm() {
    form->Show();
    Pump();
    form->Update();
  }
  template <class T>
  T* Add(const char* name, TWinControl* parent, RECT bounds, TColor color) {
    T* control = New<T>(form);
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetColor(color);
    control->SetParent(parent);
    return control;
  }

  TDesktopLock lock_;
  TTestForm* form = nullptr;
};

TEST_F(ControlsTest, WindowProcChainRunsSubclassHookClassHandlersAndOriginalProcedureInOrder) {
  auto* panel = Add<TTestSubPanel>("pnl", form, {10, 10, 110, 70}, clBlue);
  HWND window = panel->GetHandle();
  g_previous_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingSubclassProc)));
  auto* hook = New<TWindowProcHook>(panel);

  // Through the window: the Win32 subclass first; each class handler adds to WParam.
  EXPECT_EQ(SendMessageA(window, WM_TESTMESSAGE, 1, 0), 42);
  EXPECT_THAT(Trace(), ElementsAre("subclass", "hook", "derived", "base", "default 12"));

  // Perform starts at WindowProc: the subclass does not see it.
  Trace().clear();
  EXPECT_EQ(panel->Perform(WM_TESTMESSAGE, 1, 0), 42);
  EXPECT_THAT(Trace(), ElementsAre("hook", "derived", "base", "default 12"));

  // With the hook taken out again, the chain is the class's own.
  Free(hook);
  Trace().clear();
  panel->Perform(WM_TESTMESSAGE, 1, 0);
  EXPECT_THAT(Trace(), ElementsAre("derived", "base", "default 12"));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous_proc));
}

TEST_F(ControlsTest, MessagesFindTheirControlWithoutReadingAWindowProperty) {
  // Wine asks its server for each property: a read per message made every message to a
  // control cost tens of microseconds, and a list view of thousands of rows took seconds.
  auto* panel = Add<TTestSubPanel>("pnl", form, {10, 10, 110, 70}, clBlue);
  HWND window = panel->GetHandle();
  EXPECT_EQ(PropertyReads([&] {
              for (int i = 0; i < 100; ++i) EXPECT_EQ(SendMessageA(window, WM_TESTMESSAGE, 1, 0), 42);
              EXPECT_EQ(FindControl(window), panel);
              EXPECT_EQ(FindControl(form->GetHandle()), form);
            }),
            0);

  // A window that is gone belongs to no control any more.
  DestroyWindow(window);
  EXPECT_EQ(FindControl(window), nullptr);
  EXPECT_EQ(SendMessageA(panel->GetHandle(), WM_TESTMESSAGE, 1, 0), 42);
  EXPECT_EQ(FindControl(panel->GetHandle()), panel);
}

TEST_F(ControlsTest, MessagesReachASubclassWithoutReadingAWindowProperty) {
  // The skin provider subclasses every form: a property read per message made each paint of
  // a skinned panel, which asks its form whether it is updating, wait twice for Wine's server.
  auto* panel = Add<TTestSubPanel>("pnl", form, {10, 10, 110, 70}, clBlue);
  HWND window = panel->GetHandle();
  auto* recorder = New<TSubclassRecorder>();
  recorder->subclass.Install(window);
  EXPECT_EQ(PropertyReads([&] {
              for (int i = 0; i < 100; ++i) EXPECT_EQ(SendMessageA(window, WM_TESTMESSAGE, 1, 0), 7);
            }),
            0);
  EXPECT_EQ(recorder->seen, 100);
  // Taken out, the window's own procedure answers alone again.
  recorder->subclass.Uninstall();
  EXPECT_EQ(SendMessageA(window, WM_TESTMESSAGE, 1, 0), 42);
  EXPECT_EQ(recorder->seen, 100);
  Free(recorder);
}

TEST_F(ControlsTest, MessageTablesKeepEachClassesOwnEntriesAndReachInheritedOnes) {
  const TMessageMap* sub = TTestSubPanel::StaticMessageMap();
  EXPECT_NE(FindMessageEntry(sub, WM_TESTMESSAGE), nullptr);
  EXPECT_EQ(FindMessageEntry(sub, CM_MOUSEENTER), nullptr);
  EXPECT_EQ(FindMessageHandler(sub, CM_MOUSEENTER),
            FindMessageEntry(TTestPanel::StaticMessageMap(), CM_MOUSEENTER)->proc);
  EXPECT_NE(FindMessageHandler(sub, WM_PAINT), nullptr);
  EXPECT_EQ(FindMessageHandler(sub, WM_USER + 999), nullptr);
}

TEST_F(ControlsTest, SuperclassedEditSeesItsCreationAndGetsChangedParameters) {
  auto* edit = Add<TTestEdit>("ed", form, {10, 10, 130, 31}, clWindow);
  HWND window = edit->GetHandle();
  const std::vector<UINT>& created = edit->GetCreationMessages();
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created.front(), static_cast<UINT>(WM_NCCREATE));
  EXPECT_NE(std::find(created.begin(), created.end(), static_cast<UINT>(WM_NCCALCSIZE)), created.end());
  EXPECT_NE(std::find(created.begin(), created.end(), static_cast<UINT>(WM_CREATE)), created.end());
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  EXPECT_STREQ(name, "TTestEdit");

  // It is an edit control, and the text is kept in the object as well.
  edit->SetText("start");
  char text[32] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "start");
  EXPECT_EQ(SendMessageA(window, EM_GETLIMITTEXT, 0, 0) > 0, true);

  // A stage of the chain that changes the parameters changes what the edit itself gets.
  auto* hook = New<TWindowProcHook>(edit);
  hook->replace_text = true;
  SetWindowTextA(window, "typed");
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "replaced");
  EXPECT_EQ(edit->GetText(), "replaced");
  Free(hook);
}

TEST_F(ControlsTest, ForeignSubclassIsUndoneOnlyWhileItIsStillOnTop) {
  HWND parent = form->GetHandle();
  HWND label =
      CreateWindowExA(0, "STATIC", "label", WS_CHILD, 0, 0, 50, 20, parent, nullptr, nullptr, nullptr);
  ASSERT_NE(label, nullptr);
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(label, GWLP_WNDPROC));

  auto* recorder = New<TSubclassRecorder>();
  recorder->subclass.Install(label);
  // A window property costs a trip to the window server: messages find the subclass without.
  EXPECT_EQ(PropertyReads([&] {
              for (int i = 0; i < 10; ++i) EXPECT_EQ(SendMessageA(label, WM_TESTMESSAGE, 0, 0), 7);
            }),
            0);
  EXPECT_EQ(recorder->seen, 10);
  recorder->subclass.Uninstall();
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(label, GWLP_WNDPROC)), original);

  // Someone else subclasses after us: ours stays in their chain and passes messages on.
  recorder->subclass.Install(label);
  g_previous_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingSubclassProc)));
  recorder->subclass.Uninstall();
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(label, GWLP_WNDPROC)), &RecordingSubclassProc);
  Trace().clear();
  SendMessageA(label, WM_TESTMESSAGE, 0, 0);
  EXPECT_EQ(recorder->seen, 10);
  EXPECT_THAT(Trace(), ElementsAre("subclass"));
  SetWindowTextA(label, "still works");
  char text[32] = {};
  GetWindowTextA(label, text, sizeof text);
  EXPECT_STREQ(text, "still works");
  Free(recorder);
  DestroyWindow(label);
}

// A second subclass of ours goes on top of the first: it sees each message first and passes
// it down; the first taken out under it only forwards, and when the second goes too the window
// has its own procedure back. A fifth one is refused.
TEST_F(ControlsTest, SubclassesOfOursStackOnOneWindow) {
  HWND label = CreateWindowExA(0, "STATIC", "label", WS_CHILD, 0, 0, 50, 20, form->GetHandle(), nullptr,
                               nullptr, nullptr);
  ASSERT_NE(label, nullptr);
  auto original = GetWindowLongPtrA(label, GWLP_WNDPROC);
  struct Passing : TObject {
    Passing() : subclass(TWndMethod(this, &Passing::Handle)) {}
    void Handle(TMessage& message) {
      if (message.Msg == WM_TESTMESSAGE) ++seen;
      subclass.CallPrevious(message);
    }
    int seen = 0;
    TWindowSubclass subclass;
  };
  auto* first = New<TSubclassRecorder>();
  auto* second = New<Passing>();
  first->subclass.Install(label);
  second->subclass.Install(label);
  EXPECT_EQ(SendMessageA(label, WM_TESTMESSAGE, 0, 0), 7);
  EXPECT_EQ(second->seen, 1);
  EXPECT_EQ(first->seen, 1);
  first->subclass.Uninstall();
  EXPECT_EQ(SendMessageA(label, WM_TESTMESSAGE, 0, 0), 0);  // the static control's own answer
  EXPECT_EQ(second->seen, 2);
  EXPECT_EQ(first->seen, 1);
  second->subclass.Uninstall();
  EXPECT_EQ(GetWindowLongPtrA(label, GWLP_WNDPROC), original);

  std::vector<Passing*> many;
  for (int i = 0; i < 4; ++i) {
    many.push_back(New<Passing>());
    many.back()->subclass.Install(label);
  }
  auto* fifth = New<Passing>();
  EXPECT_THROW(fifth->subclass.Install(label), EOSError);
  EXPECT_EQ(SendMessageA(label, WM_TESTMESSAGE, 0, 0), 0);
  for (Passing* p : many) EXPECT_EQ(p->seen, 1);
  for (Passing* p : many) Free(p);  // oldest first: each below the top only forwards meanwhile
  EXPECT_EQ(GetWindowLongPtrA(label, GWLP_WNDPROC), original);
  Free(fifth);
  Free(first);
  Free(second);
  DestroyWindow(label);
}

// A Unicode subclass keeps the window Unicode: a text outside the ANSI code page passes whole.
TEST_F(ControlsTest, UnicodeSubclassPassesUnicodeTextsAndGivesTheProcedureBack) {
  HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 20, form->GetHandle(), nullptr, nullptr,
                               nullptr);
  ASSERT_NE(label, nullptr);
  auto original = GetWindowLongPtrW(label, GWLP_WNDPROC);
  auto* recorder = New<TSubclassRecorder>();
  recorder->subclass.Install(label, true);
  EXPECT_TRUE(IsWindowUnicode(label));
  EXPECT_EQ(SendMessageW(label, WM_TESTMESSAGE, 0, 0), 7);
  std::wstring text(2000, L'\u0394');  // outside the ANSI code page
  SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  std::wstring read(text.size() + 1, L'\0');
  read.resize(static_cast<size_t>(
      SendMessageW(label, WM_GETTEXT, read.size(), reinterpret_cast<LPARAM>(read.data()))));
  EXPECT_TRUE(read == text);
  recorder->subclass.Uninstall();
  EXPECT_EQ(GetWindowLongPtrW(label, GWLP_WNDPROC), original);
  Free(recorder);
  DestroyWindow(label);
}

int g_clip_calls = 0;
void* g_rect_visible = nullptr;
void* g_exclude_clip_rect = nullptr;
BOOL WINAPI CountingRectVisible(HDC dc, const RECT* rect) {
  ++g_clip_calls;
  return reinterpret_cast<decltype(&RectVisible)>(g_rect_visible)(dc, rect);
}
int WINAPI CountingExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  ++g_clip_calls;
  return reinterpret_cast<decltype(&ExcludeClipRect)>(g_exclude_clip_rect)(dc, left, top, right, bottom);
}

TEST_F(ControlsTest, APaintOfOneGraphicChildLeavesTheClipOfTheOthersAlone) {
  // A lane label is repainted a hundred times a second beside a dozen others: each region
  // operation for a child outside the paint cost as much as a small drawing.
  std::vector<TTestShape*> shapes;
  for (int i = 0; i < 20; ++i) {
    shapes.push_back(Add<TTestShape>("s", form,
                                     {10 + i % 5 * 60, 10 + i / 5 * 50, 60 + i % 5 * 60, 50 + i / 5 * 50},
                                     i % 2 ? clRed : clLime));
    shapes.back()->SetName("s" + std::to_string(i));
    shapes.back()->SetOpaque(true);
  }
  ShowForm();
  Trace().clear();
  g_clip_calls = 0;
  g_rect_visible = PatchImport("gdi32.dll", "RectVisible", reinterpret_cast<void*>(&CountingRectVisible));
  g_exclude_clip_rect =
      PatchImport("gdi32.dll", "ExcludeClipRect", reinterpret_cast<void*>(&CountingExcludeClipRect));
  ASSERT_NE(g_rect_visible, nullptr);
  ASSERT_NE(g_exclude_clip_rect, nullptr);
  shapes[7]->Invalidate();
  form->Update();
  PatchImport("gdi32.dll", "RectVisible", g_rect_visible);
  PatchImport("gdi32.dll", "ExcludeClipRect", g_exclude_clip_rect);
  EXPECT_THAT(Trace(), ElementsAre("s7:paint"));
  EXPECT_LE(g_clip_calls, 2);  // the painted child's own exclusion and visibility

  // Painted in full, each child still finds its place.
  TBitmap* picture = PictureOf(form);
  EXPECT_EQ(PixelAt(picture, form, 20, 20), clLime);
  EXPECT_EQ(PixelAt(picture, form, 80, 20), clRed);
  EXPECT_EQ(PixelAt(picture, form, 290, 190), clRed);  // the last one
  Free(picture);
}

TEST_F(ControlsTest, GraphicChildrenArePaintedInZOrderClippedToTheirBounds) {
  auto* bottom = Add<TTestShape>("a", form, {10, 10, 70, 50}, clRed);
  auto* top = Add<TTestShape>("b", form, {40, 30, 100, 70}, clLime);
  ShowForm();
  // The window's own painting: bottom first.
  Trace().clear();
  form->Repaint();
  EXPECT_THAT(Trace(), ElementsAre("a:paint", "b:paint"));

  TBitmap* picture = PictureOf(form);
  EXPECT_EQ(PixelAt(picture, form, 50, 40), clLime);    // both: the later one is on top
  EXPECT_EQ(PixelAt(picture, form, 20, 20), clRed);     // only the lower one
  EXPECT_EQ(PixelAt(picture, form, 69, 20), clRed);     // its last column
  EXPECT_EQ(PixelAt(picture, form, 70, 20), clWhite);   // clipped to its bounds
  EXPECT_EQ(PixelAt(picture, form, 110, 80), clWhite);  // the form's own colour
  Free(picture);

  bottom->BringToFront();
  Trace().clear();
  form->Repaint();
  EXPECT_THAT(Trace(), ElementsAre("b:paint", "a:paint"));
  picture = PictureOf(form);
  EXPECT_EQ(PixelAt(picture, form, 50, 40), clRed);
  Free(picture);

  // Double-buffered painting gives the same picture.
  form->SetDoubleBuffered(true);
  top->BringToFront();
  Trace().clear();
  form->Repaint();
  EXPECT_THAT(Trace(), ElementsAre("a:paint", "b:paint"));
  picture = PictureOf(form);
  EXPECT_EQ(PixelAt(picture, form, 50, 40), clLime);
  EXPECT_EQ(PixelAt(picture, form, 20, 20), clRed);
  Free(picture);
}

TEST_F(ControlsTest, OpaqueGraphicChildIsLeftOutOfTheBackgroundErase) {
  auto* opaque = Add<TTestShape>("a", form, {10, 10, 30, 30}, clRed);
  opaque->SetOpaque(true);
  Add<TTestShape>("b", form, {50, 10, 70, 30}, clLime);
  form->HandleNeeded();
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(100, 50);  // black
  HDC dc = bitmap->GetCanvas()->GetHandle();
  form->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  GdiFlush();
  EXPECT_EQ(bitmap->GetPixelColor(20, 20), clBlack);  // below the opaque child: untouched
  EXPECT_EQ(bitmap->GetPixelColor(60, 20), clWhite);
  EXPECT_EQ(bitmap->GetPixelColor(90, 40), clWhite);
  Free(bitmap);
}

TEST_F(ControlsTest, InvalidateOfAGraphicControlCoversItsRectangleAndRepaintPaintsAtOnce) {
  auto* shape = Add<TTestShape>("a", form, {30, 20, 70, 50}, clRed);
  ShowForm();
  ValidateRect(form->GetHandle(), nullptr);
  shape->Invalidate();
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(form->GetHandle(), &update, FALSE));
  EXPECT_EQ(update.left, 30);
  EXPECT_EQ(update.top, 20);
  EXPECT_EQ(update.right, 70);
  EXPECT_EQ(update.bottom, 50);

  ValidateRect(form->GetHandle(), nullptr);
  shape->SetOpaque(true);
  int before = shape->GetPaintCount();
  shape->Repaint();
  EXPECT_EQ(shape->GetPaintCount(), before + 1);
  EXPECT_FALSE(GetUpdateRect(form->GetHandle(), nullptr, FALSE));
}

TEST_F(ControlsTest, PictureOfAFormShowsGraphicAndWindowedChildren) {
  auto* panel = Add<TTestPanel>("pnl", form, {10, 10, 210, 110}, clBlue);
  Add<TTestShape>("inner", panel, {20, 20, 80, 60}, clRed);
  Add<TTestShape>("outer", form, {230, 10, 290, 60}, clYellow);
  auto* edit = Add<TTestEdit>("ed", form, {10, 130, 200, 151}, clWindow);
  edit->SetText("Dravolin 1:23.45");
  ShowForm();

  TBitmap* shot = PictureOf(form);
  if (const char* dir = std::getenv("DRAVOLIN_SCREENSHOT_DIR"))
    shot->SaveToFile(std::string(dir) + "\\controls.bmp");
  EXPECT_EQ(PixelAt(shot, form, 15, 15), clBlue);     // windowed panel
  EXPECT_EQ(PixelAt(shot, form, 50, 50), clRed);      // graphic child of the panel
  EXPECT_EQ(PixelAt(shot, form, 250, 30), clYellow);  // graphic child of the form
  EXPECT_EQ(PixelAt(shot, form, 300, 100), clWhite);  // the form
  // The edit drew its text: some pixel in its box is dark.
  bool text = false;
  for (int x = 14; x < 120 && !text; ++x)
    for (int y = 133; y < 148 && !text; ++y) text = PixelAt(shot, form, x, y) == clBlack;
  EXPECT_TRUE(text);
  Free(shot);
}

// ---- Reading order ------------------------------------------------------------------------------

// Counts the reading-order changes a control is told of.
class TBiDiWatch : public TObject {
 public:
  explicit TBiDiWatch(TControl* control) : control_(control), saved_(control->WindowProc) {
    control->WindowProc = TWndMethod(this, &TBiDiWatch::Proc);
  }
  ~TBiDiWatch() override { control_->WindowProc = saved_; }
  void Proc(TMessage& message) {
    if (message.Msg == CM_BIDIMODECHANGED) ++changes;
    saved_(message);
  }
  int changes = 0;

 private:
  TControl* control_;
  TWndMethod saved_;
};

TEST_F(ControlsTest, ParentBiDiModeFollowsTheParentUntilTheControlSetsItsOwn) {
  auto* panel = Add<TTestPanel>("pnl", form, {10, 10, 210, 110}, clBlue);
  auto* shape = Add<TTestShape>("shape", panel, {20, 20, 80, 60}, clRed);
  TBiDiWatch watch(shape);
  form->SetBiDiMode(bdRightToLeft);
  // Down the whole tree, each told once.
  EXPECT_EQ(panel->GetBiDiMode(), bdRightToLeft);
  EXPECT_EQ(shape->GetBiDiMode(), bdRightToLeft);
  EXPECT_TRUE(shape->GetParentBiDiMode());
  EXPECT_TRUE(shape->UseRightToLeftReading());
  EXPECT_TRUE(shape->UseRightToLeftAlignment());
  EXPECT_EQ(watch.changes, 1);
  form->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_TRUE(shape->UseRightToLeftReading());
  EXPECT_FALSE(shape->UseRightToLeftAlignment());
  // A mode of its own ends the following, even when it is the parent's value.
  panel->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_FALSE(panel->GetParentBiDiMode());
  form->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(panel->GetBiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_EQ(shape->GetBiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_EQ(watch.changes, 2);
  // Following again takes the parent's mode at once.
  panel->SetParentBiDiMode(true);
  EXPECT_EQ(shape->GetBiDiMode(), bdLeftToRight);
  // A control put on a parent takes the parent's mode there.
  auto* edit = New<TTestEdit>(form);
  form->SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_EQ(edit->GetBiDiMode(), bdLeftToRight);
  edit->SetParent(form);
  EXPECT_EQ(edit->GetBiDiMode(), bdRightToLeftNoAlign);
}

TEST_F(ControlsTest, ParentCtl3DFollowsTheParentUntilTheControlSetsItsOwnAndDecidesTheBorder) {
  auto* panel = Add<TTestPanel>("pnl", form, {10, 10, 210, 110}, clBlue);
  // A list box: the system's edit draws its flat border itself and drops WS_BORDER.
  auto* edit = New<TListBox>(form);
  edit->SetBounds(10, 10, 120, 60);
  edit->SetParent(panel);
  ASSERT_TRUE(edit->GetCtl3D() && edit->GetParentCtl3D());
  auto border = [&] {
    const LONG_PTR style = GetWindowLongPtrA(edit->GetHandle(), GWL_STYLE);
    const LONG_PTR ex_style = GetWindowLongPtrA(edit->GetHandle(), GWL_EXSTYLE);
    return std::pair<bool, bool>((ex_style & WS_EX_CLIENTEDGE) != 0, (style & WS_BORDER) != 0);
  };
  edit->GetItems()->Add("kept");
  EXPECT_EQ(border(), std::make_pair(true, false));  // sunken
  // Down the tree: the window made anew with a flat line, the text kept.
  form->SetCtl3D(false);
  EXPECT_FALSE(panel->GetCtl3D());
  EXPECT_FALSE(edit->GetCtl3D());
  EXPECT_TRUE(edit->GetParentCtl3D());
  EXPECT_EQ(border(), std::make_pair(false, true));
  EXPECT_EQ(edit->GetItems()->Count(), 1);
  // Its own value ends the following, even when it is the parent's.
  edit->SetCtl3D(false);
  EXPECT_FALSE(edit->GetParentCtl3D());
  form->SetCtl3D(true);
  EXPECT_TRUE(panel->GetCtl3D());
  EXPECT_FALSE(edit->GetCtl3D());
  // Following again takes the parent's value at once; a control put on a parent takes its value.
  edit->SetParentCtl3D(true);
  EXPECT_TRUE(edit->GetCtl3D());
  EXPECT_EQ(border(), std::make_pair(true, false));
  auto* loose = New<TListBox>(form);
  panel->SetCtl3D(false);
  EXPECT_TRUE(loose->GetCtl3D());
  loose->SetParent(panel);
  EXPECT_FALSE(loose->GetCtl3D());
}

// Reads a definition into a new form and writes it back.
std::string ReadAndWrite(const std::string& text) {
  auto* read = New<TTestForm>(nullptr, kCreateNew);
  ReadComponentFromText(read, text, "hints.form");
  std::string written = WriteComponentToText(read);
  Free(read);
  return written;
}

TEST_F(ControlsTest, DefinitionsWithParentLinkedHintAndFontSettingsComeBackTheSame) {
  RegisterTestControls();
  // Nothing said about hints or the font: the panel and its button follow their parents.
  const std::string following = ReadAndWrite(
      "object Hints: TTestForm\n  ShowHint = True\n  Font.Name = 'Arial'\n"
      "  object pnl: TTestPanel\n    object btn: TTestButton\n    end\n  end\nend\n");
  for (const char* line :
       {"\n    ParentShowHint", "\n      ParentShowHint", "\n    ParentFont", "\n      ParentFont",
        "\n    ShowHint", "\n      ShowHint", "\n    Font.", "\n      Font."})
    EXPECT_EQ(following.find(line), std::string::npos) << line << following;
  EXPECT_EQ(ReadAndWrite(following), following);

  // A setting of its own stays the control's own, also when it equals the parent's.
  const std::string own = ReadAndWrite(
      "object Hints: TTestForm\n  object pnl: TTestPanel\n    ShowHint = False\n"
      "    Font.Name = 'Arial'\n    object btn: TTestButton\n      ShowHint = True\n    end\n  end\nend\n");
  EXPECT_NE(own.find("    ShowHint = False\r\n    ParentShowHint = False"), std::string::npos) << own;
  EXPECT_NE(own.find("      ShowHint = True\r\n      ParentShowHint = False"), std::string::npos) << own;
  EXPECT_NE(own.find("ParentFont = False"), std::string::npos) << own;
  EXPECT_EQ(ReadAndWrite(own), own);
}

}  // namespace
