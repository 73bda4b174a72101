#include "skin/controls/sgroupbox.h"

#include <algorithm>
#include <memory>

#include "skin/controls/spanel.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/graphics.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

namespace {

SIZE TextSize(TFont* font, const std::string& text) { return GetStringSize(font->GetHandle(), text); }

int FontLineHeight(TFont* font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->GetHandle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

}  // namespace

const TEnumInfo& GroupCaptionLayoutInfo() {
  static const TEnumInfo info{"clTopLeft", "clTopCenter", "clTopRight"};
  return info;
}

// ---- TsGroupBox ---------------------------------------------------------------------------------

TK_CLASS_INFO(TsGroupBox, TsCustomPanel)

void TsGroupBox::Publish(TPublisher<TsGroupBox>& p) {
  using P = TsGroupBox;
  p.String("Caption", &P::GetCaption, &P::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &P::GetAlignment, &P::SetAlignment).Default(taCenter);
  p.Enumeration("BevelOuter", ControlBevelInfo(), &P::GetBevelOuter, &P::SetBevelOuter).Default(cbRaisedSoft);
  p.Enumeration("BevelInner", ControlBevelInfo(), &P::GetBevelInner, &P::SetBevelInner)
      .Default(cbLoweredHard);
  p.Integer("BevelWidth", &P::GetBevelWidth, &P::SetBevelWidth).Default(2);
  p.Enumeration("BorderStyle", PanelBorderStyleInfo(), &P::GetBorderStyle, &P::SetBorderStyle)
      .Default(bsNone);
  p.Enumeration("CaptionLayout", GroupCaptionLayoutInfo(), &P::GetCaptionLayout, &P::SetCaptionLayout)
      .Default(clTopLeft);
  p.Integer("CaptionYOffset", &P::GetCaptionYOffset, &P::SetCaptionYOffset).Default(0);
  p.Object("sStyle", &P::GetStyle, &P::SetStyle);
  p.Event("OnPaint", &P::OnPaint);
}

TsGroupBox::TsGroupBox(TComponent* owner) : TsCustomPanel(owner) {
  style_->COC = COC_TsGroupBox;
  SetHeight(100);
  // Without a skin the face is painted in the parent's colour: children that fill with the
  // group box's Color match it.
  SetParentColor(true);
}

void TsGroupBox::WndProc(TMessage& message) {
  if (style_ && !GetComponentState().Contains(csDestroying)) {
    // The caption's side lives in the cache.
    if (message.Msg == CM_BIDIMODECHANGED) style_->Invalidate();
    if (style_->HandleFirst(message)) return;  // answered, or we are gone
    if (message.Msg == SKM_REMOVESKIN || message.Msg == SKM_REFRESH) {
      style_->BGChanged = true;
      Invalidate();
    }
  }
  inherited::WndProc(message);
}

void TsGroupBox::CreateWnd() {
  inherited::CreateWnd();
  if (style_->SkinIndex < 0) style_->UpdateIndexes();
}

RECT TsGroupBox::GetClientRect() { return RECT{0, CaptionHeight(), GetWidth(), GetHeight()}; }

void TsGroupBox::SetCaptionLayout(TsGroupCaptionLayout value) {
  if (value == caption_layout_) return;
  caption_layout_ = value;
  style_->Invalidate();
}

void TsGroupBox::SetCaptionYOffset(int value) {
  if (value == caption_y_offset_) return;
  caption_y_offset_ = value;
  style_->Invalidate();
}

void TsGroupBox::SetBevelInner(TsControlBevel value) {
  if (value == frame_inner_) return;
  frame_inner_ = value;
  style_->Invalidate();
}

int TsGroupBox::CaptionHeight() { return TextSize(GetFont(), "W").cy + 6; }

RECT TsGroupBox::CaptionRect() {
  const int text = TextSize(GetFont(), GetCaption()).cx;
  const int bevel = GetBevelWidth();
  int left = 6;
  if (caption_layout_ == clTopCenter) left = (GetWidth() - text - 12) / 2;
  if (caption_layout_ == clTopRight) left = GetWidth() - text - 18;
  left = std::max(left, 0);
  RECT r{left, 0, std::min(left + text + 12, GetWidth()), CaptionHeight()};
  if (r.right - r.left < 2 * bevel) InflateRect(&r, bevel, 0);
  return r;
}

// ---- Painting -----------------------------------------------------------------------------------

bool TsGroupBox::LiesInsideParent() {
  TWinControl* parent = GetParent();
  if (!parent) return true;
  const RECT client = parent->GetClientRect();
  return GetLeft() >= client.left && GetTop() >= client.top && GetLeft() + GetWidth() <= client.right &&
         GetTop() + GetHeight() <= client.bottom;
}

void TsGroupBox::Paint() {
  if (!style_ || GetComponentState().Contains(csDestroying)) return;
  if (style_->Updating && style_->SkinIndex >= 0) return;
  const bool rebuild = style_->BGChanged || was_outside_;
  was_outside_ = !LiesInsideParent();
  if (rebuild) {
    style_->InitCacheBmp();
    TBitmap* cache = style_->GetCacheBmp();
    cache->GetCanvas()->SetFont(GetFont());
    style_->PaintBG(cache);
    PaintFrame(cache);
    if (!GetCaption().empty()) PaintCaption(CaptionRect(), style_);
    PaintChildShadows(this, cache);
    style_->BGChanged = false;
  }
  style_->CopyCacheToDC(GetCanvas()->GetHandle(), RECT{0, 0, GetWidth(), GetHeight()});
  BroadcastRepaint(this, rebuild);
  if (!rebuild) return;
  // Check controls read this cache when they paint, but are only told of a new one: they
  // follow it now.
  for (int i = 0; i < GetControlCount(); ++i)
    if (auto* child = DynamicCast<TsCheckedControl>(GetControl(i)); child && ControlReadyToPaint(child))
      child->Invalidate();
}

// The border: the frame's top runs through the middle of the caption band, and the band's own
// pixels are put back over it, so the caption sits in a gap of the border.
void TsGroupBox::PaintFrame(TBitmap* cache) {
  const bool has_caption = !GetCaption().empty();
  const int bevel = GetBevelWidth();
  RECT frame{0, 0, GetWidth(), GetHeight()};
  const RECT gap = has_caption ? CaptionRect() : RECT{};
  std::unique_ptr<TBitmap, void (*)(TBitmap*)> saved(nullptr, [](TBitmap* b) { Free(b); });
  if (has_caption) {
    frame.top += (gap.bottom - gap.top) / 2;
    saved.reset(New<TBitmap>());
    saved->SetPixelFormat(pf24bit);
    saved->SetSize(gap.right - gap.left, gap.bottom - gap.top);
    BitBlt(saved->GetCanvas()->GetHandle(), 0, 0, gap.right - gap.left, gap.bottom - gap.top,
           cache->GetCanvas()->GetHandle(), gap.left, gap.top, SRCCOPY);
  }
  if (IsValidSkinIndex(style_->SkinIndex) && IsValidImgIndex(style_->BorderIndex)) {
    DrawSkinMaskRect(cache, frame, false, EmptyCI, SkinMasks[static_cast<size_t>(style_->BorderIndex)], 0);
  } else {
    const bool soft = style_->GetSoftControl();
    PaintStyleRect(style_, cache, frame, soft, style_->GetPaintingBevel(), bevel);
    if (frame_inner_ != cbNone) {
      // As on a panel, the inner bevel keeps its place whether the outer one is drawn or not.
      RECT inner = frame;
      const int inset = bevel + GetBorderWidth();
      InflateRect(&inner, -inset, -inset);
      PaintStyleRect(style_, cache, inner, soft, frame_inner_, bevel);
    }
  }
  if (saved)
    BitBlt(cache->GetCanvas()->GetHandle(), gap.left, gap.top, gap.right - gap.left, gap.bottom - gap.top,
           saved->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TsGroupBox::PaintCaption(RECT r, TsGenStyle* style) {
  OffsetRect(&r, 0, caption_y_offset_);
  inherited::PaintCaption(r, style);
}

// ---- TsGroupButton ------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsGroupButton, TsRadioButton)

TsGroupButton::TsGroupButton(TsRadioGroup* group) : TsRadioButton(nullptr), group_(group) {
  style_->SetSkinSection("TsRadioButton");
  style_->BGChanged = true;
  SetShowFocus(true);
  group->buttons_.push_back(this);
  SetVisible(false);
  SetEnabled(group->GetEnabled());
  SetParentShowHint(false);
  SetParent(group);
}

TsGroupButton::~TsGroupButton() {
  if (group_) std::erase(group_->buttons_, this);
}

void TsGroupButton::Click() {
  if (group_) group_->ButtonClicked(this);
  inherited::Click();
}

bool TsGroupButton::AcceptsInput() { return !group_ || group_->CanModify(); }

void TsGroupButton::StateChanged() {
  if (group_) group_->UpdateTabStops();
}

void TsGroupButton::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key && group_) group_->ButtonKeyDown(key, shift);
}

void TsGroupButton::KeyPress(char& key) {
  inherited::KeyPress(key);
  if ((key == '\b' || key == ' ') && group_ && !group_->CanModify()) key = 0;
  if (key && group_) group_->ButtonKeyPress(key);
}

// ---- TsRadioGroup -------------------------------------------------------------------------------

TK_CLASS_INFO(TsRadioGroup, TsGroupBox)

void TsRadioGroup::Publish(TPublisher<TsRadioGroup>& p) {
  using P = TsRadioGroup;
  p.Integer("Columns", &P::GetColumns, &P::SetColumns).Default(1);
  p.Strings("Items", &P::GetItems, &P::SetItems);
  p.Integer("ItemIndex", &P::GetItemIndex, &P::SetItemIndex).Default(-1);
}

TsRadioGroup::TsRadioGroup(TComponent* owner) : TsGroupBox(owner), items_(New<TStringList>()) {
  style_->SetSkinSection("TSGROUPBOX");
  // Its buttons come from Items: nothing is placed on it.
  control_style_ = {csSetCaption, csDoubleClicks};
  items_->OnChange = TNotifyEvent(this, &TsRadioGroup::ItemsChanged);
}

TsRadioGroup::~TsRadioGroup() {
  items_->OnChange = nullptr;
  while (!buttons_.empty()) FreeButton();
  Free(items_);
}

void TsRadioGroup::FreeButton() {
  TsGroupButton* button = buttons_.back();
  buttons_.pop_back();
  button->group_ = nullptr;
  Free(button);
}

void TsRadioGroup::WndProc(TMessage& message) {
  inherited::WndProc(message);
  switch (message.Msg) {
    case WM_SIZE:
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED: ArrangeButtons(); break;
    case CM_ENABLEDCHANGED:
      for (TsGroupButton* button : buttons_) button->SetEnabled(GetEnabled());
      break;
  }
}

TStrings* TsRadioGroup::GetItems() const { return items_; }
void TsRadioGroup::SetItems(TStrings* value) { items_->Assign(value); }

TsGroupButton* TsRadioGroup::GetButton(int index) const {
  if (index < 0 || index >= GetButtonCount()) return nullptr;
  return buttons_[static_cast<size_t>(index)];
}

void TsRadioGroup::SetItemIndex(int value) {
  if (IsReading()) {
    // The buttons come with Loaded.
    item_index_ = value;
    return;
  }
  value = std::clamp(value, -1, GetButtonCount() - 1);
  if (value == item_index_) return;
  // A radio button refuses to be unchecked by code; its group may.
  if (TsGroupButton* old = GetButton(item_index_)) old->Uncheck();
  item_index_ = value;
  if (TsGroupButton* button = GetButton(value)) {
    updating_ = true;
    button->SetChecked(true);
    updating_ = false;
  }
}

void TsRadioGroup::SetColumns(int value) {
  value = std::clamp(value, 1, 16);
  if (value == columns_) return;
  columns_ = value;
  ArrangeButtons();
  style_->Invalidate();
}

void TsRadioGroup::ItemsChanged(TObject* sender) {
  (void)sender;
  if (!IsReading()) {
    // The checked line went away: the last one is checked instead.
    if (item_index_ >= items_->Count()) item_index_ = items_->Count() - 1;
    UpdateButtons();
  }
  for (TsGroupButton* button : buttons_) button->ResolveSkin();
}

void TsRadioGroup::CheckStoredIndex() {
  TsGroupButton* button = GetButton(item_index_);
  if (!button) {
    for (TsGroupButton* b : buttons_) b->Uncheck();
    return;
  }
  // A check from here is no choice of the user's: ItemIndex stays as it is.
  updating_ = true;
  button->SetChecked(true);
  updating_ = false;
}

void TsRadioGroup::UpdateButtons() {
  while (GetButtonCount() < items_->Count()) New<TsGroupButton>(this);
  while (GetButtonCount() > items_->Count()) FreeButton();
  for (int i = 0; i < GetButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_->Get(i));
  CheckStoredIndex();
  UpdateTabStops();
  ArrangeButtons();
  style_->Invalidate();
}

void TsRadioGroup::UpdateTabStops() {
  auto checked =
      std::find_if(buttons_.begin(), buttons_.end(), [](TsGroupButton* b) { return b->GetChecked(); });
  TsGroupButton* stop = checked != buttons_.end() ? *checked : buttons_.empty() ? nullptr : buttons_.front();
  for (TsGroupButton* button : buttons_) button->SetTabStop(button == stop);
}

void TsRadioGroup::Loaded() {
  inherited::Loaded();
  // Stored unchecked while reading: the lines are all there now.
  item_index_ = std::clamp(item_index_, -1, items_->Count() - 1);
  UpdateButtons();
  for (TsGroupButton* button : buttons_) button->ResolveSkin();
}

void TsRadioGroup::ButtonClicked(TsGroupButton* button) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return;
  item_index_ = static_cast<int>(it - buttons_.begin());
  Changed();
  Click();
}

void TsRadioGroup::ArrangeButtons() {
  if (buttons_.empty() || IsReading() || GetComponentState().Contains(csLoading)) return;
  const int count = GetButtonCount();
  const int line = FontLineHeight(GetFont());
  // Column by column, as many rows as the columns need, the spare height split above and below.
  const int rows = (count + columns_ - 1) / columns_;
  const int width = std::max((GetWidth() - 10) / columns_, 0);
  const int spare = GetHeight() - line - 5;
  const int height = std::max(spare / rows, 0);
  const int top_margin = line + 1 + (spare % rows) / 2;
  bool windows = HandleAllocated();
  for (TsGroupButton* button : buttons_) windows = windows && button->HandleAllocated();
  // Moved together: the group repaints once rather than once per button.
  HDWP defer = windows ? BeginDeferWindowPos(count) : nullptr;
  for (int i = 0; i < count; ++i) {
    TsGroupButton* button = buttons_[static_cast<size_t>(i)];
    int left = (i / rows) * width + 8;
    // Laid out from the right, the first column is the rightmost.
    if (UseRightToLeftAlignment()) left = GetClientWidth() - left - width;
    const int top = (i % rows) * height + top_margin;
    if (defer)
      defer = DeferWindowPos(defer, button->GetHandle(), nullptr, left, top, width, height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    else
      button->SetBounds(left, top, width, height);
  }
  if (defer) EndDeferWindowPos(defer);
  for (TsGroupButton* button : buttons_) {
    button->SetBiDiMode(GetBiDiMode());
    if (SkinData().SkinLoaded && GetSkinIndex(button->GetSkinData()->GetSkinSection()) < 0)
      button->GetSkinData()->SetSkinSection("TSRADIOBUTTON");
    button->SetVisible(true);
  }
}

void RegisterSkinChecksClasses() {
  RegisterClasses({TsCheckBox::StaticClass(), TsRadioButton::StaticClass(), TsGroupBox::StaticClass(),
                   TsRadioGroup::StaticClass()});
}
