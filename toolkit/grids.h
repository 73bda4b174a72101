// A small grid: rows and columns of equal size, fixed rows and columns at the top and left
// that stay while the rest scrolls, the window's own scroll bars, and cells drawn by
// DrawCell (the fixed ones in the button face, the others in Color, then OnDrawCell). No
// editing, no selection, no sizing of single rows or columns.
#pragma once

#include <windows.h>

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/forms.h"
#include "toolkit/sets.h"
#include "toolkit/typinfo.h"

class TCanvas;

using TBorderStyle = TFormBorderStyle;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
const TEnumInfo& ScrollStyleInfo();

enum TGridDrawStateItem { gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

using TDrawCellEvent = TEvent<TObject* /*sender*/, int /*col*/, int /*row*/, RECT /*rect*/, TGridDrawState>;

class TCustomGrid : public TCustomControl {
  TK_CLASS(TCustomGrid, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomGrid(TComponent* owner);

  int GetColCount() const { return col_count_; }
  void SetColCount(int count);
  int GetRowCount() const { return row_count_; }
  void SetRowCount(int count);
  int GetFixedCols() const { return fixed_cols_; }
  void SetFixedCols(int count);
  int GetFixedRows() const { return fixed_rows_; }
  void SetFixedRows(int count);
  int GetDefaultColWidth() const { return col_width_; }
  void SetDefaultColWidth(int width);
  int GetDefaultRowHeight() const { return row_height_; }
  void SetDefaultRowHeight(int height);
  TScrollStyle GetScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle style);
  TBorderStyle GetBorderStyle() const { return border_style_; }
  // bsNone or bsSingle (a sunken edge); the other form border styles count as bsSingle.
  void SetBorderStyle(TBorderStyle style);

  // The first scrollable row / column shown; kept between the fixed ones and the last that
  // still fills the client area.
  int GetTopRow() const { return top_row_; }
  void SetTopRow(int row);
  int GetLeftCol() const { return left_col_; }
  void SetLeftCol(int col);
  // Scrollable rows / columns that fit whole into the client area (at least 1).
  int VisibleRowCount();
  int VisibleColCount();
  // The cell's rectangle in client coordinates; empty when it is scrolled out of view.
  RECT CellRect(int col, int row);

  TDrawCellEvent OnDrawCell;
  TNotifyEvent OnTopLeftChanged;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  // Fills the cell and calls OnDrawCell.
  virtual void DrawCell(int col, int row, const RECT& rect, TGridDrawState state);

 private:
  void WMSize(TMessage& message);
  void WMVScroll(TMessage& message);
  void WMHScroll(TMessage& message);
  void WMMouseWheel(TMessage& message);
  void WMEraseBkgnd(TMessage& message);

  int MaxTopRow();
  int MaxLeftCol();
  int ScrollTo(int bar, int code, int current, int first, int last, int page);
  void MoveTopLeft(int col, int row);
  void UpdateScrollBars();
  void SizeChanged();

  int col_count_ = 5;
  int row_count_ = 5;
  int fixed_cols_ = 1;
  int fixed_rows_ = 1;
  int col_width_ = 64;
  int row_height_ = 24;
  int top_row_ = 1;
  int left_col_ = 1;
  TScrollStyle scroll_bars_ = ssBoth;
  TBorderStyle border_style_ = bsSingle;
};

// The grid the forms place: every cell through OnDrawCell.
class TDrawGrid : public TCustomGrid {
  TK_CLASS(TDrawGrid, TCustomGrid)

 public:
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

 private:
  static void Publish(TPublisher<TDrawGrid>& p);
};

void RegisterGridClasses();
