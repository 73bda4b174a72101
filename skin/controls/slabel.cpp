// The skinned label: text over the parent's skin cache, sizing to the text, the accelerator.
#include "skin/controls/slabel.h"

#include <algorithm>

#include "skin/engine/sctrlutils.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

bool BeingReadOrFreed(const TComponent* component) {
  const TComponentState state = component->GetComponentState();
  return state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csDestroying);
}

// Sets a canvas for DoDrawText while it lives and puts the previous one back.
class TDrawCanvasScope {
 public:
  TDrawCanvasScope(TCanvas*& slot, TCanvas* canvas) : slot_(slot), old_(slot) { slot_ = canvas; }
  ~TDrawCanvasScope() { slot_ = old_; }
  TDrawCanvasScope(const TDrawCanvasScope&) = delete;
  TDrawCanvasScope& operator=(const TDrawCanvasScope&) = delete;

 private:
  TCanvas*& slot_;
  TCanvas* old_;
};

}  // namespace

// ---- TsCustomLabel ----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsCustomLabel, TCustomControl)

TK_BEGIN_MESSAGE_MAP(TsCustomLabel)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
TK_END_MESSAGE_MAP()

void TsCustomLabel::Publish(TPublisher<TsCustomLabel>&) {}

TsCustomLabel::TsCustomLabel(TComponent* owner) : TCustomControl(owner) {
  control_style_.Exclude(csFramed);
  control_style_.Exclude(csOpaque);
  control_style_.Include(csSetCaption);
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

TsCustomLabel::~TsCustomLabel() {
  // The parent may be gone already, so not through the setter: the control must not notify a
  // freed label.
  if (focus_control_) focus_control_->RemoveFreeNotification(this);
}

UINT TsCustomLabel::GetTextFlags() const {
  // The side mirrored and the reading order set as the label reads (right to left, too); the
  // label places its lines itself.
  UINT flags = DrawTextBiDiFlags(this, alignment_) & ~DT_VCENTER;
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  return flags;
}

void TsCustomLabel::SetFocusControl(TWinControl* control) {
  if (!HasParent() || control == focus_control_) return;
  if (focus_control_) focus_control_->RemoveFreeNotification(this);
  focus_control_ = control;
  if (control) control->FreeNotification(this);
}

void TsCustomLabel::SetAlignment(TAlignment alignment) {
  if (!HasParent() || alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TsCustomLabel::SetAutoSize(bool auto_size) {
  if (auto_size == auto_size_) return;
  auto_size_ = auto_size;
  AdjustBounds();
}

void TsCustomLabel::SetLayout(TTextLayout layout) {
  if (!HasParent() || layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TsCustomLabel::SetWordWrap(bool word_wrap) {
  if (!HasParent() || word_wrap == word_wrap_) return;
  word_wrap_ = word_wrap;
  AdjustBounds();
}

void TsCustomLabel::SetShowAccelChar(bool show) {
  if (!HasParent() || show == show_accel_char_) return;
  show_accel_char_ = show;
  Invalidate();
}

void TsCustomLabel::SetTransparent(bool transparent) {
  if (!HasParent() || transparent == transparent_) return;
  transparent_ = transparent;
  Invalidate();
}

void TsCustomLabel::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == focus_control_) focus_control_ = nullptr;
}

void TsCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

std::string TsCustomLabel::GetLabelText() { return HasParent() ? GetCaption() : std::string(); }

TFont* TsCustomLabel::GetLabelFont() { return HasParent() ? GetFont() : nullptr; }

TCanvas* TsCustomLabel::DrawCanvas() const { return draw_canvas_ ? draw_canvas_ : GetCanvas(); }

void TsCustomLabel::DoDrawText(RECT& rect, UINT flags) {
  std::string text = GetLabelText();
  // An empty label still measures one line high.
  if ((flags & DT_CALCRECT) && (text.empty() || (show_accel_char_ && text == "&"))) text += ' ';
  TCanvas* canvas = DrawCanvas();
  if (TFont* font = GetLabelFont()) canvas->SetFont(font);
  HDC dc = canvas->GetHandle();
  HGDIOBJ old_font = SelectObject(dc, canvas->GetFont()->GetHandle());
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_color = GetTextColor(dc);
  const int length = static_cast<int>(text.size());
  if (GetEnabled()) {
    SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
    DrawTextA(dc, text.c_str(), length, &rect, flags);
  } else {
    // Embossed: a highlight copy one pixel right and down under the shadow-coloured text.
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

void TsCustomLabel::Paint() {
  if (!HasParent() || BeingReadOrFreed(this)) return;
  TsCacheInfo ci;
  TWinControl* parent = GetParent();
  if (SkinData().SkinLoaded) {
    GlobalCacheInfo.Ready = false;
    SendMessageA(parent->GetHandle(), SKM_GETCACHEINFO, 0, 0);
    ci = GlobalCacheInfo;
  }
  const RECT client = GetClientRect();
  TCanvas* canvas = GetCanvas();
  if (!transparent_ || !ci.Ready || !ci.Bmp) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(client);
  } else {
    // Every pixel is copied, those of the label's own colour too: the label does not erase,
    // so a pixel left out would show whatever the screen held there.
    BitBlt(canvas->GetHandle(), 0, 0, client.right, client.bottom, ci.Bmp->GetCanvas()->GetHandle(),
           GetLeft() + ci.X, GetTop() + ci.Y, SRCCOPY);
  }
  canvas->GetBrush()->SetStyle(bsClear);
  const UINT flags = GetTextFlags();
  RECT r = client;
  if (layout_ != tlTop) {
    RECT measured = client;
    DoDrawText(measured, flags | DT_CALCRECT);
    const int spare = (client.bottom - client.top) - (measured.bottom - measured.top);
    OffsetRect(&r, 0, layout_ == tlBottom ? spare : spare / 2);
  }
  DoDrawText(r, flags);
}

void TsCustomLabel::AdjustBounds() {
  if (!HasParent() || !auto_size_ || IsReading()) return;
  RECT rect = GetClientRect();
  HDC screen = GetDC(nullptr);
  TCanvas* measuring = New<TCanvas>();
  measuring->SetHandle(screen);
  try {
    TDrawCanvasScope scope(draw_canvas_, measuring);
    // Measured as painted: an ampersand that shows must be counted.
    DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0) |
                         (show_accel_char_ ? 0 : DT_NOPREFIX));
  } catch (...) {
    measuring->SetHandle(nullptr);
    Free(measuring);
    ReleaseDC(nullptr, screen);
    throw;
  }
  measuring->SetHandle(nullptr);
  Free(measuring);
  ReleaseDC(nullptr, screen);
  int left = GetLeft();
  // A label whose text sits on the right (read from the right, a left-aligned one) grows to
  // the left: its right edge stays.
  if (DrawTextBiDiFlags(this, alignment_) & DT_RIGHT) left += GetWidth() - rect.right;
  SetBounds(left, GetTop(), rect.right, rect.bottom);
}

bool TsCustomLabel::CanFocusTarget() const {
  return focus_control_ && GetEnabled() && show_accel_char_ && focus_control_->CanFocus();
}

void TsCustomLabel::WMLButtonDown(TMessage& message) {
  if (focus_control_ && focus_control_->CanFocus()) focus_control_->SetFocus();
  TK_INHERITED(message);
}

void TsCustomLabel::CMTextChanged(TMessage&) {
  Invalidate();
  AdjustBounds();
}

void TsCustomLabel::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  AdjustBounds();
}

void TsCustomLabel::CMEnabledChanged(TMessage& message) {
  TK_INHERITED(message);
  if (HandleAllocated()) Repaint();
}

void TsCustomLabel::CMMouseEnter(TMessage& message) {
  TK_INHERITED(message);
  mouse_in_control_ = true;
  if (HandleAllocated()) Repaint();
}

void TsCustomLabel::CMMouseLeave(TMessage& message) {
  TK_INHERITED(message);
  mouse_in_control_ = false;
  if (HandleAllocated()) Repaint();
}

void TsCustomLabel::WMEraseBkgnd(TMessage& message) {
  // With a skin the whole area is painted from the parent's cache: erasing would flicker.
  if (SkinData().SkinLoaded) {
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

void TsCustomLabel::CMDialogChar(TMessage& message) {
  if (CanFocusTarget() && IsAccel(message.WParam, GetCaption())) {
    focus_control_->SetFocus();
    message.Result = 1;
  }
}

// ---- TsLabel ----------------------------------------------------------------------------------

TK_CLASS_INFO(TsLabel, TsCustomLabel)

void TsLabel::Publish(TPublisher<TsLabel>& p) {
  p.String("Caption", &TsLabel::GetCaption, &TsLabel::SetCaption);
  p.Object("FocusControl", &TsLabel::GetFocusControl, &TsLabel::SetFocusControl);
  p.Enumeration("Alignment", AlignmentInfo(), &TsLabel::GetAlignment, &TsLabel::SetAlignment)
      .Default(taLeftJustify);
  p.Boolean("AutoSize", &TsLabel::GetAutoSize, &TsLabel::SetAutoSize).Default(true);
  p.Enumeration("Layout", TextLayoutInfo(), &TsLabel::GetLayout, &TsLabel::SetLayout).Default(tlTop);
  p.Boolean("WordWrap", &TsLabel::GetWordWrap, &TsLabel::SetWordWrap).Default(false);
  p.Boolean("ShowAccelChar", &TsLabel::GetShowAccelChar, &TsLabel::SetShowAccelChar).Default(true);
  p.Boolean("Transparent", &TsLabel::GetTransparent, &TsLabel::SetTransparent).Default(true);
}

void RegisterSkinLabelClasses() {
  RegisterClasses({TsLabel::StaticClass()});
  SetSkinnedLabelTest([](TControl* control) { return control && control->Is<TsCustomLabel>(); });
  SetCaptionLabelFactory([]() -> TsCaptionLabel* { return New<TsLabel>(nullptr); });
}
