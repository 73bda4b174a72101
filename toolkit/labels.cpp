#include "toolkit/labels.h"

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

// Binds a device context to a control's canvas for a measurement outside painting.
class TCanvasBinding {
 public:
  TCanvasBinding(TCanvas* canvas, HDC dc) : canvas_(canvas) {
    if (auto* control_canvas = DynamicCast<TControlCanvas>(canvas)) control_canvas->FreeHandle();
    canvas_->Lock();
    canvas_->SetHandle(dc);
  }
  ~TCanvasBinding() {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  }
  TCanvasBinding(const TCanvasBinding&) = delete;
  TCanvasBinding& operator=(const TCanvasBinding&) = delete;

 private:
  TCanvas* canvas_;
};

}  // namespace

const TEnumInfo& TextLayoutInfo() {
  static const TEnumInfo info{"tlTop", "tlCenter", "tlBottom"};
  return info;
}

// ---- TCustomLabel ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomLabel, TGraphicControl)

TK_BEGIN_MESSAGE_MAP(TCustomLabel)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_END_MESSAGE_MAP()

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  control_style_.Include(csOpaque);
  control_style_.Include(csReplicatable);
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

UINT TCustomLabel::GetTextFlags() const {
  UINT flags = DT_EXPANDTABS;
  switch (alignment_) {
    case taLeftJustify: flags |= DT_LEFT; break;
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
  }
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  return flags;
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool auto_size) {
  if (auto_size == auto_size_) return;
  auto_size_ = auto_size;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool word_wrap) {
  if (word_wrap == word_wrap_) return;
  word_wrap_ = word_wrap;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  // An opaque label fills its whole area, so the parent need not erase below it.
  if (transparent)
    control_style_.Exclude(csOpaque);
  else
    control_style_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool show) {
  if (show == show_accel_char_) return;
  show_accel_char_ = show;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
  if (control == focus_control_) return;
  if (focus_control_) focus_control_->RemoveFreeNotification(this);
  focus_control_ = control;
  if (control) control->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == focus_control_) focus_control_ = nullptr;
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TCustomLabel::DoDrawText(RECT& rect, UINT flags) {
  std::string text = GetLabelText();
  // An empty label still measures one line high.
  if ((flags & DT_CALCRECT) && (text.empty() || (show_accel_char_ && text == "&"))) text += ' ';
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  HDC dc = canvas->GetHandle();
  HGDIOBJ old_font = SelectObject(dc, canvas->GetFont()->GetHandle());
  int old_mode = SetBkMode(dc, TRANSPARENT);
  COLORREF old_color = GetTextColor(dc);
  int length = static_cast<int>(text.size());
  if ((flags & DT_CALCRECT) || GetEnabled()) {
    SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
    DrawTextA(dc, text.c_str(), length, &rect, flags);
  } else {
    // Disabled: embossed, a highlight copy one pixel below and right of the shadow-coloured text.
    OffsetRect(&rect, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, text.c_str(), length, &rect, flags);
    OffsetRect(&rect, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextA(dc, text.c_str(), length, &rect, flags);
  }
  SetTextColor(dc, old_color);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  RECT rect = GetClientRect();
  if (!transparent_) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(rect);
  }
  canvas->GetBrush()->SetStyle(bsClear);
  UINT flags = GetTextFlags();
  if (layout_ != tlTop) {
    RECT measured = rect;
    DoDrawText(measured, flags | DT_CALCRECT);
    int spare = (rect.bottom - rect.top) - (measured.bottom - measured.top);
    OffsetRect(&rect, 0, layout_ == tlBottom ? spare : spare / 2);
  }
  DoDrawText(rect, flags);
}

void TCustomLabel::AdjustBounds() {
  if (!auto_size_ || GetComponentState().Contains(csLoading) || IsReading()) return;
  RECT rect = GetClientRect();
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  try {
    TCanvasBinding binding(GetCanvas(), dc);
    DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0));
  } catch (...) {
    ReleaseDC(nullptr, dc);
    throw;
  }
  ReleaseDC(nullptr, dc);
  int left = GetLeft();
  // A right-aligned label grows to the left: its right edge stays.
  if (alignment_ == taRightJustify) left += GetWidth() - rect.right;
  SetBounds(left, GetTop(), rect.right, rect.bottom);
}

void TCustomLabel::CMTextChanged(TMessage& message) {
  (void)message;
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& message) {
  if (focus_control_ && GetEnabled() && show_accel_char_ && IsAccel(message.WParam, GetCaption()) &&
      focus_control_->CanFocus()) {
    focus_control_->SetFocus();
    message.Result = 1;
  }
}

// ---- TLabel ---------------------------------------------------------------------------------

TK_CLASS_INFO(TLabel, TCustomLabel)

void TLabel::Publish(TPublisher<TLabel>& p) {
  p.String("Caption", &TLabel::GetCaption, &TLabel::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &TLabel::GetAlignment, &TLabel::SetAlignment)
      .Default(taLeftJustify);
  p.Boolean("AutoSize", &TLabel::GetAutoSize, &TLabel::SetAutoSize).Default(true);
  p.Enumeration("Layout", TextLayoutInfo(), &TLabel::GetLayout, &TLabel::SetLayout).Default(tlTop);
  p.Boolean("WordWrap", &TLabel::GetWordWrap, &TLabel::SetWordWrap).Default(false);
  p.Boolean("Transparent", &TLabel::GetTransparent, &TLabel::SetTransparent).Default(false);
  p.Boolean("ShowAccelChar", &TLabel::GetShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
  p.Object("FocusControl", &TLabel::GetFocusControl, &TLabel::SetFocusControl);
}

void RegisterLabelClasses() { RegisterClasses({TLabel::StaticClass()}); }
