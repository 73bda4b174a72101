// Control adapters on shown forms: a grid found by name when the form is read, its frame and
// colours from a skin built in memory, the window procedure chain, and the items' life.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/skin/engine/skin_test_support.h"
#include "skin/controls/sctrladapter.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/formreader.h"
#include "toolkit/streams.h"
#include "toolkit/forms.h"
#include "toolkit/grids.h"

// A data-aware grid by its class name only.
class TDbGrid : public TDrawGrid {
  TK_CLASS(TDbGrid, TDrawGrid)

 public:
  explicit TDbGrid(TComponent* owner) : TDrawGrid(owner) {}
};
TK_CLASS_INFO(TDbGrid, TDrawGrid)

// A grid that owns a skin object of its own and answers the class-code query with it.
class TStyledGrid : public TDrawGrid {
  TK_CLASS(TStyledGrid, TDrawGrid)

 public:
  explicit TStyledGrid(TComponent* owner) : TDrawGrid(owner) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == SKM_GETSKINOBJECT) {
      message.WParam = SCC_TsCustomStyle;
      message.Result = 1;
      return;
    }
    TDrawGrid::WndProc(message);
  }
};
TK_CLASS_INFO(TStyledGrid, TDrawGrid)

// A grid that counts the new skins its own procedure hears of.
class TRecordingGrid : public TDrawGrid {
  TK_CLASS(TRecordingGrid, TDrawGrid)

 public:
  explicit TRecordingGrid(TComponent* owner) : TDrawGrid(owner) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == SKM_SETNEWSKIN) ++new_skins;
    TDrawGrid::WndProc(message);
  }
  int new_skins = 0;
};
TK_CLASS_INFO(TRecordingGrid, TDrawGrid)

namespace {

constexpr TColor kGridColor = 0x00C08040;
constexpr TColor kGridFont = 0x00102030;
constexpr TColor kEditColor = 0x004080C0;

TsGeneralData SectionOf(const std::string& name, TColor color) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = color;
  s.HotPaintingColor = color;
  s.FontColor.Color = kGridFont;
  return s;
}

std::string FormText(const std::string& grid_class, const std::string& items) {
  return "object Form: TForm\n"
         "  object Grid1: " +
         grid_class +
         "\n"
         "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 120\n"
         "    ColCount = 8\n    RowCount = 12\n    DefaultColWidth = 40\n    DefaultRowHeight = 18\n"
         "  end\n"
         "  object Adapter: TsGridAdapter\n"
         "    Controls = <" +
         items +
         ">\n"
         "  end\n"
         "end\n";
}

class Adapters : public testing::Test {
 protected:
  void SetUp() override {
    RegisterGridClasses();
    RegisterAdapterClasses();
    RegisterClasses({TDbGrid::StaticClass(), TStyledGrid::StaticClass(), TRecordingGrid::StaticClass()});
    manager = New<TsSkinManager>(nullptr);
  }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
  }
  void LoadSkin() {
    SkinGeneralData.push_back(SectionOf("GRID", kGridColor));
    SkinGeneralData.push_back(SectionOf("TSEDIT", kEditColor));
    SkinData().SkinLoaded = true;
  }
  void ReadForm(const std::string& items, const std::string& grid_class = "TDrawGrid") {
    Free(form);  // a test that reads a second form
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(40, 40, 300, 200);
    ReadComponentFromText(form, FormText(grid_class, items), "test");
    grid = static_cast<TCustomGrid*>(form->FindComponent("Grid1"));
    adapter = static_cast<TsGridAdapter*>(form->FindComponent("Adapter"));
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(grid->GetHandle(), nullptr, FALSE); }));
  }
  COLORREF WindowPixel(int x, int y) {
    HDC dc = GetWindowDC(grid->GetHandle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(grid->GetHandle(), dc);
    return c;
  }
  TsGridItem* Item() { return adapter->Item(0); }
  bool GridHooked() { return Item() && Item()->Attached(); }
  void Broadcast(UINT msg) {
    TMessage message{msg, 0, 0, 0};
    BroadcastToForm(form, message);
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TCustomGrid* grid = nullptr;
  TsGridAdapter* adapter = nullptr;
};

const char kOneItem[] = "\n      item\n        CtrlName = 'GRID1'\n      end";

}  // namespace

// ---- Items and look-ups ---------------------------------------------------------------------

TEST_F(Adapters, TheBaseAdapterHoldsNothing) {
  form = New<TForm>(nullptr, kCreateNew);
  struct TPlain : TsCtrlAdapter {
    using TsCtrlAdapter::TsCtrlAdapter;
  };
  auto* plain = New<TPlain>(form);
  auto* shape = New<TDrawGrid>(form);
  EXPECT_EQ(plain->GetForm(), form);
  EXPECT_EQ(plain->AddItem(shape), 0);
  EXPECT_EQ(plain->Count(), 0);
  EXPECT_EQ(plain->GetItem(0), nullptr);
  EXPECT_EQ(plain->GetItemCommonData(0), nullptr);
  EXPECT_EQ(plain->IndexOf(""), -1);
  EXPECT_EQ(plain->GetHandledClass(), nullptr);
}

TEST_F(Adapters, AnEmptyControlsListAttachesNothingAtLoadTime) {
  LoadSkin();
  ReadForm("");
  const TWndMethod own = grid->WindowProc;
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->GetForm(), form);
  EXPECT_EQ(adapter->Count(), 0);
  EXPECT_EQ(adapter->IndexOf("Grid1"), -1);
  EXPECT_EQ(adapter->IndexOf(""), -1);
  EXPECT_EQ(adapter->GetItem(0), nullptr);
  EXPECT_EQ(adapter->GetItem(-1), nullptr);
  EXPECT_EQ(adapter->GetHandledClass(), TCustomGrid::StaticClass());
  EXPECT_EQ(adapter->GetDefaultSection(), "GRID");
  Show();
  EXPECT_TRUE(grid->WindowProc == own);
  EXPECT_EQ(grid->GetColor(), clWindow);
  // The manager's broadcast reaches the adapter and changes nothing.
  Broadcast(SKM_REFRESH);
  EXPECT_TRUE(grid->WindowProc == own);
}

TEST_F(Adapters, ANamedGridIsFoundWithoutCaseAndTakesTheDefaultSection) {
  LoadSkin();
  ReadForm(kOneItem);
  ASSERT_EQ(adapter->Count(), 1);
  EXPECT_TRUE(GridHooked());
  EXPECT_EQ(Item()->GetGrid(), grid);
  EXPECT_EQ(Item()->GetCtrlName(), "Grid1");  // the grid's own spelling once attached
  EXPECT_EQ(adapter->GetItemCommonData(0)->GetSkinSection(), "GRID");
  EXPECT_EQ(adapter->GetItemCommonData(0)->COC, COC_TsGridItem);
  EXPECT_TRUE(IsValidSkinIndex(adapter->GetItemCommonData(0)->SkinIndex));
  EXPECT_EQ(adapter->IndexOf("grid1"), 0);
  EXPECT_EQ(adapter->IndexOf("GRID1"), 0);
  EXPECT_EQ(adapter->IndexOf("Grid2"), -1);
}

TEST_F(Adapters, AnItemKeepsTheSectionItNames) {
  LoadSkin();
  ReadForm("\n      item\n        CtrlName = 'Grid1'\n        CommonData.SkinSection = 'TsEdit'\n      end");
  EXPECT_EQ(adapter->GetItemCommonData(0)->GetSkinSection(), "TsEdit");
  Show();
  EXPECT_EQ(grid->GetColor(), kEditColor);
}

TEST_F(Adapters, ADataGridIsLeftAloneWhateverTheLetterCase) {
  LoadSkin();
  ReadForm(kOneItem, "TDbGrid");
  const TWndMethod own = grid->WindowProc;
  EXPECT_EQ(adapter->Count(), 1);
  EXPECT_EQ(Item()->GetGrid(), nullptr);
  EXPECT_TRUE(grid->WindowProc == own);
  EXPECT_EQ(adapter->AddItem(grid), 1);
  EXPECT_EQ(adapter->Item(1)->GetGrid(), nullptr);
  Show();
  EXPECT_EQ(grid->GetColor(), clWindow);
}

TEST_F(Adapters, AddItemAttachesAndDetachItemGivesTheProcedureBack) {
  LoadSkin();
  ReadForm("");
  Show();
  const TWndMethod own = grid->WindowProc;
  EXPECT_EQ(adapter->AddItem(grid), 0);
  EXPECT_TRUE(GridHooked());
  EXPECT_EQ(adapter->IndexOf("GRID1"), 0);
  ASSERT_TRUE(PumpUntil([&] { return grid->GetColor() == kGridColor; }));
  adapter->DetachItem(0);
  EXPECT_EQ(adapter->Count(), 0);
  EXPECT_TRUE(grid->WindowProc == own);
  EXPECT_EQ(grid->GetColor(), kGridColor);  // the colours stay as the skin set them
  adapter->DetachItem(0);                   // nothing left: no effect
  adapter->DetachItem(-1);
}

TEST_F(Adapters, AFreedGridLosesItsItemAndAFreedAdapterLeavesTheGridWorking) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  Free(grid);
  EXPECT_EQ(adapter->Count(), 0);
  Broadcast(SKM_REFRESH);

  ReadForm(kOneItem);
  Show();
  const TWndMethod hooked = grid->WindowProc;
  Free(adapter);
  EXPECT_FALSE(grid->WindowProc == hooked);
  grid->SetTopRow(3);
  grid->Repaint();
  EXPECT_EQ(grid->GetTopRow(), 3);
}

// ---- Messages -------------------------------------------------------------------------------

TEST_F(Adapters, TheClassCodeQueryStillReachesTheGrid) {
  LoadSkin();
  ReadForm(kOneItem, "TStyledGrid");
  ASSERT_TRUE(GridHooked());
  EXPECT_EQ(GetSkinObjectKind(grid), SCC_TsCustomStyle);
  Show();
  EXPECT_EQ(SendMessageA(grid->GetHandle(), SKM_GETSKINOBJECT, 0, 0), 1);
}

// The item's skin data works for the grid: it sizes its cache to it, invalidates it and
// asks the grid's parent and focus.
TEST_F(Adapters, AnItemsSkinDataBelongsToItsGrid) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  TsCommonData* data = Item()->GetCommonData();
  EXPECT_EQ(data->GetOwnerControl(), grid);
  data->UpdateCacheBmp();
  EXPECT_EQ(data->GetCacheBmp()->GetWidth(), grid->GetWidth());
  EXPECT_EQ(data->GetCacheBmp()->GetHeight(), grid->GetHeight());
  grid->SetFocus();
  EXPECT_TRUE(data->ControlIsActive());
  ValidateRect(grid->GetHandle(), nullptr);
  data->Invalidate();
  EXPECT_TRUE(GetUpdateRect(grid->GetHandle(), nullptr, FALSE));
  // A grid being freed is let go by its skin data as well.
  TsGridItem* item = adapter->GetControls()->Add();
  item->Attach(grid);
  Free(grid);
  grid = nullptr;
  EXPECT_EQ(adapter->Count(), 1);
  EXPECT_EQ(adapter->Item(0)->GetCommonData()->GetOwnerControl(), nullptr);
}

// Every item answers the broadcast message itself; without the skin the grid's own procedure
// hears of a new one too.
TEST_F(Adapters, TheBroadcastKeepsTheItemsAnswerAndANewSkinReachesAnUnskinnedGrid) {
  ReadForm(kOneItem, "TRecordingGrid");
  Show();
  auto* recording = static_cast<TRecordingGrid*>(grid);
  ASSERT_TRUE(GridHooked());
  SendMessageA(grid->GetHandle(), SKM_SETNEWSKIN, 0, 0);  // no skin loaded
  EXPECT_EQ(recording->new_skins, 1);
  LoadSkin();
  Broadcast(SKM_SETNEWSKIN);
  EXPECT_TRUE(IsValidSkinIndex(Item()->GetCommonData()->SkinIndex));
  TMessage message{SKM_GETCACHEINFO, 0, 0, 0};
  adapter->PaintAllItems(message);
  EXPECT_EQ(message.Result, 1);
}

TEST_F(Adapters, TheItemAnswersForItsCacheAndEatsTheBackgroundErase) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  GlobalCacheInfo = TsCacheInfo{};
  SendMessageA(grid->GetHandle(), SKM_GETCACHEINFO, 0, 0);
  EXPECT_TRUE(GlobalCacheInfo.Ready);
  EXPECT_EQ(GlobalCacheInfo.Bmp, Item()->GetCommonData()->GetCacheBmp());
  EXPECT_EQ(GlobalCacheInfo.X, 0);
  EXPECT_EQ(SendMessageA(grid->GetHandle(), WM_ERASEBKGND, 0, 0), 1);
  // Without a skin the grid answers for itself: no cache.
  Broadcast(SKM_REMOVESKIN);
  GlobalCacheInfo = TsCacheInfo{};
  SendMessageA(grid->GetHandle(), SKM_GETCACHEINFO, 0, 0);
  EXPECT_FALSE(GlobalCacheInfo.Ready);
}

// The grid takes its parent's colour when the skin goes; the font keeps the skin's colour.
TEST_F(Adapters, RemovingTheSkinGivesTheGridItsParentsColourAndANewSkinHooksAgain) {
  LoadSkin();
  ReadForm(kOneItem);
  grid->SetColor(0x00E0E0E0);
  Show();
  ASSERT_TRUE(PumpUntil([&] { return grid->GetColor() == kGridColor; }));
  EXPECT_EQ(grid->GetFont()->GetColor(), kGridFont);

  SkinData().SkinLoaded = false;  // the manager's order
  Broadcast(SKM_REMOVESKIN);
  SkinData().SkinLoaded = true;
  EXPECT_EQ(Item()->GetCommonData()->SkinIndex, -1);
  EXPECT_EQ(grid->GetColor(), form->GetColor());
  EXPECT_EQ(grid->GetFont()->GetColor(), kGridFont);

  // Someone put a procedure in front of the item's meanwhile: the new skin hooks in front again.
  struct TOther : TObject {
    TWndMethod next;
    int seen = 0;
    void Proc(TMessage& m) {
      ++seen;
      next(m);
    }
  } other;
  other.next = grid->WindowProc;
  grid->WindowProc = TWndMethod(&other, &TOther::Proc);
  EXPECT_FALSE(GridHooked());
  Broadcast(SKM_SETNEWSKIN);
  EXPECT_TRUE(GridHooked());
  EXPECT_TRUE(IsValidSkinIndex(Item()->GetCommonData()->SkinIndex));
  Broadcast(SKM_REFRESH);
  ASSERT_TRUE(PumpUntil([&] { return grid->GetColor() == kGridColor; }));
  EXPECT_GT(other.seen, 0);  // the chain goes on behind the item
  Free(form);                // the item goes first and must not cut the other procedure out
  form = nullptr;
}

// ---- Painting -------------------------------------------------------------------------------

TEST_F(Adapters, TheFrameAndTheCellsArePaintedFromTheSection) {
  ReadForm(kOneItem);
  Show();
  const int frame = Item()->FrameWidth();
  ASSERT_EQ(frame, 2);  // the sunken edge
  EXPECT_NE(WindowPixel(0, 60), static_cast<COLORREF>(kGridColor));

  LoadSkin();
  Broadcast(SKM_SETNEWSKIN);
  Broadcast(SKM_REFRESH);
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(grid->GetHandle(), nullptr, FALSE); }));
  for (POINT p : {POINT{0, 60}, POINT{1, 60}, POINT{100, 0}, POINT{100, grid->GetHeight() - 1}})
    EXPECT_EQ(WindowPixel(p.x, p.y), static_cast<COLORREF>(kGridColor)) << p.x << "," << p.y;
  // Inside the frame the grid draws its cells: fixed ones in the button face, the others in
  // the section's colour.
  const RECT fixed = grid->CellRect(0, 0);
  const RECT cell = grid->CellRect(1, 1);
  EXPECT_EQ(WindowPixel(frame + fixed.left + 5, frame + fixed.top + 5), ColorToRGB(clBtnFace));
  EXPECT_EQ(WindowPixel(frame + cell.left + 5, frame + cell.top + 5), static_cast<COLORREF>(kGridColor));
  TBitmap* cache = Item()->GetCommonData()->GetCacheBmp();
  EXPECT_EQ(cache->GetWidth(), grid->GetWidth());
  EXPECT_EQ(cache->GetPixelColor(0, 0), kGridColor);
}

TEST_F(Adapters, AGridWithoutBorderKeepsItsOwnFrame) {
  LoadSkin();
  ReadForm(kOneItem);
  grid->SetBorderStyle(bsNone);
  Show();
  EXPECT_EQ(Item()->FrameWidth(), 0);
  // The cell area starts at the window's edge, in the grid's own fixed colour.
  EXPECT_EQ(WindowPixel(3, 3), ColorToRGB(clBtnFace));
}

// ---- Scroll bars ----------------------------------------------------------------------------

TEST_F(Adapters, TheBarPlacesFollowTheGridsRowsAndColumns) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  const TsGridItem::TBarPlace v = Item()->VertBarPlace();
  ASSERT_TRUE(v.Needed);
  EXPECT_EQ(v.Min, 1);
  EXPECT_EQ(v.Max, 12 - grid->VisibleRowCount());  // the last top row
  EXPECT_EQ(v.PageSize, grid->VisibleRowCount());
  EXPECT_EQ(v.Position, 1);
  const int frame = Item()->FrameWidth();
  EXPECT_EQ(v.Bounds.right, grid->GetLeft() + grid->GetWidth() - frame);
  EXPECT_EQ(v.Bounds.right - v.Bounds.left, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(v.Bounds.top, grid->GetTop() + frame);

  const TsGridItem::TBarPlace h = Item()->HorzBarPlace();
  ASSERT_TRUE(h.Needed);
  EXPECT_EQ(h.Min, 1);
  EXPECT_EQ(h.Max, 8 - h.PageSize);
  EXPECT_EQ(h.PageSize, grid->VisibleColCount());
  EXPECT_EQ(v.Bounds.bottom, h.Bounds.top);  // the vertical bar stops above the horizontal one
  EXPECT_EQ(h.Bounds.bottom, grid->GetTop() + grid->GetHeight() - frame);

  // The grid's own scrolling moves the position the bars show.
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid->GetTopRow(), 2);
  EXPECT_EQ(Item()->VertBarPlace().Position, 2);
  EXPECT_FALSE(Item()->GetBusy());
  SendMessageA(grid->GetHandle(), WM_HSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Item()->HorzBarPlace().Position, grid->GetLeftCol());
  EXPECT_EQ(grid->GetLeftCol() + grid->VisibleColCount(), 8);

  // Rows that all fit need no bar; nor does a grid without bars.
  grid->SetRowCount(3);
  EXPECT_FALSE(Item()->VertBarPlace().Needed);
  grid->SetScrollBars(ssVertical);
  EXPECT_FALSE(Item()->HorzBarPlace().Needed);
}

// ---- The grid itself ------------------------------------------------------------------------

TEST_F(Adapters, TheGridScrollsBetweenItsFixedAndItsLastRows) {
  ReadForm("");
  Show();
  std::vector<int> drawn_rows;
  struct TRecorder : TObject {
    std::vector<int>* rows;
    void Draw(TObject*, int col, int row, RECT, TGridDrawState) {
      if (col == 0) rows->push_back(row);
    }
  } recorder;
  recorder.rows = &drawn_rows;
  grid->OnDrawCell = TDrawCellEvent(&recorder, &TRecorder::Draw);
  const int visible = grid->VisibleRowCount();
  ASSERT_GE(visible, 2);
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid->GetTopRow(), 12 - visible);
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(grid->GetTopRow(), 12 - visible);  // the last row already shows
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(grid->GetTopRow(), std::max(1, 12 - 2 * visible));
  grid->SetTopRow(-5);
  EXPECT_EQ(grid->GetTopRow(), 1);  // never into the fixed row
  grid->SetTopRow(4);
  SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(grid->GetHandle(), SB_VERT, &info);
  EXPECT_EQ(info.nMin, 1);
  EXPECT_EQ(info.nMax, 11);
  EXPECT_EQ(info.nPos, 4);
  EXPECT_EQ(static_cast<int>(info.nPage), visible);

  // A repaint draws the fixed row, then the rows from the top row on.
  drawn_rows.clear();
  grid->Repaint();
  ASSERT_GE(drawn_rows.size(), 2u);
  EXPECT_EQ(drawn_rows[0], 0);
  EXPECT_EQ(drawn_rows[1], 4);
  const RECT gone = grid->CellRect(1, 2);  // scrolled out
  EXPECT_TRUE(IsRectEmpty(&gone));
  const RECT below_fixed = grid->CellRect(1, 4);
  EXPECT_EQ(below_fixed.top, grid->GetDefaultRowHeight() + 1);
  EXPECT_EQ(below_fixed.left, grid->GetDefaultColWidth() + 1);
}

TEST_F(Adapters, FewerRowsPullTheTopRowBackAndTheBarGoes) {
  ReadForm("");
  Show();
  grid->SetTopRow(8);
  grid->SetRowCount(4);
  EXPECT_EQ(grid->GetTopRow(), 1);
  EXPECT_FALSE(GetWindowLongA(grid->GetHandle(), GWL_STYLE) & WS_VSCROLL);
  grid->SetFixedRows(10);  // kept below the row count
  EXPECT_EQ(grid->GetFixedRows(), 3);
  grid->SetScrollBars(ssNone);
  EXPECT_FALSE(GetWindowLongA(grid->GetHandle(), GWL_STYLE) & WS_HSCROLL);
}

// ---- Overlay bars ---------------------------------------------------------------------------

TEST_F(Adapters, SkinnedBarsCoverTheGridsOwnAndScrollIt) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  TsScrollBar* vert = Item()->GetVertBar();
  TsScrollBar* horz = Item()->GetHorzBar();
  ASSERT_NE(vert, nullptr);
  ASSERT_NE(horz, nullptr);
  EXPECT_EQ(vert->GetParent(), form);
  EXPECT_TRUE(vert->GetVisible());
  EXPECT_EQ(vert->GetKind(), sbVertical);
  EXPECT_EQ(horz->GetKind(), sbHorizontal);
  const TsGridItem::TBarPlace v = Item()->VertBarPlace();
  EXPECT_EQ(vert->GetLeft(), v.Bounds.left);
  EXPECT_EQ(vert->GetTop(), v.Bounds.top);
  EXPECT_EQ(vert->GetHeight(), v.Bounds.bottom - v.Bounds.top);
  EXPECT_EQ(vert->GetMin(), 1);
  EXPECT_EQ(vert->GetMax(), v.Max);
  EXPECT_EQ(vert->GetPageSize(), grid->VisibleRowCount());
  EXPECT_EQ(vert->GetPosition(), 1);

  // The bar moved: the grid follows, and the grid's own scrolling moves the bar.
  vert->SetPosition(4);
  EXPECT_EQ(grid->GetTopRow(), 4);
  EXPECT_FALSE(Item()->GetBusy());
  horz->SetPosition(2);
  EXPECT_EQ(grid->GetLeftCol(), 2);
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(vert->GetPosition(), 1);
  SendMessageA(grid->GetHandle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(vert->GetPosition(), vert->GetMax());
  EXPECT_EQ(grid->GetTopRow(), vert->GetMax());

  // A grid that shows all its rows needs no vertical bar; the horizontal one grows beside it.
  grid->SetRowCount(3);
  ASSERT_TRUE(PumpUntil([&] { return !vert->GetVisible(); }));
  EXPECT_EQ(horz->GetWidth(), grid->GetWidth() - 2 * Item()->FrameWidth());

  // A moved grid takes its bars along, and so does a hidden one.
  grid->SetBounds(20, 30, 220, 130);
  EXPECT_EQ(horz->GetTop(), 30 + 130 - Item()->FrameWidth() - GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(horz->GetLeft(), 20 + Item()->FrameWidth());
  grid->SetVisible(false);
  EXPECT_FALSE(horz->GetVisible());
  grid->SetVisible(true);
  EXPECT_TRUE(horz->GetVisible());

  // The skin goes: so do the bars, and the grid's own are the system's again.
  SkinData().SkinLoaded = false;
  Broadcast(SKM_REMOVESKIN);
  EXPECT_EQ(Item()->GetVertBar(), nullptr);
  EXPECT_EQ(Item()->GetHorzBar(), nullptr);
}

TEST_F(Adapters, BarsFreedWithTheFormOrTheAdapterLeaveNothingBehind) {
  LoadSkin();
  ReadForm(kOneItem);
  Show();
  ASSERT_NE(Item()->GetVertBar(), nullptr);
  const int children = form->GetControlCount();
  Free(adapter);
  EXPECT_EQ(form->GetControlCount(), children - 2);
  // Freed by their parent: the item forgets them.
  ReadForm(kOneItem);
  Show();
  TsScrollBar* vert = Item()->GetVertBar();
  ASSERT_NE(vert, nullptr);
  Free(vert);
  EXPECT_EQ(Item()->GetVertBar(), nullptr);
  grid->Invalidate();
  ASSERT_TRUE(PumpUntil([&] { return Item()->GetVertBar() != nullptr; }));  // made again on the next paint
}

// ---- The internal skin ----------------------------------------------------------------------

TEST_F(Adapters, OnTheInternalSkinTheGridTakesTheGridSectionAndSkinnedBars) {
  RegisterSkinEngineClasses();
  RegisterSkinControlsClasses();
  ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  ReadForm(kOneItem);
  form->SetText("Grid adapter");
  auto* provider = New<TsSkinProvider>(form);
  provider->GetCommonData()->SetSkinSection("FORM");
  Show();
  const TsGeneralData& section = SkinGeneralData[GetSkinIndex("GRID")];
  EXPECT_EQ(grid->GetColor(), section.PaintingColor);
  const RECT cell = grid->CellRect(2, 2);
  const int frame = Item()->FrameWidth();
  EXPECT_EQ(WindowPixel(frame + cell.left + 5, frame + cell.top + 5), ColorToRGB(section.PaintingColor));
  // The frame is the section's border mask, copied from the item's cache.
  TBitmap* cache = Item()->GetCommonData()->GetCacheBmp();
  EXPECT_EQ(WindowPixel(0, 50), static_cast<COLORREF>(cache->GetPixelColor(0, 50)));
  EXPECT_EQ(WindowPixel(1, 50), static_cast<COLORREF>(cache->GetPixelColor(1, 50)));
  ASSERT_NE(Item()->GetVertBar(), nullptr);
  EXPECT_TRUE(Item()->GetVertBar()->Skinned());
  SaveWindowPicture(form->GetHandle(), "DRAVOLIN_ADAPTER_PICTURE");
}
