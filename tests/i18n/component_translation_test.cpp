// Component translation: a component tree translated once through its published
// properties, re-translated from the recorded English after a language change, the class
// rules, and a failed walk that still leaves everything owned and released.
#include <gtest/gtest.h>

#include <windows.h>

#include <new>

#include "i18n/translator.h"
#include "i18n/translatormarker.h"
#include "tests/i18n/component_test_classes.h"

namespace {

// A form-like tree: the root with two children, one referring to the other.
class ComponentTranslation : public testing::Test {
 protected:
  void SetUp() override {
    UseLanguage("de");
    form_ = New<TSampleComponent>(nullptr);
    form_->SetName("Help");
    form_->SetCaption("Help");
    form_->Hint = L"Cancel";
    first_ = New<TSampleComponent>(form_);
    first_->SetName("First");
    first_->SetCaption("Class");
    first_->Font->Name = "Type";
    first_->Lines->AddStrings(std::vector<std::string>{"On", "", "Off", "Unknown"});
    first_->Columns->Add<TSampleItem>()->Caption = "City";
    first_->Columns->Add<TSampleItem>()->Caption = "Two";
    second_ = New<TSampleComponent>(form_);
    second_->SetName("Second");
    second_->SetCaption("None");
    second_->Partner = first_;
  }
  void TearDown() override { Free(form_); }

  TTranslatorMarker* Marker() const {
    return DynamicCast<TTranslatorMarker>(form_->FindComponent("TranslatorMarker"));
  }
  int Recorded(TObject* object, const std::string& prop) const {
    int count = 0;
    for (TTP_RetranslatorItem* item : Marker()->Retranslator->Items())
      if (item->Obj == object && item->PropName == prop) ++count;
    return count;
  }
  void ExpectGerman() const {
    EXPECT_EQ(form_->GetCaption(), "Hilfe");
    EXPECT_EQ(form_->Hint, L"Abbrechen");
    EXPECT_EQ(first_->GetCaption(), "Klasse");
    EXPECT_EQ(first_->Font->Name, "Typ");
    EXPECT_EQ(first_->Lines->GetText(), "Ein\r\n\r\nAus\r\nUnknown\r\n");
    EXPECT_EQ(first_->Columns->Item<TSampleItem>(0)->Caption, "Ort");
    EXPECT_EQ(first_->Columns->Item<TSampleItem>(1)->Caption, "Zwei");
    EXPECT_EQ(second_->GetCaption(), "Keiner");
  }
  void ExpectEnglish() const {
    EXPECT_EQ(form_->GetCaption(), "Help");
    EXPECT_EQ(form_->Hint, L"Cancel");
    EXPECT_EQ(first_->GetCaption(), "Class");
    EXPECT_EQ(first_->Font->Name, "Type");
    EXPECT_EQ(first_->Lines->GetText(), "On\r\n\r\nOff\r\nUnknown\r\n");
    EXPECT_EQ(first_->Columns->Item<TSampleItem>(0)->Caption, "City");
    EXPECT_EQ(second_->GetCaption(), "None");
  }

  TSampleComponent* form_ = nullptr;
  TSampleComponent* first_ = nullptr;
  TSampleComponent* second_ = nullptr;
};

TEST_F(ComponentTranslation, TranslatesPropertiesNestedObjectsListsAndCollectionItems) {
  TranslateComponent(form_);
  ExpectGerman();
  EXPECT_EQ(form_->GetName(), "Help");  // names are never translated
  ASSERT_NE(Marker(), nullptr);
  EXPECT_EQ(Marker()->GetOwner(), form_);
  EXPECT_EQ(Marker()->LastLanguage, "de");
}

TEST_F(ComponentTranslation, ObjectReachedTwiceIsTranslatedOnce) {
  TranslateComponent(form_);
  EXPECT_EQ(Recorded(first_, "Caption"), 1);
  EXPECT_EQ(Recorded(first_->Lines, "Text"), 1);
}

TEST_F(ComponentTranslation, ReadOnlyEmptyAndEmptyListPropertiesAreNeitherTranslatedNorRecorded) {
  second_->SetFixedText("Cancel");
  second_->Hint.clear();
  TranslateComponent(form_);
  EXPECT_EQ(second_->GetFixed(), "Cancel");
  EXPECT_EQ(Recorded(second_, "Fixed"), 0);
  EXPECT_EQ(Recorded(second_, "Hint"), 0);
  EXPECT_EQ(Recorded(second_->Lines, "Text"), 0);
  EXPECT_EQ(Recorded(form_, "Name"), 0);
}

TEST_F(ComponentTranslation, SecondCallInTheSameLanguageChangesNothing) {
  TranslateComponent(form_);
  form_->SetCaption("Help");
  TranslateComponent(form_);
  EXPECT_EQ(form_->GetCaption(), "Help");
  EXPECT_EQ(form_->GetComponentCount(), 3);  // the two children and one marker
}

TEST_F(ComponentTranslation, LanguageChangeReTranslatesFromTheRecordedEnglish) {
  TranslateComponent(form_);
  UseLanguage("en");
  TranslateComponent(form_);
  ExpectEnglish();
  EXPECT_EQ(Marker()->LastLanguage, "en");
  UseLanguage("de");
  TranslateComponent(form_);
  ExpectGerman();
}

TEST_F(ComponentTranslation, FreedComponentLeavesTheRecording) {
  TranslateComponent(form_);
  ASSERT_EQ(Recorded(second_, "Caption"), 1);
  TSampleComponent* gone = second_;
  Free(second_);
  second_ = nullptr;
  EXPECT_EQ(Recorded(gone, "Caption"), 0);
  UseLanguage("en");
  TranslateComponent(form_);
  EXPECT_EQ(first_->GetCaption(), "Class");
}

// Two objects whose addresses agree in their low 32 bits are still two objects.
TEST_F(ComponentTranslation, ObjectsFourGigabytesApartAreBothTranslated) {
  BYTE* low = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x10000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(low, nullptr);
  BYTE* high = nullptr;
  for (int64_t step = 1; step <= 8 && !high; ++step)
    high = static_cast<BYTE*>(
        VirtualAlloc(low + step * 0x100000000ll, 0x10000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!high) {
    VirtualFree(low, 0, MEM_RELEASE);
    GTEST_SKIP() << "no memory 4 GB apart";
  }
  ASSERT_EQ(reinterpret_cast<uintptr_t>(low) & 0xFFFFFFFF, reinterpret_cast<uintptr_t>(high) & 0xFFFFFFFF);
  TSampleFont* first_font = new (low) TSampleFont;
  TSampleFont* second_font = new (high) TSampleFont;
  first_font->Name = "Type";
  second_font->Name = "Type";
  TSampleFont* kept_first = first_->Font;
  TSampleFont* kept_second = second_->Font;
  first_->Font = first_font;
  second_->Font = second_font;
  TranslateComponent(form_);
  EXPECT_EQ(first_font->Name, "Typ");
  EXPECT_EQ(second_font->Name, "Typ");
  first_->Font = kept_first;
  second_->Font = kept_second;
  first_font->~TSampleFont();
  second_font->~TSampleFont();
  VirtualFree(high, 0, MEM_RELEASE);
  VirtualFree(low, 0, MEM_RELEASE);
}

TEST_F(ComponentTranslation, ListThatOwnsItsObjectsKeepsThem) {
  int destroyed = 0;
  TTracked* tracked = new TTracked(&destroyed);
  first_->Lines->SetOwnsObjects(true);
  first_->Lines->PutObject(0, tracked);
  TranslateComponent(form_);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(first_->Lines->Objects(0), tracked);
  EXPECT_EQ(first_->Lines->Get(0), "Ein");
  EXPECT_TRUE(first_->Lines->GetOwnsObjects());
}

TEST_F(ComponentTranslation, FailedPropertyEndsTheWalkYetLeavesTheMarkerOwnedAndTheRecorderReleased) {
  first_->RefusedCaption = "Klasse";
  try {
    TranslateComponent(form_);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(
        e.Message(),
        "Property cannot be translated.\r\nUse TP_GlobalIgnoreClassProperty(TSampleComponent,Caption) or\r\n"
        "TP_Ignore (self,'.Caption') to prevent this message.\r\nReason: refused by the control");
  }
  EXPECT_EQ(form_->GetCaption(), "Hilfe");  // translated before the error
  ASSERT_NE(Marker(), nullptr);
  EXPECT_EQ(Marker()->GetOwner(), form_);
  const size_t recorded = Marker()->Retranslator->Items().size();
  EXPECT_GT(recorded, 0u);

  // A later pass records into its own marker only.
  TSampleComponent* other = New<TSampleComponent>(nullptr);
  other->SetCaption("Help");
  TranslateComponent(other);
  EXPECT_EQ(other->GetCaption(), "Hilfe");
  EXPECT_EQ(Marker()->Retranslator->Items().size(), recorded);
  other->SetCaption("Help");
  DefaultInstance->TranslateProperties(other);
  EXPECT_EQ(Marker()->Retranslator->Items().size(), recorded);
  Free(other);
}

TEST(ClassRules, IgnoredPropertiesAndTheirOrderBeforeAncestors) {
  TTranslator* translator = New<TTranslator>();
  translator->UseLanguage("de");
  translator->TP_GlobalIgnoreClassProperty(TSampleComponent::StaticClass(), "hint");
  translator->TP_GlobalIgnoreClassProperty(TSampleComponent::StaticClass(), "HINT");
  const auto& rules = translator->GetClassHandling();
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0]->HClass, TSampleComponent::StaticClass());
  EXPECT_EQ(rules[0]->PropertiesToIgnore->Count(), 1);
  EXPECT_EQ(rules[1]->HClass, TComponent::StaticClass());
  EXPECT_EQ(rules[2]->HClass, TCollection::StaticClass());

  TSampleComponent* sample = New<TSampleComponent>(nullptr);
  sample->SetCaption("Help");
  sample->Hint = L"Help";
  translator->TranslateComponent(sample);
  EXPECT_EQ(sample->GetCaption(), "Hilfe");
  EXPECT_EQ(sample->Hint, L"Help");
  Free(sample);
  Free(translator);
}

TEST_F(ComponentTranslation, RetranslatingAPropertyThatIsGoneNamesTheDebugDefine) {
  TTP_Retranslator* recording = New<TTP_Retranslator>(DefaultInstance);
  recording->TextDomain = "default";
  recording->Remember(first_, form_, "NoSuchProperty", L"Help");
  try {
    recording->Execute();
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Property disappeared when retranslating an object of class TSampleComponent. Use the "
              "TRANSLATORDEBUG define to get a log that shows what component that has the problem.");
  }
  Free(recording);
}

TEST(StringsTranslation, EveryNonEmptyLineOfASortedListIsTranslated) {
  UseLanguage("de");
  TStringList* list = New<TStringList>();
  list->SetSorted(true);
  list->AddStrings(std::vector<std::string>{"On", "Off", "Two"});
  DefaultInstance->TranslateStrings(list, "default");
  EXPECT_TRUE(list->GetSorted());
  EXPECT_EQ(list->GetText(), "Aus\r\nEin\r\nZwei\r\n");
  Free(list);
}

}  // namespace
