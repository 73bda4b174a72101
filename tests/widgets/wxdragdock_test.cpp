// The widgets' drag and dock: a windowless LED dragged onto another with the real pointer,
// and the drag and dock names the widgets and the skinned scroll bar publish, read from a
// form definition and written back the same.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "skin/controls/sscrollbar.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/dragdock.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "widgets/galoled.h"
#include "widgets/widgets.h"
#include "widgets/wxled.h"
#include "widgets/wxmarkuplabel.h"
#include "widgets/wxspeedbutton.h"

using testing::ElementsAre;

// A form whose handlers fit every drag and dock event, for definitions to bind.
class TDragForm : public TForm {
  TK_CLASS(TDragForm, TForm)

 public:
  explicit TDragForm(TComponent* owner) : TForm(owner, kCreateNew) {}
  void Over(TObject*, TObject*, int, int, TDragState, bool&) {}
  void Dropped(TObject*, TObject*, int, int) {}
  void Ended(TObject*, TObject*, int, int) {}
  void Started(TObject*, TDragObject*&) {}
  void DockStarted(TObject*, TDragDockObject*&) {}

 private:
  static void Publish(TPublisher<TDragForm>& p) {
    p.Method("Over", &TDragForm::Over);
    p.Method("Dropped", &TDragForm::Dropped);
    p.Method("Ended", &TDragForm::Ended);
    p.Method("Started", &TDragForm::Started);
    p.Method("DockStarted", &TDragForm::DockStarted);
  }
};
TK_CLASS_INFO(TDragForm, TForm)

namespace {

std::string NameOf(TObject* object) {
  auto* component = DynamicCast<TComponent>(object);
  return component ? component->GetName() : "-";
}

struct TLedLog : TObject {
  std::vector<std::string> log;
  void Click(TObject* sender) { log.push_back(NameOf(sender) + ":click"); }
  void Start(TObject* sender, TDragObject*&) { log.push_back(NameOf(sender) + ":start"); }
  void Over(TObject* sender, TObject* source, int x, int y, TDragState state, bool&) {
    if (state != dsDragMove)
      log.push_back(NameOf(sender) + (state == dsDragEnter ? ":enter " : ":leave ") + NameOf(source) + " " +
                    std::to_string(x) + "," + std::to_string(y));
  }
  void Drop(TObject* sender, TObject* source, int x, int y) {
    log.push_back(NameOf(sender) + ":drop " + NameOf(source) + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void End(TObject* sender, TObject* target, int x, int y) {
    log.push_back(NameOf(sender) + ":end " + NameOf(target) + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
};

TEST(WxDragDock, AWindowlessLedDragsAutomaticallyOntoAnotherThatTakesTheDrop) {
  TDesktopLock desktop;
  auto* form = New<TForm>(nullptr, kCreateNew);
  form->SetName("Form");
  form->SetBounds(100, 100, 300, 200);
  auto* led = New<TWxLED>(form);
  led->SetName("Led1");
  led->SetParent(form);
  led->SetBounds(20, 20, 17, 17);
  auto* other = New<TWxLED>(form);
  other->SetName("Led2");
  other->SetParent(form);
  other->SetBounds(150, 60, 17, 17);
  auto* log = New<TLedLog>();
  led->SetDragMode(dmAutomatic);
  led->OnClick = TNotifyEvent(log, &TLedLog::Click);
  led->OnStartDrag = TStartDragEvent(log, &TLedLog::Start);
  led->OnEndDrag = TEndDragEvent(log, &TLedLog::End);
  other->OnDragOver = TDragOverEvent(log, &TLedLog::Over);
  other->OnDragDrop = TDragDropEvent(log, &TLedLog::Drop);
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->GetHandle()) != FALSE; }));
  auto at = [](TControl* c, int x, int y) { return c->ClientToScreen({x, y}); };

  // A press released in place stays a click.
  ASSERT_TRUE(MouseMessageAt(WM_LBUTTONDOWN, at(led, 8, 8), MK_LBUTTON));
  ASSERT_TRUE(MouseMessageAt(WM_LBUTTONUP, at(led, 8, 8), 0));
  EXPECT_THAT(log->log, ElementsAre("Led1:click"));

  // Moved past the threshold it is a drag; the LED under the cursor is found among the form's
  // windowless children, the form itself (no OnDragOver) refuses.
  log->log.clear();
  ASSERT_TRUE(MouseMessageAt(WM_LBUTTONDOWN, at(led, 8, 8), MK_LBUTTON));
  ASSERT_TRUE(MouseMessageAt(WM_MOUSEMOVE, at(led, 30, 8), MK_LBUTTON));
  EXPECT_TRUE(led->Dragging());
  EXPECT_EQ(GetCapture(), form->GetHandle());
  EXPECT_EQ(GetCursor(), CursorHandle(crNoDrop));
  ASSERT_TRUE(MouseMessageAt(WM_MOUSEMOVE, at(other, 5, 6), MK_LBUTTON));
  EXPECT_EQ(GetCursor(), CursorHandle(crDrag));
  ASSERT_TRUE(MouseMessageAt(WM_LBUTTONUP, at(other, 5, 6), 0));
  EXPECT_THAT(WithoutBounces(log->log),
              ElementsAre("Led1:start", "Led2:enter Led1 5,6", "Led2:leave Led1 5,6", "Led2:drop Led1 5,6",
                          "Led1:end Led2 5,6"));
  EXPECT_FALSE(led->Dragging());
  Free(form);
  Free(log);
  Pump();
}

const char* const kDragNames[] = {"DragCursor", "DragKind",  "DragMode",    "OnDragDrop", "OnDragOver",
                                  "OnEndDock",  "OnEndDrag", "OnStartDock", "OnStartDrag"};

// The drag and dock lines of an object of a written definition, in order.
std::vector<std::string> DragLines(const std::string& text, const std::string& object) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    if (trimmed.rfind("object ", 0) == 0) inside = trimmed.rfind("object " + object + ":", 0) == 0;
    const std::string name = trimmed.substr(0, trimmed.find(" ="));
    if (inside && std::find(std::begin(kDragNames), std::end(kDragNames), name) != std::end(kDragNames))
      lines.push_back(trimmed);
  }
  return lines;
}

TEST(WxDragDock, EveryPublishedDragAndDockNameIsReadFromADefinitionAndWrittenBack) {
  RegisterWidgetClasses();
  RegisterSkinScrollClasses();
  const std::vector<std::string> all{
      "DragCursor = -21",     "DragKind = dkDock",         "DragMode = dmAutomatic",
      "OnDragDrop = Dropped", "OnDragOver = Over",         "OnEndDock = Ended",
      "OnEndDrag = Ended",    "OnStartDock = DockStarted", "OnStartDrag = Started"};
  auto block = [](const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "    " + line + "\n";
    return text;
  };
  // The speed button lists only the four drag events.
  const std::vector<std::string> events{"OnDragDrop = Dropped", "OnDragOver = Over", "OnEndDrag = Ended",
                                        "OnStartDrag = Started"};
  const std::string definition = "object DragForm: TDragForm\n  object Led: TWxLED\n" + block(all) +
                                 "  end\n  object Label: TWxMarkupLabel\n" + block(all) +
                                 "  end\n  object Bar: TsScrollBar\n" + block(all) +
                                 "  end\n  object Button: TWxSpeedButton\n" + block(events) + "  end\nend\n";
  auto* form = New<TDragForm>(nullptr);
  ReadComponentFromText(form, definition, "drag.form");
  for (const char* name : {"Led", "Label", "Bar"}) {
    auto* control = DynamicCast<TControl>(form->FindComponent(name));
    ASSERT_TRUE(control) << name;
    EXPECT_EQ(control->GetDragCursor(), crHandPoint) << name;
    EXPECT_EQ(control->GetDragKind(), dkDock) << name;
    EXPECT_EQ(control->GetDragMode(), dmAutomatic) << name;
    EXPECT_TRUE(control->OnDragDrop == TDragDropEvent(form, &TDragForm::Dropped)) << name;
    EXPECT_TRUE(control->OnDragOver == TDragOverEvent(form, &TDragForm::Over)) << name;
    EXPECT_TRUE(control->OnEndDock == TEndDragEvent(form, &TDragForm::Ended)) << name;
    EXPECT_TRUE(control->OnEndDrag == TEndDragEvent(form, &TDragForm::Ended)) << name;
    EXPECT_TRUE(control->OnStartDock == TStartDockEvent(form, &TDragForm::DockStarted)) << name;
    EXPECT_TRUE(control->OnStartDrag == TStartDragEvent(form, &TDragForm::Started)) << name;
  }
  auto* button = DynamicCast<TControl>(form->FindComponent("Button"));
  ASSERT_TRUE(button);
  EXPECT_TRUE(button->OnDragDrop == TDragDropEvent(form, &TDragForm::Dropped));
  EXPECT_TRUE(button->OnDragOver == TDragOverEvent(form, &TDragForm::Over));
  EXPECT_TRUE(button->OnEndDrag == TEndDragEvent(form, &TDragForm::Ended));
  EXPECT_TRUE(button->OnStartDrag == TStartDragEvent(form, &TDragForm::Started));
  const std::string written = WriteComponentToText(form);
  for (const char* name : {"Led", "Label", "Bar"})
    EXPECT_THAT(DragLines(written, name), testing::UnorderedElementsAreArray(all)) << name << "\n" << written;
  EXPECT_THAT(DragLines(written, "Button"), testing::UnorderedElementsAreArray(events)) << written;
  auto* copy = New<TDragForm>(nullptr);
  ReadComponentFromText(copy, written, "written.form");
  const std::string again = WriteComponentToText(copy);
  for (const char* name : {"Led", "Label", "Bar"})
    EXPECT_EQ(DragLines(again, name), DragLines(written, name));
  // Defaults are not written.
  Free(copy);
  copy = New<TDragForm>(nullptr);
  ReadComponentFromText(copy, "object DragForm: TDragForm\n  object Led: TWxLED\n  end\nend\n", "plain.form");
  EXPECT_TRUE(DragLines(WriteComponentToText(copy), "Led").empty());
  EXPECT_EQ(static_cast<TControl*>(copy->FindComponent("Led"))->GetDragCursor(), crDrag);
  Free(copy);
  Free(form);
}

TEST(WxDragDock, OnlyTheClassesThatListThemPublishTheDragAndDockNames) {
  const auto& names = kDragNames;
  for (TClass cls : {TWxLED::StaticClass(), TsScrollBar::StaticClass()})
    for (const char* name : names) EXPECT_TRUE(GetPropInfo(cls, name)) << cls->name << " " << name;
  // The markup label: its own drag events and its base's properties and dock events.
  for (const char* name : names) EXPECT_TRUE(GetPropInfo(TWxMarkupLabel::StaticClass(), name)) << name;
  for (const char* name : {"DragCursor", "DragKind", "DragMode", "OnEndDock", "OnStartDock"})
    EXPECT_TRUE(GetPropInfo(TWxPubGraphicControl::StaticClass(), name)) << name;
  for (const char* name : {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"})
    EXPECT_FALSE(GetPropInfo(TWxPubGraphicControl::StaticClass(), name)) << name;
  // The speed button: the four drag events alone.
  for (const char* name : {"OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"})
    EXPECT_TRUE(GetPropInfo(TWxSpeedButton::StaticClass(), name)) << name;
  for (const char* name : {"DragCursor", "DragKind", "DragMode", "OnEndDock", "OnStartDock"})
    EXPECT_FALSE(GetPropInfo(TWxSpeedButton::StaticClass(), name)) << name;
  // The plain base and the lamp list none of them.
  for (TClass cls : {TWxGraphicControl::StaticClass(), TIAgaloLED::StaticClass()})
    for (const char* name : names) EXPECT_FALSE(GetPropInfo(cls, name)) << cls->name << " " << name;
}

}  // namespace
