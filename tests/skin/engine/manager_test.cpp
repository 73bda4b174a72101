// The skin manager: what a skin change and a removal deliver to the application's forms and
// their components, in which order and with which global state; receivers that fail or forms
// that are being made or freed; the menu painter's seam; the skin names and folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sstoredskin.h"
#include "skin_test_support.h"
#include "stored_skin_text.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/strings.h"

namespace {

// "Name:MESSAGE" for every library message a recorder sees, with "*" while SkinChanging.
std::vector<std::string>& Seen() {
  static std::vector<std::string> seen;
  return seen;
}
WPARAM last_wparam = 0;
LPARAM last_lparam = 0;

void Record(const TComponent* who, UINT msg, const TMessage& message) {
  const char* name = msg == SKM_SETNEWSKIN   ? "SETNEWSKIN"
                     : msg == SKM_REFRESH    ? "REFRESH"
                     : msg == SKM_REMOVESKIN ? "REMOVESKIN"
                                             : nullptr;
  if (!name) return;
  Seen().push_back(who->GetName() + ":" + name + (SkinChanging ? "*" : ""));
  last_wparam = message.WParam;
  last_lparam = message.LParam;
}

class TRecordingForm : public TForm {
  TK_CLASS(TRecordingForm, TForm)
 public:
  TRecordingForm(TComponent* owner, TCreateNew) : TForm(owner, kCreateNew) {}
  explicit TRecordingForm(TComponent* owner) : TForm(owner, kCreateNew) {}
  void WndProc(TMessage& message) override {
    Record(this, message.Msg, message);
    TForm::WndProc(message);
  }
};
TK_CLASS_INFO(TRecordingForm, TForm)

class TRecordingWin : public TTestPanel {
  TK_CLASS(TRecordingWin, TTestPanel)
 public:
  explicit TRecordingWin(TComponent* owner) : TTestPanel(owner) {}
  void WndProc(TMessage& message) override {
    Record(this, message.Msg, message);
    TTestPanel::WndProc(message);
  }
};
TK_CLASS_INFO(TRecordingWin, TTestPanel)

// A graphic control; it fails on the message in `fail_on`, and may run code when freed.
class TRecordingShape : public TTestShape {
  TK_CLASS(TRecordingShape, TTestShape)
 public:
  explicit TRecordingShape(TComponent* owner) : TTestShape(owner) {}
  ~TRecordingShape() override {
    if (on_free) on_free();
  }
  void WndProc(TMessage& message) override {
    Record(this, message.Msg, message);
    if (message.Msg == fail_on) throw std::runtime_error("broken control");
    if (message.Msg == free_on && to_free) {
      TComponent* doomed = std::exchange(to_free, nullptr);
      Free(doomed);
      return;  // maybe gone with it: touch nothing
    }
    TTestShape::WndProc(message);
  }
  UINT fail_on = 0;
  std::function<void()> on_free;
  // Freed (itself or another component) when this message comes, before returning.
  UINT free_on = 0;
  TComponent* to_free = nullptr;
};
TK_CLASS_INFO(TRecordingShape, TTestShape)

class TRecordingReceiver : public TsSkinReceiver {
  TK_CLASS(TRecordingReceiver, TsSkinReceiver)
 public:
  TRecordingReceiver(TComponent* owner, bool provider) : TsSkinReceiver(owner), provider_(provider) {}
  bool IsFormProvider() const override { return provider_; }
  void SkinMessage(TMessage& message) override { Record(this, message.Msg, message); }

 private:
  bool provider_;
};
TK_ABSTRACT_CLASS_INFO(TRecordingReceiver, TsSkinReceiver)

// OnBeforeChange and OnAfterChange, noted in Seen().
class TChangeEvents : public TObject {
 public:
  void Before(TObject* sender) {
    Seen().push_back("before");
    sender_ = sender;
  }
  void After(TObject*) { Seen().push_back("after"); }
  void Attach(TsSkinManager& manager) {
    manager.OnBeforeChange = TNotifyEvent(this, &TChangeEvents::Before);
    manager.OnAfterChange = TNotifyEvent(this, &TChangeEvents::After);
  }
  TObject* sender_ = nullptr;
};

std::vector<std::string>& PainterCalls() {
  static std::vector<std::string> calls;
  return calls;
}
class TRecordingPainter : public TsMenuPainter {
 public:
  void SetActive(bool active) override { PainterCalls().push_back(active ? "on" : "off"); }
  void HookMainMenu(TMainMenu* menu) override { PainterCalls().push_back("hook " + menu->GetName()); }
  void ComponentRemoved(TComponent* component) override {
    if (component == hooked) PainterCalls().push_back("forget menu");
  }
  static inline TComponent* hooked = nullptr;
  void UpdateMenus() override { PainterCalls().push_back("update"); }
};

class SkinManager : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    RegisterSkinEngineClasses();
    RegisterClasses({TRecordingWin::StaticClass(), TRecordingShape::StaticClass()});
    Seen().clear();
    PainterCalls().clear();
  }
  void TearDown() override {
    for (TForm*& form : forms_) FreeAndNil(form);
    SetMenuPainterFactory(nullptr);
    SkinTest::TearDown();
  }

  // A form of the application with a windowed control (its window made) and a graphic one.
  TForm* AddForm(const std::string& name, bool windows = true) {
    auto* form = New<TRecordingForm>(Application, kCreateNew);
    form->SetName(name);
    auto* win = New<TRecordingWin>(form);
    win->SetName(name + "Win");
    win->SetParent(form);
    if (windows) win->GetHandle();
    auto* shape = New<TRecordingShape>(form);
    shape->SetName(name + "Shape");
    shape->SetParent(form);
    forms_.push_back(form);
    return form;
  }
  // A manager with the test skin, read but not yet loaded.
  static void ReadSkins(TsSkinManager& manager) {
    manager.SetActive(false);
    ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
    Seen().clear();
  }

  std::vector<TForm*> forms_;
};

using Strings = std::vector<std::string>;

// ---- The broadcast ------------------------------------------------------------------------------

TEST_F(SkinManager, ANewSkinReachesEveryFormAndItsComponentsInOrderThenTheRefresh) {
  TForm* a = AddForm("A");
  AddForm("B");
  // Owned by a control, not by the form: not reached.
  New<TRecordingShape>(a->FindComponent("AWin"))->SetName("Foreign");
  TsSkinManager manager(nullptr);
  manager.SetGroupIndex(3);
  ReadSkins(manager);

  manager.SetActive(true);
  EXPECT_EQ(Seen(), (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "BWin:SETNEWSKIN*",
                             "BShape:SETNEWSKIN*", "A:REFRESH", "AWin:REFRESH", "AShape:REFRESH", "B:REFRESH",
                             "BWin:REFRESH", "BShape:REFRESH"}));
  EXPECT_EQ(last_wparam, 3u);
  EXPECT_EQ(last_lparam, reinterpret_cast<LPARAM>(&manager));
  EXPECT_FALSE(SkinChanging);

  // A hidden form and its windowed control get their windows made to hear the change through
  // them; a windowed control that cannot have a window (no parent) still hears it.
  TForm* c = AddForm("C", false);
  auto* loose = New<TRecordingWin>(c);
  loose->SetName("CLoose");
  ASSERT_FALSE(c->HandleAllocated());
  Seen().clear();
  manager.SetSkinName(manager.GetSkinName());
  EXPECT_TRUE(c->HandleAllocated());
  EXPECT_TRUE(DynamicCast<TWinControl>(c->FindComponent("CWin"))->HandleAllocated());
  EXPECT_FALSE(loose->HandleAllocated());
  EXPECT_EQ(Seen().size(), 17u);
  EXPECT_EQ(Seen()[6], "CLoose:SETNEWSKIN*");
  EXPECT_EQ(Seen()[13], "C:REFRESH");
}

WNDPROC g_client_proc = nullptr;
LRESULT CALLBACK RecordingClientProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == SKM_SETNEWSKIN || msg == SKM_REFRESH)
    Seen().push_back(msg == SKM_REFRESH ? "Client:REFRESH" : "Client:SETNEWSKIN");
  return CallWindowProcA(g_client_proc, window, msg, wparam, lparam);
}

// An MDI main form's client window hears of the skin, and an MDI child the form owns passes
// it on to its own controls (its window hears the refresh as a control and again as a form).
TEST_F(SkinManager, TheBroadcastReachesTheMDIClientAndTheChildrenItOwns) {
  TDesktopLock desktop;
  ASSERT_EQ(Application->GetMainForm(), nullptr);
  auto* frame = Application->CreateForm<TRecordingForm>();  // the main form: children need it
  frame->SetName("Frame");
  frame->SetFormStyle(fsMDIForm);
  forms_.push_back(frame);
  frame->HandleNeeded();
  ASSERT_TRUE(frame->GetClientHandle());
  g_client_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      frame->GetClientHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingClientProc)));
  auto* child = New<TRecordingForm>(frame, kCreateNew);
  child->SetName("Child");
  child->SetFormStyle(fsMDIChild);
  auto* win = New<TRecordingWin>(child);
  win->SetName("ChildWin");
  win->SetParent(child);
  child->Show();
  TsSkinManager manager(nullptr);
  ReadSkins(manager);
  manager.SetActive(true);
  EXPECT_EQ(Seen(),
            (Strings{"Client:SETNEWSKIN", "Child:SETNEWSKIN*", "ChildWin:SETNEWSKIN*", "Frame:REFRESH",
                     "Client:REFRESH", "Child:REFRESH", "Child:REFRESH", "ChildWin:REFRESH"}));
  SetWindowLongPtrA(frame->GetClientHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_client_proc));
}

// An internal skin "Huge" with a 4 x 4 master bitmap and nothing else yet.
TsStoredSkin* AddHugeSkin(TsSkinManager& manager) {
  TsStoredSkin* skin = manager.GetInternalSkins()->Add();
  skin->Name = "Huge";
  TBitmap* master = New<TBitmap>();
  master->SetPixelFormat(pf24bit);
  master->SetSize(4, 4);
  skin->SetMasterBitmap(master);
  Free(master);
  return skin;
}

// Section and mask indexes are 16 bits wide: a skin with more entries (a stored one: a skin
// folder is refused far below) keeps the first 32,767 of each and says so, instead of handing
// a control the index of another section.
TEST_F(SkinManager, ASkinPastTheIndexWidthKeepsWhatFitsAndWarns) {
  TsSkinManager manager(nullptr);
  TsStoredSkin* skin = AddHugeSkin(manager);
  for (int i = 0; i < 32770; ++i) {
    TsSkinGeneral* section = skin->GetGeneralData()->Add();
    section->SectionName = "S" + std::to_string(i);
    section->PaintingColor = i;
    TsSkinImage* image = skin->GetImages()->Add();
    image->SectionName = section->SectionName;
    image->PropertyName = "IMAGEFILE";
    image->Right = image->Bottom = 2;
    image->ImageCount = 1;
  }
  Messages().clear();
  manager.SetSkinName("Huge");
  ASSERT_TRUE(SkinData().SkinLoaded);
  EXPECT_EQ(SkinGeneralData.size(), 32767u);
  EXPECT_EQ(SkinMasks.size(), 32767u);
  EXPECT_EQ(GetSkinIndex("S32769"), -1);
  EXPECT_EQ(SkinGeneralData[GetSkinIndex("S100")].PaintingColor, 100);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("32767 sections and images"), std::string::npos);
}

TEST_F(SkinManager, RemovalSendsOnlyRemoveSkinWhileTheMasksAreStillThere) {
  AddForm("A");
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  ASSERT_FALSE(SkinMasks.empty());
  Seen().clear();
  TChangeEvents events;
  events.Attach(manager);

  manager.SetActive(false);
  EXPECT_EQ(Seen(), (Strings{"before", "AWin:REMOVESKIN", "AShape:REMOVESKIN", "after"}));
  EXPECT_TRUE(SkinMasks.empty());
  EXPECT_FALSE(SkinData().SkinLoaded);
}

TEST_F(SkinManager, TheFormProviderIsCalledDirectlyAndTakesTheRefreshThroughItsForm) {
  TForm* a = AddForm("A");
  New<TRecordingReceiver>(a, true)->SetName("Provider");
  New<TRecordingReceiver>(a, false)->SetName("Adapter");
  TsSkinManager manager(nullptr);
  ReadSkins(manager);
  manager.SetActive(true);
  EXPECT_EQ(Seen(),
            (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "Provider:SETNEWSKIN*", "Adapter:SETNEWSKIN*",
                     "A:REFRESH", "AWin:REFRESH", "AShape:REFRESH", "Adapter:REFRESH"}));
  Seen().clear();
  manager.SetActive(false);
  EXPECT_EQ(Seen(),
            (Strings{"AWin:REMOVESKIN", "AShape:REMOVESKIN", "Provider:REMOVESKIN", "Adapter:REMOVESKIN"}));
}

TEST_F(SkinManager, AFailingControlLosesItsMessageButNobodyElseDoes) {
  TForm* a = AddForm("A");
  AddForm("B");
  DynamicCast<TRecordingShape>(a->FindComponent("AShape"))->fail_on = SKM_SETNEWSKIN;
  // After the failing one on the same form.
  auto* late = New<TRecordingShape>(a);
  late->SetName("ALate");
  late->SetParent(a);
  TsSkinManager manager(nullptr);
  ReadSkins(manager);
  TChangeEvents events;
  events.Attach(manager);

  manager.SetActive(true);
  EXPECT_EQ(Seen(),
            (Strings{"before", "AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "ALate:SETNEWSKIN*",
                     "BWin:SETNEWSKIN*", "BShape:SETNEWSKIN*", "A:REFRESH", "AWin:REFRESH", "AShape:REFRESH",
                     "ALate:REFRESH", "B:REFRESH", "BWin:REFRESH", "BShape:REFRESH", "after"}));
  EXPECT_FALSE(SkinChanging);
  EXPECT_TRUE(SkinData().SkinLoaded);
}

TEST_F(SkinManager, ComponentsFreedByAReceiverAreSkippedAndNobodyElseIs) {
  TForm* a = AddForm("A");
  auto* first = DynamicCast<TRecordingShape>(a->FindComponent("AShape"));
  auto add = [&](const char* name) {
    auto* shape = New<TRecordingShape>(a);
    shape->SetName(name);
    shape->SetParent(a);
    return shape;
  };
  TRecordingShape* second = add("ASecond");
  TRecordingShape* third = add("AThird");
  add("AFourth");
  // AShape frees itself, AThird frees AWin (already served) and ASecond frees nobody.
  first->free_on = SKM_SETNEWSKIN;
  first->to_free = first;
  third->free_on = SKM_SETNEWSKIN;
  third->to_free = a->FindComponent("AWin");
  (void)second;
  TsSkinManager manager(nullptr);
  ReadSkins(manager);

  manager.SetActive(true);
  EXPECT_EQ(Seen(), (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "ASecond:SETNEWSKIN*",
                             "AThird:SETNEWSKIN*", "AFourth:SETNEWSKIN*", "A:REFRESH", "ASecond:REFRESH",
                             "AThird:REFRESH", "AFourth:REFRESH"}));
}

TEST_F(SkinManager, AFormFreedByItsOwnControlEndsItsShareAndTheNextFormStillGetsIt) {
  TForm* a = AddForm("A");
  AddForm("B");
  auto* shape = DynamicCast<TRecordingShape>(a->FindComponent("AShape"));
  shape->free_on = SKM_SETNEWSKIN;
  shape->to_free = a;
  forms_[0] = nullptr;  // freed by the test itself
  TsSkinManager manager(nullptr);
  ReadSkins(manager);

  manager.SetActive(true);
  EXPECT_EQ(Seen(), (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "BWin:SETNEWSKIN*",
                             "BShape:SETNEWSKIN*", "B:REFRESH", "BWin:REFRESH", "BShape:REFRESH"}));
}

TEST_F(SkinManager, AFormBeingFreedGetsNothingWhileTheOthersGetTheChange) {
  TForm* a = AddForm("A");
  AddForm("B");
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  // Freed first of A's components (the last one made), while its siblings still exist.
  auto* trigger = New<TRecordingShape>(a);
  trigger->SetName("ATrigger");
  trigger->on_free = [&] { manager.SetSkinName(manager.GetSkinName()); };
  Seen().clear();

  FreeAndNil(forms_[0]);
  EXPECT_EQ(Seen(), (Strings{"BWin:SETNEWSKIN*", "BShape:SETNEWSKIN*", "B:REFRESH", "BWin:REFRESH",
                             "BShape:REFRESH"}));
}

// SkinName's setter loads the skin while the definition is read and announces it to the forms
// that exist without the refresh; Loaded then announces it again with the refresh, when the
// controls read before the manager have loaded (those after it take their indexes in their own
// Loaded), and the menu painter hooks the forms again. The test skin's CommonSections come before
// its SkinName and load once by themselves.
// Active read as False after SkinName takes that skin out again.
TEST_F(SkinManager, AManagerBeingReadLoadsInItsSetterAndAnnouncesAgainWhenLoaded) {
  SetMenuPainterFactory(
      [](TsSkinManager*) -> std::unique_ptr<TsMenuPainter> { return std::make_unique<TRecordingPainter>(); });
  AddForm("A");
  auto* form = New<TRecordingForm>(Application, kCreateNew);
  forms_.push_back(form);
  const std::string manager_text = TestSkinFormText();
  ReadComponentFromText(form,
                        "object F: TRecordingForm\nobject FBefore: TRecordingWin\nend\n" + manager_text +
                            "\nobject FWin: TRecordingWin\nend\nobject FShape: TRecordingShape\nend\nend\n",
                        "form with a manager");
  auto* manager = DynamicCast<TsSkinManager>(form->FindComponent("Skins"));
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->GetOwnerForm(), form);
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_EQ(Seen(),
            (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*",
                     "AWin:SETNEWSKIN", "AShape:SETNEWSKIN", "FBefore:SETNEWSKIN", "A:REFRESH",
                     "AWin:REFRESH", "AShape:REFRESH", "F:REFRESH", "FBefore:REFRESH"}));
  // Menus read after the manager are hooked too: the painter takes the forms again at the end.
  EXPECT_EQ(PainterCalls(), (Strings{"on", "on", "off", "on"}));
  FreeAndNil(forms_.back());
  forms_.pop_back();

  Seen().clear();
  const size_t end = manager_text.rfind("end");
  ASSERT_NE(end, std::string::npos);
  auto* off = New<TRecordingForm>(Application, kCreateNew);
  forms_.push_back(off);
  ReadComponentFromText(
      off, "object G: TRecordingForm\n" + manager_text.substr(0, end) + "Active = False\nend\nend\n",
      "form with a manager switched off");
  EXPECT_FALSE(SkinData().SkinLoaded);
  EXPECT_TRUE(SkinMasks.empty());
  EXPECT_EQ(Seen(), (Strings{"AWin:SETNEWSKIN*", "AShape:SETNEWSKIN*", "AWin:SETNEWSKIN*",
                             "AShape:SETNEWSKIN*", "AWin:REMOVESKIN", "AShape:REMOVESKIN"}));
}

// ---- Events and the menu painter ---------------------------------------------------------------

TEST_F(SkinManager, ChangeEventsFrameTheBroadcastAndTheMenuPainterFollowsTheSkin) {
  SetMenuPainterFactory(
      [](TsSkinManager*) -> std::unique_ptr<TsMenuPainter> { return std::make_unique<TRecordingPainter>(); });
  AddForm("A");
  auto* owner = New<TForm>(nullptr, kCreateNew);
  std::unique_ptr<TForm, void (*)(TForm*)> free_owner(owner, [](TForm* f) { Free(f); });
  auto* manager = New<TsSkinManager>(owner);
  EXPECT_EQ(manager->GetOwnerForm(), owner);
  ReadSkins(*manager);
  TChangeEvents events;
  events.Attach(*manager);

  manager->SetActive(true);
  EXPECT_EQ(Seen().front(), "before");
  EXPECT_EQ(Seen().back(), "after");
  EXPECT_EQ(Seen().size(), 7u);
  EXPECT_EQ(events.sender_, manager);

  // Main menus moved onto the manager's form are hooked and forgotten when they go.
  auto* menu = New<TMainMenu>(nullptr);
  menu->SetName("Menu");
  TRecordingPainter::hooked = menu;
  owner->InsertComponent(menu);
  New<TPopupMenu>(owner);
  Free(menu);
  manager->SetSkinnedPopups(false);
  manager->SetSkinnedPopups(false);
  manager->SetActive(false);
  EXPECT_EQ(PainterCalls(), (Strings{"off", "on", "hook Menu", "forget menu", "update", "off"}));
}

// ---- Skin names and folders ------------------------------------------------------------------

Strings Lines(const TStrings& list) {
  Strings lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

class SkinManagerFolders : public SkinFolderTest {
 protected:
  void SetUp() override {
    SkinFolderTest::SetUp();
    RegisterSkinEngineClasses();
  }
  void MakeSkinFolder(const std::string& name) {
    CreateDirectoryA(Path(name).c_str(), nullptr);
    Write(name + "\\Options.dat", "[FORM]\r\nPaintingColor=255\r\n");
  }
};

TEST_F(SkinManagerFolders, NamesListInternalSkinsFirstThenFoldersButNoDotFolders) {
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  manager.GetInternalSkins()->Add()->Name = "Second (internal)";
  MakeSkinFolder("Blue");
  MakeSkinFolder(".hidden");
  Write("NotAFolder", "x");
  TStringList names;
  names.Add("old entry");

  // No skin directory: every sub-folder of the program's folder is offered.
  const std::string own = "skin names " + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA((GetAppPath() + own).c_str(), nullptr));
  EXPECT_EQ(manager.GetSkinNames(&names), "Test (internal)");
  const Strings listed = Lines(names);
  RemoveDirectoryA((GetAppPath() + own).c_str());
  ASSERT_GE(listed.size(), 3u);
  EXPECT_EQ(Strings(listed.begin(), listed.begin() + 2), (Strings{"Test (internal)", "Second (internal)"}));
  EXPECT_NE(std::find(listed.begin(), listed.end(), own), listed.end());

  manager.SetSkinDirectory(Folder());
  EXPECT_EQ(manager.GetSkinNames(&names), "Test (internal)");
  EXPECT_EQ(Lines(names), (Strings{"Test (internal)", "Second (internal)", "Blue"}));

  TsSkinManager none(nullptr);  // a second manager, with nothing
  none.SetSkinDirectory(Folder() + "missing");
  EXPECT_EQ(none.GetSkinNames(&names), "");
  EXPECT_EQ(names.Count(), 0);
}

TEST_F(SkinManagerFolders, SwitchingOffAndOnReloadsTheSameFolderSkin) {
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  MakeSkinFolder("Blue");
  manager.SetSkinDirectory(Folder());
  manager.SetSkinName("Blue");
  ASSERT_EQ(SkinData().SkinPath, Folder() + "Blue\\");
  ASSERT_EQ(SkinGeneralData[GetSkinIndex("FORM")].PaintingColor, 255);

  manager.SetActive(false);
  EXPECT_FALSE(SkinData().SkinLoaded);
  EXPECT_EQ(GetSkinIndex("FORM"), -1);
  manager.SetActive(true);
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_EQ(manager.GetSkinName(), "Blue");
  EXPECT_EQ(SkinData().SkinPath, Folder() + "Blue\\");
  EXPECT_EQ(SkinGeneralData[GetSkinIndex("FORM")].PaintingColor, 255);

  // A skin directory changed meanwhile names the skin path; the skin stays until the next load.
  manager.SetSkinDirectory(Folder() + "elsewhere");
  EXPECT_EQ(SkinData().SkinPath, Folder() + "elsewhere\\");
  EXPECT_EQ(SkinGeneralData[GetSkinIndex("FORM")].PaintingColor, 255);
  manager.SetSkinName("Blue");
  EXPECT_EQ(manager.GetSkinName(), "Test (internal)");
  EXPECT_EQ(SkinData().SkinPath, "");
}

// Without an internal skin a name that is no folder still loads: the tables are emptied, and
// the skin counts as loaded with no section in it.
TEST_F(SkinManagerFolders, ANameWithNeitherFolderNorInternalSkinLoadsAnEmptySkin) {
  TsSkinManager manager(nullptr);
  MakeSkinFolder("Blue");
  manager.SetSkinDirectory(Folder());
  manager.SetSkinName("Blue");
  ASSERT_NE(GetSkinIndex("FORM"), -1);

  manager.SetSkinName("Missing");
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_EQ(manager.GetSkinName(), "Missing");
  EXPECT_EQ(SkinData().SkinPath, "");
  EXPECT_EQ(SkinData().SkinIni, nullptr);
  EXPECT_EQ(GetSkinIndex("FORM"), -1);
  EXPECT_TRUE(SkinGeneralData.empty());
}

// Masks that name one file share its picture: leaving the surplus ones out must not free the
// picture of those that stay (the next load frees it again).
TEST_F(SkinManagerFolders, MasksPastTheIndexWidthLeaveTheSharedPictureOfTheOthers) {
  Write("shared.bmp", MakeBmp(6, 4, 0x3366CC));
  TsSkinManager manager(nullptr);
  TsStoredSkin* skin = AddHugeSkin(manager);
  skin->GetGeneralData()->Add()->SectionName = "S";
  for (int i = 0; i < 32760; ++i) {
    TsSkinImage* image = skin->GetImages()->Add();
    image->SectionName = "S";
    image->PropertyName = "I" + std::to_string(i);
    image->Right = image->Bottom = 2;
    image->ImageCount = 1;
  }
  TStringList common;
  common.Add("[COMMON]");
  for (int i = 0; i < 20; ++i) common.Add("K" + std::to_string(i) + "=" + Path("shared.bmp"));
  manager.SetSkinName("Huge");
  manager.SetCommonSections(&common);  // loads a second time
  manager.SetSkinName("Huge");         // and a third

  ASSERT_EQ(SkinMasks.size(), 32767u);
  for (size_t i = 32760; i < SkinMasks.size(); ++i) {
    ASSERT_EQ(SkinMasks[i].Bmp, SkinMasks[32760].Bmp);
    EXPECT_EQ(SkinMasks[i].PropertyName, "K" + std::to_string(i - 32760));
  }
  ASSERT_NE(SkinMasks[32760].Bmp, nullptr);
  EXPECT_EQ(SkinMasks[32760].Bmp->GetWidth(), 6);
  EXPECT_EQ(SkinMasks[32760].Bmp->GetPixelColor(0, 0), TColor{0x3366CC});
}

TEST_F(SkinManagerFolders, ASingleLetterWithoutColonIsAFolderOfTheProgram) {
  TsSkinManager manager(nullptr);
  manager.SetSkinDirectory("D");
  EXPECT_EQ(manager.GetFullSkinDirectory(), GetAppPath() + "D\\");
  manager.SetSkinDirectory("");
  EXPECT_EQ(manager.GetFullSkinDirectory(), GetAppPath());
}

}  // namespace
