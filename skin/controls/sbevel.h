// The skinned bevel: a windowless box, frame, line, spacer or dotted frame with an optional
// caption, in white and black chosen by its style's Painting.Bevel (no skin images).
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sstyles.h"
#include "toolkit/controls.h"

enum TsBevelShape {
  sbsBox,
  sbsFrame,
  sbsTopLine,
  sbsBottomLine,
  sbsLeftLine,
  sbsRightLine,
  sbsSpacer,
  sbsDotted
};

class TsBevel : public TGraphicControl {
  TK_CLASS(TsBevel, TGraphicControl)

 public:
  explicit TsBevel(TComponent* owner);
  ~TsBevel() override;

  const std::string& GetBevelCaption() const { return caption_; }
  void SetBevelCaption(const std::string& value);
  TsPaintStyle* GetStyle() const { return style_; }
  void SetStyle(TsPaintStyle* value) { style_->Assign(value); }
  TsBevelShape GetShape() const { return shape_; }
  void SetShape(TsBevelShape value);
  bool GetShowCaption() const { return show_caption_; }
  void SetShowCaption(bool value);

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  static void Publish(TPublisher<TsBevel>& p);

  std::string caption_;
  TsPaintStyle* style_ = nullptr;
  TsBevelShape shape_ = sbsFrame;
  bool show_caption_ = false;
};

const TEnumInfo& BevelShapeNames();

// Registers TsBevel for form definitions.
void RegisterSkinBevelClasses();
