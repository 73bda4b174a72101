// Control adapters: non-visual components that skin controls of their form which have no
// skinned class of their own. The adapter finds them by name when the form is loaded, gives
// each an item with its skin data, and puts the item's window procedure in front of the
// control's: the frame is painted from the skin section's cache and the control's own scroll
// bars are covered by skinned ones.
//
// TsCtrlAdapter is the base (it attaches nothing); TsGridAdapter skins grids (TCustomGrid
// and descendants) with the section "GRID" unless an item names another.
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sskinmanager.h"
#include "toolkit/collections.h"
#include "toolkit/colors.h"
#include "toolkit/components.h"
#include "toolkit/controls.h"
#include "toolkit/stdctrls.h"

class TCustomForm;
class TCustomGrid;
class TsCommonData;
class TsGridAdapter;
class TsScrollBar;

// The control-kind code of a grid item's skin data.
constexpr int COC_TsGridItem = 227;

class TsCtrlAdapter : public TsSkinReceiver {
  TK_CLASS(TsCtrlAdapter, TsSkinReceiver)

 public:
  // The form is the first TCustomForm up the owner chain.
  explicit TsCtrlAdapter(TComponent* owner);
  ~TsCtrlAdapter() override;
  void AfterConstruction() override;
  void Loaded() override;
  // The manager's broadcast.
  void SkinMessage(TMessage& message) override { PaintAllItems(message); }

  virtual void RepaintControl(TControl* control);
  // Index of the new item; the base makes none.
  virtual int AddItem(TControl* control);
  virtual int Count() const { return 0; }
  virtual void AttachItem(int index, TControl* control);
  virtual TCollectionItem* GetItem(int index) const;
  virtual TsCommonData* GetItemCommonData(int index) const;
  // First item whose control name equals name, letters compared without case; -1 when none.
  virtual int IndexOf(const std::string& name) const;
  virtual void DetachItem(int index);
  // Passes the message to every item's window procedure, in item order.
  virtual void PaintAllItems(TMessage& message);

  TCustomForm* GetForm() const { return form_; }
  TClass GetHandledClass() const { return handled_class_; }
  const std::string& GetDefaultSection() const { return default_section_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The name of an item's control and the item's skin section (both empty in the base).
  virtual std::string ItemCtrlName(int index) const;

  TClass handled_class_ = nullptr;
  std::string default_section_;

 private:
  void FindForm();

  TCustomForm* form_ = nullptr;
};

class TsGridItem : public TCollectionItem {
  TK_CLASS(TsGridItem, TCollectionItem)

 public:
  explicit TsGridItem(TCollection* collection);
  // Hides the bars and gives the grid its window procedure back.
  ~TsGridItem() override;
  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override { return ctrl_name_; }

  const std::string& GetCtrlName() const { return ctrl_name_; }
  void SetCtrlName(const std::string& name) { ctrl_name_ = name; }
  TsCommonData* GetCommonData() const { return common_data_; }
  void SetCommonData(TsCommonData* data);
  TCustomGrid* GetGrid() const { return grid_; }
  TsGridAdapter* GetAdapter() const;
  bool GetBusy() const { return busy_; }

  // Takes the grid over: name, skin data, window procedure.
  void Attach(TCustomGrid* grid);
  // A component of the adapter or the form went: a grid being freed (or an overlay bar) is
  // not touched any more.
  void Forget(TComponent* component);
  // Whether the grid's window procedure is the item's.
  bool Attached() const;
  // The item's window procedure, in front of the grid's.
  void WndProc(TMessage& message);

  // Where a skinned scroll bar goes over the grid's own, and what it shows.
  struct TBarPlace {
    bool Needed = false;
    RECT Bounds{};  // in the grid parent's client coordinates
    int Min = 0;
    int Max = 0;
    int PageSize = 0;
    int Position = 0;
  };
  TBarPlace VertBarPlace() const;
  TBarPlace HorzBarPlace() const;
  // Places (or hides) the overlay bars over the grid's own.
  void UpdateBars();
  // The frame's width on each side.
  int FrameWidth() const;
  // The overlay bars; null until needed.
  TsScrollBar* GetVertBar() const { return vert_bar_; }
  TsScrollBar* GetHorzBar() const { return horz_bar_; }

 private:
  static void Publish(TPublisher<TsGridItem>& p);
  void CallPrevious(TMessage& message);
  bool GridAlive() const;
  bool Skinned() const;
  void UnskinnedProc(TMessage& message);
  void SkinnedProc(TMessage& message);
  void NewSkin(bool skinned);
  void RemoveSkin();
  void RepaintFrame();
  void RebuildCache();
  void FollowSectionColors();
  void WMNCPaint(TMessage& message);
  void PaintFrame(HDC dc);
  void AnswerCacheInfo(TMessage& message);
  void UpdateBarsUnlessBusy();
  void ForwardBusy(TMessage& message);
  void HideBars();
  void FreeBars();
  void PlaceBar(TsScrollBar*& bar, const TBarPlace& place, TScrollBarKind kind);
  void BarChanged(TObject* sender);

  bool busy_ = false;
  std::string ctrl_name_;
  TsCommonData* common_data_;
  TCustomGrid* grid_ = nullptr;
  TWndMethod previous_;
  TWndMethod own_proc_;  // the grid's procedure before the first attach
  TMessage* forwarding_ = nullptr;
  bool looped_ = false;
  bool left_down_ = false;
  bool dragging_ = false;
  TsScrollBar* vert_bar_ = nullptr;
  TsScrollBar* horz_bar_ = nullptr;
  bool placing_bars_ = false;
};

class TsGridItems : public TCollection {
  TK_CLASS(TsGridItems, TCollection)

 public:
  // owner: the adapter, answered by GetOwner.
  explicit TsGridItems(TPersistent* owner = nullptr);
  TsGridItem* Grid(int index) const { return Item<TsGridItem>(index); }
  TsGridItem* Add() { return TCollection::Add<TsGridItem>(); }
};

class TsGridAdapter : public TsCtrlAdapter {
  TK_CLASS(TsGridAdapter, TsCtrlAdapter)

 public:
  explicit TsGridAdapter(TComponent* owner);
  ~TsGridAdapter() override;
  void Loaded() override;

  int AddItem(TControl* control) override;
  int Count() const override;
  // Grids of the data-aware class "TDBGrid" (any letter case) are left alone.
  void AttachItem(int index, TControl* control) override;
  TCollectionItem* GetItem(int index) const override;
  TsCommonData* GetItemCommonData(int index) const override;
  int IndexOf(const std::string& name) const override;
  void DetachItem(int index) override;
  void PaintAllItems(TMessage& message) override;

  TsGridItems* GetControls() const { return controls_; }
  void SetControls(TsGridItems* items);
  TsGridItem* Item(int index) const {
    return index >= 0 && index < Count() ? controls_->Grid(index) : nullptr;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  std::string ItemCtrlName(int index) const override;

 private:
  static void Publish(TPublisher<TsGridAdapter>& p);

  TsGridItems* controls_;
};

void RegisterAdapterClasses();
