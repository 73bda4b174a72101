// Dragging controls with the real pointer: a drop accepted, refused or cancelled between two
// panels, and a control docked into a site, floated in a tool window and docked back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/dragdock.h"
#include "visual_test_classes.h"

using testing::ElementsAre;
using testing::IsEmpty;

// A drag object of the program's own: what it carries decides the cursor.
class TCardDrag : public TDragObject {
  TK_CLASS(TCardDrag, TDragObject)

 public:
  TCursor GetDragCursor(bool accepted, int, int) override { return accepted ? crCross : crNo; }
};
TK_CLASS_INFO(TCardDrag, TDragObject)

namespace {

std::string NameOf(TObject* object) {
  auto* component = DynamicCast<TComponent>(object);
  return component ? component->GetName() : DynamicCast<TCardDrag>(object) ? "card" : object ? "object" : "-";
}

std::string At(int x, int y) { return " " + std::to_string(x) + "," + std::to_string(y); }

// Writes every drag and dock event as "Sender:what ...".
class TDragLog : public TObject {
 public:
  std::vector<std::string> log;
  bool accept = true;
  TAlign drop_align = alNone;  // set by the site when not alNone
  bool allow_undock = true;

  void StartDrag(TObject* sender, TDragObject*&) { log.push_back(NameOf(sender) + ":start"); }
  void DragOver(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accepted) {
    static const char* const kStates[] = {"enter", "leave", "move"};
    log.push_back(NameOf(sender) + ":over " + kStates[state] + " " + NameOf(source) + At(x, y));
    if (state != dsDragLeave) accepted = accept;
  }
  void DragDrop(TObject* sender, TObject* source, int x, int y) {
    log.push_back(NameOf(sender) + ":drop " + NameOf(source) + At(x, y));
  }
  void EndDrag(TObject* sender, TObject* target, int x, int y) {
    log.push_back(NameOf(sender) + ":end " + NameOf(target) + At(x, y));
  }
  void BeginAtOnce(TObject* sender, TMouseButton, TShiftState, int, int) {
    static_cast<TControl*>(sender)->BeginDrag(true);
  }
  void BeginPastTen(TObject* sender, TMouseButton, TShiftState, int, int) {
    static_cast<TControl*>(sender)->BeginDrag(false, 10);
  }
  TDragObject* card = nullptr;
  void StartAndEnd(TObject* sender, TDragObject*&) {
    log.push_back(NameOf(sender) + ":start");
    static_cast<TControl*>(sender)->EndDrag(false);
  }
  void StartCard(TObject* sender, TDragObject*& object) {
    log.push_back(NameOf(sender) + ":start");
    object = card;
  }
  void Click(TObject* sender) { log.push_back(NameOf(sender) + ":click"); }
  void ContextPopup(TObject* sender, POINT, bool&) { log.push_back(NameOf(sender) + ":popup"); }
  void StartDock(TObject* sender, TDragDockObject*&) { log.push_back(NameOf(sender) + ":start dock"); }
  void DockOver(TObject* sender, TDragDockObject* source, int, int, TDragState state, bool& accepted) {
    if (state == dsDragEnter) log.push_back(NameOf(sender) + ":dock enter " + NameOf(source->GetControl()));
    if (state == dsDragLeave) log.push_back(NameOf(sender) + ":dock leave");
    if (drop_align != alNone) source->SetDropAlign(drop_align);
    if (state != dsDragLeave) accepted = accept;
  }
  void DockDrop(TObject* sender, TDragDockObject* source, int, int) {
    log.push_back(NameOf(sender) + ":dock drop " + NameOf(source->GetControl()));
  }
  void EndDock(TObject* sender, TObject* target, int, int) {
    log.push_back(NameOf(sender) + ":end dock " + NameOf(target));
  }
  void UnDock(TObject* sender, TControl* client, TWinControl* new_target, bool& allow) {
    log.push_back(NameOf(sender) + ":undock " + NameOf(client) + " to " +
                  (DynamicCast<TToolDockForm>(new_target) ? "tool window" : NameOf(new_target)));
    allow = allow_undock;
  }

  // The log without the moves (the real pointer may add some of its own, and late ones).
  std::vector<std::string> Steps() const {
    std::vector<std::string> steps;
    for (const std::string& entry : log)
      if (entry.find(":over move") == std::string::npos) steps.push_back(entry);
    return WithoutBounces(steps);
  }
};

class DragDock : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TTestForm>(nullptr, kCreateNew);
    form->SetName("Form");
    form->SetBorderStyle(bsSingle);
    form->SetBounds(100, 100, 440, 260);
    log = New<TDragLog>();
  }
  void TearDown() override {
    Free(form);
    Free(log);
    Pump();
  }
  TTestPanel* Panel(const char* name, TWinControl* parent, RECT bounds, TColor color) {
    auto* panel = New<TTestPanel>(form);
    panel->SetName(name);
    panel->SetBoundsRect(bounds);
    panel->SetColor(color);
    panel->SetParent(parent);
    return panel;
  }
  void ShowForm() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->GetHandle()) != FALSE; }));
    form->Update();
  }
  // The real pointer goes to a point (client coordinates of over, or the screen's), then the
  // window that has the mouse gets the message.
  void MouseAt(UINT msg, POINT screen, WPARAM keys) { ASSERT_TRUE(MouseMessageAt(msg, screen, keys)); }
  void Mouse(UINT msg, TControl* over, POINT client, WPARAM keys = 0) {
    MouseAt(msg, over->ClientToScreen(client), keys);
  }
  void DragTo(TControl* over, POINT client) { Mouse(WM_MOUSEMOVE, over, client, MK_LBUTTON); }
  // Two panels: the left one dragged, the right one a target that logs what it hears.
  void MakePanels() {
    left = Panel("Left", form, {10, 10, 150, 200}, clBlue);
    right = Panel("Right", form, {250, 10, 400, 200}, clRed);
    left->OnEndDrag = TEndDragEvent(log, &TDragLog::EndDrag);
    right->OnDragOver = TDragOverEvent(log, &TDragLog::DragOver);
    right->OnDragDrop = TDragDropEvent(log, &TDragLog::DragDrop);
  }
  // A control that docks when dragged and a dock site that logs what it hears.
  void MakeDock() {
    tool = Panel("Tool", form, {10, 10, 70, 50}, clGreen);
    site = Panel("Site", form, {200, 10, 400, 210}, clYellow);
    tool->SetDragKind(dkDock);
    tool->SetDragMode(dmAutomatic);
    tool->OnEndDock = TEndDragEvent(log, &TDragLog::EndDock);
    site->SetDockSite(true);
    site->OnDockOver = TDockOverEvent(log, &TDragLog::DockOver);
    site->OnUnDock = TUnDockEvent(log, &TDragLog::UnDock);
  }

  TDesktopLock lock_;
  TTestForm* form = nullptr;
  TDragLog* log = nullptr;
  TTestPanel *left = nullptr, *right = nullptr, *tool = nullptr, *site = nullptr;
};

// ---- Drag and drop ------------------------------------------------------------------------------

TEST_F(DragDock, AutomaticDragBetweenPanelsDropsOnTheTargetThatAccepts) {
  MakePanels();
  left->SetDragMode(dmAutomatic);
  left->OnStartDrag = TStartDragEvent(log, &TDragLog::StartDrag);
  left->OnClick = TNotifyEvent(log, &TDragLog::Click);
  ShowForm();

  // Pressed and released within the drag threshold: a click, and no drag.
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  EXPECT_TRUE(left->Dragging());  // pending
  DragTo(left, {21, 21});
  Mouse(WM_LBUTTONUP, left, {21, 21});
  EXPECT_FALSE(left->Dragging());
  EXPECT_THAT(log->log, ElementsAre("Left:click"));
  EXPECT_NE(GetCapture(), left->GetHandle());

  // Past the threshold the drag starts; the right panel hears it enter, move and leave, and
  // takes the drop at the point of the release in its own coordinates.
  log->log.clear();
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  DragTo(left, {40, 40});
  EXPECT_THAT(log->log, ElementsAre("Left:start"));
  EXPECT_EQ(GetCursor(), CursorHandle(crNoDrop));  // over itself, which has no OnDragOver
  DragTo(right, {30, 40});
  EXPECT_EQ(log->Steps().back(), "Right:over enter Left 30,40");
  EXPECT_EQ(GetCursor(), CursorHandle(crDrag));
  DragTo(right, {35, 45});
  EXPECT_EQ(log->log.back(), "Right:over move Left 35,45");
  Mouse(WM_LBUTTONUP, right, {35, 45});
  EXPECT_THAT(log->Steps(),
              ElementsAre("Left:start", "Right:over enter Left 30,40", "Right:over leave Left 35,45",
                          "Right:drop Left 35,45", "Left:end Right 35,45"));
  EXPECT_FALSE(left->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  // The press that became a drag is no click.
  EXPECT_EQ(std::count(log->log.begin(), log->log.end(), "Left:click"), 0);
}

TEST_F(DragDock, ARefusedOrUnhandledTargetShowsNoDropAndTakesNothing) {
  MakePanels();
  left->SetDragCursor(crHandPoint);
  left->OnMouseDown = TMouseEvent(log, &TDragLog::BeginAtOnce);
  log->accept = false;
  ShowForm();

  // Started at once from OnMouseDown: no threshold to pass.
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  EXPECT_TRUE(left->Dragging());
  // Over a control without OnDragOver (the form): refused.
  DragTo(form, {200, 100});
  EXPECT_EQ(GetCursor(), CursorHandle(crNoDrop));
  // Over its own panel without a handler too; the drag cursor is the control's own where a
  // target accepts.
  DragTo(right, {10, 10});
  EXPECT_EQ(GetCursor(), CursorHandle(crNoDrop));
  log->accept = true;
  DragTo(right, {12, 12});
  EXPECT_EQ(GetCursor(), CursorHandle(crHandPoint));
  log->accept = false;
  DragTo(right, {14, 14});
  EXPECT_EQ(GetCursor(), CursorHandle(crNoDrop));
  Mouse(WM_LBUTTONUP, right, {14, 14});
  const POINT screen = right->ClientToScreen({14, 14});
  EXPECT_THAT(log->Steps(), ElementsAre("Right:over enter Left 10,10", "Right:over leave Left 14,14",
                                        "Left:end -" + At(screen.x, screen.y)));
  EXPECT_FALSE(left->Dragging());
}

TEST_F(DragDock, ADragObjectFromOnStartDragIsTheSourceAndTheDragEndsFromCode) {
  MakePanels();
  left->OnMouseDown = TMouseEvent(log, &TDragLog::BeginPastTen);
  left->OnStartDrag = TStartDragEvent(log, &TDragLog::StartCard);
  auto* card = New<TCardDrag>();
  log->card = card;
  ShowForm();

  // A threshold of its own: 8 pixels away it is still pending, 12 away it starts.
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  DragTo(left, {28, 20});
  EXPECT_THAT(log->log, IsEmpty());
  EXPECT_TRUE(left->Dragging());
  DragTo(left, {20, 32});
  EXPECT_THAT(log->log, ElementsAre("Left:start"));
  // The target sees the object, which picks the cursor.
  DragTo(right, {50, 60});
  EXPECT_EQ(log->Steps().back(), "Right:over enter card 50,60");
  EXPECT_EQ(card->GetDragTarget(), right);
  EXPECT_TRUE(card->GetAccepted());
  EXPECT_EQ(GetCursor(), CursorHandle(crCross));
  log->accept = false;
  DragTo(right, {52, 60});
  EXPECT_EQ(GetCursor(), CursorHandle(crNo));
  log->accept = true;
  DragTo(right, {54, 60});
  // Dropped from code where the cursor is; the object is the program's, left alive.
  left->EndDrag(true);
  EXPECT_FALSE(left->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(card->GetDropped());
  EXPECT_THAT(log->Steps(),
              ElementsAre("Left:start", "Right:over enter card 50,60", "Right:over leave card 54,60",
                          "Right:drop card 54,60", "Left:end Right 54,60"));
  // Ended again, or for a control that is not dragging: nothing happens.
  left->EndDrag(true);
  right->EndDrag(false);
  EXPECT_EQ(log->log.back(), "Left:end Right 54,60");
  Mouse(WM_LBUTTONUP, right, {54, 60});
  Free(card);

  // Ended by OnStartDrag itself: nothing more is told, and the mouse is free.
  log->log.clear();
  left->OnStartDrag = TStartDragEvent(log, &TDragLog::StartAndEnd);
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  DragTo(right, {50, 60});
  EXPECT_FALSE(left->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  Mouse(WM_LBUTTONUP, right, {50, 60});
  EXPECT_THAT(log->log, ElementsAre("Left:start"));
}

TEST_F(DragDock, EscapeTheRightButtonAndALostCaptureCancelADrag) {
  MakePanels();
  left->SetDragMode(dmAutomatic);
  right->OnContextPopup = TContextPopupEvent(log, &TDragLog::ContextPopup);
  ShowForm();
  // Each way: a drag over the right panel at (n, n), cancelled; the target hears it leave and
  // the left panel's drag ends at no target.
  auto cancelled_at = [&](int n, const std::function<void()>& cancel) {
    log->log.clear();
    Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
    DragTo(right, {n, n});
    ASSERT_TRUE(left->Dragging());
    cancel();
    EXPECT_FALSE(left->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    // The release that follows drops nothing.
    Mouse(WM_LBUTTONUP, right, {n, n});
    const POINT screen = right->ClientToScreen({n, n});
    EXPECT_THAT(log->Steps(),
                ElementsAre("Right:over enter Left" + At(n, n), "Right:over leave Left" + At(n, n),
                            "Left:end -" + At(screen.x, screen.y)));
  };
  cancelled_at(30, [&] {
    PostMessageA(form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Pump();
  });
  // The right button: cancelled at its press, and its release opens no context menu.
  cancelled_at(40, [&] {
    Mouse(WM_RBUTTONDOWN, right, {40, 40}, MK_LBUTTON | MK_RBUTTON);
    Mouse(WM_RBUTTONUP, right, {40, 40}, MK_LBUTTON);
  });
  // Another window taking the mouse.
  cancelled_at(50, [&] {
    SetCapture(right->GetHandle());
    ReleaseCapture();
  });
}

TEST_F(DragDock, AControlFreedWhileDraggedEndsTheDragAndLetsGoOfTheMouse) {
  MakePanels();
  auto* shape = New<TTestShape>(form);
  shape->SetName("Shape");
  shape->SetParent(form);
  shape->SetBounds(170, 20, 40, 40);
  shape->SetDragMode(dmAutomatic);
  ShowForm();

  Mouse(WM_LBUTTONDOWN, shape, {10, 10}, MK_LBUTTON);
  DragTo(right, {20, 30});
  ASSERT_TRUE(shape->Dragging());
  EXPECT_EQ(GetCapture(), form->GetHandle());  // a windowless control holds its parent's window
  Free(shape);
  EXPECT_EQ(GetCapture(), nullptr);
  Mouse(WM_LBUTTONUP, right, {20, 30});
  EXPECT_THAT(log->Steps(), ElementsAre("Right:over enter Shape 20,30", "Right:over leave Shape 20,30"));
  // A new drag goes as ever.
  log->log.clear();
  left->SetDragMode(dmAutomatic);
  Mouse(WM_LBUTTONDOWN, left, {20, 20}, MK_LBUTTON);
  DragTo(right, {40, 40});
  Mouse(WM_LBUTTONUP, right, {40, 40});
  EXPECT_EQ(log->log.back(), "Left:end Right 40,40");
}

// ---- Docking ------------------------------------------------------------------------------------

TEST_F(DragDock, ADockControlDocksIntoASiteFloatsInAToolWindowAndDocksBack) {
  MakeDock();
  tool->OnStartDock = TStartDockEvent(log, &TDragLog::StartDock);
  site->OnDockDrop = TDockDropEvent(log, &TDragLog::DockDrop);
  ShowForm();

  // Dropped near the site's left edge: docked there, along the whole edge.
  Mouse(WM_LBUTTONDOWN, tool, {5, 5}, MK_LBUTTON);
  DragTo(site, {10, 60});
  DragTo(site, {12, 100});
  Mouse(WM_LBUTTONUP, site, {12, 100});
  EXPECT_THAT(log->Steps(), ElementsAre("Tool:start dock", "Site:dock enter Tool", "Site:dock leave",
                                        "Site:dock drop Tool", "Tool:end dock Site"));
  ASSERT_EQ(tool->GetParent(), site);
  EXPECT_FALSE(tool->GetFloating());
  EXPECT_EQ(tool->GetAlign(), alLeft);
  EXPECT_EQ(tool->GetBoundsRect().left, 0);
  EXPECT_EQ(tool->GetWidth(), 60);
  EXPECT_EQ(tool->GetHeight(), site->GetClientHeight());

  // Dropped on the desktop, away from every window of ours: it floats in a tool window whose
  // client area is the control, where the drop put it.
  log->log.clear();
  const POINT grab{5, 5};
  Mouse(WM_LBUTTONDOWN, tool, grab, MK_LBUTTON);
  const POINT desktop{800, 600};
  MouseAt(WM_MOUSEMOVE, {desktop.x - 40, desktop.y}, MK_LBUTTON);
  MouseAt(WM_MOUSEMOVE, desktop, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, desktop, 0);
  EXPECT_THAT(log->Steps(),
              ElementsAre("Tool:start dock", "Site:undock Tool to tool window", "Tool:end dock -"));
  ASSERT_TRUE(tool->GetFloating());
  auto* host = DynamicCast<TToolDockForm>(tool->GetParent());
  ASSERT_TRUE(host);
  HWND host_window = host->GetHandle();
  EXPECT_TRUE(IsWindowVisible(host_window));
  EXPECT_TRUE(GetWindowLongA(host_window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(tool->GetAlign(), alClient);
  EXPECT_EQ(host->GetClientWidth(), 60);
  EXPECT_EQ(host->GetClientHeight(), site->GetClientHeight());
  const POINT origin = tool->ClientToScreen({0, 0});
  EXPECT_EQ(origin.x, desktop.x - grab.x);
  EXPECT_EQ(origin.y, desktop.y - grab.y);

  // Dragged from its tool window into the middle of the site: docked filling it, and the
  // tool window is gone.
  log->log.clear();
  Mouse(WM_LBUTTONDOWN, tool, {5, 5}, MK_LBUTTON);
  DragTo(site, {90, 90});
  DragTo(site, {100, 100});
  Mouse(WM_LBUTTONUP, site, {100, 100});
  EXPECT_THAT(log->Steps(), ElementsAre("Tool:start dock", "Site:dock enter Tool", "Site:dock leave",
                                        "Site:dock drop Tool", "Tool:end dock Site"));
  ASSERT_EQ(tool->GetParent(), site);
  EXPECT_EQ(tool->GetAlign(), alClient);
  EXPECT_EQ(tool->GetWidth(), site->GetClientWidth());
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(host_window); }));
}

TEST_F(DragDock, ASiteDecidesTheAlignmentAndMayRefuseADockOrAnUndock) {
  MakeDock();
  ShowForm();

  // The site says where: the middle of it, but aligned to the bottom.
  log->drop_align = alBottom;
  Mouse(WM_LBUTTONDOWN, tool, {5, 5}, MK_LBUTTON);
  DragTo(site, {100, 100});
  Mouse(WM_LBUTTONUP, site, {100, 100});
  ASSERT_EQ(tool->GetParent(), site);
  EXPECT_EQ(tool->GetAlign(), alBottom);
  EXPECT_EQ(tool->GetBoundsRect().bottom, site->GetClientHeight());
  EXPECT_EQ(tool->GetHeight(), 40);

  // A docked control the site will not let go stays, by drag and by code.
  log->allow_undock = false;
  log->log.clear();
  const int forms = Screen->GetFormCount();
  Mouse(WM_LBUTTONDOWN, tool, {5, 5}, MK_LBUTTON);
  MouseAt(WM_MOUSEMOVE, {800, 600}, MK_LBUTTON);
  MouseAt(WM_LBUTTONUP, {800, 600}, 0);
  EXPECT_EQ(tool->GetParent(), site);
  EXPECT_FALSE(tool->ManualFloat({700, 500, 760, 540}));
  EXPECT_FALSE(tool->ManualDock(form));
  EXPECT_EQ(tool->GetParent(), site);
  EXPECT_EQ(std::count(log->log.begin(), log->log.end(), "Site:undock Tool to tool window"), 2);
  EXPECT_EQ(Screen->GetFormCount(), forms);  // no tool window left behind

  // From code: floated, then docked with an alignment of its own; its tool window goes.
  log->allow_undock = true;
  ASSERT_TRUE(tool->ManualFloat({700, 500, 760, 540}));
  ASSERT_TRUE(tool->GetFloating());
  HWND host_window = static_cast<TToolDockForm*>(tool->GetParent())->GetHandle();
  EXPECT_EQ(tool->GetWidth(), 60);
  ASSERT_TRUE(tool->ManualDock(site, alTop));
  EXPECT_EQ(tool->GetAlign(), alTop);
  EXPECT_EQ(tool->GetTop(), 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(host_window); }));

  // A site that refuses: the control floats where it was dropped instead.
  log->accept = false;
  log->drop_align = alNone;
  log->log.clear();
  Mouse(WM_LBUTTONDOWN, tool, {5, 5}, MK_LBUTTON);
  DragTo(site, {100, 150});
  Mouse(WM_LBUTTONUP, site, {100, 150});
  EXPECT_TRUE(tool->GetFloating());
  EXPECT_EQ(log->log.back(), "Tool:end dock -");
}

}  // namespace
