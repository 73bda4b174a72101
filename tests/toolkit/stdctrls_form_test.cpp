// A stored form with every standard control: the stored values arrive in the windows, and
// events bind by name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "stdctrls_test_support.h"

using testing::ElementsAre;

namespace {

class TStdCtrlsForm : public TForm {
  TK_CLASS(TStdCtrlsForm, TForm)

 public:
  explicit TStdCtrlsForm(TComponent* owner) : TForm(owner) {}
  void EditChange(TObject* sender) {
    Trace().push_back(static_cast<TComponent*>(sender)->GetName() + ":change");
  }

 private:
  static void Publish(TPublisher<TStdCtrlsForm>& p) { p.Method("EditChange", &TStdCtrlsForm::EditChange); }
};

TK_CLASS_INFO(TStdCtrlsForm, TForm)

template <class T>
T* Find(TComponent* root, const char* name) {
  auto* found = DynamicCast<T>(root->FindComponent(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

TEST(StdCtrlsFormTest, StoredValuesReachTheWindowsOfEveryControl) {
  TDesktopLock lock;
  Trace().clear();
  auto* stored = New<TStdCtrlsForm>(nullptr);
  stored->SetLeft(860);
  stored->SetTop(600);
  auto* title = Find<TEdit>(stored, "edTitle");
  auto* port = Find<TComboBox>(stored, "cbPort");
  auto* classes = Find<TComboBox>(stored, "cbClasses");
  auto* count_down = Find<TSpinEdit>(stored, "edCountDown");
  auto* lane = Find<TEdit>(stored, "edLane");
  auto* updown = Find<TUpDown>(stored, "ud1");
  auto* list = Find<TListBox>(stored, "List");
  auto* zoom = Find<TScrollBar>(stored, "sbZoom");
  // Reading the definition reported no change.
  EXPECT_TRUE(Trace().empty());

  stored->Show();
  Pump();
  EXPECT_EQ(title->GetText(), "Dravolin");
  EXPECT_EQ(SendMessageA(title->GetHandle(), EM_GETLIMITTEXT, 0, 0), 40);
  EXPECT_EQ(port->GetItemIndex(), 2);
  EXPECT_EQ(port->GetText(), "COM2");
  EXPECT_EQ(SendMessageA(port->GetHandle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(classes->GetText(), "Open");
  EXPECT_EQ(classes->GetItemIndex(), -1);
  EXPECT_EQ(count_down->GetValue(), 40);
  EXPECT_EQ(updown->GetAssociate(), lane);
  EXPECT_EQ(lane->GetText(), "0");
  EXPECT_EQ(list->GetItems()->Count(), 5);
  EXPECT_EQ(list->GetItemHeight(), 16);
  EXPECT_TRUE(GetWindowLongPtrA(list->GetHandle(), GWL_STYLE) & LBS_EXTENDEDSEL);
  EXPECT_EQ(zoom->GetPosition(), 250);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(zoom->GetHandle(), SB_CTL, &info);
  EXPECT_EQ(info.nMin, 200);
  EXPECT_EQ(info.nMax, 300);
  EXPECT_EQ(info.nPos, 250);

  port->SetItemIndex(3);
  EXPECT_THAT(Trace(), ElementsAre("cbPort:change"));
  Free(stored);
}

}  // namespace
