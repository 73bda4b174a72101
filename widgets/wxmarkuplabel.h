// TWxMarkupLabel: a windowless label whose text carries a few inline tags (b, i, u, font with
// face, size and color, br), parsed into runs that each keep the font in force, wrapped word by
// word to the width and aligned line by line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/graphics.h"
#include "widgets/wxgraphic.h"

// One run of text in one font, and what of it the current line holds.
struct TWxHTMLElement {
  int FontSize = 8;
  std::string Text;
  std::string FontName;
  TFontStyles FontStyle;
  TColor FontColor = clBlack;
  int Ascent = 0, Height = 0, Width = 0;
  std::string SolText;  // placed on the current line
  std::string EolText;  // left for the next line
  bool BreakLine = false;
};

// An owning list of runs: push appends, pop takes the last off (null when empty).
class TWxHTMLElementStack {
 public:
  void Push(std::unique_ptr<TWxHTMLElement> element) { items_.push_back(std::move(element)); }
  std::unique_ptr<TWxHTMLElement> Pop();
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TWxHTMLElement& operator[](int index) const { return *items_[index]; }

 private:
  std::vector<std::unique_ptr<TWxHTMLElement>> items_;
};

class TWxMarkupLabel : public TWxPubGraphicControl {
  TK_CLASS(TWxMarkupLabel, TWxPubGraphicControl)

 public:
  explicit TWxMarkupLabel(TComponent* owner);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  int GetMarginLeft() const { return margin_left_; }
  void SetMarginLeft(int value);
  int GetMarginRight() const { return margin_right_; }
  void SetMarginRight(int value);
  int GetMarginTop() const { return margin_top_; }
  void SetMarginTop(int value);
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);

  const TWxHTMLElementStack& Elements() const { return elements_; }

  // One piece of a line as painting draws it: the run, its text, and where its baseline-aligned
  // top-left corner goes.
  struct TPlaced {
    int Element;
    std::string Text;
    int X, Y;
  };
  // The lines as they are drawn now (the same layout Paint uses).
  std::vector<std::vector<TPlaced>> Layout();

 protected:
  void FontChanged() override;
  // The text as set: CR LF pairs become blanks (only br breaks lines), trailing blanks go.
  void TextChanged() override;
  void Paint() override;

 private:
  static void Publish(TPublisher<TWxMarkupLabel>& p);
  TColor GetBackColor() const { return clDefault; }
  void Reparse();
  void Parse();
  void Measure(HDC dc);
  void ApplyTag(std::string tag, TWxHTMLElement& state);
  std::vector<std::vector<TPlaced>> LayoutOn(HDC dc);

  TWxHTMLElementStack elements_;
  TWxHTMLElementStack tags_;
  int margin_left_ = 5, margin_right_ = 5, margin_top_ = 5;
  TAlignment alignment_ = taLeftJustify;
  bool auto_size_ = false;
};
