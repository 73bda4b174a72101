// Combo boxes, list boxes and scroll bars on a shown form: selections from code and from the
// user and the events each fires, items kept across windows, the parts a subclass reaches,
// multiple selection, and scroll positions from the system's scroll messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "stdctrls_test_support.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class ComboBoxTest : public StdCtrlsTest {
 protected:
  TComboBox* AddCombo(const char* name, TComboBoxStyle style, RECT bounds = {10, 10, 160, 31}) {
    auto* combo = Add<TComboBox>(name, bounds);
    combo->SetStyle(style);
    combo->GetItems()->SetCommaText("None,COM1,COM2,COM3");
    combo->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
    combo->OnClick = TNotifyEvent(recorder, &TEventRecorder::Click);
    return combo;
  }
};

TEST_F(ComboBoxTest, ItemIndexFromCodeIsACbSetCurSelTheSubclassSeesAndFiresOnChangeOnce) {
  for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
    SCOPED_TRACE(style);
    Trace().clear();
    auto* combo = AddCombo(style == csDropDown ? "cb" : "cbl", style);
    ShowActive();
    TMessageSpy spy(combo->GetHandle());
    std::string name = combo->GetName();

    combo->SetItemIndex(2);
    EXPECT_EQ(spy.Count(CB_SETCURSEL), 1);
    EXPECT_THAT(Trace(), ElementsAre(name + ":change"));
    EXPECT_EQ(combo->GetItemIndex(), 2);
    EXPECT_EQ(combo->GetText(), "COM2");
    // The same index again changes nothing; none empties the text.
    combo->SetItemIndex(2);
    EXPECT_EQ(Trace().size(), 1u);
    combo->SetItemIndex(-1);
    EXPECT_EQ(Trace().size(), 2u);
    EXPECT_EQ(combo->GetText(), "");
    // Anyone's CB_SETCURSEL counts the same.
    SendMessageA(combo->GetHandle(), CB_SETCURSEL, 1, 0);
    EXPECT_EQ(Trace().size(), 3u);
    EXPECT_EQ(combo->GetText(), "COM1");
    EXPECT_EQ(spy.Count(WM_GETTEXT), 0);
    Free(combo);
  }
}

TEST_F(ComboBoxTest, UserSelectionWithKeysOrMouseFiresOnClickThenOnChange) {
  auto* combo = AddCombo("cb", csDropDownList);
  ShowActive();
  combo->SetFocus();
  PostKey(combo->GetHandle(), VK_DOWN);
  EXPECT_THAT(Trace(), ElementsAre("cb:click", "cb:change"));
  EXPECT_EQ(combo->GetText(), "None");

  // The mouse: open the list and press on the third item.
  Trace().clear();
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->GetDroppedDown());
  HWND list = combo->GetListHandle();
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  PostClick(list, {item.left + 5, (item.top + item.bottom) / 2});
  PumpUntil([&] { return !combo->GetDroppedDown(); }, 2000);
  EXPECT_FALSE(combo->GetDroppedDown());
  EXPECT_EQ(combo->GetItemIndex(), 2);
  EXPECT_EQ(combo->GetText(), "COM2");
  EXPECT_THAT(Trace(), ElementsAre("cb:click", "cb:change"));
}

TEST_F(ComboBoxTest, TypingIntoTheEditPartFiresOnChangeAndTheControlsKeyEvents) {
  auto* combo = AddCombo("cb", csDropDown);
  combo->OnKeyPress = TKeyPressEvent(recorder, &TEventRecorder::KeyPress);
  ShowActive();
  combo->SetFocus();
  HWND edit = combo->GetEditHandle();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(form->GetActiveControl(), combo);
  PostChars(edit, "C4");
  EXPECT_THAT(Trace(), ElementsAre("cb:key C", "cb:change", "cb:key 4", "cb:change"));
  EXPECT_EQ(combo->GetText(), "C4");
  EXPECT_EQ(combo->GetItemIndex(), -1);
}

TEST_F(ComboBoxTest, ItemsAndSelectionWaitForTheWindowAndSurviveANewOne) {
  auto* combo = New<TComboBox>(form);
  combo->SetName("cb");
  combo->SetStyle(csDropDownList);
  combo->GetItems()->Add("one");
  combo->GetItems()->Add("two");
  combo->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->GetText(), "two");
  EXPECT_FALSE(combo->HandleAllocated());

  combo->SetParent(form);
  ShowActive();
  ASSERT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(SendMessageA(combo->GetHandle(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(combo->GetItemIndex(), 1);
  // The selection from code was reported once, not again when the window took it.
  EXPECT_THAT(Trace(), ElementsAre("cb:change"));
  TMessageSpy spy(combo->GetHandle());
  combo->GetItems()->Add("three");
  combo->GetItems()->Insert(0, "zero");
  combo->GetItems()->Delete(3);
  EXPECT_EQ(spy.Count(CB_ADDSTRING), 1);
  EXPECT_EQ(spy.Count(CB_INSERTSTRING), 1);
  EXPECT_EQ(spy.Count(CB_DELETESTRING), 1);

  combo->SetStyle(csDropDown);  // a new window
  EXPECT_EQ(combo->GetItems()->GetCommaText(), "zero,one,two");
  EXPECT_EQ(combo->GetItemIndex(), 2);
  EXPECT_EQ(combo->GetText(), "two");
  // Selections by text: an item's text selects it in a drop-down list.
  combo->SetStyle(csDropDownList);
  combo->SetText("one");
  EXPECT_EQ(combo->GetItemIndex(), 1);
  combo->SetText("missing");
  EXPECT_EQ(combo->GetItemIndex(), -1);
  EXPECT_EQ(combo->GetText(), "");
}

TEST_F(ComboBoxTest, PartsAreReachableAndTheDroppedListShowsDropDownCountItems) {
  auto* editable = AddCombo("cb", csDropDown);
  auto* list_only = AddCombo("cbl", csDropDownList, {10, 50, 160, 71});
  for (int i = 0; i < 20; ++i) list_only->GetItems()->Add("Item " + std::to_string(i));
  list_only->SetDropDownCount(5);
  ShowActive();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(editable->GetHandle(), &info));
  EXPECT_EQ(editable->GetEditHandle(), info.hwndItem);
  EXPECT_EQ(editable->GetListHandle(), info.hwndList);
  EXPECT_EQ(list_only->GetEditHandle(), nullptr);
  EXPECT_NE(list_only->GetListHandle(), nullptr);

  list_only->SetDroppedDown(true);
  Pump();
  RECT client{};
  GetClientRect(list_only->GetListHandle(), &client);
  int item = list_only->GetItemHeight();
  EXPECT_EQ(client.bottom / item, 5);
  list_only->SetDroppedDown(false);
}

TEST_F(ComboBoxTest, EditAndListPartsTakeTheControlsColor) {
  auto* combo = AddCombo("cb", csDropDown);
  combo->SetColor(clYellow);
  ShowActive();
  combo->SetDroppedDown(true);
  Pump();
  for (HWND part : {combo->GetEditHandle(), combo->GetListHandle()}) {
    RedrawWindow(part, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(part, &client);
    HDC dc = GetDC(part);
    // Bottom right: below the text of the edit and the last item of the list.
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc, client.right - 2, client.bottom - 2)), clYellow);
    ReleaseDC(part, dc);
  }
  combo->SetDroppedDown(false);
}

// ---- List box -------------------------------------------------------------------------------

class ListBoxTest : public StdCtrlsTest {
 protected:
  TListBox* AddList(int count) {
    auto* list = Add<TListBox>("lb", {10, 10, 150, 110});
    for (int i = 0; i < count; ++i) list->GetItems()->Add("Entry " + std::to_string(i));
    list->OnClick = TNotifyEvent(recorder, &TEventRecorder::Click);
    list->OnDblClick = TNotifyEvent(recorder, &TEventRecorder::DblClick);
    return list;
  }
  static POINT Middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
};

TEST_F(ListBoxTest, MultiSelectWithCtrlAndShiftClicksAndSelectedFromCode) {
  auto* list = AddList(6);
  list->SetMultiSelect(true);
  ShowActive();
  PostClick(list->GetHandle(), Middle(list->ItemRect(1)));
  PostClick(list->GetHandle(), Middle(list->ItemRect(3)), MK_CONTROL);
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_TRUE(list->GetSelected(1));
  EXPECT_FALSE(list->GetSelected(2));
  EXPECT_TRUE(list->GetSelected(3));
  EXPECT_EQ(list->GetItemIndex(), 3);
  EXPECT_THAT(Trace(), ElementsAre("lb:click", "lb:click"));

  list->SetSelected(5, true);
  list->SetSelected(1, false);
  EXPECT_EQ(list->GetSelCount(), 2);
  list->DeleteSelected();
  EXPECT_EQ(list->GetItems()->GetCommaText(), "\"Entry 0\",\"Entry 1\",\"Entry 2\",\"Entry 4\"");
  // Selections from code fire nothing.
  EXPECT_EQ(Trace().size(), 2u);
  EXPECT_THROW(list->GetSelected(4), EListError);
}

TEST_F(ListBoxTest, SingleSelectionClicksDoubleClicksAndItemIndex) {
  auto* list = AddList(4);
  ShowActive();
  TMessageSpy spy(list->GetHandle());
  list->SetItemIndex(2);
  EXPECT_EQ(spy.Count(LB_SETCURSEL), 1);
  EXPECT_TRUE(list->GetSelected(2));
  EXPECT_THAT(Trace(), IsEmpty());
  POINT point = Middle(list->ItemRect(1));
  PostMessageA(list->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(point));
  PostMessageA(list->GetHandle(), WM_LBUTTONUP, 0, PointToLParam(point));
  PostMessageA(list->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, PointToLParam(point));
  PostMessageA(list->GetHandle(), WM_LBUTTONUP, 0, PointToLParam(point));
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_THAT(Trace(), ElementsAre("lb:click", "lb:dblclick"));
  EXPECT_EQ(list->ItemAtPos(point, true), 1);
  EXPECT_EQ(list->ItemAtPos({5, 95}, true), -1);
  EXPECT_EQ(list->ItemAtPos({5, 95}, false), 4);
}

TEST_F(ListBoxTest, TopIndexItemHeightAndScrollInfoAreReadable) {
  auto* list = AddList(100);
  list->SetItemHeight(15);
  ShowActive();
  EXPECT_EQ(list->GetItemHeight(), 15);
  RECT item = list->ItemRect(0);
  EXPECT_EQ(item.bottom - item.top, 15);
  list->SetTopIndex(40);
  EXPECT_EQ(list->GetTopIndex(), 40);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(list->GetHandle(), SB_VERT, &info));
  EXPECT_EQ(info.nMax, 99);
  EXPECT_EQ(info.nPos, 40);
  EXPECT_EQ(static_cast<int>(info.nPage), list->GetClientHeight() / 15);
  // Scrolled by the system: the top index follows.
  SendMessageA(list->GetHandle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(list->GetTopIndex(), 41);
}

TEST_F(ListBoxTest, ItemsAndSelectionsSurviveANewWindow) {
  auto* list = AddList(5);
  list->SetMultiSelect(true);
  ShowActive();
  list->SetSelected(0, true);
  list->SetSelected(4, true);
  list->SetSorted(true);  // a new window
  EXPECT_TRUE(GetWindowLongPtrA(list->GetHandle(), GWL_STYLE) & LBS_SORT);
  EXPECT_EQ(list->GetItems()->Count(), 5);
  EXPECT_TRUE(list->GetSelected(0));
  EXPECT_TRUE(list->GetSelected(4));
  EXPECT_EQ(list->GetSelCount(), 2);
  list->GetItems()->Add("Alpha");
  EXPECT_EQ(list->GetItems()->Get(0), "Alpha");
}

// ---- List box with owner data -------------------------------------------------------------

class OwnerDataListBoxTest : public ListBoxTest {
 protected:
  // The client area as the screen shows it, one COLORREF a pixel.
  static std::vector<COLORREF> Shown(TWinControl* control) {
    RECT client{};
    GetClientRect(control->GetHandle(), &client);
    HDC screen = GetDC(control->GetHandle());
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(control->GetHandle(), screen);
    return pixels;
  }
  static std::string WindowText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length < 0) return "<none>";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(
        static_cast<size_t>(SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
  }
};

TEST_F(OwnerDataListBoxTest, LooksAndAnswersLikeAListWhoseWindowHoldsTheLines) {
  auto* plain = AddList(12);
  auto* owner = Add<TListBox>("owner", {160, 10, 300, 110});
  owner->SetOwnerData(true);
  owner->GetItems()->Assign(plain->GetItems());
  ShowActive();
  for (TListBox* list : {plain, owner}) {
    list->SetItemIndex(3);
    list->SetTopIndex(1);
  }
  // Focused, and disabled: the same pixels.
  for (bool disabled : {false, true}) {
    SCOPED_TRACE(disabled ? "disabled" : "focused");
    std::vector<COLORREF> shown[2];
    for (int i = 0; i < 2; ++i) {
      TListBox* list = i ? owner : plain;
      list->SetEnabled(!disabled);
      if (!disabled) list->SetFocus();
      RedrawWindow(list->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      shown[i] = Shown(list);
    }
    EXPECT_EQ(shown[1], shown[0]);
  }
  // The window keeps no line, yet anyone asking it is told the item's text.
  EXPECT_TRUE(GetWindowLongPtrA(owner->GetHandle(), GWL_STYLE) & LBS_NODATA);
  EXPECT_EQ(SendMessageA(owner->GetHandle(), LB_GETCOUNT, 0, 0), 12);
  EXPECT_EQ(WindowText(owner->GetHandle(), 11), "Entry 11");
  EXPECT_EQ(WindowText(owner->GetHandle(), 12), "<none>");
  EXPECT_EQ(owner->ItemAtPos(Middle(owner->ItemRect(2)), true), 2);
}

TEST_F(OwnerDataListBoxTest, ChangesKeepTheWindowsCountAndSelectionInStep) {
  auto* list = AddList(0);
  list->GetItems()->SetText("A\r\nB\r\nC\r\nD\r\n");
  list->SetOwnerData(true);  // before the window: the lines wait with the control
  ShowActive();
  HWND window = list->GetHandle();
  auto window_count = [&] { return static_cast<int>(SendMessageA(window, LB_GETCOUNT, 0, 0)); };
  EXPECT_EQ(window_count(), 4);

  list->SetItemIndex(2);
  list->GetItems()->Insert(0, "Z");  // the selected line moves down with its text
  EXPECT_EQ(window_count(), 5);
  EXPECT_EQ(list->GetItemIndex(), 3);
  list->GetItems()->Delete(4);
  list->GetItems()->Add("E");
  EXPECT_EQ(list->GetItems()->GetCommaText(), "Z,A,B,C,E");
  EXPECT_EQ(list->GetItemIndex(), 3);
  // Renamed in place and exchanged: the selection stays where it is.
  list->GetItems()->Put(3, "C2");
  list->GetItems()->Exchange(0, 1);
  EXPECT_EQ(list->GetItems()->GetCommaText(), "A,Z,B,C2,E");
  EXPECT_EQ(list->GetItemIndex(), 3);
  // A whole new text in one update reaches the window as one count.
  TMessageSpy spy(window);
  list->GetItems()->SetText("1\r\n2\r\n");
  EXPECT_EQ(window_count(), 2);
  EXPECT_EQ(spy.Count(LB_SETCOUNT), 1);
  EXPECT_EQ(spy.Count(LB_INSERTSTRING) + spy.Count(LB_ADDSTRING), 0);
  list->GetItems()->Clear();
  EXPECT_EQ(window_count(), 0);

  // Switched off and on with a window, the lines and the selection go with the window.
  list->GetItems()->SetCommaText("x,y,z");
  list->SetItemIndex(1);
  list->SetOwnerData(false);
  EXPECT_FALSE(GetWindowLongPtrA(list->GetHandle(), GWL_STYLE) & LBS_NODATA);
  EXPECT_EQ(WindowText(list->GetHandle(), 2), "z");
  EXPECT_EQ(list->GetItemIndex(), 1);
  list->SetOwnerData(true);
  EXPECT_EQ(list->GetItems()->GetCommaText(), "x,y,z");
  EXPECT_EQ(list->GetItemIndex(), 1);
}

// ---- Scroll bar -----------------------------------------------------------------------------

class ScrollBarTest : public StdCtrlsTest {
 protected:
  void SetUp() override {
    StdCtrlsTest::SetUp();
    bar = Add<TScrollBar>("sb", {10, 10, 210, 27});
    bar->SetParams(10, 0, 100);
    bar->SetSmallChange(2);
    bar->SetLargeChange(20);
    bar->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
    bar->OnScroll = TScrollEvent(recorder, &TEventRecorder::Scroll);
    ShowActive();
    Trace().clear();
  }
  // What the system's bar sends its parent.
  void Scroll(WORD code, WORD position = 0) {
    SendMessageA(form->GetHandle(), WM_HSCROLL, MAKEWPARAM(code, position),
                 reinterpret_cast<LPARAM>(bar->GetHandle()));
  }
  int WindowPosition() {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(bar->GetHandle(), SB_CTL, &info);
    return info.nPos;
  }
  TScrollBar* bar = nullptr;
};

TEST_F(ScrollBarTest, ScrollMessagesMoveThePositionAndReportCodeAndChange) {
  Scroll(SB_LINEDOWN);
  EXPECT_EQ(bar->GetPosition(), 12);
  Scroll(SB_PAGEUP);
  EXPECT_EQ(bar->GetPosition(), 0);  // clamped at Min
  Scroll(SB_THUMBTRACK, 63);
  EXPECT_EQ(bar->GetPosition(), 63);
  Scroll(SB_BOTTOM);
  EXPECT_EQ(bar->GetPosition(), 100);
  Scroll(SB_ENDSCROLL);
  EXPECT_EQ(WindowPosition(), 100);
  EXPECT_THAT(Trace(),
              ElementsAre("sb:scroll 1 12", "sb:change", "sb:scroll 2 0", "sb:change", "sb:scroll 5 63",
                          "sb:change", "sb:scroll 7 100", "sb:change", "sb:scroll 8 100"));
  // OnScroll has the last word on the position.
  recorder->scroll_to = 50;
  Scroll(SB_LINEUP);
  EXPECT_EQ(bar->GetPosition(), 50);
}

TEST_F(ScrollBarTest, ClickOnAnArrowStepsBySmallChange) {
  int arrow = GetSystemMetrics(SM_CXHSCROLL);
  PostClick(bar->GetHandle(), {bar->GetWidth() - arrow / 2, bar->GetHeight() / 2});
  EXPECT_EQ(bar->GetPosition(), 12);
  EXPECT_EQ(WindowPosition(), 12);
  // The system's bar kept no capture, nor did we.
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, RangeAndPageKeepThePositionReachable) {
  EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
  bar->SetPosition(100);
  bar->SetPageSize(10);
  EXPECT_EQ(bar->GetPosition(), 91);  // the last position a page of 10 can show
  EXPECT_EQ(WindowPosition(), 91);
  bar->SetKind(sbVertical);
  EXPECT_TRUE(GetWindowLongPtrA(bar->GetHandle(), GWL_STYLE) & SBS_VERT);
  EXPECT_EQ(bar->GetWidth(), 17);
  EXPECT_EQ(bar->GetHeight(), 200);
  EXPECT_EQ(WindowPosition(), 91);
}

}  // namespace
