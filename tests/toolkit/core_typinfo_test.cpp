// Published properties and methods: enumeration in order, get and set by name through the
// accessors, kinds, ranges, nested objects, string lists, collections and handler binding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core_test_classes.h"

using testing::ElementsAre;

namespace {

// Republishes Count with another default and adds a property of its own.
class TWideWidget : public TTestWidget {
  TK_CLASS(TWideWidget, TTestWidget)

 public:
  using TTestWidget::TTestWidget;
  int GetExtra() const { return extra_; }
  void SetExtra(int extra) { extra_ = extra; }

 private:
  static void Publish(TPublisher<TWideWidget>& p) {
    p.Integer("Count", &TWideWidget::GetCount, &TWideWidget::SetCount).Default(7);
    p.Integer("Extra", &TWideWidget::GetExtra, &TWideWidget::SetExtra);
  }
  int extra_ = 0;
};
TK_CLASS_INFO(TWideWidget, TTestWidget)

std::vector<std::string> Names(TClass cls) {
  std::vector<std::string> names;
  for (const TPropInfo* p : GetPropList(cls)) names.push_back(p->name);
  return names;
}

class PublishedProperties : public testing::Test {
 protected:
  void SetUp() override {
    form_ = New<TTestForm>(nullptr);
    widget_ = New<TTestWidget>(form_);
    widget_->SetName("w");
  }
  void TearDown() override { Free(form_); }
  TTestForm* form_;
  TTestWidget* widget_;
};

TEST_F(PublishedProperties, AreListedAncestorsFirstInDeclarationOrder) {
  EXPECT_THAT(
      Names(TTestWidget::StaticClass()),
      ElementsAre("Name", "Tag", "Caption", "Hint", "Count", "Ratio", "Align", "Visible", "Anchors", "Color",
                  "Font", "Items", "Columns", "Data", "Buddy", "Serial", "OnClick", "OnKey"));
  EXPECT_THAT(Names(TComponent::StaticClass()), ElementsAre("Name", "Tag"));
  EXPECT_TRUE(GetPropList(TObject::StaticClass()).empty());
}

TEST_F(PublishedProperties, RepublishingKeepsTheInheritedPosition) {
  std::vector<std::string> names = Names(TWideWidget::StaticClass());
  EXPECT_EQ(names[4], "Count");
  EXPECT_EQ(names.back(), "Extra");
  const TPropInfo* count = GetPropInfo(TWideWidget::StaticClass(), "Count");
  EXPECT_EQ(count->declared_by, TWideWidget::StaticClass());
  EXPECT_EQ(count->default_value, 7);
  EXPECT_EQ(GetPropInfo(TTestWidget::StaticClass(), "Count")->default_value, 0);
}

TEST_F(PublishedProperties, HaveTheKindOfTheirType) {
  auto kind = [](const char* name) { return GetPropInfo(TTestWidget::StaticClass(), name)->kind; };
  EXPECT_EQ(kind("Tag"), TTypeKind::Integer);
  EXPECT_EQ(kind("Align"), TTypeKind::Enumeration);
  EXPECT_EQ(kind("Visible"), TTypeKind::Enumeration);
  EXPECT_EQ(kind("Anchors"), TTypeKind::Set);
  EXPECT_EQ(kind("Color"), TTypeKind::Color);
  EXPECT_EQ(kind("Caption"), TTypeKind::String);
  EXPECT_EQ(kind("Hint"), TTypeKind::WideString);
  EXPECT_EQ(kind("Font"), TTypeKind::Object);
  EXPECT_EQ(kind("Items"), TTypeKind::StringList);
  EXPECT_EQ(kind("Columns"), TTypeKind::Collection);
  EXPECT_EQ(kind("OnKey"), TTypeKind::Method);
  EXPECT_EQ(kind("Data"), TTypeKind::Binary);
  EXPECT_FALSE(GetPropInfo(TTestWidget::StaticClass(), "Serial")->IsWritable());
}

TEST_F(PublishedProperties, AreSetByNameThroughTheirSetters) {
  SetStrProp(widget_, "caption", "Start");
  EXPECT_EQ(widget_->GetCaption(), "Start");
  EXPECT_EQ(widget_->GetCaptionWrites(), 1);
  SetOrdProp(widget_, "Tag", -5);
  EXPECT_EQ(widget_->GetTag(), -5);
  SetStrProp(widget_, "Name", "btn");
  EXPECT_EQ(form_->FindComponent("btn"), widget_);
  EXPECT_EQ(GetStrProp(widget_, "Caption"), "Start");
}

TEST_F(PublishedProperties, DottedPathsReachNestedObjects) {
  SetOrdProp(widget_, "Font.Height", -13);
  SetStrProp(widget_, "Font.Name", "Arial");
  EXPECT_EQ(widget_->GetFont()->GetHeight(), -13);
  EXPECT_EQ(GetStrProp(widget_, "Font.Name"), "Arial");
  EXPECT_EQ(GetObjectProp(widget_, "Font"), widget_->GetFont());
  EXPECT_THROW(SetOrdProp(widget_, "Font.Missing", 1), EPropertyError);
  EXPECT_THROW(SetOrdProp(widget_, "Caption.Height", 1), EPropertyError);
  EXPECT_THROW(GetObjectProp(widget_, "Buddy.Font"), EPropertyError);  // Buddy is nil
}

TEST_F(PublishedProperties, EnumerationsAndSetsUseTheirValueNames) {
  const TPropInfo* align = FindPropInfo(widget_, "Align");
  SetEnumProp(widget_, align, "TACLIENT");
  EXPECT_EQ(widget_->GetAlign(), taClient);
  EXPECT_EQ(GetEnumProp(widget_, align), "taClient");
  EXPECT_THROW(SetEnumProp(widget_, align, "taLeft"), EPropertyError);
  EXPECT_THROW(SetOrdProp(widget_, align, 4), EPropertyError);
  SetEnumProp(widget_, FindPropInfo(widget_, "Visible"), "False");
  EXPECT_FALSE(widget_->GetVisible());
  const TPropInfo* anchors = FindPropInfo(widget_, "Anchors");
  SetSetProp(widget_, anchors, "[tkRight, tkBottom]");
  EXPECT_EQ(widget_->GetAnchors(), (TTestAnchors{tkRight, tkBottom}));
  EXPECT_EQ(GetSetProp(widget_, anchors), "tkRight,tkBottom");
  SetSetProp(widget_, anchors, "[]");
  EXPECT_TRUE(widget_->GetAnchors().Empty());
  EXPECT_THROW(SetSetProp(widget_, anchors, "tkLeft,tkMiddle"), EPropertyError);
}

TEST_F(PublishedProperties, RefuseValuesOutsideTheirTypeInsteadOfTruncating) {
  const TPropInfo* count = FindPropInfo(widget_, "Count");  // 16 bits
  SetOrdProp(widget_, count, -32768);
  EXPECT_THROW(SetOrdProp(widget_, count, 40000), EPropertyError);
  EXPECT_EQ(widget_->GetCount(), -32768);
  EXPECT_THROW(SetOrdProp(widget_, FindPropInfo(widget_, "Color"), int64_t{1} << 32), EPropertyError);
}

TEST_F(PublishedProperties, RefuseReadOnlyUnknownAndMismatchedAccess) {
  EXPECT_THROW(SetOrdProp(widget_, "Serial", 1), EPropertyError);
  EXPECT_EQ(GetOrdProp(widget_, "Serial"), widget_->GetSerial());
  EXPECT_EQ(GetPropInfo(widget_, "Missing"), nullptr);
  EXPECT_THROW(FindPropInfo(widget_, "Missing"), EPropertyError);
  EXPECT_THROW(GetStrProp(widget_, "Count"), EPropertyError);
  EXPECT_THROW(GetOrdProp(widget_, "Caption"), EPropertyError);
  EXPECT_THROW(SetObjectProp(widget_, FindPropInfo(widget_, "Buddy"), form_), EPropertyError);
}

TEST_F(PublishedProperties, WideAndByteStringsConvertThroughTheAnsiCodePage) {
  SetStrProp(widget_, "Hint", "Gr\xFC\xDF");  // "Grüß" in code page 1252
  EXPECT_EQ(widget_->GetHint(), L"Gr\u00FC\u00DF");
  SetWideStrProp(widget_, FindPropInfo(widget_, "Caption"), L"\u20AC5");
  EXPECT_EQ(widget_->GetCaption(),
            "\x80"
            "5");
  EXPECT_EQ(GetWideStrProp(widget_, FindPropInfo(widget_, "Caption")), L"\u20AC5");
}

// Walks an object tree as the translator does: string properties, nested objects, string
// list lines and collection items.
void CollectTexts(TObject* object, const std::string& path, std::vector<std::string>& out) {
  for (const TPropInfo* p : GetPropList(object)) {
    if (p->name == "Name" && object->Is<TComponent>()) continue;  // the translator's rule
    if (p->kind == TTypeKind::String || p->kind == TTypeKind::WideString) {
      std::string v = GetStrProp(object, p);
      if (!v.empty()) out.push_back(path + p->name + "=" + v);
    } else if (p->IsObject()) {
      TObject* inner = GetObjectProp(object, p);
      if (inner && !inner->Is<TComponent>()) CollectTexts(inner, path + p->name + ".", out);
    }
  }
  if (auto* strings = DynamicCast<TStrings>(object))
    for (int i = 0; i < strings->Count(); ++i)
      out.push_back(path + "[" + std::to_string(i) + "]=" + strings->Get(i));
  if (auto* collection = DynamicCast<TCollection>(object))
    for (int i = 0; i < collection->GetCount(); ++i)
      CollectTexts(collection->GetItem(i), path + "<" + std::to_string(i) + ">.", out);
}

TEST_F(PublishedProperties, EnumerationReachesNestedObjectsStringListsAndCollectionItems) {
  widget_->SetCaption("Start");
  widget_->GetItems()->Add("one");
  widget_->GetItems()->Add("two");
  widget_->GetColumns()->Add<TTestColumn>()->SetCaption("Place");
  std::vector<std::string> texts;
  CollectTexts(widget_, "", texts);
  EXPECT_THAT(texts, ElementsAre("Caption=Start", "Font.Name=Tahoma", "Items.[0]=one", "Items.[1]=two",
                                 "Columns.<0>.Caption=Place"));
}

TEST_F(PublishedProperties, ObjectSettersKeepTheirAssignSemantics) {
  TTestFont* font = New<TTestFont>();
  font->SetHeight(-20);
  TTestFont* own = widget_->GetFont();
  SetObjectProp(widget_, FindPropInfo(widget_, "Font"), font);
  EXPECT_EQ(widget_->GetFont(), own);
  EXPECT_EQ(own->GetHeight(), -20);
  Free(font);
}

TEST_F(PublishedProperties, HandlersBindByNameOnlyToEventsOfTheSameParameters) {
  const TPropInfo* on_click = FindPropInfo(widget_, "OnClick");
  BindMethodProp(widget_, on_click, form_, "widgetclick");
  EXPECT_EQ(widget_->OnClick, TNotifyEvent(form_, &TTestForm::WidgetClick));
  widget_->OnClick(widget_);
  EXPECT_THAT(form_->clicks, ElementsAre("WidgetClick w"));
  EXPECT_EQ(GetMethodProp(widget_, on_click), widget_->OnClick.ToMethod());
  EXPECT_EQ(MethodName(TTestForm::StaticClass(), widget_->OnClick.ToMethod().code), "WidgetClick");

  EXPECT_THROW(BindMethodProp(widget_, on_click, form_, "WidgetKey"), EPropertyError);
  EXPECT_THROW(BindMethodProp(widget_, on_click, form_, "NotPublished"), EPropertyError);
  BindMethodProp(widget_, FindPropInfo(widget_, "OnKey"), form_, "WidgetKey");
  WORD key = 1;
  widget_->OnKey(widget_, key, 3);
  EXPECT_EQ(key, 4);
  EXPECT_EQ(
      MethodName(TTestForm::StaticClass(), TNotifyEvent(form_, &TTestForm::NotPublished).ToMethod().code),
      "");
  SetMethodProp(widget_, on_click, TMethod{});
  EXPECT_FALSE(widget_->OnClick);
}

}  // namespace
