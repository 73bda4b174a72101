// The skin data of a skinned control that has no style object (list view, scroll bar, the form
// skin provider): its skin section and the table indexes it resolves to, its cache bitmap, a
// few state flags, and the message entry the owner calls first from its window procedure.
//
// The owner's window procedure starts with
//
//   if (common_data_->HandleFirst(message)) return;
//
// and goes on with its own handling otherwise.
#pragma once

#include <string>

#include "skin/engine/sskintables.h"
#include "toolkit/messages.h"
#include "toolkit/persistent.h"

class TBitmap;
class TControl;
class TsCommonData;

// Tells code still on the stack that a TsCommonData was freed meanwhile (its owner freed or
// unhooked itself while handling a message). Watches nest; each lives on the stack only.
class TsDataWatch {
 public:
  explicit TsDataWatch(TsCommonData* data);
  ~TsDataWatch();
  TsDataWatch(const TsDataWatch&) = delete;
  TsDataWatch& operator=(const TsDataWatch&) = delete;
  bool Gone() const { return data_ == nullptr; }

 private:
  friend class TsCommonData;
  TsCommonData* data_;
  TsDataWatch* next_;
};

class TsCommonData : public TPersistent {
  TK_CLASS(TsCommonData, TPersistent)

 public:
  // owner: the skinned control (or another object, e.g. a grid adapter's item).
  TsCommonData(TObject* owner, bool create_cache_bmp);
  ~TsCommonData() override;

  // From the owner's Loaded: an empty section becomes the owner's class name, else the indexes
  // are looked up again.
  virtual void Loaded();
  const std::string& GetSkinSection() const { return skin_section_; }
  // Acts on a change only (letter case counts); empty means the owner's class name.
  void SetSkinSection(const std::string& value);
  // Looks the section up in the loaded skin; a missing one falls back to "SIMPLYEDIT".
  void UpdateIndexes();
  bool Skinned() const;

  void BeginUpdate() { updating_ = true; }
  void EndUpdate() { updating_ = false; }
  void SetUpdating(bool value) { updating_ = value; }
  // Its own flag, or (for a control) the parent's answer to SKM_ISUPDATING.
  bool Updating();
  // Its own flag alone: between a new skin and its refresh, or set by the owner.
  bool UpdatingItself() const { return updating_; }
  // Creates the cache bitmap when missing and gives it the control's size, 24 bits per pixel.
  void UpdateCacheBmp();
  // Marks the cache stale and invalidates the control when it may paint.
  virtual void Invalidate();
  // The hot state the control paints with.
  bool ControlIsActive();
  // The parent's cache bitmap as its SKM_GETCACHEINFO reply gives it; not ready without one.
  void GetParentCacheInfo(TsCacheInfo& info);
  // The owner's first stop for every message: runs WndProc and answers true when the owner
  // must not go on: the object was freed meanwhile (its owner with it, or the owner unhooked
  // itself), or it was a library message, whose answer the default handling would overwrite.
  bool HandleFirst(TMessage& message);
  // The message entry. Library messages get Result -1 unless they answer otherwise.
  virtual void WndProc(TMessage& message);

  TControl* GetOwnerControl() const { return owner_control_; }
  // The control the data skins when its owner is no control (a grid adapter's item).
  void SetOwnerControl(TControl* control) { owner_control_ = control; }
  TObject* GetOwnerObject() const { return owner_object_; }
  TBitmap* GetCacheBmp() const { return cache_bmp_; }
  bool GetFocused() const { return focused_; }
  bool GetMouseAbove() const { return mouse_above_; }
  void SetMouseAbove(bool value) { mouse_above_ = value; }

  int BorderIndex = -1;
  int SkinIndex = -1;
  bool BGChanged = true;
  int COC = 0;  // control-kind code, set by the owner

 private:
  friend class TsDataWatch;
  static void Publish(TPublisher<TsCommonData>& p);
  // Library messages (0xA001 to 0xA414); Result is -1 on entry.
  void LibMessage(TMessage& message);
  void BoundsChanged();
  void FocusChanged(bool entered);
  void MouseOver(TMessage& message, bool above);
  void NewSkin();
  void RemoveSkin();
  void Refresh();
  void AnswerCacheInfo();
  void RepaintSection();
  void UpdateTransparent();
  bool OwnerDestroying() const;
  bool OwnerLoading() const;

  bool updating_ = false;
  std::string skin_section_;
  TControl* owner_control_ = nullptr;
  TObject* owner_object_ = nullptr;
  TBitmap* cache_bmp_ = nullptr;
  bool focused_ = false;
  bool mouse_above_ = false;
  TsDataWatch* watches_ = nullptr;
};
