// The skinned list view: the toolkit's list view with a 3-pixel frame painted from the skin in
// the non-client area, the report view's column header painted section by section (normal,
// hot, pressed from "COLHEADER") through a subclass of the header window, and skinned scroll
// bars laid over the list's own and kept in step with it. Without a skin (or without the
// control's section) everything falls through to the toolkit's list view.
#pragma once

#include <windows.h>

#include "toolkit/listview.h"
#include "toolkit/winsubclass.h"

class TsCommonData;
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
  void SetCommonData(TsCommonData* data);
  bool Skinned() const;

  // ---- For the tests
  HWND GetHookedHeader() const { return header_hook_.GetWindow(); }
  int GetPressedSection() const { return pressed_; }
  int GetHotSection() const { return hot_; }
  // The section under a screen point: -2 when none.
  int SectionAt(POINT screen) const;
  // Paints the whole header into dc (its client coordinates).
  void PaintHeader(HDC dc);

 protected:
  void CreateWnd() override;
  void Loaded() override;

 private:
  static void Publish(TPublisher<TsListView>& p);
  bool Dying() const;
  bool ReportSkinned() const;
  void AfterMessage(const TMessage& message);
  void FrameChanged();

  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  void PaintFrameCache();
  void ParentNotify(const TMessage& message);
  void FocusChanged(const TMessage& message);
  void MouseLeave(TMessage& message);
  void ClearHot();

  void HookHeader(HWND header);
  void HeaderProc(TMessage& message);
  void HeaderButtonDown(TMessage& message);
  void HeaderButtonUp(TMessage& message);
  void HeaderHot(TMessage& message, int section);
  void HeaderPaint(TMessage& message);
  void RedrawHeader();
  void PaintSection(HDC dc, HWND header, int index, const RECT& r, TBitmap* bmp);
  int SectionAtClient(HWND header, POINT client) const;

  TsCommonData* common_data_;
  TWindowSubclass header_hook_;
  int pressed_ = -1;
  int hot_ = -2;
  bool updating_bars_ = false;
  bool tracking_header_ = false;
  int header_height_ = 0;
};

// Registers the skinned list view for form definitions.
void RegisterSkinListViewClasses();
