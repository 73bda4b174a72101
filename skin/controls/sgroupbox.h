// Skinned group boxes and radio groups. A group box is a skinned panel that paints its
// background, its frame (the section's "BORDERSMASK" or bevels) and its caption set into the
// top border into its style's cache bitmap, copies the cache in one piece and has its children
// repaint over it. A radio group owns one skinned radio button per line of Items, laid out
// column by column; ItemIndex is the checked line.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/controls/scheckbox.h"
#include "skin/controls/spanel.h"
#include "skin/engine/sstyles.h"
#include "toolkit/controls.h"

class TBitmap;
class TStringList;
class TStrings;

enum TsGroupCaptionLayout { clTopLeft, clTopCenter, clTopRight };
const TEnumInfo& GroupCaptionLayoutInfo();

class TsGroupBox : public TsCustomPanel {
  TK_CLASS(TsGroupBox, TsCustomPanel)

 public:
  explicit TsGroupBox(TComponent* owner);
  void WndProc(TMessage& message) override;
  // Below the caption band.
  RECT GetClientRect() override;

  TsGroupCaptionLayout GetCaptionLayout() const { return caption_layout_; }
  void SetCaptionLayout(TsGroupCaptionLayout value);
  int GetCaptionYOffset() const { return caption_y_offset_; }
  void SetCaptionYOffset(int value);
  // The frame's inner bevel without a border mask (the panel's own inner bevel stays off).
  TsControlBevel GetBevelInner() const { return frame_inner_; }
  void SetBevelInner(TsControlBevel value);

  // The gap the caption takes in the top border.
  RECT CaptionRect();
  int CaptionHeight();

 protected:
  void Paint() override;
  void CreateWnd() override;
  // The panel's caption writer, moved down by CaptionYOffset.
  void PaintCaption(RECT r, TsGenStyle* style) override;

 private:
  static void Publish(TPublisher<TsGroupBox>& p);
  void PaintFrame(TBitmap* cache);
  bool LiesInsideParent();

  TsGroupCaptionLayout caption_layout_ = clTopLeft;
  int caption_y_offset_ = 0;
  TsControlBevel frame_inner_ = cbLoweredHard;
  bool was_outside_ = false;
};

class TsRadioGroup;

// One button of a radio group: made, placed and freed by the group only.
class TsGroupButton : public TsRadioButton {
  TK_CLASS(TsGroupButton, TsRadioButton)

 public:
  explicit TsGroupButton(TsRadioGroup* group);
  ~TsGroupButton() override;
  // Looks up the skin indexes (what Loaded does for a streamed control).
  void ResolveSkin() { Loaded(); }

 protected:
  void Click() override;
  bool AcceptsInput() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void StateChanged() override;

 private:
  friend class TsRadioGroup;
  TsRadioGroup* group_;
};

class TsRadioGroup : public TsGroupBox {
  TK_CLASS(TsRadioGroup, TsGroupBox)

 public:
  explicit TsRadioGroup(TComponent* owner);
  ~TsRadioGroup() override;
  void WndProc(TMessage& message) override;

  TStrings* GetItems() const;
  void SetItems(TStrings* value);
  int GetItemIndex() const { return item_index_; }
  void SetItemIndex(int value);
  int GetColumns() const { return columns_; }
  void SetColumns(int value);
  int GetButtonCount() const { return static_cast<int>(buttons_.size()); }
  TsGroupButton* GetButton(int index) const;

  // Whether the buttons may change the selection.
  virtual bool CanModify() { return true; }

 protected:
  void Loaded() override;
  void ArrangeButtons();

 private:
  friend class TsGroupButton;
  static void Publish(TPublisher<TsRadioGroup>& p);
  void ItemsChanged(TObject* sender);
  void UpdateButtons();
  void CheckStoredIndex();
  // The group is one Tab stop, as a dialog's radio buttons are: the checked button, or the
  // first while none is; the arrow keys move within the group.
  void UpdateTabStops();
  void ButtonClicked(TsGroupButton* button);
  void ButtonKeyDown(WORD& key, TShiftState shift) { KeyDown(key, shift); }
  void ButtonKeyPress(char& key) { KeyPress(key); }
  void FreeButton();

  TStringList* items_;
  std::vector<TsGroupButton*> buttons_;
  int item_index_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

// Check boxes, radio buttons, group boxes and radio groups for form definitions.
void RegisterSkinChecksClasses();
