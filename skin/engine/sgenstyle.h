// The style base every style-family skinned control owns: its skin section and the indexes the
// section resolves to, its cache bitmap, its hot state, its own shadow settings, and the entry
// for the library's private messages (smessages.h).
//
// The owning control creates the style in its constructor (then sets COC and the section),
// calls UpdateIndexes after loading, frees it in its destructor (FreeAndNil, so its painting
// never sees a style half freed), and hands every message to the style first:
//
//   void TsSomething::WndProc(TMessage& message) {
//     if (style_ && style_->HandleFirst(message)) return;  // answered, or we are gone
//     inherited::WndProc(message);
//   }
//
// A handler may run foreign code (a parent's repaint, an event) that frees the control and its
// style. HandleFirst then answers true without touching either, so the owner must return at
// once. Derived styles that go on after the inherited entry check a TsLifeGuard the same way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/controls.h"
#include "toolkit/persistent.h"

class TBitmap;
class TCanvas;
class TsGenStyle;
class TsEffects;

// The shadow a control casts on a skinned parent when no skin section decides it.
class TsShadow : public TPersistent {
  TK_CLASS(TsShadow, TPersistent)

 public:
  explicit TsShadow(TsEffects* owner);
  ~TsShadow() override;

  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  int32_t GetOffset() const { return offset_; }
  void SetOffset(int32_t value);
  // Percent, clamped to 0..100.
  int32_t GetTransparency() const { return transparency_; }
  void SetTransparency(int32_t value);
  int32_t GetBlur() const { return blur_; }
  void SetBlur(int32_t value);
  // Set, the shadow stays off whatever Enabled is set to later.
  bool GetDontUse() const { return dont_use_; }
  void SetDontUse(bool value);
  bool GetEnabled() const { return enabled_; }
  // Acts only on a skinned parent (one that answers SKM_GETSKINOBJECT) and for kinds that may
  // cast a shadow; True clears DontUse.
  void SetEnabled(bool value);

  TPersistent* GetOwner() const override;

 private:
  friend class TsGenStyle;
  static void Publish(TPublisher<TsShadow>& p);
  TsGenStyle* Style() const;
  void RepaintParent();

  TColor color_ = 0;
  int32_t offset_ = 8;
  TsEffects* owner_;
  int32_t transparency_ = 60;
  int32_t blur_ = 4;
  bool dont_use_ = true;
  bool enabled_ = false;
};

class TsEffects : public TPersistent {
  TK_CLASS(TsEffects, TPersistent)

 public:
  explicit TsEffects(TsGenStyle* owner);
  ~TsEffects() override;

  TsShadow* GetShadow() const { return shadow_; }
  TsGenStyle* GetStyle() const { return owner_; }
  TPersistent* GetOwner() const override;

 private:
  static void Publish(TPublisher<TsEffects>& p);

  TsShadow* shadow_ = nullptr;
  TsGenStyle* owner_;
};

// What a style asks of owners of particular kinds: skinned buttons (pressed, default, fading)
// and combo boxes (their button area, the list painted late). The base answers for plain
// controls; such an owner implements the queries and hands itself to SetOwnerQueries.
class TsOwnerQueries {
 public:
  // A TsButtonControl: repainted at once on resize.
  virtual bool IsButtonControl() { return false; }
  // A TsButtonControl that is down.
  virtual bool ButtonIsDown() { return false; }
  // A TsButton with Default set while it acts as the form's default button.
  virtual bool IsActiveDefault() { return false; }
  // The mouse entered (or left) the owner: true when the owner showed it itself (a combo
  // box's button area, a button's fade), false to let the style invalidate the owner.
  virtual bool HotChanged(bool entered) {
    (void)entered;
    return false;
  }
  // A combo box whose list is to be painted late.
  virtual bool PendingPaint() { return false; }
  virtual void ClearPendingPaint() {}

 protected:
  ~TsOwnerQueries() = default;
};

// Tells whether a style was freed while it was alive: construct it before code that may free
// the style (an entry, an owner's repaint), ask Freed() afterwards before touching the style.
class TsLifeGuard {
 public:
  explicit TsLifeGuard(const TsGenStyle* style);
  bool Freed() const { return !*alive_; }

 private:
  std::shared_ptr<const bool> alive_;
};

class TsGenStyle : public TPersistent {
  TK_CLASS(TsGenStyle, TPersistent)

 public:
  explicit TsGenStyle(TControl* owner);
  ~TsGenStyle() override;
  // Repaints the parent so that a shadow under the dying control goes.
  void BeforeDestruction() override;

  // ---- Message entry
  // The owner's first stop for every message: runs WndProc and answers true when the owner
  // must not go on with its own handling: the style answered (Result 1), or the style was
  // freed meanwhile (and its owner may be gone with it).
  bool HandleFirst(TMessage& message);
  // The message entry; derived styles extend it. Result 1 = handled.
  virtual void WndProc(TMessage& message);
  // The library messages of the style's group (WParam = GroupIndex).
  virtual void LibMessage(TMessage& message);

  // ---- Skin section and indexes
  const std::string& GetSkinSection() const { return skin_section_; }
  void SetSkinSection(const std::string& value);
  // After loading or a skin change: an empty section becomes the owner's class name.
  virtual void UpdateIndexes();
  // The section's own "BORDERSMASK" bitmap; null for a mask on the master bitmap or none.
  virtual TBitmap* GetBorderMaskBitmap();
  int16_t SkinIndex = -1;
  int16_t BorderIndex = -1;

  // ---- Painting
  // Paints what the control casts onto a parent's canvas (its shadow); nothing here.
  virtual void PaintBitmap(TCanvas* canvas, int x, int y);
  // Marks the cache stale and invalidates the owner; nothing while a skin is announced.
  virtual void Invalidate();
  // The hot state painting uses: focused, hovered, pressed or acting as default.
  bool ControlIsActive();
  // Makes the cache bitmap the owner's size, 24 bits per pixel.
  void InitCacheBmp();
  // Copies rect of the cache to the same place of dc; the cache is then up to date.
  void CopyCacheToDC(HDC dc, const RECT& rect);
  // The parent's cache as SKM_GETCACHEINFO answers it; never ready without a parent window.
  void GetParentCacheInfo(TsCacheInfo& info);
  // Tells the parent its background changed and repaints it; nothing without a parent window.
  void RepaintParent();
  // Cast by the owner now: the section's shadow with a skin, or the own one.
  bool CastsShadow(bool own_needs_kind = false);

  bool Updating = false;
  bool BGChanged = true;
  int32_t COC = 0;

  // ---- Properties
  TsEffects* GetEffects() const { return effects_; }
  int32_t GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int32_t value) { group_index_ = value; }
  bool GetSoftControl() const { return soft_control_; }
  void SetSoftControl(bool value);
  // Raised with the owner as sender whenever the mouse enters the owner itself, hot or not.
  TNotifyEvent OnMouseEnter;

  TControl* GetOwnerControl() const { return owner_; }
  TBitmap* GetCacheBmp() const { return cache_bmp_; }
  bool GetFocused() const { return focused_; }
  // For an owner whose focus sits in a part window the style never hears of (a combo box's edit).
  void MarkFocused() { focused_ = true; }
  bool GetMouseAbove() const { return mouse_above_; }
  void SetOwnerQueries(TsOwnerQueries* queries) { queries_ = queries; }
  TPersistent* GetOwner() const override { return owner_; }

  // The class code the style answers SKM_GETSKINOBJECT with (SCC_*).
  virtual int ClassCode() const { return SCC_TsGenStyle; }

 protected:
  // Which of the style-specific message ranges the class acts on.
  virtual bool TakesEditorMessages() const { return false; }
  virtual bool TakesPaintMessages() const { return false; }
  // SkinIndex and BorderIndex of the section in the loaded skin.
  virtual void FindIndexes();

  TControl* owner_;
  TBitmap* cache_bmp_ = nullptr;
  bool focused_ = false;
  bool mouse_above_ = false;

 private:
  friend class TsLifeGuard;
  static void Publish(TPublisher<TsGenStyle>& p);
  TsOwnerQueries& Queries() const;
  bool OwnerHasFocus() const;
  bool OwnerDesigning() const;
  void HotTrack(TMessage& message, bool entered);
  void BoundsChanged();
  void StaleUnlessChanging();
  void SetShadowEnabled(bool value);
  void CopyShadow(TsGenStyle* source);
  void RepaintChildShadows();

  TsEffects* effects_ = nullptr;
  std::string skin_section_;
  int32_t group_index_ = 0;
  bool soft_control_ = true;
  TsOwnerQueries* queries_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once freed
};

// The style object of a control (the LParam of the SKM_GETSKINOBJECT answer); null for an
// unskinned control or anything that is not a control.
TsGenStyle* GetSkinObject(TObject* control);
// The class code of the control's style object; 0 when it has none.
int GetSkinObjectKind(TObject* control);

// Holds SkinChanging true while a new skin is announced and false again on every way out.
class TsSkinChangingScope {
 public:
  TsSkinChangingScope() { SkinChanging = true; }
  ~TsSkinChangingScope() { SkinChanging = false; }
  TsSkinChangingScope(const TsSkinChangingScope&) = delete;
  TsSkinChangingScope& operator=(const TsSkinChangingScope&) = delete;
};
