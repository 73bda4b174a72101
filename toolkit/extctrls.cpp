#include "toolkit/extctrls.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

bool IsLoading(const TComponent* component) {
  TComponentState state = component->GetComponentState();
  return state.Contains(csLoading) || state.Contains(csReading);
}

void FillColor(HDC dc, const RECT& rect, TColor color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// The colours of a bevel: top-left, bottom-right.
void BevelColors(TBevelCut cut, TColor face, TColor& top_left, TColor& bottom_right) {
  switch (cut) {
    case bvLowered:
      top_left = clBtnShadow;
      bottom_right = clBtnHighlight;
      break;
    case bvRaised:
      top_left = clBtnHighlight;
      bottom_right = clBtnShadow;
      break;
    default: top_left = bottom_right = face; break;
  }
}

}  // namespace

const TEnumInfo& PanelBorderStyleInfo() {
  static const TEnumInfo info{"bsNone", "bsSingle"};
  return info;
}

void Frame3D(HDC dc, RECT& rect, TColor top_left, TColor bottom_right, int width) {
  for (int i = 0; i < width; ++i) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    // The corners top right and bottom left belong to the bottom-right colour.
    FillColor(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, top_left);
    FillColor(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, top_left);
    FillColor(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottom_right);
    FillColor(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottom_right);
    InflateRect(&rect, -1, -1);
  }
}

const TEnumInfo& BevelCutInfo() {
  static const TEnumInfo info{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
  return info;
}

const TEnumInfo& BevelShapeInfo() {
  static const TEnumInfo info{"bsBox",      "bsFrame",     "bsTopLine", "bsBottomLine",
                              "bsLeftLine", "bsRightLine", "bsSpacer"};
  return info;
}

const TEnumInfo& BevelStyleInfo() {
  static const TEnumInfo info{"bsLowered", "bsRaised"};
  return info;
}

// ---- TCustomPanel ---------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomPanel, TCustomControl)
TK_CLASS_INFO(TPanel, TCustomPanel)

void TPanel::Publish(TPublisher<TPanel>& p) {
  p.String("Caption", &TPanel::GetCaption, &TPanel::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &TPanel::GetAlignment, &TPanel::SetAlignment).Default(taCenter);
  p.Enumeration("BevelInner", BevelCutInfo(), &TPanel::GetBevelInner, &TPanel::SetBevelInner).Default(bvNone);
  p.Enumeration("BevelOuter", BevelCutInfo(), &TPanel::GetBevelOuter, &TPanel::SetBevelOuter)
      .Default(bvRaised);
  p.Integer("BevelWidth", &TPanel::GetBevelWidth, &TPanel::SetBevelWidth).Default(1);
  p.Enumeration("BorderStyle", PanelBorderStyleInfo(), &TPanel::GetBorderStyle, &TPanel::SetBorderStyle)
      .Default(bsNone);
  p.Event("OnPaint", &TPanel::OnPaint);
}

TK_BEGIN_MESSAGE_MAP(TCustomPanel)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_END_MESSAGE_MAP()

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  control_style_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                    csOpaque,          csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (border_style_ == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut bevel) {
  if (bevel == bevel_inner_) return;
  bevel_inner_ = bevel;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut bevel) {
  if (bevel == bevel_outer_) return;
  bevel_outer_ = bevel;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int width) {
  width = std::max(width, 1);
  if (width == bevel_width_) return;
  bevel_width_ = width;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle style) {
  if (style != bsNone) style = bsSingle;
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
  Realign();
}

int TCustomPanel::BevelExtent() const {
  return (bevel_outer_ != bvNone ? bevel_width_ : 0) + (bevel_inner_ != bvNone ? bevel_width_ : 0);
}

void TCustomPanel::AdjustClientRect(RECT& rect) {
  inherited::AdjustClientRect(rect);
  int extent = BevelExtent();
  InflateRect(&rect, -extent, -extent);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  RECT rect = GetClientRect();
  TColor top_left, bottom_right;
  if (bevel_outer_ != bvNone) {
    BevelColors(bevel_outer_, GetColor(), top_left, bottom_right);
    Frame3D(dc, rect, top_left, bottom_right, bevel_width_);
  }
  FillColor(dc, rect, GetColor());
  InflateRect(&rect, -GetBorderWidth(), -GetBorderWidth());
  if (bevel_inner_ != bvNone) {
    BevelColors(bevel_inner_, GetColor(), top_left, bottom_right);
    Frame3D(dc, rect, top_left, bottom_right, bevel_width_);
  }
  const std::string& caption = GetCaption();
  if (!caption.empty()) {
    canvas->SetFont(GetFont());
    HGDIOBJ old_font = SelectObject(dc, canvas->GetFont()->GetHandle());
    int old_mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_color = SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
    UINT flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS;
    flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, flags);
    SetTextColor(dc, old_color);
    SetBkMode(dc, old_mode);
    SelectObject(dc, old_font);
  }
  OnPaint(this, canvas);
}

void TCustomPanel::CMTextChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

// ---- TBevel -----------------------------------------------------------------------------------------

TK_CLASS_INFO(TBevel, TGraphicControl)

void TBevel::Publish(TPublisher<TBevel>& p) {
  p.Enumeration("Shape", BevelShapeInfo(), &TBevel::GetShape, &TBevel::SetShape).Default(bsBox);
  p.Enumeration("Style", BevelStyleInfo(), &TBevel::GetStyle, &TBevel::SetStyle).Default(bsLowered);
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  control_style_.Include(csReplicatable);
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint() {
  HDC dc = GetCanvas()->GetHandle();
  int w = GetWidth(), h = GetHeight();
  // A lowered bevel is dark at the top left, a raised one light.
  TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  RECT r;
  switch (shape_) {
    case bsBox:
      r = {0, 0, w, h};
      Frame3D(dc, r, first, second, 1);
      break;
    case bsFrame:
      // Two offset frames: an etched (lowered) or embossed (raised) line.
      r = {1, 1, w, h};
      Frame3D(dc, r, second, second, 1);
      r = {0, 0, w - 1, h - 1};
      Frame3D(dc, r, first, first, 1);
      break;
    case bsTopLine:
      FillColor(dc, {0, 0, w, 1}, first);
      FillColor(dc, {0, 1, w, 2}, second);
      break;
    case bsBottomLine:
      FillColor(dc, {0, h - 2, w, h - 1}, first);
      FillColor(dc, {0, h - 1, w, h}, second);
      break;
    case bsLeftLine:
      FillColor(dc, {0, 0, 1, h}, first);
      FillColor(dc, {1, 0, 2, h}, second);
      break;
    case bsRightLine:
      FillColor(dc, {w - 2, 0, w - 1, h}, first);
      FillColor(dc, {w - 1, 0, w, h}, second);
      break;
    case bsSpacer: break;
  }
}

// ---- TImage -----------------------------------------------------------------------------------------

TK_CLASS_INFO(TImage, TGraphicControl)

void TImage::Publish(TPublisher<TImage>& p) {
  p.Boolean("AutoSize", &TImage::GetAutoSize, &TImage::SetAutoSize).Default(false);
  p.Boolean("Center", &TImage::GetCenter, &TImage::SetCenter).Default(false);
  p.Object("Picture", &TImage::GetPicture, &TImage::SetPicture);
  p.Boolean("Proportional", &TImage::GetProportional, &TImage::SetProportional).Default(false);
  p.Boolean("Stretch", &TImage::GetStretch, &TImage::SetStretch).Default(false);
  p.Boolean("Transparent", &TImage::GetTransparent, &TImage::SetTransparent).Default(false);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(New<TPicture>()) {
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  control_style_.Include(csReplicatable);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  picture_->OnChange = nullptr;
  Free(picture_);
}

void TImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetProportional(bool value) {
  if (value == proportional_) return;
  proportional_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  if (TGraphic* graphic = picture_->GetGraphic()) graphic->SetTransparent(value);
  Invalidate();
}

void TImage::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  ApplyAutoSize();
}

void TImage::ApplyAutoSize() {
  if (!auto_size_ || IsLoading(this)) return;
  int w = picture_->GetWidth(), h = picture_->GetHeight();
  if (w > 0 && h > 0) SetBounds(GetLeft(), GetTop(), w, h);
}

void TImage::PictureChanged(TObject* sender) {
  (void)sender;
  // A new graphic takes the image's transparency.
  if (TGraphic* graphic = picture_->GetGraphic(); graphic && graphic->GetTransparent() != transparent_)
    graphic->SetTransparent(transparent_);
  ApplyAutoSize();
  Invalidate();
}

void TImage::Loaded() {
  inherited::Loaded();
  ApplyAutoSize();
}

RECT TImage::DestRect() {
  int w = picture_->GetWidth(), h = picture_->GetHeight();
  int cw = GetClientWidth(), ch = GetClientHeight();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // As large as fits, with the picture's proportions.
      if (static_cast<int64_t>(cw) * h > static_cast<int64_t>(ch) * w) {
        w = static_cast<int>(static_cast<int64_t>(w) * ch / h);
        h = ch;
      } else {
        h = static_cast<int>(static_cast<int64_t>(h) * cw / w);
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (center_) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return {x, y, x + w, y + h};
}

void TImage::Paint() {
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic || graphic->GetEmpty()) return;
  GetCanvas()->StretchDraw(DestRect(), graphic);
}

// ---- TCustomRadioGroup ------------------------------------------------------------------------------

// One radio button of a radio group: owned by the group, which places it and hears its clicks.
class TGroupButton : public TRadioButton {
  TK_CLASS(TGroupButton, TRadioButton)

 public:
  explicit TGroupButton(TCustomRadioGroup* group) : TRadioButton(nullptr), group_(group) {
    group->buttons_.push_back(this);
    SetVisible(false);
    SetEnabled(group->GetEnabled());
    SetParent(group);
  }
  ~TGroupButton() override {
    if (group_) std::erase(group_->buttons_, this);
  }

  void WndProc(TMessage& message) override {
    // A group that may not change ignores the button's clicks.
    if (message.Msg == CN_COMMAND && group_ && !group_->CanModify()) return;
    inherited::WndProc(message);
  }

 protected:
  void Click() override {
    if (group_) group_->ButtonClicked(this);
    inherited::Click();
  }
  // The group's key events see the keys of its buttons.
  void KeyDown(WORD& key, TShiftState shift) override {
    inherited::KeyDown(key, shift);
    if (key && group_) group_->ButtonKeyDown(key, shift);
  }
  void KeyPress(char& key) override {
    inherited::KeyPress(key);
    if (key && group_) group_->ButtonKeyPress(key);
  }

 private:
  friend class TCustomRadioGroup;
  TCustomRadioGroup* group_;
};

TK_ABSTRACT_CLASS_INFO(TGroupButton, TRadioButton)

TK_ABSTRACT_CLASS_INFO(TCustomRadioGroup, TCustomGroupBox)
TK_CLASS_INFO(TRadioGroup, TCustomRadioGroup)

void TRadioGroup::Publish(TPublisher<TRadioGroup>& p) {
  p.String("Caption", &TRadioGroup::GetCaption, &TRadioGroup::SetCaption);
  p.Integer("Columns", &TRadioGroup::GetColumns, &TRadioGroup::SetColumns).Default(1);
  p.Strings("Items", &TRadioGroup::GetItems, &TRadioGroup::SetItems);
  p.Integer("ItemIndex", &TRadioGroup::GetItemIndex, &TRadioGroup::SetItemIndex).Default(-1);
}

TK_BEGIN_MESSAGE_MAP(TCustomRadioGroup)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_END_MESSAGE_MAP()

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner), items_(New<TStringList>()) {
  // Its buttons come from Items: nothing is placed on it.
  control_style_ = {csSetCaption, csDoubleClicks, csCaptureMouse, csClickEvents};
  items_->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChanged);
}

TCustomRadioGroup::~TCustomRadioGroup() {
  items_->OnChange = nullptr;
  while (!buttons_.empty()) {
    TGroupButton* button = buttons_.back();
    buttons_.pop_back();
    button->group_ = nullptr;
    Free(button);
  }
  Free(items_);
}

TRadioButton* TCustomRadioGroup::GetButton(int index) const {
  if (index < 0 || index >= GetButtonCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  return buttons_[static_cast<size_t>(index)];
}

void TCustomRadioGroup::SetItemIndex(int index) {
  if (IsLoading(this)) {
    // The buttons come with Loaded; the value is checked then.
    item_index_ = index;
    return;
  }
  index = std::clamp(index, -1, GetButtonCount() - 1);
  if (index == item_index_) return;
  if (item_index_ >= 0 && item_index_ < GetButtonCount())
    buttons_[static_cast<size_t>(item_index_)]->SetChecked(false);
  item_index_ = index;
  if (index >= 0) buttons_[static_cast<size_t>(index)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(int columns) {
  columns = std::clamp(columns, 1, 16);
  if (columns == columns_) return;
  columns_ = columns;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ItemsChanged(TObject* sender) {
  (void)sender;
  if (IsLoading(this)) return;
  // The checked line went away: the last one is checked instead.
  if (item_index_ >= items_->Count()) item_index_ = items_->Count() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
  while (GetButtonCount() < items_->Count()) New<TGroupButton>(this);
  while (GetButtonCount() > items_->Count()) {
    TGroupButton* button = buttons_.back();
    buttons_.pop_back();
    button->group_ = nullptr;
    Free(button);
  }
  for (int i = 0; i < GetButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_->Get(i));
  // Checking from here is no choice of the user's: no click.
  updating_ = true;
  try {
    if (item_index_ >= 0 && item_index_ < GetButtonCount()) {
      buttons_[static_cast<size_t>(item_index_)]->SetChecked(true);
    } else {
      for (TGroupButton* button : buttons_) button->SetChecked(false);
    }
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ButtonClicked(TGroupButton* button) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return;
  item_index_ = static_cast<int>(it - buttons_.begin());
  Click();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (buttons_.empty() || IsLoading(this)) return;
  int count = GetButtonCount();
  int line = TextLineHeight();
  // Column by column, as many rows as the columns need, the spare height split above and below.
  int rows = (count + columns_ - 1) / columns_;
  int width = (GetWidth() - 10) / columns_;
  int spare = GetHeight() - line - 5;
  int height = spare / rows;
  int top_margin = line + 1 + (spare % rows) / 2;
  bool windows = HandleAllocated();
  for (TGroupButton* button : buttons_) windows = windows && button->HandleAllocated();
  // Moved together: the group repaints once rather than once per button.
  HDWP defer = windows ? BeginDeferWindowPos(count) : nullptr;
  for (int i = 0; i < count; ++i) {
    TGroupButton* button = buttons_[static_cast<size_t>(i)];
    int left = (i / rows) * width + 8;
    int top = (i % rows) * height + top_margin;
    if (defer)
      defer = DeferWindowPos(defer, button->GetHandle(), nullptr, left, top, std::max(width, 0),
                             std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    else
      button->SetBounds(left, top, width, height);
  }
  if (defer) EndDeferWindowPos(defer);
  for (TGroupButton* button : buttons_) button->SetVisible(true);
}

void TCustomRadioGroup::Loaded() {
  inherited::Loaded();
  item_index_ = std::clamp(item_index_, -1, items_->Count() - 1);
  UpdateButtons();
}

void TCustomRadioGroup::CreateWnd() {
  inherited::CreateWnd();
  ArrangeButtons();
}

void TCustomRadioGroup::WMSize(TMessage& message) {
  TK_INHERITED(message);
  ArrangeButtons();
}

void TCustomRadioGroup::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& message) {
  TK_INHERITED(message);
  for (TGroupButton* button : buttons_) button->SetEnabled(GetEnabled());
}

void RegisterExtCtrlsClasses() {
  RegisterClasses(
      {TPanel::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(), TRadioGroup::StaticClass()});
}
