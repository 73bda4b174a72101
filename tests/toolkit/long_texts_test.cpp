// Texts of every length in the controls that keep them in their windows: list and combo box
// items, edit and window texts, list view cells. Each is read back whole through the control
// and, where the window answers for it, from the window; the windows paint them meanwhile.
// Built twice: with the system's own controls and with common controls 6 (the program's
// manifest), whose windows answer only Unicode messages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "stdctrls_test_support.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/listview.h"

namespace {

// Every printable character in turn, so a text cut or shifted anywhere does not match.
std::string TextOf(size_t length) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('!' + i % 94);
  return text;
}

// Runs the loop until no window of this thread waits to be painted.
void PumpPaints() {
  MSG msg{};
  PumpUntil([&] { return !PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE); });
}

// The window's text as the window reports it, asked for its length first.
std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

// Compares lengths first: a failure then says how much came back, not a million characters.
#define EXPECT_WHOLE(actual, expected)          \
  do {                                          \
    std::string got_ = (actual);                \
    EXPECT_EQ(got_.size(), (expected).size());  \
    EXPECT_TRUE(got_ == (expected)) << #actual; \
  } while (false)

class LongTextTest : public StdCtrlsTest, public testing::WithParamInterface<size_t> {
 protected:
  std::string text = TextOf(GetParam());
};

using ListBoxLongTextTest = LongTextTest;
using ComboBoxLongTextTest = LongTextTest;
using EditLongTextTest = LongTextTest;
using WindowLongTextTest = LongTextTest;
using ListViewLongTextTest = LongTextTest;

TEST_P(ListBoxLongTextTest, ItemsComeBackWholeSelectedPaintedAndAfterANewWindow) {
  auto* list = Add<TListBox>("lb", {10, 10, 380, 120});
  TStrings* items = list->GetItems();
  items->Add("A");
  items->Add(text);
  items->Add("B");
  ShowActive();
  list->SetItemIndex(1);
  PumpPaints();
  EXPECT_WHOLE(items->Get(1), text);
  EXPECT_WHOLE(items->GetText(), "A\r\n" + text + "\r\nB\r\n");
  // The window loses and regains the items (a new style, a new parent window).
  list->SetBorderStyle(bsNone);
  PumpPaints();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_WHOLE(items->Get(1), text);
  EXPECT_EQ(items->Get(2), "B");
}

TEST_P(ComboBoxLongTextTest, ItemsAndTheSelectedTextComeBackWholeInEveryStyle) {
  for (TComboBoxStyle style : {csDropDown, csSimple, csDropDownList}) {
    SCOPED_TRACE(style);
    auto* combo = Add<TComboBox>("cb", {10, 10, 380, 120});
    combo->SetStyle(style);
    TStrings* items = combo->GetItems();
    items->Add("A");
    items->Add(text);
    items->Add("B");
    ShowActive();
    combo->SetItemIndex(1);
    PumpPaints();
    EXPECT_WHOLE(items->Get(1), text);
    EXPECT_WHOLE(combo->GetText(), text);
    // The list drops down and shows the item; the text follows a selection by the user.
    SendMessageA(combo->GetHandle(), CB_SHOWDROPDOWN, TRUE, 0);
    PumpPaints();
    SendMessageA(combo->GetHandle(), CB_SHOWDROPDOWN, FALSE, 0);
    combo->SetItemIndex(0);
    combo->SetFocus();
    PostKey(combo->GetHandle(), VK_DOWN);
    EXPECT_EQ(combo->GetItemIndex(), 1);
    EXPECT_WHOLE(combo->GetText(), text);
    // Asked through the window, as any caller would, with the length first.
    LRESULT length = SendMessageA(combo->GetHandle(), CB_GETLBTEXTLEN, 1, 0);
    ASSERT_EQ(static_cast<size_t>(length), text.size());
    std::string read(text.size() + 1, '\0');
    read.resize(static_cast<size_t>(
        SendMessageA(combo->GetHandle(), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(read.data()))));
    EXPECT_WHOLE(read, text);
    EXPECT_WHOLE(WindowText(combo->GetHandle()), text);
    // A new window keeps the items and the selection.
    combo->SetSorted(true);
    PumpPaints();
    EXPECT_WHOLE(combo->GetText(), text);
    EXPECT_WHOLE(items->Get(items->IndexOf(text)), text);
    Free(combo);
  }
}

TEST_P(ComboBoxLongTextTest, TypedTextComesBackWhole) {
  auto* combo = Add<TComboBox>("cb", {10, 10, 380, 120});
  ShowActive();
  combo->SetText(text);
  EXPECT_WHOLE(combo->GetText(), text);
  // Text the window gets behind the control's back (as typing does) is read from the edit.
  SetWindowTextA(combo->GetEditHandle(), ("x" + text).c_str());
  SendMessageA(form->GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->GetHandle()), CBN_EDITCHANGE),
               reinterpret_cast<LPARAM>(combo->GetHandle()));
  PumpPaints();
  EXPECT_WHOLE(combo->GetText(), "x" + text);
}

TEST_P(EditLongTextTest, TextComesBackWholeFromTheControlAndTheWindow) {
  auto* edit = Add<TEdit>("ed", {10, 10, 380, 31});
  ShowActive();
  edit->SetText(text);
  PumpPaints();
  EXPECT_WHOLE(edit->GetText(), text);
  EXPECT_WHOLE(WindowText(edit->GetHandle()), text);
  // Changed in the window alone: the control reads it back.
  SetWindowTextA(edit->GetHandle(), (text + "y").c_str());
  EXPECT_WHOLE(edit->GetText(), text + "y");
  // Kept across a new window.
  edit->SetBorderStyle(bsNone);
  EXPECT_WHOLE(edit->GetText(), text + "y");
  EXPECT_WHOLE(WindowText(edit->GetHandle()), text + "y");
}

TEST_P(WindowLongTextTest, CaptionsComeBackWholeFromTheControlAndTheWindow) {
  auto* button = Add<TButton>("bt", {10, 10, 200, 35});
  auto* panel = Add<TPanel>("pn", {10, 40, 200, 80});
  ShowActive();
  for (TWinControl* control : {static_cast<TWinControl*>(form), static_cast<TWinControl*>(button),
                               static_cast<TWinControl*>(panel)}) {
    SCOPED_TRACE(control->GetName());
    control->SetText(text);
    PumpPaints();
    EXPECT_WHOLE(control->GetText(), text);
    EXPECT_WHOLE(WindowText(control->GetHandle()), text);
  }
  std::string class_name(256, '\0');
  class_name.resize(static_cast<size_t>(GetClassNameA(button->GetHandle(), class_name.data(), 256)));
  EXPECT_FALSE(class_name.empty());
}

TEST_P(ListViewLongTextTest, CaptionsAndCellsComeBackWholeFromTheItemsAndTheWindow) {
  auto* list = Add<TListView>("lv", {10, 10, 380, 200});
  list->SetViewStyle(vsReport);
  for (const char* caption : {"Nr", "Name"}) list->GetColumns()->Add()->SetCaption(caption);
  TListItem* item = list->GetItems()->Add();
  item->SetCaption(text);
  item->GetSubItems()->Add(text);
  list->GetItems()->Add()->SetCaption("B");
  ShowActive();
  list->SetSelected(item);
  PumpPaints();
  EXPECT_WHOLE(item->GetCaption(), text);
  EXPECT_WHOLE(item->GetSubItems()->Get(0), text);
  for (int column = 0; column < 2; ++column) {
    SCOPED_TRACE(column);
    std::string read(text.size() + 1, '\0');
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = read.data();
    cell.cchTextMax = static_cast<int>(read.size());
    read.resize(static_cast<size_t>(
        SendMessageA(list->GetHandle(), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&cell))));
    EXPECT_WHOLE(read, text);
  }
  // A new window gets the texts again.
  list->SetBorderStyle(bsNone);
  PumpPaints();
  EXPECT_WHOLE(list->GetItems()->GetItem(0)->GetCaption(), text);
}

constexpr size_t kLengths[] = {0, 511, 512, 513, 4096, 65536, 1000000};

std::string LengthName(const testing::TestParamInfo<size_t>& info) { return std::to_string(info.param); }

// The two builds' tests carry different names.
#ifdef DRAVOLIN_COMMON_CONTROLS_6
#define LENGTHS CommonControls6
#else
#define LENGTHS SystemControls
#endif
INSTANTIATE_TEST_SUITE_P(LENGTHS, ListBoxLongTextTest, testing::ValuesIn(kLengths), LengthName);
INSTANTIATE_TEST_SUITE_P(LENGTHS, ComboBoxLongTextTest, testing::ValuesIn(kLengths), LengthName);
INSTANTIATE_TEST_SUITE_P(LENGTHS, EditLongTextTest, testing::ValuesIn(kLengths), LengthName);
INSTANTIATE_TEST_SUITE_P(LENGTHS, WindowLongTextTest, testing::ValuesIn(kLengths), LengthName);
INSTANTIATE_TEST_SUITE_P(LENGTHS, ListViewLongTextTest, testing::ValuesIn(kLengths), LengthName);

}  // namespace
