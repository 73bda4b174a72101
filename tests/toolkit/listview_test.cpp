// The report-style list view: columns streamed from a form definition, a thousand rows ranked
// through OnCompare, selection and multi-select delete, what a subclass of the window sees,
// rebuilding the window, keyboard and mouse, and item geometry measured in the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/listview.h"
#include "visual_test_classes.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// The form of listview_test.form; its handlers record what the list reports.
class TListViewTestForm : public TForm {
  TK_CLASS(TListViewTestForm, TForm)

 public:
  explicit TListViewTestForm(TComponent* owner) : TForm(owner) {}

  TListView* List() { return static_cast<TListView*>(FindComponent("lvProtocol")); }

  // The protocol's ranking: the last sub-item (the best lap) as text, without case.
  void ProtocolCompare(TObject*, TListItem* item1, TListItem* item2, intptr_t, int& compare) {
    ++compares;
    TStrings* a = item1->GetSubItems();
    TStrings* b = item2->GetSubItems();
    compare = CompareText(a->Get(a->Count() - 1), b->Get(b->Count() - 1));
    if (fail_compare) throw Exception("compare failed");
  }
  void ProtocolChange(TObject*, TListItem*, TItemChange change) {
    if (change == ctState) ++state_changes;
  }
  void ProtocolDblClick(TObject*) { ++double_clicks; }
  // Owner data: row data index the model; the caption is the model's text, one cell its index.
  void ModelData(TObject*, TListItem* item) {
    ++data_asked;
    const auto index = reinterpret_cast<size_t>(item->GetData());
    item->SetCaption(model.at(index));
    item->GetSubItems()->Add(IntToStr(static_cast<int64_t>(index)));
  }
  void ModelCompare(TObject*, TListItem* item1, TListItem* item2, intptr_t, int& compare) {
    ++compares;
    if (fail_compare) throw Exception("compare failed");
    compare = CompareText(model.at(reinterpret_cast<size_t>(item1->GetData())),
                          model.at(reinterpret_cast<size_t>(item2->GetData())));
  }
  void ProtocolKeyDown(TObject*, WORD& key, TShiftState) {
    keys.push_back(key);
    if (key == VK_DELETE) List()->DeleteSelected();
  }
  void ProtocolKeyPress(TObject*, char& key) { chars.push_back(key); }
  void ProtocolSelectItem(TObject*, TListItem* item, bool selected) {
    selections.push_back((selected ? "+" : "-") + (item ? item->GetCaption() : std::string("all")));
  }

  int compares = 0;
  bool fail_compare = false;
  std::vector<std::string> model;
  int data_asked = 0;
  int state_changes = 0;
  int double_clicks = 0;
  std::vector<WORD> keys;
  std::vector<char> chars;
  std::vector<std::string> selections;

 private:
  static void Publish(TPublisher<TListViewTestForm>& p) {
    p.Method("ProtocolChange", &TListViewTestForm::ProtocolChange);
    p.Method("ProtocolCompare", &TListViewTestForm::ProtocolCompare);
    p.Method("ProtocolDblClick", &TListViewTestForm::ProtocolDblClick);
    p.Method("ProtocolKeyDown", &TListViewTestForm::ProtocolKeyDown);
    p.Method("ProtocolKeyPress", &TListViewTestForm::ProtocolKeyPress);
    p.Method("ProtocolSelectItem", &TListViewTestForm::ProtocolSelectItem);
  }
};

TK_CLASS_INFO(TListViewTestForm, TForm)

// The messages a Win32 subclass of the list's window sees.
std::vector<UINT> g_seen;
WNDPROC g_previous = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if ((msg >= LVM_FIRST && msg < LVM_FIRST + 0x100) || msg == WM_GETTEXT) g_seen.push_back(msg);
  return CallWindowProcA(g_previous, window, msg, wparam, lparam);
}

std::string WindowText(TListView* list, int row, int column) {
  char buffer[128] = {};
  LVITEMA cell{};
  cell.iSubItem = column;
  cell.pszText = buffer;
  cell.cchTextMax = sizeof buffer;
  SendMessageA(list->GetHandle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
  return buffer;
}

int WindowCount(TListView* list) {
  return static_cast<int>(SendMessageA(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0));
}

// A protocol row: place, eight start-list fields, three laps and the best lap.
TListItem* AddRow(TListView* list, const std::string& place, const std::string& best) {
  TListItem* item = list->GetItems()->Add();
  item->SetCaption(place);
  TStrings* cells = item->GetSubItems();
  for (const char* field : {"A", "17", "Miller", "John", "Ford", "Fiesta", "Berlin", "D"}) cells->Add(field);
  for (int lap = 0; lap < 3; ++lap) cells->Add(best);
  cells->Add(best);
  return item;
}

class ListViewTest : public testing::Test {
 protected:
  void SetUp() override {
    RegisterListViewClasses();
    form = New<TListViewTestForm>(nullptr);
    list = form->List();
    ASSERT_NE(list, nullptr);
  }
  void TearDown() override {
    Free(form);
    Pump();
  }
  void ShowActive() {
    form->Show();
    SetActiveWindow(form->GetHandle());
    PumpUntil([&] { return form->GetActive(); });
    list->SetFocus();
    Pump();
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (int i = 0; i < list->GetItems()->GetCount(); ++i)
      captions.push_back(list->GetItems()->GetItem(i)->GetCaption());
    return captions;
  }

  TDesktopLock lock_;
  TListViewTestForm* form = nullptr;
  TListView* list = nullptr;
};

// ---- Definition and columns -----------------------------------------------------------------

TEST_F(ListViewTest, DefinitionBuildsThirteenColumnsAndTheStylesItNames) {
  TListColumns* columns = list->GetColumns();
  ASSERT_EQ(columns->GetCount(), 13);
  EXPECT_EQ(columns->GetItem(0)->GetCaption(), "Place");
  EXPECT_EQ(columns->GetItem(5)->GetWidth(), 50);  // the default
  EXPECT_EQ(columns->GetItem(12)->GetAlignment(), taCenter);

  // The window gets them when it is made.
  HWND header = list->GetHeaderHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 13);
  char text[32] = {};
  HDITEMA section{};
  section.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
  section.pszText = text;
  section.cchTextMax = sizeof text;
  SendMessageA(header, HDM_GETITEMA, 9, reinterpret_cast<LPARAM>(&section));
  EXPECT_STREQ(text, "LAP 1");
  EXPECT_EQ(section.cxy, 55);
  EXPECT_EQ(section.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);

  LONG_PTR style = GetWindowLongPtrA(list->GetHandle(), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(style & LVS_SINGLESEL, 0);     // MultiSelect
  EXPECT_EQ(style & LVS_EDITLABELS, 0);    // ReadOnly
  EXPECT_NE(style & LVS_NOSORTHEADER, 0);  // no ColumnClick
  auto extended = SendMessageA(list->GetHandle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

  // Columns changed later reach the window: a caption in place; a removed column takes its
  // header away, while the rows' texts stay by position (column k shows sub-item k - 1).
  AddRow(list, "1", "00:35.20");
  columns->GetItem(1)->SetCaption("Klasse");
  SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&section));
  EXPECT_STREQ(text, "Klasse");
  columns->Delete(1);
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 12);
  SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&section));
  EXPECT_STREQ(text, "Start-Nr.");
  EXPECT_EQ(WindowText(list, 0, 1), "A");
  EXPECT_EQ(WindowText(list, 0, 11), "00:35.20");
  columns->Add()->SetCaption("extra");
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 13);
  EXPECT_EQ(WindowText(list, 0, 12), "00:35.20");  // the last sub-item has a column again
}

// ---- A thousand rows, ranked --------------------------------------------------------------

TEST_F(ListViewTest, ThousandRowsAreRankedThroughOnCompareInOurItemsAndTheWindow) {
  list->HandleNeeded();
  list->BeginUpdate();
  for (int i = 0; i < 1000; ++i) {
    // Times that repeat every 97 rows, and words that rank after every time.
    std::string best =
        i % 250 == 7 ? "STOP" : (i % 250 == 8 ? "???" : Format("00:%.2d.%.2d", 30 + i % 97 / 10, i % 97));
    AddRow(list, IntToStr(i), best);
  }
  list->EndUpdate();
  ASSERT_EQ(list->GetItems()->GetCount(), 1000);
  ASSERT_EQ(WindowCount(list), 1000);
  EXPECT_EQ(WindowText(list, 999, 12), list->GetItems()->GetItem(999)->GetSubItems()->Get(11));

  EXPECT_TRUE(list->AlphaSort());
  EXPECT_GT(form->compares, 0);
  TListItems* items = list->GetItems();
  auto best = [&](int i) { return items->GetItem(i)->GetSubItems()->Get(11); };
  for (int i = 1; i < 1000; ++i) {
    ASSERT_LE(CompareText(best(i - 1), best(i)), 0) << "row " << i;
    // Rows of equal time keep the order they were added in.
    if (best(i - 1) == best(i)) {
      ASSERT_LT(std::stoi(items->GetItem(i - 1)->GetCaption()), std::stoi(items->GetItem(i)->GetCaption()));
    }
    ASSERT_EQ(items->GetItem(i)->GetIndex(), i);
  }
  EXPECT_EQ(best(0), "00:30.00");
  EXPECT_EQ(best(995), "???");
  EXPECT_EQ(best(999), "STOP");
  // The window shows the same order.
  for (int i : {0, 1, 500, 995, 999}) {
    EXPECT_EQ(WindowText(list, i, 0), items->GetItem(i)->GetCaption());
    EXPECT_EQ(WindowText(list, i, 12), best(i));
  }

  // Renumbering the places, as the protocol does after a heat, shows at once.
  for (int i = 0; i < 1000; ++i) items->GetItem(i)->SetCaption(IntToStr(i + 1));
  EXPECT_EQ(WindowText(list, 999, 0), "1000");

  // A comparison that raises leaves the order as it was.
  std::vector<std::string> before = Captions();
  form->fail_compare = true;
  EXPECT_THROW(list->AlphaSort(), Exception);
  EXPECT_EQ(Captions(), before);
  EXPECT_EQ(WindowText(list, 3, 0), "4");
}

TEST_F(ListViewTest, OwnerDataRowsAreDrawnFromOnDataAndSortedThroughOnCompareWithoutItems) {
  list->SetOwnerData(true);
  list->OnData = TLVOwnerDataEvent(form, &TListViewTestForm::ModelData);
  list->OnCompare = TLVCompareEvent(form, &TListViewTestForm::ModelCompare);
  // Times repeating every 97 rows; the rows' data are the model's indices.
  std::vector<void*> rows;
  for (int i = 0; i < 1000; ++i) {
    form->model.push_back(Format("00:%.2d.%.2d", 30 + i % 97 / 10, i % 97));
    rows.push_back(reinterpret_cast<void*>(static_cast<intptr_t>(i)));
  }
  list->SetRowData(rows);
  list->SetSelectedRows({5, 2, 2, 4000});  // waits for the window; out of range and repeats dropped
  EXPECT_EQ(list->GetSelectedRows(), (std::vector<int>{2, 5}));
  ASSERT_EQ(list->GetRowCount(), 1000);
  EXPECT_EQ(list->GetItems()->GetCount(), 0);
  EXPECT_EQ(WindowCount(list), 1000);
  EXPECT_EQ(list->GetSelectedRows(), (std::vector<int>{2, 5}));
  EXPECT_EQ(WindowText(list, 999, 0), form->model[999]);
  EXPECT_EQ(WindowText(list, 999, 1), "999");

  EXPECT_TRUE(list->AlphaSort());
  EXPECT_GT(form->compares, 0);
  auto index = [&](int row) {
    return reinterpret_cast<intptr_t>(list->GetRowData()[static_cast<size_t>(row)]);
  };
  auto text = [&](int row) { return form->model[static_cast<size_t>(index(row))]; };
  for (int i = 1; i < 1000; ++i) {
    ASSERT_LE(text(i - 1), text(i)) << "row " << i;
    if (text(i - 1) == text(i)) ASSERT_LT(index(i - 1), index(i)) << "equal rows keep their order";
  }
  EXPECT_EQ(WindowText(list, 0, 0), "00:30.00");
  EXPECT_EQ(WindowText(list, 999, 1), IntToStr(index(999)));

  // A few rows after the sorted ones find their places among their equals' ends.
  rows = list->GetRowData();
  for (const char* time : {"00:30.00", "00:39.96", "00:35.50"}) {
    form->model.push_back(time);
    rows.push_back(reinterpret_cast<void*>(form->model.size() - 1));
  }
  list->SetRowData(rows);
  EXPECT_EQ(WindowCount(list), 1003);
  list->AlphaSort();
  for (int i = 1; i < 1003; ++i) {
    ASSERT_LE(text(i - 1), text(i)) << "row " << i;
    if (text(i - 1) == text(i)) ASSERT_LT(index(i - 1), index(i)) << "row " << i;
  }

  // Rows the other way round come out ascending; equal neighbours keep their order.
  for (bool pairs : {false, true}) {
    form->model.clear();
    rows.clear();
    for (int i = 0; i < 200; ++i) {
      form->model.push_back(Format("%.3d", 300 - (pairs ? i / 2 : i)));
      rows.push_back(reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    }
    list->SetRowData(rows);
    list->AlphaSort();
    for (int i = 1; i < 200; ++i) {
      ASSERT_LE(text(i - 1), text(i)) << "row " << i;
      if (text(i - 1) == text(i)) ASSERT_LT(index(i - 1), index(i)) << "row " << i;
    }
  }

  // A comparison that raises leaves the rows; the window keeps its marks through all of it.
  const std::vector<void*> before = list->GetRowData();
  form->fail_compare = true;
  EXPECT_THROW(list->AlphaSort(), Exception);
  EXPECT_EQ(list->GetRowData(), before);
  EXPECT_EQ(list->GetSelectedRows(), (std::vector<int>{2, 5}));
  // A window made again takes the count and the marks.
  list->SetHideSelection(false);
  EXPECT_EQ(WindowCount(list), 200);
  EXPECT_EQ(list->GetSelectedRows(), (std::vector<int>{2, 5}));
  EXPECT_EQ(SendMessageA(list->GetHandle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2);
  list->SetSelectedRows({});
  EXPECT_TRUE(list->GetSelectedRows().empty());
  EXPECT_EQ(list->GetItems()->GetCount(), 0);
}

// Descending by caption, in the direction data gives.
int CompareCaptions(TListItem* item1, TListItem* item2, intptr_t direction) {
  return static_cast<int>(direction) * CompareText(item1->GetCaption(), item2->GetCaption());
}

TEST_F(ListViewTest, SortsWithAFunctionAndAutomaticallyByCaptionAfterAnUpdate) {
  list->OnCompare = nullptr;  // by caption
  list->HandleNeeded();
  for (const char* caption : {"b", "c", "a"}) list->GetItems()->Add()->SetCaption(caption);
  list->CustomSort(&CompareCaptions, -1);
  EXPECT_THAT(Captions(), ElementsAre("c", "b", "a"));
  EXPECT_EQ(WindowText(list, 0, 0), "c");
  list->GetItems()->Clear();

  // Rows after a sorted head go between its rows, after the equal ones there.
  for (const char* caption : {"a1", "b1", "b2", "c1", "b3", "a2", "c0"})
    list->GetItems()->Add()->SetCaption(caption);
  list->CustomSort(
      [](TListItem* a, TListItem* b, intptr_t) { return a->GetCaption()[0] - b->GetCaption()[0]; }, 0);
  EXPECT_THAT(Captions(), ElementsAre("a1", "a2", "b1", "b2", "b3", "c1", "c0"));
  list->GetItems()->Clear();
  // A long ranked head and a heat's few rows: each after its equals, in its order of arrival.
  std::vector<std::string> expected;
  for (char group : {'a', 'b', 'c', 'd'})
    for (int i = 0; i < 40; ++i) {
      expected.push_back(std::string(1, group) + std::to_string(i));
      list->GetItems()->Add()->SetCaption(expected.back());
    }
  for (const char* caption : {"cX", "aX", "cY", "eX"}) list->GetItems()->Add()->SetCaption(caption);
  list->CustomSort(
      [](TListItem* a, TListItem* b, intptr_t) { return a->GetCaption()[0] - b->GetCaption()[0]; }, 0);
  expected.insert(expected.begin() + 40, "aX");
  expected.insert(expected.begin() + 121, {"cX", "cY"});
  expected.push_back("eX");
  EXPECT_EQ(Captions(), expected);
  EXPECT_EQ(list->GetItems()->GetItem(121)->GetIndex(), 121);
  list->GetItems()->Clear();

  list->SetSortType(stText);
  list->BeginUpdate();
  for (const char* caption : {"delta", "alpha", "charlie", "bravo"})
    list->GetItems()->Add()->SetCaption(caption);
  EXPECT_THAT(Captions(), ElementsAre("delta", "alpha", "charlie", "bravo"));
  list->EndUpdate();
  EXPECT_THAT(Captions(), ElementsAre("alpha", "bravo", "charlie", "delta"));
  list->GetItems()->GetItem(0)->SetCaption("echo");
  EXPECT_THAT(Captions(), ElementsAre("bravo", "charlie", "delta", "echo"));
  EXPECT_EQ(WindowText(list, 3, 0), "echo");
}

// ---- Selection ---------------------------------------------------------------------------------

TEST_F(ListViewTest, SelectedRowsAreDeletedTogetherAndTheRestKeepsItsOrder) {
  list->HandleNeeded();
  for (int i = 0; i < 10; ++i) AddRow(list, IntToStr(i), "00:40.00");
  TListItems* items = list->GetItems();
  list->SetItemIndex(3);
  items->GetItem(5)->SetSelected(true);
  items->GetItem(8)->SetSelected(true);
  EXPECT_EQ(list->GetSelCount(), 3);
  EXPECT_EQ(list->GetSelected(), items->GetItem(3));
  EXPECT_EQ(list->GetItemIndex(), 3);
  EXPECT_EQ(list->GetItemFocused(), items->GetItem(3));

  list->DeleteSelected();
  EXPECT_THAT(Captions(), ElementsAre("0", "1", "2", "4", "6", "7", "9"));
  EXPECT_EQ(WindowCount(list), 7);
  EXPECT_EQ(WindowText(list, 3, 0), "4");
  EXPECT_EQ(items->GetItem(6)->GetIndex(), 6);
  EXPECT_EQ(list->GetSelCount(), 0);
  EXPECT_EQ(list->GetSelected(), nullptr);
  EXPECT_EQ(list->GetItemIndex(), -1);

  // Setting the selection replaces it; an index out of range clears it.
  items->GetItem(1)->SetSelected(true);
  list->SetSelected(items->GetItem(4));
  EXPECT_EQ(list->GetSelCount(), 1);
  list->SetItemIndex(99);
  EXPECT_EQ(list->GetSelCount(), 0);
}

TEST_F(ListViewTest, WithoutWindowSingleSelectionHoldsAndCarriesIntoTheWindow) {
  list->SetMultiSelect(false);
  ASSERT_FALSE(list->HandleAllocated());
  for (int i = 0; i < 5; ++i) AddRow(list, IntToStr(i), "00:40.00");
  TListItems* items = list->GetItems();
  items->GetItem(1)->SetSelected(true);
  items->GetItem(2)->SetSelected(true);  // single selection: 1 loses it
  EXPECT_EQ(list->GetSelCount(), 1);
  EXPECT_EQ(list->GetItemIndex(), 2);

  list->HandleNeeded();
  EXPECT_EQ(WindowCount(list), 5);
  EXPECT_EQ(SendMessageA(list->GetHandle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(list->GetItemIndex(), 2);
}

// The rows the window marks as selected, and those whose items are.
std::vector<int> WindowSelection(TListView* list) {
  std::vector<int> rows;
  for (int i = -1; (i = static_cast<int>(SendMessageA(list->GetHandle(), LVM_GETNEXTITEM,
                                                      static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
    rows.push_back(i);
  return rows;
}

std::vector<int> ItemSelection(TListView* list) {
  std::vector<int> rows;
  for (TListItem* item = list->GetSelected(); item; item = list->GetNextItem(item, LVNI_SELECTED))
    rows.push_back(item->GetIndex());
  return rows;
}

int WindowFocus(TListView* list) {
  return static_cast<int>(
      SendMessageA(list->GetHandle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

TEST_F(ListViewTest, WindowHoldsNoRowsAndItsMarksFollowTheItemsThroughSortsInsertsAndDeletes) {
  list->HandleNeeded();
  EXPECT_NE(GetWindowLongPtrA(list->GetHandle(), GWL_STYLE) & LVS_OWNERDATA, 0);
  // Best times falling, so that the ranking turns the rows round.
  for (int i = 0; i < 6; ++i) AddRow(list, IntToStr(i), Format("00:%.2d.00", 50 - i));
  TListItems* items = list->GetItems();
  TListItem* focused = items->GetItem(1);
  list->SetSelected(focused);
  items->GetItem(4)->SetSelected(true);
  form->selections.clear();

  list->AlphaSort();
  EXPECT_THAT(Captions(), ElementsAre("5", "4", "3", "2", "1", "0"));
  EXPECT_THAT(ItemSelection(list), ElementsAre(1, 4));
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(WindowFocus(list), focused->GetIndex());
  EXPECT_THAT(form->selections, IsEmpty());  // no item changed its state

  items->Insert(0)->SetCaption("new");
  EXPECT_THAT(ItemSelection(list), ElementsAre(2, 5));
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(WindowFocus(list), focused->GetIndex());
  EXPECT_EQ(WindowText(list, 5, 0), "1");

  items->Delete(2);  // a selected one
  EXPECT_THAT(ItemSelection(list), ElementsAre(4));
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(WindowFocus(list), focused->GetIndex());
  items->Delete(0);
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(WindowFocus(list), 3);
  EXPECT_EQ(WindowCount(list), 5);
  EXPECT_EQ(list->GetSelCount(), 1);
}

TEST_F(ListViewTest, InsideAnUpdateTheWindowHearsOfRowsAndMarksOnlyAtItsEnd) {
  // Each message would have the window lay out and paint its rows again.
  list->HandleNeeded();
  for (int i = 0; i < 4; ++i) AddRow(list, IntToStr(i), "00:40.00");
  TListItems* items = list->GetItems();
  items->GetItem(3)->SetSelected(true);
  HWND window = list->GetHandle();
  g_seen.clear();
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  form->selections.clear();
  list->BeginUpdate();
  items->Insert(0)->SetCaption("new");
  items->GetItem(1)->SetSelected(true);
  items->Delete(2);
  EXPECT_THAT(g_seen, IsEmpty());
  // The items know their marks at once, and the events come as they change.
  EXPECT_THAT(ItemSelection(list), ElementsAre(1, 3));
  EXPECT_THAT(form->selections, ElementsAre("+0"));
  list->EndUpdate();
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  EXPECT_EQ(WindowCount(list), 4);
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(WindowText(list, 3, 0), "3");
  EXPECT_THAT(form->selections, ElementsAre("+0"));
}

// The window's drawing is held while it takes a new row count; what was due a paint before,
// a column caption changed inside the update, is painted all the same.
TEST_F(ListViewTest, AShownListTakesItsNewCountWithoutLosingAPaintDue) {
  ShowActive();
  HWND window = list->GetHandle(), header = list->GetHeaderHandle();
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(header, nullptr, FALSE); }));
  list->BeginUpdate();
  list->GetColumns()->GetItem(0)->SetCaption("Rank");
  for (int i = 0; i < 200; ++i) AddRow(list, IntToStr(i), "00:40.00");
  list->EndUpdate();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(GetUpdateRect(header, nullptr, FALSE));
  RECT client{}, due{};
  GetClientRect(window, &client);
  ASSERT_TRUE(GetUpdateRect(window, &due, FALSE));
  EXPECT_TRUE(EqualRect(&due, &client));
  SCROLLINFO si{sizeof(si), SIF_RANGE};
  ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 199);
}

TEST_F(ListViewTest, ShiftClickMarksARangeThatEachItemReports) {
  for (int i = 0; i < 8; ++i) AddRow(list, IntToStr(i), "00:40.00");
  ShowActive();
  TListItems* items = list->GetItems();
  auto click = [&](int row, WPARAM keys) {
    RECT r = items->GetItem(row)->DisplayRect(drBounds);
    LPARAM at = PointToLParam({r.left + 60, (r.top + r.bottom) / 2});
    PostMessageA(list->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageA(list->GetHandle(), WM_LBUTTONUP, keys, at);
    Pump();
  };
  click(1, 0);
  form->selections.clear();
  click(4, MK_SHIFT);
  EXPECT_THAT(ItemSelection(list), ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  for (const char* row : {"+2", "+3", "+4"})
    EXPECT_NE(std::find(form->selections.begin(), form->selections.end(), row), form->selections.end())
        << row;
  // A plain click replaces the range.
  click(6, 0);
  EXPECT_THAT(ItemSelection(list), ElementsAre(6));
  EXPECT_EQ(list->GetItemFocused(), items->GetItem(6));
}

TEST_F(ListViewTest, TypingTheStartOfACaptionSelectsItsRow) {
  list->SetMultiSelect(false);
  for (const char* caption : {"alpha", "bravo", "charlie", "Chris", "delta"}) AddRow(list, caption, "1:00");
  ShowActive();
  list->SetItemIndex(0);
  PostMessageA(list->GetHandle(), WM_CHAR, 'c', 1);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(WindowSelection(list), ItemSelection(list));
  EXPECT_EQ(list->GetItemFocused(), list->GetItems()->GetItem(2));
}

// ---- The window ---------------------------------------------------------------------------------

TEST_F(ListViewTest, SubclassOfTheWindowSeesEveryItemOperationAndNoReadOfTexts) {
  HWND window = list->GetHandle();
  g_seen.clear();
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));

  TListItem* item = list->GetItems()->Add();
  EXPECT_THAT(g_seen, ElementsAre(LVM_SETITEMCOUNT, LVM_GETITEMCOUNT));
  g_seen.clear();
  item->SetCaption("1");
  item->GetSubItems()->Add("Class A");
  // The window asks for captions and sub-item texts when it draws them: a new one only
  // redraws the row.
  EXPECT_THAT(g_seen, ElementsAre(LVM_REDRAWITEMS, LVM_REDRAWITEMS));
  EXPECT_EQ(WindowText(list, 0, 1), "Class A");
  g_seen.clear();
  list->GetItems()->BeginUpdate();  // and inside an update not even that
  item->SetCaption("2");
  EXPECT_THAT(g_seen, IsEmpty());
  list->GetItems()->EndUpdate();
  EXPECT_EQ(WindowText(list, 0, 0), "2");
  item->SetCaption("1");
  g_seen.clear();
  item->SetSelected(true);
  EXPECT_THAT(g_seen, ElementsAre(LVM_SETITEMSTATE));

  // Texts are read from the objects.
  g_seen.clear();
  EXPECT_EQ(item->GetCaption(), "1");
  EXPECT_EQ(item->GetSubItems()->Get(0), "Class A");
  EXPECT_THAT(g_seen, IsEmpty());

  list->GetItems()->Add();
  g_seen.clear();
  list->GetItems()->Delete(0);
  EXPECT_THAT(g_seen, ElementsAre(LVM_DELETEITEM));
  g_seen.clear();
  list->GetItems()->Clear();
  EXPECT_THAT(g_seen, ElementsAre(LVM_DELETEALLITEMS));
  EXPECT_EQ(list->GetItems()->GetCount(), 0);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
}

// What the list's window is sent while it is made: redraw switches, inserted rows, texts and
// the row count.
std::vector<std::string> g_creation;
HWND g_list_window = nullptr;

LRESULT CALLBACK RecordCreation(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
  char name[64] = {};
  GetClassNameA(call->hwnd, name, sizeof name);
  bool list = g_list_window ? call->hwnd == g_list_window : std::string(name) == "TListView";
  if (code == HC_ACTION && list) {
    if (call->message == WM_SETREDRAW) g_creation.push_back(call->wParam ? "redraw on" : "redraw off");
    if (call->message == LVM_INSERTITEMA) g_creation.push_back("row");
    if (call->message == LVM_SETITEMTEXTA) g_creation.push_back("text");
    if (call->message == LVM_SETITEMCOUNT)
      g_creation.push_back(Format("count %d", static_cast<int>(call->wParam)));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(ListViewTest, RowsGoIntoANewWindowWithItsRedrawingOff) {
  // Otherwise each row updates the scroll bars and the visible area as it comes.
  form->HandleNeeded();  // the form's own list first
  auto* fresh = New<TListView>(form);
  fresh->SetViewStyle(vsReport);
  for (const char* caption : {"Place", "Class", "No."}) fresh->GetColumns()->Add()->SetCaption(caption);
  for (const char* place : {"1", "2", "3"}) AddRow(fresh, place, "1:00");
  g_creation.clear();
  g_list_window = nullptr;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &RecordCreation, nullptr, GetCurrentThreadId());
  fresh->SetParent(form);
  fresh->HandleNeeded();
  UnhookWindowsHookEx(hook);
  // No row or text is sent one by one (thousands of rows took seconds): the window is told
  // their number and asks for what it shows.
  EXPECT_THAT(g_creation, ElementsAre("redraw off", "count 3", "redraw on"));
  EXPECT_EQ(WindowCount(fresh), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(WindowText(fresh, row, 0), IntToStr(row + 1));
    EXPECT_EQ(WindowText(fresh, row, 1), "A");
    EXPECT_EQ(WindowText(fresh, row, 2), "17");
  }
  fresh->GetItems()->GetItem(1)->GetSubItems()->Put(1, "42");
  EXPECT_EQ(WindowText(fresh, 1, 2), "42");

  // Inside an update the new window stays quiet until its end.
  fresh->BeginUpdate();
  g_creation.clear();
  hook = SetWindowsHookExA(WH_CALLWNDPROC, &RecordCreation, nullptr, GetCurrentThreadId());
  fresh->SetViewStyle(vsList);  // makes the window again
  g_list_window = fresh->GetHandle();
  fresh->EndUpdate();
  UnhookWindowsHookEx(hook);
  EXPECT_THAT(g_creation, ElementsAre("redraw off", "count 3", "redraw on"));
  EXPECT_EQ(WindowCount(fresh), 3);
}

TEST_F(ListViewTest, RowsDeletedByAMessageToTheWindowLeaveTheItemsToo) {
  list->HandleNeeded();
  for (int i = 0; i < 4; ++i) AddRow(list, IntToStr(i), "00:40.00");
  SendMessageA(list->GetHandle(), LVM_DELETEITEM, 1, 0);
  EXPECT_THAT(Captions(), ElementsAre("0", "2", "3"));
  EXPECT_EQ(list->GetItems()->GetItem(2)->GetIndex(), 2);
  SendMessageA(list->GetHandle(), LVM_DELETEALLITEMS, 0, 0);
  EXPECT_EQ(list->GetItems()->GetCount(), 0);
}

TEST_F(ListViewTest, RecreatedWindowKeepsColumnsRowsSelectionAndDraggedWidths) {
  for (int i = 0; i < 40; ++i) AddRow(list, IntToStr(i), "00:40.00");
  TListItems* items = list->GetItems();
  HWND first = list->GetHandle();
  items->GetItem(4)->SetSelected(true);
  items->GetItem(6)->SetSelected(true);
  items->GetItem(6)->SetFocused(true);
  // The user drags a divider.
  SendMessageA(first, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(120, 0));
  list->Scroll(
      0, 10 * (items->GetItem(1)->DisplayRect(drBounds).top - items->GetItem(0)->DisplayRect(drBounds).top));
  ASSERT_EQ(list->GetTopItem(), items->GetItem(10));

  list->SetHideSelection(false);  // a window style: the window is made again
  HWND second = list->GetHandle();
  EXPECT_NE(second, first);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(GetWindowLongPtrA(second, GWL_STYLE) & LVS_SHOWSELALWAYS, 0);
  EXPECT_EQ(WindowCount(list), 40);
  EXPECT_EQ(SendMessageA(list->GetHeaderHandle(), HDM_GETITEMCOUNT, 0, 0), 13);
  EXPECT_EQ(WindowText(list, 39, 0), "39");
  EXPECT_EQ(WindowText(list, 39, 4), "John");
  EXPECT_EQ(list->GetColumns()->GetItem(3)->GetWidth(), 120);
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_TRUE(items->GetItem(4)->GetSelected());
  EXPECT_EQ(list->GetItemFocused(), items->GetItem(6));
  EXPECT_EQ(list->GetTopItem(), items->GetItem(10));

  // The form's window made again takes the list's window with it; the rows come back.
  form->RecreateWnd();
  EXPECT_EQ(WindowCount(list), 40);
  EXPECT_EQ(WindowText(list, 20, 12), "00:40.00");
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_EQ(list->GetColumns()->GetItem(3)->GetWidth(), 120);
}

TEST_F(ListViewTest, CopiedColumnsAndRowsShowInASecondList) {
  // As the protocol copies the start list's columns and entries.
  AddRow(list, "1", "00:35.20")->SetData(form);
  auto* copy = New<TListView>(form);
  copy->SetBounds(8, 8, 300, 100);
  copy->SetViewStyle(vsReport);
  copy->SetParent(form);
  copy->SetColumns(list->GetColumns());
  TListItem* row = copy->GetItems()->Add();
  row->Assign(list->GetItems()->GetItem(0));
  row->GetSubItems()->Delete(11);
  row->GetSubItems()->Add("00:34.90");
  EXPECT_EQ(SendMessageA(copy->GetHeaderHandle(), HDM_GETITEMCOUNT, 0, 0), 13);
  EXPECT_EQ(copy->GetColumns()->GetItem(9)->GetAlignment(), taRightJustify);
  EXPECT_EQ(row->GetData(), form);
  EXPECT_EQ(WindowText(copy, 0, 0), "1");
  EXPECT_EQ(WindowText(copy, 0, 3), "Miller");
  EXPECT_EQ(WindowText(copy, 0, 12), "00:34.90");

  copy->GetItems()->Assign(list->GetItems());
  EXPECT_EQ(WindowCount(copy), 1);
  EXPECT_EQ(WindowText(copy, 0, 12), "00:35.20");
}

TEST_F(ListViewTest, SmallImagesFollowTheImageListsHandleAndItsRemoval) {
  auto* images = New<TCustomImageList>(form);
  list->SetSmallImages(images);
  HWND window = list->GetHandle();
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(window, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            images->GetHandle());
  // A new size makes a new handle: the list takes it before it paints. (Another image list
  // takes the old handle's place, so the old value is not handed out again.)
  form->Show();
  images->SetHeight(24);
  HIMAGELIST other = ImageList_Create(8, 8, ILC_COLOR24, 1, 1);
  list->Repaint();
  auto shown = reinterpret_cast<HIMAGELIST>(SendMessageA(window, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  EXPECT_EQ(shown, images->GetHandle());
  EXPECT_NE(shown, other);
  ImageList_Destroy(other);
  Free(images);
  EXPECT_EQ(list->GetSmallImages(), nullptr);
  EXPECT_EQ(SendMessageA(window, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

// ---- Keyboard and mouse -------------------------------------------------------------------------

TEST_F(ListViewTest, ArrowAndDeleteKeysReachOnKeyDownAndTheListMovesItsSelection) {
  for (int i = 0; i < 5; ++i) AddRow(list, IntToStr(i), "00:40.00");
  ShowActive();
  ASSERT_TRUE(list->Focused());
  list->SetItemIndex(0);
  form->selections.clear();

  PostMessageA(list->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(list->GetHandle(), WM_KEYUP, VK_DOWN, 0xC0000001);
  Pump();
  EXPECT_THAT(form->keys, ElementsAre(VK_DOWN));
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_THAT(form->selections, ElementsAre("-0", "+1"));
  EXPECT_GE(form->state_changes, 2);

  // The program's Delete handler removes the selected row.
  PostMessageA(list->GetHandle(), WM_KEYDOWN, VK_DELETE, 1);
  Pump();
  EXPECT_THAT(form->keys, ElementsAre(VK_DOWN, VK_DELETE));
  EXPECT_THAT(Captions(), ElementsAre("0", "2", "3", "4"));

  PostMessageA(list->GetHandle(), WM_CHAR, 'x', 1);
  Pump();
  EXPECT_THAT(form->chars, ElementsAre('x'));
}

TEST_F(ListViewTest, ClicksOnRowsAndColumnHeadersRaiseTheirEvents) {
  for (int i = 0; i < 5; ++i) AddRow(list, IntToStr(i), "00:40.00");
  int clicks = 0;
  struct TCounter : TObject {
    int* count;
    TListColumn* column = nullptr;
    void Click(TObject*) { ++*count; }
    void ColumnClick(TObject*, TListColumn* c) { column = c; }
  };
  auto* counter = New<TCounter>();
  counter->count = &clicks;
  list->OnClick = TNotifyEvent(counter, &TCounter::Click);
  list->OnColumnClick = TLVColumnClickEvent(counter, &TCounter::ColumnClick);
  list->SetColumnClick(true);
  ShowActive();

  RECT row = list->GetItems()->GetItem(2)->DisplayRect(drBounds);
  LPARAM at = PointToLParam({row.left + 60, (row.top + row.bottom) / 2});
  PostMessageA(list->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list->GetHandle(), WM_LBUTTONUP, 0, at);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(list->GetItemAt(row.left + 60, (row.top + row.bottom) / 2), list->GetItems()->GetItem(2));

  PostMessageA(list->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list->GetHandle(), WM_LBUTTONUP, 0, at);
  Pump();
  EXPECT_EQ(form->double_clicks, 1);

  HWND header = list->GetHeaderHandle();
  RECT section{};
  SendMessageA(header, HDM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&section));
  LPARAM on_section = PointToLParam({(section.left + section.right) / 2, (section.top + section.bottom) / 2});
  PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, on_section);
  PostMessageA(header, WM_LBUTTONUP, 0, on_section);
  Pump();
  EXPECT_EQ(counter->column, list->GetColumns()->GetItem(4));
  list->OnClick = nullptr;
  list->OnColumnClick = nullptr;
  Free(counter);
}

// ---- Geometry -----------------------------------------------------------------------------------

TEST_F(ListViewTest, RowRectanglesStackAndScrollingMovesTheTopItemByWholeRows) {
  for (int i = 0; i < 60; ++i) AddRow(list, IntToStr(i), "00:40.00");
  list->HandleNeeded();
  TListItems* items = list->GetItems();
  RECT first = items->GetItem(0)->DisplayRect(drBounds);
  RECT second = items->GetItem(1)->DisplayRect(drBounds);
  int row_height = first.bottom - first.top;
  ASSERT_GT(row_height, 0);
  EXPECT_EQ(second.top, first.bottom);
  EXPECT_EQ(second.bottom - second.top, row_height);
  // The row spans all columns; the label lies within it.
  int total = 0;
  for (int i = 0; i < list->GetColumns()->GetCount(); ++i)
    total += list->GetColumns()->GetItem(i)->GetWidth();
  EXPECT_EQ(first.right - first.left, total);
  RECT label = items->GetItem(0)->DisplayRect(drLabel);
  EXPECT_GE(label.left, first.left);
  EXPECT_LE(label.right, first.right);
  EXPECT_EQ(label.top, first.top);

  EXPECT_EQ(list->GetTopItem(), items->GetItem(0));
  list->Scroll(0, 5 * row_height);
  EXPECT_EQ(list->GetTopItem(), items->GetItem(5));
  EXPECT_EQ(items->GetItem(5)->DisplayRect(drBounds).top, first.top);
  items->GetItem(59)->MakeVisible(false);
  RECT last = items->GetItem(59)->DisplayRect(drBounds);
  EXPECT_LE(last.bottom, list->GetClientRect().bottom);
}

// A screenshot of the list as the user sees it; the selected row is drawn highlighted across
// the columns (RowSelect).
TEST_F(ListViewTest, ScreenShowsHighlightedWholeRowOfTheFocusedList) {
  const char* bests[] = {"00:34.90", "00:35.20", "00:36.00", "CRASH", "STOP"};
  for (int i = 0; i < 5; ++i) AddRow(list, IntToStr(i + 1), bests[i]);
  ShowActive();
  list->SetItemIndex(1);
  form->Update();
  Pump();

  RECT frame{};
  GetWindowRect(form->GetHandle(), &frame);
  TBitmap* shot = New<TBitmap>();
  shot->SetPixelFormat(pf24bit);
  shot->SetSize(frame.right - frame.left, frame.bottom - frame.top);
  HDC screen = GetDC(nullptr);
  BitBlt(shot->GetCanvas()->GetHandle(), 0, 0, frame.right - frame.left, frame.bottom - frame.top, screen,
         frame.left, frame.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  if (const char* dir = std::getenv("DRAVOLIN_SCREENSHOT_DIR"))
    shot->SaveToFile(std::string(dir) + "\\listview.bmp");

  RECT row = list->GetItems()->GetItem(1)->DisplayRect(drBounds);
  POINT in_row = list->ClientToScreen({row.right - 5, row.top + 1});
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  TColor pixel = shot->GetPixelColor(in_row.x - frame.left, in_row.y - frame.top);
  EXPECT_EQ(static_cast<COLORREF>(pixel), highlight);
  RECT other = list->GetItems()->GetItem(3)->DisplayRect(drBounds);
  POINT in_other = list->ClientToScreen({other.right - 5, other.top + 1});
  EXPECT_NE(static_cast<COLORREF>(shot->GetPixelColor(in_other.x - frame.left, in_other.y - frame.top)),
            highlight);
  Free(shot);
}

}  // namespace
