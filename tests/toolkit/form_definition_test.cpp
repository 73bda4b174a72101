// Form definitions: every value kind read into a component tree with events bound and the
// loading order kept, the writer's round trip, errors naming source and line, and reading
// from the executable's resources.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core_test_classes.h"
#include "toolkit/classregistry.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/timers.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

constexpr char kFullForm[] = R"(object Main: TTestForm
  Tag = $10
  OnCreate = FormCreate
  object pnl: TTestWidget
    Caption = 'Panel'
    Align = taClient
    object btn: TTestWidget
      Caption = 'it''s'#13#10'two lines' +
        ' and more'
      Hint = 'Euro '#8364#$20AC
      Count = -12
      Ratio = 2.5E-1
      Visible = False
      Anchors = [tkRight, tkBottom]
      Color = clLime
      Font.Height = -13
      Font.Color = $80000005
      Font.Name = 'Arial'
      Items = (
        'first'
        ''
        'x=''y''')
      Columns = <
        item
          Caption = 'Place'
          Width = 55
        end
        item
        end>
      Data = {
        00FF7F0a
        41}
      Buddy = lbl
      OnClick = WidgetClick
      OnKey = WidgetKey
    end
  end
  object lbl: TTestWidget  // a comment
    Caption = #200'x'
    Color = 255
    Anchors = []
    OnClick = OtherClick
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 10
    OnTimer = OtherClick
  end
end
)";

class FormDefinition : public testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    RegisterTestClasses();
    RegisterClass(TTimer::StaticClass());
  }
  void TearDown() override {
    for (TTestForm* f : forms_) Free(f);
  }
  TTestForm* NewForm() {
    forms_.push_back(New<TTestForm>(nullptr));
    return forms_.back();
  }
  template <class T>
  static T* Find(TComponent* root, const char* name) {
    T* found = DynamicCast<T>(root->FindComponent(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // Reads a broken definition and returns the error.
  EFormDefinitionError ReadBroken(const std::string& text) {
    TTestForm* form = NewForm();
    try {
      ReadComponentFromText(form, text, "broken.form");
    } catch (const EFormDefinitionError& e) {
      EXPECT_FALSE(form->GetComponentState().Contains(csLoading));
      EXPECT_FALSE(form->GetComponentState().Contains(csReading));
      return e;
    }
    ADD_FAILURE() << "no error for:\n" << text;
    return EFormDefinitionError("", 0, "");
  }
  std::vector<TTestForm*> forms_;
};

TEST_F(FormDefinition, EveryValueKindReachesItsProperty) {
  TTestForm* form = NewForm();
  form->Create(kFullForm);
  EXPECT_EQ(form->GetName(), "Main");
  EXPECT_EQ(form->GetTag(), 16);
  auto* btn = Find<TTestWidget>(form, "btn");
  auto* lbl = Find<TTestWidget>(form, "lbl");
  ASSERT_TRUE(btn && lbl);
  EXPECT_EQ(btn->GetCaption(), "it's\r\ntwo lines and more");
  EXPECT_EQ(btn->GetHint(), L"Euro \u20AC\u20AC");
  EXPECT_EQ(btn->GetCount(), -12);
  EXPECT_EQ(btn->GetRatio(), 0.25);
  EXPECT_FALSE(btn->GetVisible());
  EXPECT_EQ(btn->GetAnchors(), (TTestAnchors{tkRight, tkBottom}));
  EXPECT_EQ(btn->GetColor(), clLime);
  EXPECT_EQ(btn->GetFont()->GetHeight(), -13);
  EXPECT_EQ(btn->GetFont()->GetColor(), clWindow);
  EXPECT_EQ(btn->GetFont()->GetName(), "Arial");
  EXPECT_EQ(btn->GetItems()->GetText(), "first\r\n\r\nx='y'\r\n");
  ASSERT_EQ(btn->GetColumns()->GetCount(), 2);
  EXPECT_EQ(btn->GetColumns()->Item<TTestColumn>(0)->GetCaption(), "Place");
  EXPECT_EQ(btn->GetColumns()->Item<TTestColumn>(0)->GetWidth(), 55);
  EXPECT_EQ(btn->GetColumns()->Item<TTestColumn>(1)->GetWidth(), 50);
  EXPECT_EQ(btn->GetData(), std::string("\x00\xFF\x7F\x0A\x41", 5));
  EXPECT_EQ(btn->GetBuddy(), lbl);  // a reference to a component defined later
  EXPECT_EQ(lbl->GetCaption(), "\xC8x");
  EXPECT_EQ(lbl->GetColor(), clRed);
  EXPECT_TRUE(lbl->GetAnchors().Empty());
  auto* timer = Find<TTimer>(form, "Timer1");
  ASSERT_TRUE(timer);
  EXPECT_EQ(timer->GetInterval(), 10u);
  EXPECT_FALSE(timer->GetEnabled());
  EXPECT_EQ(timer->GetOnTimer(), TNotifyEvent(form, &TTestForm::OtherClick));
}

TEST_F(FormDefinition, EventsAreBoundToTheRootsPublishedMethods) {
  TTestForm* form = NewForm();
  form->Create(kFullForm);
  auto* btn = Find<TTestWidget>(form, "btn");
  auto* lbl = Find<TTestWidget>(form, "lbl");
  ASSERT_TRUE(btn && lbl);
  EXPECT_EQ(btn->OnClick, TNotifyEvent(form, &TTestForm::WidgetClick));
  btn->OnClick(btn);
  lbl->OnClick(lbl);
  EXPECT_THAT(form->clicks, ElementsAre("WidgetClick btn", "OtherClick lbl"));
  WORD key = 10;
  btn->OnKey(btn, key, 5);
  EXPECT_EQ(key, 15);
}

TEST_F(FormDefinition, ComponentsAreOwnedByTheRootAndNestedInTheirParentSetFirst) {
  TTestForm* form = NewForm();
  form->Create(kFullForm);
  std::vector<std::string> owned;
  for (int i = 0; i < form->GetComponentCount(); ++i) owned.push_back(form->GetComponent(i)->GetName());
  EXPECT_THAT(owned, ElementsAre("pnl", "btn", "lbl", "Timer1"));
  auto* pnl = Find<TTestWidget>(form, "pnl");
  auto* btn = Find<TTestWidget>(form, "btn");
  ASSERT_TRUE(pnl && btn);
  EXPECT_EQ(btn->GetParentComponent(), pnl);
  EXPECT_EQ(pnl->GetParentComponent(), form);
  EXPECT_TRUE(btn->parent_set_before_properties);
}

TEST_F(FormDefinition, LoadedRunsAfterReadingRootFirstAndTheCreateHandlerLast) {
  TTestForm* form = NewForm();
  form->Create(kFullForm);
  std::vector<std::string> order;
  for (const std::string& line : Log())
    if (line.starts_with("loaded") || line.starts_with("create")) order.push_back(line);
  // No component is still reading when the first Loaded runs; the handler sees every
  // component with its stored values.
  EXPECT_THAT(order, ElementsAre("loaded Main", "loaded pnl", "loaded btn", "loaded lbl",
                                 "create: pnl=Panel btn=it's\r\ntwo lines and more lbl=\xC8x Timer1"));
  for (int i = 0; i < form->GetComponentCount(); ++i)
    EXPECT_TRUE(form->GetComponent(i)->GetComponentState().Empty());
  EXPECT_TRUE(form->GetComponentState().Empty());
}

TEST_F(FormDefinition, WrittenTreeReadsBackToTheSameTree) {
  TTestForm* form = NewForm();
  form->Create(kFullForm);
  std::string text = WriteComponentToText(form);
  EXPECT_THAT(text, HasSubstr("object Main: TTestForm\r\n  Tag = 16\r\n  OnCreate = FormCreate\r\n"));
  EXPECT_THAT(text, HasSubstr("    object btn: TTestWidget\r\n"));  // nested in pnl
  EXPECT_THAT(text, HasSubstr("Caption = 'it''s'#13#10'two lines and more'"));
  EXPECT_THAT(text, testing::Not(HasSubstr("Serial")));          // read-only
  EXPECT_THAT(text, testing::Not(HasSubstr("Visible = True")));  // the default
  EXPECT_THAT(text, HasSubstr("      Ratio = 0.25\r\n"));
  EXPECT_THAT(text, testing::Not(HasSubstr("Ratio = 1")));  // lbl's, the default

  TTestForm* copy = NewForm();
  ReadComponentFromText(copy, text, "written.form");
  EXPECT_EQ(WriteComponentToText(copy), text);
  auto* btn = Find<TTestWidget>(copy, "btn");
  ASSERT_TRUE(btn);
  EXPECT_EQ(btn->GetHint(), L"Euro \u20AC\u20AC");
  EXPECT_EQ(btn->GetData(), std::string("\x00\xFF\x7F\x0A\x41", 5));
  EXPECT_EQ(btn->GetBuddy(), copy->FindComponent("lbl"));
  EXPECT_EQ(btn->GetParentComponent(), copy->FindComponent("pnl"));
  EXPECT_EQ(btn->OnClick, TNotifyEvent(copy, &TTestForm::WidgetClick));
  EXPECT_EQ(btn->GetColumns()->GetCount(), 2);
}

TEST_F(FormDefinition, WriterRefusesWhatItCannotStore) {
  TTestForm* form = NewForm();
  TTestForm* other = NewForm();
  auto* w = New<TTestWidget>(form);
  w->SetName("w");
  w->OnClick = TNotifyEvent(form, &TTestForm::NotPublished);
  EXPECT_THROW(WriteComponentToText(form), Exception);
  w->OnClick = TNotifyEvent(other, &TTestForm::WidgetClick);  // not the root's
  EXPECT_THROW(WriteComponentToText(form), Exception);
  w->OnClick = nullptr;
  auto* stranger = New<TTestWidget>(other);
  stranger->SetName("stranger");
  w->SetBuddy(stranger);
  EXPECT_THROW(WriteComponentToText(form), Exception);
  EXPECT_FALSE(w->GetComponentState().Contains(csWriting));
}

TEST_F(FormDefinition, ErrorsNameTheSourceAndLine) {
  const std::string head = "object Main: TTestForm\n  object x: TTestWidget\n";
  struct {
    std::string text;
    int line;
    const char* message;
  } const cases[] = {
      {"object Main: TTestForm\n  object x: TNoSuch\n  end\nend\n", 2, "Class TNoSuch not found"},
      {head + "    Colour = clRed\n  end\nend\n", 3, "no published property Colour"},
      {head + "    Font.Size = 8\n  end\nend\n", 3, "no published property Size"},
      {head + "    OnClick = Missing\n  end\nend\n", 3, "no published method Missing"},
      {head + "    OnClick = WidgetKey\n  end\nend\n", 3, "does not have the parameters of event OnClick"},
      {head + "    Align = taLeft\n  end\nend\n", 3, "taLeft is not a value"},
      {head + "    Count = 40000\n  end\nend\n", 3, "out of range"},
      {head + "    Count = 'x'\n  end\nend\n", 3, "Integer expected"},
      {head + "    Caption = 'abc\n  end\nend\n", 3, "Unterminated string"},
      {head + "    Caption = #8364\n  end\nend\n", 3, "does not fit a byte string"},
      {head + "    Color = clPink\n  end\nend\n", 3, "Unknown colour clPink"},
      {head + "    Anchors = [tkLeft, tkMiddle]\n  end\nend\n", 3, "tkMiddle is not a set element"},
      {head + "    Data = { ABC }\n  end\nend\n", 3, "odd number"},
      {head + "\n    Buddy = nobody\n  end\nend\n", 4, "Unknown component nobody"},
      {head + "  end\n  object X: TTestWidget\n  end\nend\n", 4, "A component named X already exists"},
      {"object Main: TTestForm\n  Tag = 1\n", 3, "'end' expected"},
      {"object Main: TTestForm\nend\nextra\n", 3, "Text after the end"},
      {"object Main: TTestWidget\nend\n", 1, "for TTestWidget, not for a TTestForm"},
      {"object Main: TTestForm\n  Tag = 1 2\nend\n", 2, "Property name, 'object' or 'end' expected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EFormDefinitionError e = ReadBroken(c.text);
    EXPECT_EQ(e.GetSourceName(), "broken.form");
    EXPECT_EQ(e.GetLine(), c.line);
    EXPECT_THAT(e.GetDetail(), HasSubstr(c.message));
    EXPECT_THAT(e.Message(), testing::StartsWith("broken.form(" + std::to_string(c.line) + "): "));
  }
  EXPECT_THAT(Log(), testing::Not(testing::Contains(testing::StartsWith("loaded"))));
}

TEST_F(FormDefinition, ResourceDefinitionIsReadByNameAndAMissingOneIsAnError) {
  TTestForm* form = NewForm();
  ReadComponentResource(form, "TSTOREDFORM");
  auto* first = Find<TTestWidget>(form, "first");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetCaption(), "from the resource");
  EXPECT_EQ(first->GetItems()->Count(), 2);
  EXPECT_EQ(form->OnCreate, TNotifyEvent(form, &TTestForm::FormCreate));
  try {
    ReadComponentResource(NewForm(), "TMISSINGFORM");
    ADD_FAILURE() << "no error";
  } catch (const EFormDefinitionError& e) {
    EXPECT_EQ(e.GetSourceName(), "TMISSINGFORM");
  }
}

TEST_F(FormDefinition, SecondInstanceOfAFormGetsAUniqueName) {
  TTestForm* app = NewForm();
  TTestForm* one = New<TTestForm>(app);
  TTestForm* two = New<TTestForm>(app);
  ReadComponentFromText(one, "object Main: TTestForm\nend\n", "one");
  ReadComponentFromText(two, "object Main: TTestForm\nend\n", "two");
  EXPECT_EQ(one->GetName(), "Main");
  EXPECT_EQ(two->GetName(), "Main_1");
}

}  // namespace
