// Skins stored with the skin manager in form definitions: per skin its sections (general
// data), its images (masks), its JPEG patterns and its master bitmap.
//
//   InternalSkins = <
//     item
//       Name = 'GrayPlastic (internal)'
//       GeneralData = < item SectionName = 'FORM' PaintingColor = 15790320 ... end >
//       Images = < item SectionName = 'FORM' PropertyName = 'BORDERSMASK' Left = 0 ... end >
//       Patterns = < >
//       MasterBitmap.Data = { ... }
//     end >
#pragma once

#include <string>

#include "skin/engine/sskintables.h"
#include "toolkit/collections.h"
#include "toolkit/typinfo.h"

class TBitmap;
class TJPEGImage;

const TEnumInfo& ControlBevelInfo();  // cbNone ... cbLoweredHard
const TEnumInfo& EditorBevelInfo();   // ebNone ... ebAsBottomBorder

// One section. Defaults are the folder skin's; FontColor and HotFontColor are five integers
// separated by blanks: text colour, then the left, top, right and bottom contour (-1 none).
class TsSkinGeneral : public TCollectionItem {
  TK_CLASS(TsSkinGeneral, TCollectionItem)

 public:
  explicit TsSkinGeneral(TCollection* collection);
  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override { return Name.empty() ? SectionName : Name; }

  std::string Name;
  std::string SectionName;
  std::string ParentClassName;
  TColor PaintingColor = 0xFFFFFF;
  TsControlBevel PaintingBevel = cbNone;
  int32_t PaintingBevelWidth = 2;
  std::string FontColor = "0 -1 -1 -1 -1";
  std::string HotFontColor = "0 -1 -1 -1 -1";
  int32_t ShadowBlur = 6;
  TColor ShadowColor = 0;
  bool ShadowDontUse = false;
  bool ShadowEnabled = false;
  bool ReservedBoolean = false;
  int32_t ShadowOffset = 3;
  int32_t ShadowTransparency = 50;
  int32_t PaintingTransparency = 0;
  int32_t GradientPercent = 0;
  std::string GradientData = " ";
  int32_t ImagePercent = 0;
  bool ShowFocus = false;
  bool FadingEnabled = false;
  int32_t FadingIntervalIn = 5;
  int32_t FadingIntervalOut = 5;
  int32_t FadingIterations = 5;
  TColor HotPaintingColor = 0xFFFFFF;
  int32_t HotPaintingTransparency = 0;
  TsControlBevel HotPaintingBevel = cbNone;
  int32_t HotPaintingBevelWidth = 2;
  int32_t HotGradientPercent = 0;
  std::string HotGradientData;
  int32_t HotImagePercent = 0;
  TColor PaintingColorBorderTop = 0;
  TColor PaintingColorBorderBottom = 0;
  TsEditorBevel SelectionBorderBevel = ebLowered;
  int32_t SelectionBorderWidth = 2;
  TColor SelectionColor = 0xFFFFFF;

 private:
  static void Publish(TPublisher<TsSkinGeneral>& p);
};

class TsSkinGenerals : public TCollection {
  TK_CLASS(TsSkinGenerals, TCollection)

 public:
  explicit TsSkinGenerals(TPersistent* owner);
  TsSkinGeneral* GetItem(int index) const { return Item<TsSkinGeneral>(index); }
  TsSkinGeneral* Add() { return TCollection::Add<TsSkinGeneral>(); }
};

// One mask: a rectangle of the master bitmap with ImageCount frames, or (ImageCount 0) the
// item's own Image.
class TsSkinImage : public TCollectionItem {
  TK_CLASS(TsSkinImage, TCollectionItem)

 public:
  explicit TsSkinImage(TCollection* collection);
  ~TsSkinImage() override;
  void Assign(TPersistent* source) override;

  TBitmap* GetImage() const { return image_; }
  void SetImage(TBitmap* image);

  std::string Name;
  std::string SectionName;
  std::string PropertyName;
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t ImageCount = 0;
  int32_t MaskType = 0;

 private:
  static void Publish(TPublisher<TsSkinImage>& p);
  TBitmap* image_;
};

class TsSkinImages : public TCollection {
  TK_CLASS(TsSkinImages, TCollection)

 public:
  explicit TsSkinImages(TPersistent* owner);
  TsSkinImage* GetItem(int index) const { return Item<TsSkinImage>(index); }
  TsSkinImage* Add() { return TCollection::Add<TsSkinImage>(); }
};

class TsSkinPattern : public TCollectionItem {
  TK_CLASS(TsSkinPattern, TCollectionItem)

 public:
  explicit TsSkinPattern(TCollection* collection);
  ~TsSkinPattern() override;
  void Assign(TPersistent* source) override;

  TJPEGImage* GetImage() const { return image_; }
  void SetImage(TJPEGImage* image);

  std::string Name;
  std::string SectionName;
  std::string PropertyName;

 private:
  static void Publish(TPublisher<TsSkinPattern>& p);
  TJPEGImage* image_;
};

class TsSkinPatterns : public TCollection {
  TK_CLASS(TsSkinPatterns, TCollection)

 public:
  explicit TsSkinPatterns(TPersistent* owner);
  TsSkinPattern* GetItem(int index) const { return Item<TsSkinPattern>(index); }
  TsSkinPattern* Add() { return TCollection::Add<TsSkinPattern>(); }
};

class TsStoredSkin : public TCollectionItem {
  TK_CLASS(TsStoredSkin, TCollectionItem)

 public:
  explicit TsStoredSkin(TCollection* collection);
  ~TsStoredSkin() override;
  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override { return Name; }

  TsSkinGenerals* GetGeneralData() const { return general_data_; }
  void SetGeneralData(TsSkinGenerals* value);
  TsSkinImages* GetImages() const { return images_; }
  void SetImages(TsSkinImages* value);
  TsSkinPatterns* GetPatterns() const { return patterns_; }
  void SetPatterns(TsSkinPatterns* value);
  TBitmap* GetMasterBitmap() const { return master_bitmap_; }
  void SetMasterBitmap(TBitmap* value);

  std::string Name;

 private:
  static void Publish(TPublisher<TsStoredSkin>& p);
  TsSkinGenerals* general_data_;
  TsSkinImages* images_;
  TsSkinPatterns* patterns_;
  TBitmap* master_bitmap_;
};

class TsStoredSkins : public TCollection {
  TK_CLASS(TsStoredSkins, TCollection)

 public:
  explicit TsStoredSkins(TPersistent* owner);
  TsStoredSkin* GetItem(int index) const { return Item<TsStoredSkin>(index); }
  TsStoredSkin* Add() { return TCollection::Add<TsStoredSkin>(); }
  // The skin of exactly that name; null when none.
  TsStoredSkin* Find(const std::string& name) const;
};
