// The skinned list view: the toolkit's list view with a 3-pixel frame painted from the skin in
// the non-client area, the report view's column header painted section by section (normal,
// hot, pressed from "COLHEADER") through a subclass of the header window, and skinned scroll
// bars laid over the list's own and kept in step with it. Without a skin (or without the
// control's section) everything falls through to the toolkit's list view.
#pragma once

#include <windows.h>

#include "toolkit/listview.h"
#include "toolkit/winsubclass.h"

#include "toolkit/stdctrls.h"

class TsCommonData;
class TsScrollBar;
class TBitmap;

class TsListView : public TListView {
  TK_CLASS(TsListView, TListView)

 public:
  explicit TsListView(TComponent* owner);
  ~TsListView() override;
  void AfterConstruction() override;
  void WndProc(TMessage& message) override;
  void Invalidate() override;

  // Shows, places and sets the overlaid bars from the list's scroll information, or frees
  // the ones no longer needed.
  void UpdateScrollBars();

  TsCommonData* GetCommonData() const { return common_data_; }
  bool Skinned() const;

  // ---- For the tests
  HWND GetHookedHeader() const { return header_hook_.GetWindow(); }
  TsScrollBar* GetVerticalBar() const { return v_bar_; }
  TsScrollBar* GetHorizontalBar() const { return h_bar_; }
  int GetPressedSection() const { return pressed_; }
  int GetHotSection() const { return hot_; }
  // The section under a screen point: -2 when none.
  int SectionAt(POINT screen) const;
  // Paints the whole header into dc (its client coordinates).
  void PaintHeader(HDC dc);
  // The font's size until the header's first section was painted, then the sections' height.
  int GetHeaderHeight() const { return header_height_; }

 protected:
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static void Publish(TPublisher<TsListView>& p);
  bool Dying() const;
  bool ReportSkinned() const;
  void AfterMessage(const TMessage& message);
  void FrameChanged();

  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  void CustomDraw(TMessage& message);
  void PaintFrameCache();
  bool OwnBarUncovered() const;
  void ParentNotify(const TMessage& message);
  void FocusChanged(const TMessage& message);
  void MouseLeave(TMessage& message);
  void ClearHot();

  void HookHeader(HWND header);
  void HeaderProc(TMessage& message);
  void HeaderButtonDown(TMessage& message);
  void HeaderButtonUp(TMessage& message);
  void HeaderCaptureLost(TMessage& message);
  void HeaderHot(TMessage& message, int section);
  void HeaderPaint(TMessage& message);
  // On the header's own device context, whatever its update region (after the frame).
  void PaintHeaderNow();
  void RedrawHeader();
  void PaintSection(HDC dc, HWND header, int index, const RECT& r, TBitmap* bmp);
  int SectionAtClient(HWND header, POINT client) const;

  TsScrollBar* MakeBar(TScrollBarKind kind);
  void DropBar(TsScrollBar*& bar);
  void SetBar(TsScrollBar* bar, const SCROLLINFO& si, bool needed);
  void PlaceBars();
  int RowHeight();
  void VBarChange(TObject* sender);
  void HBarChange(TObject* sender);
  void ScrollByBar(TsScrollBar* bar, int dx, int dy);
  void ScrollWithOwnBarsHeld(TMessage& message);
  LONG_PTR HoldOwnBars();
  void ReleaseOwnBars(LONG_PTR held);
  void SetOwnStyle(LONG_PTR style);

  TsCommonData* common_data_;
  TWindowSubclass header_hook_;
  int pressed_ = -1;
  int hot_ = -2;
  bool updating_bars_ = false;
  bool setting_own_style_ = false;  // the style is set behind the list view's back
  bool tracking_header_ = false;
  int header_height_ = 0;
  TsScrollBar* v_bar_ = nullptr;
  TsScrollBar* h_bar_ = nullptr;
  TsScrollBar* bar_changing_ = nullptr;  // the bar whose change scrolls the list now
  int v_pos_ = 0;                        // the bars' positions the list was last scrolled to
  int h_pos_ = 0;
};

// Registers the skinned list view for form definitions.
void RegisterSkinListViewClasses();
