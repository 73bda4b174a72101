// The object and component model: class information, two-phase construction, ownership and
// destruction order with notifications, names, events, collections, lists, the class
// registry and colour identifiers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core_test_classes.h"
#include "toolkit/classregistry.h"
#include "toolkit/lists.h"

using testing::ElementsAre;
using testing::IsSupersetOf;

namespace {

class TFailingWidget : public TTestWidget {
  TK_CLASS(TFailingWidget, TTestWidget)

 public:
  using TTestWidget::TTestWidget;
  void AfterConstruction() override { throw Exception("refused"); }
};
TK_CLASS_INFO(TFailingWidget, TTestWidget)

class TCountingCollection : public TCollection {
  TK_CLASS(TCountingCollection, TCollection)

 public:
  TCountingCollection() : TCollection(TTestColumn::StaticClass()) {}
  std::vector<std::string> updates;

 protected:
  void Update(TCollectionItem* item) override {
    updates.push_back(item ? static_cast<TTestColumn*>(item)->GetCaption() : "all");
  }
};
TK_ABSTRACT_CLASS_INFO(TCountingCollection, TCollection)

class ObjectModel : public testing::Test {
 protected:
  void SetUp() override { Log().clear(); }
  TTestWidget* Widget(TComponent* owner, const std::string& name) {
    auto* w = New<TTestWidget>(owner);
    w->SetName(name);
    return w;
  }
};

// ---- Class information ---------------------------------------------------------------------

TEST_F(ObjectModel, ClassNamesAndAncestryFollowTheDeclaredTree) {
  TTestWidget* w = New<TTestWidget>(nullptr);
  EXPECT_STREQ(w->ClassName(), "TTestWidget");
  std::vector<std::string> chain;
  for (TClass c = w->ClassType(); c; c = c->parent) chain.push_back(c->name);
  EXPECT_THAT(chain, ElementsAre("TTestWidget", "TComponent", "TPersistent", "TObject"));
  EXPECT_TRUE(w->Is<TPersistent>());
  EXPECT_FALSE(w->Is<TTestForm>());
  EXPECT_EQ(DynamicCast<TTestForm>(w), nullptr);
  EXPECT_EQ(DynamicCast<TComponent>(w), w);
  Free(w);
}

TEST_F(ObjectModel, AfterConstructionSeesTheMostDerivedClassAndBeforeDestructionPrecedesTheDestructor) {
  TTestWidget* w = New<TTestWidget>(nullptr);
  w->SetName("w");
  Free(w);
  EXPECT_THAT(Log(), ElementsAre("after construction TTestWidget", "before destruction w", "destroy w"));
}

TEST_F(ObjectModel, AFailingAfterConstructionFreesTheObjectAndLeavesTheOwner) {
  TTestForm* form = New<TTestForm>(nullptr);
  EXPECT_THROW(New<TFailingWidget>(form), Exception);
  EXPECT_EQ(form->GetComponentCount(), 0);
  EXPECT_THAT(Log(), IsSupersetOf({"before destruction TFailingWidget", "destroy TTestWidget"}));
  Free(form);
}

TEST_F(ObjectModel, AssignBetweenUnrelatedClassesRaises) {
  TTestFont* font = New<TTestFont>();
  TTestColumn* column = New<TTestColumn>(nullptr);
  EXPECT_THROW(font->Assign(column), EConvertError);
  EXPECT_THROW(font->Assign(nullptr), EConvertError);
  TTestFont* other = New<TTestFont>();
  other->SetHeight(-20);
  font->Assign(other);
  EXPECT_EQ(font->GetHeight(), -20);
  Free(other);
  Free(column);
  Free(font);
}

// ---- Ownership -----------------------------------------------------------------------------

TEST_F(ObjectModel, OwnerFreesItsComponentsLastInsertedFirstMarkedAsDestroying) {
  TTestForm* form = New<TTestForm>(nullptr);
  Widget(form, "a");
  Widget(form, "b");
  Widget(form, "c");
  EXPECT_EQ(form->GetComponentCount(), 3);
  EXPECT_EQ(form->GetComponent(1)->GetName(), "b");
  EXPECT_EQ(form->GetComponent(2)->GetComponentIndex(), 2);
  Log().clear();
  Free(form);
  std::vector<std::string> destroyed;
  for (const std::string& line : Log())
    if (line.starts_with("destroy")) destroyed.push_back(line);
  EXPECT_THAT(destroyed, ElementsAre("destroy c", "destroy b", "destroy a"));
}

TEST_F(ObjectModel, EveryOwnedComponentHearsOfInsertionAndRemoval) {
  TTestForm* form = New<TTestForm>(nullptr);
  TTestWidget* a = Widget(form, "a");
  Widget(form, "b");
  Log().clear();
  TTestWidget* c = New<TTestWidget>(nullptr);
  c->SetName("c");
  form->InsertComponent(c);
  EXPECT_THAT(Log(), IsSupersetOf({"a heard insert c", "b heard insert c", "c heard insert c"}));
  Log().clear();
  Free(a);
  EXPECT_THAT(Log(), IsSupersetOf({"b heard remove a", "c heard remove a"}));
  EXPECT_EQ(form->GetComponentCount(), 2);
  Free(form);
}

TEST_F(ObjectModel, FreeNotificationReachesComponentsOfOtherOwnersBothWays) {
  TTestForm* form1 = New<TTestForm>(nullptr);
  TTestForm* form2 = New<TTestForm>(nullptr);
  TTestWidget* x = Widget(form1, "x");
  TTestWidget* y = Widget(form2, "y");
  TTestWidget* z = Widget(form2, "z");
  y->SetBuddy(x);
  z->SetBuddy(x);
  Free(x);
  EXPECT_EQ(y->GetBuddy(), nullptr);
  EXPECT_EQ(z->GetBuddy(), nullptr);
  // The link is gone on both sides: freeing the watcher first must not leave x's list dangling.
  TTestWidget* x2 = Widget(form1, "x2");
  y->SetBuddy(x2);
  Free(y);
  Log().clear();
  Free(x2);
  EXPECT_THAT(Log(), testing::Not(testing::Contains(testing::StartsWith("y heard"))));
  Free(form2);
  Free(form1);
}

TEST_F(ObjectModel, InsertComponentTakesOverFromThePreviousOwnerAndRemoveKeepsItAlive) {
  TTestForm* form1 = New<TTestForm>(nullptr);
  TTestForm* form2 = New<TTestForm>(nullptr);
  TTestWidget* w = Widget(form1, "w");
  form2->InsertComponent(w);
  EXPECT_EQ(form1->GetComponentCount(), 0);
  EXPECT_EQ(w->GetOwner(), form2);
  form2->RemoveComponent(w);
  EXPECT_EQ(w->GetOwner(), nullptr);
  EXPECT_EQ(w->GetComponentIndex(), -1);
  Free(form2);
  Free(form1);
  EXPECT_THAT(Log(), testing::Not(testing::Contains("destroy w")));
  Free(w);
}

TEST_F(ObjectModel, AnOwnershipCycleIsRefused) {
  TTestWidget* a = Widget(nullptr, "a");
  TTestWidget* b = Widget(a, "b");
  EXPECT_THROW(b->InsertComponent(a), EComponentError);
  EXPECT_THROW(a->InsertComponent(a), EComponentError);
  EXPECT_EQ(a->GetOwner(), nullptr);
  Free(a);
}

TEST_F(ObjectModel, NamesAreValidIdentifiersUniqueWithinTheOwnerIgnoringCase) {
  TTestForm* form = New<TTestForm>(nullptr);
  TTestWidget* a = Widget(form, "btnStart");
  TTestWidget* b = Widget(form, "");
  EXPECT_THROW(b->SetName("BTNSTART"), EComponentError);
  EXPECT_THROW(b->SetName("1st"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  EXPECT_EQ(b->GetName(), "");
  a->SetName("BtnStart");  // its own name in another case
  EXPECT_EQ(form->FindComponent("btnstart"), a);
  EXPECT_EQ(form->FindComponent(""), nullptr);
  EXPECT_EQ(form->FindComponent("missing"), nullptr);
  TTestWidget* orphan = Widget(nullptr, "btnStart");
  EXPECT_THROW(form->InsertComponent(orphan), EComponentError);
  EXPECT_THROW(form->GetComponent(2), EListError);
  Free(orphan);
  Free(form);
}

// ---- Events --------------------------------------------------------------------------------

TEST_F(ObjectModel, EventsAreEqualExactlyForTheSameObjectAndMethod) {
  TTestForm* f1 = New<TTestForm>(nullptr);
  TTestForm* f2 = New<TTestForm>(nullptr);
  TNotifyEvent e(f1, &TTestForm::WidgetClick);
  EXPECT_EQ(e, TNotifyEvent(f1, &TTestForm::WidgetClick));
  EXPECT_NE(e, TNotifyEvent(f1, &TTestForm::OtherClick));
  EXPECT_NE(e, TNotifyEvent(f2, &TTestForm::WidgetClick));
  EXPECT_NE(e, TNotifyEvent());
  EXPECT_EQ(TNotifyEvent(), nullptr);
  EXPECT_TRUE(e);
  EXPECT_FALSE(TNotifyEvent());
  EXPECT_EQ(TNotifyEvent::FromMethod(e.ToMethod()), e);
  Free(f2);
  Free(f1);
}

TEST_F(ObjectModel, EventsCallTheHandlerWithAllArgumentsAndReferencesComeBack) {
  TTestForm* form = New<TTestForm>(nullptr);
  TTestWidget* w = Widget(form, "w");
  w->OnClick = TNotifyEvent(form, &TTestForm::WidgetClick);
  w->OnClick(w);
  EXPECT_THAT(form->clicks, ElementsAre("WidgetClick w"));
  TTestKeyEvent key_event(form, &TTestForm::WidgetKey);
  WORD key = 5;
  key_event(w, key, 2);
  EXPECT_EQ(key, 7);
  TNotifyEvent empty;
  empty(w);  // nothing to call
  Free(form);
}

// ---- Collections ---------------------------------------------------------------------------

TEST_F(ObjectModel, CollectionItemsKeepTheirIdsWhileTheyMove) {
  TCollection* c = New<TCollection>(TTestColumn::StaticClass());
  for (const char* caption : {"a", "b", "c"}) c->Add<TTestColumn>()->SetCaption(caption);
  TTestColumn* a = c->Item<TTestColumn>(0);
  a->SetIndex(2);
  EXPECT_EQ(c->Item<TTestColumn>(0)->GetCaption(), "b");
  EXPECT_EQ(a->GetIndex(), 2);
  EXPECT_EQ(c->FindItemID(a->GetID()), a);
  EXPECT_EQ(a->GetCollection(), c);
  EXPECT_EQ(a->GetOwner(), c);
  EXPECT_EQ(a->GetDisplayName(), "a");
  c->Insert(0)->SetDisplayName("ignored");
  EXPECT_EQ(c->GetCount(), 4);
  EXPECT_EQ(c->Item<TTestColumn>(0)->GetCaption(), "");
  EXPECT_THROW(c->GetItem(4), EListError);
  Free(c);
}

TEST_F(ObjectModel, FreeingAnItemTakesItOutAndFreeingTheCollectionFreesTheRest) {
  TCollection* c = New<TCollection>(TTestColumn::StaticClass());
  TTestColumn* a = c->Add<TTestColumn>();
  c->Add<TTestColumn>()->SetCaption("b");
  Free(a);
  ASSERT_EQ(c->GetCount(), 1);
  EXPECT_EQ(c->Item<TTestColumn>(0)->GetCaption(), "b");
  c->Delete(0);
  EXPECT_EQ(c->GetCount(), 0);
  TTestColumn* moved = c->Add<TTestColumn>();
  moved->SetCollection(nullptr);  // handed over to the caller
  EXPECT_EQ(c->GetCount(), 0);
  Free(c);
  Free(moved);
}

TEST_F(ObjectModel, CollectionReportsChangesOnceAfterAnUpdateAndCopiesByAssign) {
  TCountingCollection* c = New<TCountingCollection>();
  c->BeginUpdate();
  c->Add<TTestColumn>()->SetCaption("x");
  c->Add<TTestColumn>()->SetCaption("y");
  EXPECT_TRUE(c->updates.empty());
  c->EndUpdate();
  EXPECT_THAT(c->updates, ElementsAre("all"));
  TCollection* copy = New<TCollection>(TTestColumn::StaticClass());
  copy->Assign(c);
  ASSERT_EQ(copy->GetCount(), 2);
  EXPECT_EQ(copy->Item<TTestColumn>(1)->GetCaption(), "y");
  EXPECT_THROW(New<TCollection>(TTestWidget::StaticClass()), EConvertError);
  Free(copy);
  Free(c);
}

TEST_F(ObjectModel, CollectionKnowsItsOwnersPropertyName) {
  TTestWidget* w = Widget(nullptr, "w");
  EXPECT_EQ(w->GetColumns()->GetOwner(), w);
  EXPECT_EQ(w->GetColumns()->GetPropName(), "Columns");
  Free(w);
}

// ---- Lists ---------------------------------------------------------------------------------

int CompareInts(void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); }

TEST_F(ObjectModel, ListKeepsPointersInOrderAndChecksIndexes) {
  int v[] = {3, 1, 2, 1};
  TList* list = New<TList>();
  for (int& x : v) list->Add(&x);
  list->Sort(CompareInts);
  EXPECT_EQ(list->Get(0), &v[1]);  // equal items keep their order
  EXPECT_EQ(list->Get(1), &v[3]);
  EXPECT_EQ(list->Last(), &v[0]);
  list->Exchange(0, 3);
  EXPECT_EQ(list->First(), &v[0]);
  list->Move(0, 2);
  EXPECT_EQ(list->IndexOf(&v[0]), 2);
  EXPECT_EQ(list->Remove(&v[0]), 2);
  EXPECT_EQ(list->IndexOf(&v[0]), -1);
  list->Insert(0, nullptr);
  list->Pack();
  EXPECT_EQ(list->GetCount(), 3);
  EXPECT_THROW(list->Get(3), EListError);
  EXPECT_THROW(list->Insert(5, nullptr), EListError);
  EXPECT_THROW(list->Delete(-1), EListError);
  Free(list);
}

TEST_F(ObjectModel, OwningObjectListFreesWhatItDeletesButNotWhatItHandsBack) {
  TObjectList* list = New<TObjectList>();
  TTestWidget* kept = Widget(nullptr, "kept");
  list->Add(Widget(nullptr, "deleted"));
  list->Add(kept);
  list->Add(Widget(nullptr, "cleared"));
  list->Delete(0);
  EXPECT_THAT(Log(), testing::Contains(testing::StartsWith("destroy deleted")));
  EXPECT_EQ(list->Extract(kept), kept);
  Free(list);
  EXPECT_THAT(Log(), testing::Contains(testing::StartsWith("destroy cleared")));
  EXPECT_THAT(Log(), testing::Not(testing::Contains(testing::StartsWith("destroy kept"))));
  TObjectList* borrowing = New<TObjectList>(false);
  borrowing->Add(kept);
  Free(borrowing);
  EXPECT_THAT(Log(), testing::Not(testing::Contains(testing::StartsWith("destroy kept"))));
  Free(kept);
}

// ---- Class registry and colours ------------------------------------------------------------

TEST_F(ObjectModel, RegisteredClassesAreCreatedByNameWithTheirOwner) {
  RegisterTestClasses();
  RegisterTestClasses();  // again: no effect
  EXPECT_EQ(GetClass("ttestwidget"), TTestWidget::StaticClass());
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  EXPECT_THROW(FindClass("TNoSuchClass"), EClassNotFound);
  EXPECT_THROW(RegisterClass(TCollection::StaticClass()), EConvertError);
  TTestForm* form = New<TTestForm>(nullptr);
  TObject* made = FindClass("TTestWidget")->create(form);
  EXPECT_STREQ(made->ClassName(), "TTestWidget");
  EXPECT_EQ(form->GetComponent(0), made);
  EXPECT_THAT(Log(), testing::Contains("after construction TTestWidget"));
  Free(form);
}

TEST_F(ObjectModel, ColourIdentifiersHaveTheirWindowsValues) {
  struct {
    const char* name;
    TColor value;
  } const cases[] = {{"clRed", 255},
                     {"clLime", 65280},
                     {"clYellow", 65535},
                     {"clBlack", 0},
                     {"clWhite", 0xFFFFFF},
                     {"clNone", 0x1FFFFFFF},
                     {"clDefault", 0x20000000},
                     {"clBtnFace", static_cast<TColor>(0x8000000Fu)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TColor value = 1;
    ASSERT_TRUE(IdentToColor(c.name, value));
    EXPECT_EQ(value, c.value);
    std::string ident;
    ASSERT_TRUE(ColorToIdent(c.value, ident));
    EXPECT_EQ(ident, c.name);
  }
  TColor value;
  EXPECT_TRUE(IdentToColor("CLRED", value));
  EXPECT_FALSE(IdentToColor("clPink", value));
  std::string ident;
  EXPECT_TRUE(ColorToIdent(0xC0C0C0, ident));
  EXPECT_EQ(ident, "clSilver");  // not its alias clLtGray
  EXPECT_FALSE(ColorToIdent(0x123456, ident));
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clRed), 255u);
}

}  // namespace
