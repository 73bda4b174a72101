// The title-bar pieces a form's skin provider keeps: the caption icon and the custom title
// buttons, both stored with the provider in form definitions:
//   TitleButtons = < item Name = 'Pin' Enabled = False end >
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/collections.h"
#include "toolkit/controls.h"

class TBitmap;

// One title button as the frame paints and tracks it. Left..Bottom in window coordinates.
struct TsTitleButtonData {
  int State = 0;       // 0 normal, 1 hot, 2 pressed
  int MaskIndex = -1;  // the skin mask it is drawn from; -1 none
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  RECT Rect() const { return {Left, Top, Right, Bottom}; }
  bool Contains(POINT p) const { return p.x >= Left && p.x < Right && p.y >= Top && p.y < Bottom; }
};

class TsTitleIcon : public TPersistent {
  TK_CLASS(TsTitleIcon, TPersistent)

 public:
  TsTitleIcon();
  ~TsTitleIcon() override;
  void Assign(TPersistent* source) override;

  TBitmap* GetGlyph() const { return glyph_; }
  void SetGlyph(TBitmap* glyph);
  int GetHeight() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  int GetWidth() const { return width_; }
  void SetWidth(int width) { width_ = width; }

 private:
  static void Publish(TPublisher<TsTitleIcon>& p);
  TBitmap* glyph_;
  int height_ = 16;
  int width_ = 16;
};

class TsTitleButton : public TCollectionItem {
  TK_CLASS(TsTitleButton, TCollectionItem)

 public:
  explicit TsTitleButton(TCollection* collection);
  ~TsTitleButton() override;
  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override { return name_; }

  bool GetUseSkinData() const { return use_skin_data_; }
  void SetUseSkinData(bool value) { use_skin_data_ = value; }
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name);
  TBitmap* GetGlyph() const { return glyph_; }
  void SetGlyph(TBitmap* glyph);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }

  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseDown;
  TsTitleButtonData Data;

 private:
  static void Publish(TPublisher<TsTitleButton>& p);
  bool use_skin_data_ = true;
  std::string name_;
  TBitmap* glyph_;
  bool enabled_ = true;
};

class TsTitleButtons : public TCollection {
  TK_CLASS(TsTitleButtons, TCollection)

 public:
  // owner: the skin provider, answered by GetOwner.
  explicit TsTitleButtons(TPersistent* owner);
  TsTitleButton* GetItem(int index) const { return Item<TsTitleButton>(index); }
  TsTitleButton* Add() { return TCollection::Add<TsTitleButton>(); }
};
