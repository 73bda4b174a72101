#include "toolkit/grids.h"

#include <algorithm>

#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/colors.h"

namespace {

constexpr int kLine = 1;  // grid line width
constexpr TColor kLineColor = clBtnShadow;

const TEnumInfo& GridBorderStyleInfo() {
  static const TEnumInfo info{"bsNone", "bsSingle"};
  return info;
}

}  // namespace

const TEnumInfo& ScrollStyleInfo() {
  static const TEnumInfo info{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
  return info;
}

TK_ABSTRACT_CLASS_INFO(TCustomGrid, TCustomControl)
TK_CLASS_INFO(TDrawGrid, TCustomGrid)

void TDrawGrid::Publish(TPublisher<TDrawGrid>& p) {
  p.Integer("ColCount", &TDrawGrid::GetColCount, &TDrawGrid::SetColCount).Default(5);
  p.Integer("RowCount", &TDrawGrid::GetRowCount, &TDrawGrid::SetRowCount).Default(5);
  p.Integer("FixedCols", &TDrawGrid::GetFixedCols, &TDrawGrid::SetFixedCols).Default(1);
  p.Integer("FixedRows", &TDrawGrid::GetFixedRows, &TDrawGrid::SetFixedRows).Default(1);
  p.Integer("DefaultColWidth", &TDrawGrid::GetDefaultColWidth, &TDrawGrid::SetDefaultColWidth).Default(64);
  p.Integer("DefaultRowHeight", &TDrawGrid::GetDefaultRowHeight, &TDrawGrid::SetDefaultRowHeight).Default(24);
  p.Enumeration("ScrollBars", ScrollStyleInfo(), &TDrawGrid::GetScrollBars, &TDrawGrid::SetScrollBars)
      .Default(ssBoth);
  p.Enumeration("BorderStyle", GridBorderStyleInfo(), &TDrawGrid::GetBorderStyle, &TDrawGrid::SetBorderStyle)
      .Default(bsSingle);
  p.Event("OnDrawCell", &TDrawGrid::OnDrawCell);
  p.Event("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged);
}

TK_BEGIN_MESSAGE_MAP(TCustomGrid)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_VSCROLL, WMVScroll)
TK_MESSAGE(WM_HSCROLL, WMHScroll)
TK_MESSAGE(WM_MOUSEWHEEL, WMMouseWheel)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_END_MESSAGE_MAP()

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
  control_style_ = {csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks};
  SetBounds(0, 0, 320, 120);
  SetColor(clWindow);
  SetTabStop(true);
}

void TCustomGrid::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (border_style_ == bsSingle) AddSingleBorder(params);
}

void TCustomGrid::CreateWnd() {
  inherited::CreateWnd();
  UpdateScrollBars();
}

// ---- Properties

void TCustomGrid::SetColCount(int count) {
  count = std::max(count, fixed_cols_ + 1);
  if (count == col_count_) return;
  col_count_ = count;
  SizeChanged();
}

void TCustomGrid::SetRowCount(int count) {
  count = std::max(count, fixed_rows_ + 1);
  if (count == row_count_) return;
  row_count_ = count;
  SizeChanged();
}

void TCustomGrid::SetFixedCols(int count) {
  count = std::clamp(count, 0, col_count_ - 1);
  if (count == fixed_cols_) return;
  fixed_cols_ = count;
  SizeChanged();
}

void TCustomGrid::SetFixedRows(int count) {
  count = std::clamp(count, 0, row_count_ - 1);
  if (count == fixed_rows_) return;
  fixed_rows_ = count;
  SizeChanged();
}

void TCustomGrid::SetDefaultColWidth(int width) {
  width = std::max(width, 1);
  if (width == col_width_) return;
  col_width_ = width;
  SizeChanged();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  height = std::max(height, 1);
  if (height == row_height_) return;
  row_height_ = height;
  SizeChanged();
}

void TCustomGrid::SetScrollBars(TScrollStyle style) {
  if (style == scroll_bars_) return;
  scroll_bars_ = style;
  UpdateScrollBars();
}

void TCustomGrid::SetBorderStyle(TBorderStyle style) {
  if (style != bsNone) style = bsSingle;
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomGrid::SetTopRow(int row) { MoveTopLeft(left_col_, row); }

void TCustomGrid::SetLeftCol(int col) { MoveTopLeft(col, top_row_); }

// ---- Geometry

int TCustomGrid::VisibleRowCount() {
  const int room = GetClientRect().bottom - fixed_rows_ * (row_height_ + kLine);
  return std::max(1, room / (row_height_ + kLine));
}

int TCustomGrid::VisibleColCount() {
  const int room = GetClientRect().right - fixed_cols_ * (col_width_ + kLine);
  return std::max(1, room / (col_width_ + kLine));
}

int TCustomGrid::MaxTopRow() { return std::max(fixed_rows_, row_count_ - VisibleRowCount()); }

int TCustomGrid::MaxLeftCol() { return std::max(fixed_cols_, col_count_ - VisibleColCount()); }

RECT TCustomGrid::CellRect(int col, int row) {
  if (col < 0 || row < 0 || col >= col_count_ || row >= row_count_) return {};
  if ((col >= fixed_cols_ && col < left_col_) || (row >= fixed_rows_ && row < top_row_)) return {};
  const int x = col < fixed_cols_ ? col : fixed_cols_ + col - left_col_;
  const int y = row < fixed_rows_ ? row : fixed_rows_ + row - top_row_;
  const RECT client = GetClientRect();
  RECT r{x * (col_width_ + kLine), y * (row_height_ + kLine), 0, 0};
  if (r.left >= client.right || r.top >= client.bottom) return {};
  r.right = r.left + col_width_;
  r.bottom = r.top + row_height_;
  return r;
}

// ---- Scrolling

void TCustomGrid::MoveTopLeft(int col, int row) {
  col = std::clamp(col, fixed_cols_, MaxLeftCol());
  row = std::clamp(row, fixed_rows_, MaxTopRow());
  if (col == left_col_ && row == top_row_) return;
  left_col_ = col;
  top_row_ = row;
  UpdateScrollBars();
  Invalidate();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// A new size of the cells or of the table: the top-left cell stays where it can.
void TCustomGrid::SizeChanged() {
  top_row_ = std::clamp(top_row_, fixed_rows_, MaxTopRow());
  left_col_ = std::clamp(left_col_, fixed_cols_, MaxLeftCol());
  UpdateScrollBars();
  Invalidate();
}

// The range runs over the scrollable rows (columns); a page that holds them all hides the bar.
void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  HWND window = GetHandle();
  const bool vertical = scroll_bars_ == ssVertical || scroll_bars_ == ssBoth;
  const bool horizontal = scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth;
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
  if (vertical) {
    info.nMin = fixed_rows_;
    info.nMax = row_count_ - 1;
    info.nPage = VisibleRowCount();
    info.nPos = top_row_;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
  } else {
    ShowScrollBar(window, SB_VERT, FALSE);
  }
  if (horizontal) {
    info.nMin = fixed_cols_;
    info.nMax = col_count_ - 1;
    info.nPage = VisibleColCount();
    info.nPos = left_col_;
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
  } else {
    ShowScrollBar(window, SB_HORZ, FALSE);
  }
}

int TCustomGrid::ScrollTo(int bar, int code, int current, int first, int last, int page) {
  switch (code) {
    case SB_LINEUP: return current - 1;
    case SB_LINEDOWN: return current + 1;
    case SB_PAGEUP: return current - page;
    case SB_PAGEDOWN: return current + page;
    case SB_TOP: return first;
    case SB_BOTTOM: return last;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(GetHandle(), bar, &info);
      return info.nTrackPos;
    }
  }
  return current;
}

void TCustomGrid::WMVScroll(TMessage& message) {
  if (message.LParam) return TK_INHERITED(message);
  SetTopRow(ScrollTo(SB_VERT, LOWORD(message.WParam), top_row_, fixed_rows_, MaxTopRow(), VisibleRowCount()));
  message.Result = 0;
}

void TCustomGrid::WMHScroll(TMessage& message) {
  if (message.LParam) return TK_INHERITED(message);
  SetLeftCol(
      ScrollTo(SB_HORZ, LOWORD(message.WParam), left_col_, fixed_cols_, MaxLeftCol(), VisibleColCount()));
  message.Result = 0;
}

void TCustomGrid::WMMouseWheel(TMessage& message) {
  SetTopRow(top_row_ - static_cast<short>(HIWORD(message.WParam)) / WHEEL_DELTA);
  message.Result = 0;
}

void TCustomGrid::WMSize(TMessage& message) {
  TK_INHERITED(message);
  SizeChanged();
}

// Paint covers every pixel.
void TCustomGrid::WMEraseBkgnd(TMessage& message) { message.Result = 1; }

// ---- Painting

// Fixed rows (columns) first, then the scrollable ones from the top row (left column) on,
// until the client area is used up.
void TCustomGrid::Paint() {
  TCanvas* canvas = GetCanvas();
  const RECT client = GetClientRect();
  auto next = [](int i, int fixed, int first) { return i + 1 == fixed && first > fixed ? first : i + 1; };
  int right = 0;
  int bottom = 0;
  for (int row = fixed_rows_ > 0 ? 0 : top_row_; row < row_count_; row = next(row, fixed_rows_, top_row_)) {
    for (int col = fixed_cols_ > 0 ? 0 : left_col_; col < col_count_;
         col = next(col, fixed_cols_, left_col_)) {
      const RECT r = CellRect(col, row);
      if (IsRectEmpty(&r)) break;
      TGridDrawState state;
      if (col < fixed_cols_ || row < fixed_rows_) state.Include(gdFixed);
      DrawCell(col, row, r, state);
      canvas->GetBrush()->SetColor(kLineColor);
      canvas->FillRect(RECT{r.right, r.top, r.right + kLine, r.bottom + kLine});
      canvas->FillRect(RECT{r.left, r.bottom, r.right, r.bottom + kLine});
      right = std::max(right, static_cast<int>(r.right) + kLine);
      bottom = std::max(bottom, static_cast<int>(r.bottom) + kLine);
    }
    if (IsRectEmpty(&client) ||
        CellRect(fixed_cols_ > 0 ? 0 : left_col_, row).bottom + kLine >= client.bottom)
      break;
  }
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(RECT{right, 0, client.right, client.bottom});
  canvas->FillRect(RECT{0, bottom, right, client.bottom});
}

void TCustomGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetColor(state.Contains(gdFixed) ? clBtnFace : GetColor());
  canvas->FillRect(rect);
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void RegisterGridClasses() { RegisterClasses({TDrawGrid::StaticClass()}); }
