#include "skin/controls/sedit.h"

#include "skin/controls/scombobox.h"
#include "skin/controls/sspinedit.h"
#include "toolkit/classregistry.h"
#include "toolkit/dragdock.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kBorder = 3;  // the style's border round the client area

void Shrink(RECT& r) { InflateRect(&r, -kBorder, -kBorder); }

}  // namespace

TK_CLASS_INFO(TsEdit, TCustomEdit)

void TsEdit::Publish(TPublisher<TsEdit>& p) {
  p.Object("sStyle", &TsEdit::GetSkinStyle);
  PublishDragEvents(p);
}

TK_BEGIN_MESSAGE_MAP(TsEdit)
TK_MESSAGE(WM_NCCALCSIZE, WMNCCalcSize)
TK_MESSAGE(WM_NCPAINT, WMNCPaint)
TK_END_MESSAGE_MAP()

TsEdit::TsEdit(TComponent* owner) : TCustomEdit(owner), style_(New<TsStyle>(this)) {
  style_->COC = COC_TsEdit;
  // The border is the style's, not the system's client edge.
  SetBorderStyle(bsNone);
  SetCtl3D(false);
  SetParentFont(true);
  SetHeight(21);
  SetDoubleBuffered(true);
  OnKeyDown = TKeyEvent(this, &TsEdit::StyleKeyDown);
}

TsEdit::~TsEdit() {
  OnKeyDown = TKeyEvent();
  FreeAndNil(style_);
}

void TsEdit::AfterConstruction() {
  TCustomEdit::AfterConstruction();
  style_->UpdateIndexes();
}

void TsEdit::Loaded() {
  TCustomEdit::Loaded();
  style_->UpdateIndexes();
}

bool TsEdit::MayPaint() const {
  const TComponentState state = GetComponentState();
  return style_ && !state.Contains(csLoading) && !state.Contains(csDestroying);
}

void TsEdit::StyleKeyDown(TObject* sender, WORD& key, TShiftState shift) {
  (void)sender;
  if (style_) style_->KeyDown(key, shift);
}

void TsEdit::WndProc(TMessage& message) {
  if (style_ && style_->HandleFirst(message)) return;
  TCustomEdit::WndProc(message);
}

void TsEdit::Invalidate() {
  if (MayPaint()) {
    SetColor(style_->GetActualColor());
    if (GetComponentState().Contains(csDesigning)) style_->BGChanged = true;
    if (GetParent()) style_->PaintBorder();
  }
  TCustomEdit::Invalidate();
}

void TsEdit::WMNCCalcSize(TMessage& message) {
  TK_INHERITED(message);
  if (message.WParam)
    Shrink(reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]);
  else
    Shrink(*reinterpret_cast<RECT*>(message.LParam));
}

void TsEdit::WMNCPaint(TMessage& message) {
  if (!MayPaint()) {
    TK_INHERITED(message);
    return;
  }
  SetColor(style_->GetActualColor());
  TK_INHERITED(message);
  style_->PaintBorder();
}

void RegisterSkinEditsClasses() {
  RegisterClasses({TsEdit::StaticClass(), TsSpinEdit::StaticClass(), TsComboBox::StaticClass()});
  ComboButtonBitmap();  // the combo box's built-in button, loaded once at start-up
}
