// The skinned single-line edit: the toolkit's edit inside a 3-pixel non-client border that its
// style object paints in the skin's colours. The style sees every message first.
#pragma once

#include <windows.h>

#include "skin/engine/sstyles.h"
#include "toolkit/stdctrls.h"

class TsEdit : public TCustomEdit {
  TK_CLASS(TsEdit, TCustomEdit)
  TK_MESSAGE_MAP

 public:
  explicit TsEdit(TComponent* owner);
  ~TsEdit() override;
  void AfterConstruction() override;

  void WndProc(TMessage& message) override;
  // Takes the style's colour and redraws the border before the client area is invalidated.
  void Invalidate() override;

  TsStyle* GetSkinStyle() const { return style_; }

 protected:
  void Loaded() override;
  // Neither loading nor being destroyed: the style may paint.
  bool MayPaint() const;

 private:
  static void Publish(TPublisher<TsEdit>& p);
  void StyleKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);

  TsStyle* style_;
};

// Registers the skinned edits and the combo box for form definitions.
void RegisterSkinEditsClasses();
