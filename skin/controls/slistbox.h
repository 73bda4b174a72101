// The skinned list box: the toolkit's list box with a 3-pixel skinned border and the skin's
// colour (its style object), and, while a skin is loaded and the items do not fit, a skinned
// vertical scroll bar laid over the list's own bar and kept in step with it.
#pragma once

#include <windows.h>

#include "skin/engine/sstyles.h"
#include "toolkit/stdctrls.h"

class TsScrollBar;

class TsCustomListBox : public TCustomListBox, public TsStyleQueries {
  TK_CLASS(TsCustomListBox, TCustomListBox)

 public:
  explicit TsCustomListBox(TComponent* owner);
  ~TsCustomListBox() override;
  void AfterConstruction() override;
  void WndProc(TMessage& message) override;
  void Invalidate() override;

  TsStyle* GetSkinStyle() const { return style_; }
  // The overlaid bar; null while none is needed.
  TsScrollBar* GetSkinScrollBar() const { return scroll_bar_; }
  // Lays the skinned bar over the list's own bar from the list's scroll information, creates
  // it when needed and frees it when not.
  void UpdateScrollBar();

  // ---- Style queries
  // The list's window shows its vertical scroll bar (the style fills the strip under it).
  bool ShowsScrollBar() override;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void StyleKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void AfterMessage(UINT msg);
  void ScrollBarChange(TObject* sender);
  bool ReadyForSkin();
  bool CursorOverList();
  void FreeScrollBar();
  bool Busy() const;
  void TakeStyleColor();
  void PaintBorder();

  TsStyle* style_ = nullptr;
  TsScrollBar* scroll_bar_ = nullptr;
};

class TsListBox : public TsCustomListBox {
  TK_CLASS(TsListBox, TsCustomListBox)

 public:
  explicit TsListBox(TComponent* owner) : TsCustomListBox(owner) {}

 private:
  static void Publish(TPublisher<TsListBox>& p);
};

// Registers TsListBox for form definitions.
void RegisterSkinListBoxClasses();
