#include "toolkit/buttons.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

constexpr DWORD kButtonTypeMask = 0x0F;  // the BS_ type bits of a BUTTON's style

bool IsLoading(const TComponent* component) {
  TComponentState state = component->GetComponentState();
  return state.Contains(csLoading) || state.Contains(csReading);
}

// A brush of alternating pixels in two colours (the face of a button held down).
HBRUSH CreateDitherBrush() {
  static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  if (!pattern) return nullptr;
  HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);
  return brush;
}

void FillDithered(HDC dc, const RECT& rect, TColor face) {
  HBRUSH brush = CreateDitherBrush();
  if (!brush) return;
  // A one-bit pattern is drawn in the text (0) and background (1) colours.
  COLORREF old_text = SetTextColor(dc, ColorToRGB(face));
  COLORREF old_back = SetBkColor(dc, ColorToRGB(clBtnHighlight));
  FillRect(dc, &rect, brush);
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_back);
  DeleteObject(brush);
}

}  // namespace

const TEnumInfo& ButtonLayoutInfo() {
  static const TEnumInfo info{"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
  return info;
}

const TEnumInfo& CheckBoxStateInfo() {
  static const TEnumInfo info{"cbUnchecked", "cbChecked", "cbGrayed"};
  return info;
}

// ---- TButtonControl ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TButtonControl, TWinControl)

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  // The system's button captures the mouse and reports the click itself.
  control_style_ = {csSetCaption, csDoubleClicks};
}

void TButtonControl::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  if (word_wrap_) params.Style |= BS_MULTILINE;
}

void TButtonControl::SetWordWrap(bool word_wrap) {
  if (word_wrap == word_wrap_) return;
  word_wrap_ = word_wrap;
  RecreateWnd();
}

void TButtonControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Take the focus first with clicks off: a radio button reports a click when it gets
      // the focus, and the press itself clicks on release.
      if (handle_ && !Focused()) {
        clicks_disabled_ = true;
        ::SetFocus(handle_);
        clicks_disabled_ = false;
        // A handler kept the focus elsewhere: the press goes nowhere. (A hidden window may
        // not take the focus at all; its press goes on.)
        if (!Focused() && IsWindowVisible(handle_)) return;
      }
      break;
    case CN_COMMAND:
      if (clicks_disabled_) return;
      break;
    default: break;
  }
  inherited::WndProc(message);
}

// ---- TButton -----------------------------------------------------------------------------------

TK_CLASS_INFO(TButton, TButtonControl)

void TButton::Publish(TPublisher<TButton>& p) {
  p.String("Caption", &TButton::GetCaption, &TButton::SetCaption);
  p.Boolean("Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
  p.Boolean("Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(false);
  p.Integer("ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(mrNone);
  p.Boolean("TabStop", &TButton::GetTabStop, &TButton::SetTabStop).Default(true);
  p.Boolean("WordWrap", &TButton::GetWordWrap, &TButton::SetWordWrap).Default(false);
}

TK_BEGIN_MESSAGE_MAP(TButton)
TK_MESSAGE(CM_DIALOGKEY, CMDialogKey)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(CM_FOCUSCHANGED, CMFocusChanged)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_END_MESSAGE_MAP()

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetColor(clBtnFace);
}

void TButton::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  inherited::CreateWnd();
  active_ = default_;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modal_result_);
  inherited::Click();
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (!HandleAllocated()) return;
  // Every button of the form works out again which one Enter presses.
  if (TCustomForm* form = GetParentForm(this)) {
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
  } else {
    active_ = default_;
    SetButtonStyle(active_);
  }
}

void TButton::SetButtonStyle(bool is_default) {
  if (!HandleAllocated()) return;
  DWORD style = is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE)) & kButtonTypeMask) != style)
    SendMessageA(handle_, BM_SETSTYLE, style, TRUE);
}

void TButton::CMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TControl*>(message.LParam);
  // A focused button takes Enter itself; otherwise the default button does.
  if (auto* button = DynamicCast<TButton>(focused))
    active_ = button == this;
  else
    active_ = default_;
  SetButtonStyle(active_);
  TK_INHERITED(message);
}

void TButton::CMDialogKey(TMessage& message) {
  bool enter = message.WParam == VK_RETURN && active_;
  bool escape = message.WParam == VK_ESCAPE && cancel_;
  if ((enter || escape) && KeyDataToShiftState(message.LParam).Empty() && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

void TButton::CMDialogChar(TMessage& message) {
  if (IsAccel(message.WParam, GetCaption()) && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

void TButton::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) Click();
}

// ---- TButtonGlyph -----------------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() : glyph_(New<TBitmap>()), relay_(New<TRelay>(this)) {
  glyph_->OnChange = TNotifyEvent(relay_, &TRelay::Changed);
}

TButtonGlyph::~TButtonGlyph() {
  Free(glyph_);
  Free(relay_);
}

void TButtonGlyph::SetNumGlyphs(int count) {
  if (count < 1 || count > 4 || count == num_glyphs_) return;
  num_glyphs_ = count;
  OnChange(glyph_);
}

void TButtonGlyph::GlyphChanged(TObject* sender) {
  (void)sender;
  // A strip of square images says how many it holds.
  int width = glyph_->GetWidth(), height = glyph_->GetHeight();
  if (height > 0 && width % height == 0 && width / height >= 1 && width / height <= 4)
    num_glyphs_ = width / height;
  OnChange(glyph_);
}

SIZE TButtonGlyph::GetImageSize() const {
  if (glyph_->GetEmpty()) return {0, 0};
  return {glyph_->GetWidth() / num_glyphs_, glyph_->GetHeight()};
}

TGlyphTextPlace PlaceGlyphAndText(SIZE area, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                  int spacing) {
  bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  TGlyphTextPlace place{{0, 0}, {0, 0}};
  // Across the layout both are centred.
  if (horizontal) {
    place.glyph.y = (area.cy - glyph.cy + 1) / 2;
    place.text.y = (area.cy - text.cy + 1) / 2;
  } else {
    place.glyph.x = (area.cx - glyph.cx + 1) / 2;
    place.text.x = (area.cx - text.cx + 1) / 2;
  }
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;
  // Along it: margin and spacing, worked out from the free room when -1.
  int room = horizontal ? area.cx : area.cy;
  int glyph_len = horizontal ? glyph.cx : glyph.cy;
  int text_len = horizontal ? text.cx : text.cy;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (room - glyph_len - text_len) / 3;
      spacing = margin;
    } else {
      margin = (room - glyph_len - spacing - text_len + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room - margin - glyph_len - text_len) / 2;
  }
  switch (layout) {
    case blGlyphLeft:
      place.glyph.x = margin;
      place.text.x = place.glyph.x + glyph.cx + spacing;
      break;
    case blGlyphRight:
      place.glyph.x = area.cx - margin - glyph.cx;
      place.text.x = place.glyph.x - spacing - text.cx;
      break;
    case blGlyphTop:
      place.glyph.y = margin;
      place.text.y = place.glyph.y + glyph.cy + spacing;
      break;
    case blGlyphBottom:
      place.glyph.y = area.cy - margin - glyph.cy;
      place.text.y = place.glyph.y - spacing - text.cy;
      break;
  }
  return place;
}

TButtonGlyph::TLayout TButtonGlyph::Arrange(HDC dc, const RECT& client, const std::string& caption,
                                            TButtonLayout layout, int margin, int spacing) const {
  SIZE area{client.right - client.left, client.bottom - client.top};
  SIZE text{0, 0};
  if (!caption.empty()) {
    RECT measured{0, 0, area.cx, 0};
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, DT_CALCRECT | DT_SINGLELINE);
    text = {measured.right - measured.left, measured.bottom - measured.top};
  }
  const TGlyphTextPlace place = PlaceGlyphAndText(area, GetImageSize(), text, layout, margin, spacing);
  TLayout result;
  result.glyph = {client.left + place.glyph.x, client.top + place.glyph.y};
  result.text = {client.left + place.text.x, client.top + place.text.y, client.left + place.text.x + text.cx,
                 client.top + place.text.y + text.cy};
  return result;
}

void TButtonGlyph::DrawImage(HDC dc, int x, int y, TButtonState state) const {
  SIZE size = GetImageSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  int index = 0;
  switch (state) {
    case bsDisabled: index = num_glyphs_ > 1 ? 1 : -1; break;
    case bsDown: index = num_glyphs_ > 2 ? 2 : 0; break;
    case bsExclusive: index = num_glyphs_ > 3 ? 3 : 0; break;
    case bsUp: break;
  }
  TColor transparent = glyph_->GetTransparentColor();
  if (index < 0) {
    // No image of its own: the first one embossed, its shape in the highlight colour one
    // pixel below and right of the same shape in the shadow colour.
    COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    for (int pass = 0; pass < 2; ++pass) {
      int shift = pass == 0 ? 1 : 0;
      for (int py = 0; py < size.cy; ++py)
        for (int px = 0; px < size.cx; ++px)
          if (glyph_->GetPixelColor(px, py) != transparent)
            SetPixelV(dc, x + px + shift, y + py + shift, pass == 0 ? light : dark);
    }
    return;
  }
  TCanvas* canvas = glyph_->GetCanvas();
  canvas->Lock();
  try {
    GdiTransparentBlt(dc, x, y, size.cx, size.cy, canvas->GetHandle(), index * size.cx, 0, size.cx, size.cy,
                      ColorToRGB(transparent));
  } catch (...) {
    canvas->Unlock();
    throw;
  }
  canvas->Unlock();
}

void TButtonGlyph::Draw(HDC dc, const RECT& client, POINT offset, const std::string& caption,
                        TButtonLayout layout, int margin, int spacing, TButtonState state,
                        TColor text_color) const {
  TLayout place = Arrange(dc, client, caption, layout, margin, spacing);
  DrawImage(dc, place.glyph.x + offset.x, place.glyph.y + offset.y, state);
  if (caption.empty()) return;
  RECT text = place.text;
  OffsetRect(&text, offset.x, offset.y);
  int old_mode = SetBkMode(dc, TRANSPARENT);
  COLORREF old_color = GetTextColor(dc);
  UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  int length = static_cast<int>(caption.size());
  if (state == bsDisabled) {
    OffsetRect(&text, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, caption.c_str(), length, &text, flags);
    OffsetRect(&text, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToRGB(text_color));
  }
  DrawTextA(dc, caption.c_str(), length, &text, flags);
  SetTextColor(dc, old_color);
  SetBkMode(dc, old_mode);
}

// ---- TBitBtn ------------------------------------------------------------------------------------

TK_CLASS_INFO(TBitBtn, TButton)

void TBitBtn::Publish(TPublisher<TBitBtn>& p) {
  p.Object("Glyph", &TBitBtn::GetGlyph, &TBitBtn::SetGlyph);
  p.Integer("NumGlyphs", &TBitBtn::GetNumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  p.Enumeration("Layout", ButtonLayoutInfo(), &TBitBtn::GetLayout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  p.Integer("Margin", &TBitBtn::GetMargin, &TBitBtn::SetMargin).Default(-1);
  p.Integer("Spacing", &TBitBtn::GetSpacing, &TBitBtn::SetSpacing).Default(4);
}

TK_BEGIN_MESSAGE_MAP(TBitBtn)
TK_MESSAGE(CN_DRAWITEM, CNDrawItem)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_END_MESSAGE_MAP()

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
  glyph_.OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
  // An owner-drawn button reports a double click instead of a second press.
  control_style_.Exclude(csDoubleClicks);
}

TBitBtn::~TBitBtn() { glyph_.OnChange = nullptr; }

void TBitBtn::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = (params.Style & ~kButtonTypeMask) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool is_default) {
  // The style stays owner-drawn; the default frame is drawn here.
  if (is_default == is_default_) return;
  is_default_ = is_default;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TBitBtn::SetMargin(int margin) {
  if (margin == margin_ || margin < -1) return;
  margin_ = margin;
  Invalidate();
}

void TBitBtn::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Invalidate();
}

void TBitBtn::GlyphChanged(TObject* sender) {
  (void)sender;
  Invalidate();
}

void TBitBtn::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  Invalidate();
}

void TBitBtn::CMEnabledChanged(TMessage& message) {
  TK_INHERITED(message);
  Invalidate();
}

void TBitBtn::CMTextChanged(TMessage& message) {
  TK_INHERITED(message);
  Invalidate();
}

void TBitBtn::CNDrawItem(TMessage& message) {
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
  if (!item) return;
  HDC dc = item->hDC;
  RECT rect = item->rcItem;
  bool pushed = (item->itemState & ODS_SELECTED) != 0;
  bool focused = (item->itemState & ODS_FOCUS) != 0;
  int saved = SaveDC(dc);
  if (is_default_ || focused) {
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
  FillRect(dc, &rect, GetBrush()->GetHandle());
  if (pushed)
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  else
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  RECT content = rect;
  InflateRect(&content, -2, -2);
  SelectObject(dc, GetFont()->GetHandle());
  TButtonState state = !GetEnabled() ? bsDisabled : pushed ? bsDown : bsUp;
  POINT offset = pushed ? POINT{1, 1} : POINT{0, 0};
  glyph_.Draw(dc, content, offset, GetCaption(), layout_, margin_, spacing_, state, GetFont()->GetColor());
  if (focused && !(item->itemState & ODS_NOFOCUSRECT)) {
    RECT frame = rect;
    InflateRect(&frame, -3, -3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &frame);
  }
  RestoreDC(dc, saved);
  message.Result = TRUE;
}

// ---- TSpeedButton -----------------------------------------------------------------------------

TK_CLASS_INFO(TSpeedButton, TGraphicControl)

void TSpeedButton::Publish(TPublisher<TSpeedButton>& p) {
  // GroupIndex before Down: a button outside any group cannot be down.
  p.Integer("GroupIndex", &TSpeedButton::GetGroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  p.Boolean("AllowAllUp", &TSpeedButton::GetAllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  p.Boolean("Down", &TSpeedButton::GetDown, &TSpeedButton::SetDown).Default(false);
  p.String("Caption", &TSpeedButton::GetCaption, &TSpeedButton::SetCaption);
  p.Boolean("Flat", &TSpeedButton::GetFlat, &TSpeedButton::SetFlat).Default(false);
  p.Object("Glyph", &TSpeedButton::GetGlyph, &TSpeedButton::SetGlyph);
  p.Integer("NumGlyphs", &TSpeedButton::GetNumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  p.Enumeration("Layout", ButtonLayoutInfo(), &TSpeedButton::GetLayout, &TSpeedButton::SetLayout)
      .Default(blGlyphLeft);
  p.Integer("Margin", &TSpeedButton::GetMargin, &TSpeedButton::SetMargin).Default(-1);
  p.Integer("Spacing", &TSpeedButton::GetSpacing, &TSpeedButton::SetSpacing).Default(4);
  p.Boolean("Transparent", &TSpeedButton::GetTransparent, &TSpeedButton::SetTransparent).Default(false);
}

TK_BEGIN_MESSAGE_MAP(TSpeedButton)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_END_MESSAGE_MAP()

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  // Clicks are its own (a press released inside), not the toolkit's.
  control_style_ = {csCaptureMouse, csDoubleClicks, csOpaque, csReplicatable};
  glyph_.OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
}

void TSpeedButton::Click() { inherited::Click(); }

void TSpeedButton::GlyphChanged(TObject* sender) {
  (void)sender;
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == allow_all_up_) return;
  allow_all_up_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == group_index_) return;
  group_index_ = value;
  if (group_index_ == 0 && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (group_index_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allow_all_up_) return;
  down_ = value;
  state_ = value ? bsExclusive : bsUp;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  TWinControl* parent = GetParent();
  if (group_index_ == 0 || !parent) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    auto* other = DynamicCast<TSpeedButton>(parent->GetControl(i));
    if (other && other != this && other->group_index_ == group_index_) other->GroupChanged(this);
  }
}

void TSpeedButton::GroupChanged(TSpeedButton* sender) {
  if (sender->down_ && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  // The whole group shares AllowAllUp.
  allow_all_up_ = sender->allow_all_up_;
}

void TSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  if (value)
    control_style_.Exclude(csOpaque);
  else
    control_style_.Include(csOpaque);
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TSpeedButton::SetMargin(int margin) {
  if (margin == margin_ || margin < -1) return;
  margin_ = margin;
  Invalidate();
}

void TSpeedButton::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Invalidate();
}

void TSpeedButton::Paint() {
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  RECT rect = GetClientRect();
  TButtonState state = GetEnabled() ? state_ : bsDisabled;
  bool pressed = state == bsDown || state == bsExclusive;
  // A button held down (Down) shows a dithered face unless the mouse is over a flat one.
  bool dithered = state == bsExclusive && !transparent_ && !(flat_ && mouse_in_control_);
  if (!transparent_) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(rect);
  }
  if (dithered) {
    RECT face = rect;
    InflateRect(&face, -1, -1);
    FillDithered(dc, face, GetColor());
  }
  if (!flat_)
    DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  else if (pressed || (mouse_in_control_ && GetEnabled()))
    DrawEdge(dc, &rect, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  RECT content = rect;
  InflateRect(&content, -2, -2);
  canvas->SetFont(GetFont());
  HGDIOBJ old_font = SelectObject(dc, canvas->GetFont()->GetHandle());
  POINT offset = pressed ? POINT{1, 1} : POINT{0, 0};
  glyph_.Draw(dc, content, offset, GetCaption(), layout_, margin_, spacing_, state, GetFont()->GetColor());
  SelectObject(dc, old_font);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || !GetEnabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!dragging_) return;
  // While held, the button looks pressed only with the mouse over it.
  RECT client = GetClientRect();
  bool inside = PtInRect(&client, POINT{x, y}) != FALSE;
  TButtonState state = down_ ? bsExclusive : inside ? bsDown : bsUp;
  if (state != state_) {
    state_ = state;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (!dragging_ || button != mbLeft) return;
  dragging_ = false;
  RECT client = GetClientRect();
  bool inside = PtInRect(&client, POINT{x, y}) != FALSE;
  if (group_index_ == 0) {
    state_ = bsUp;
  } else if (inside) {
    // Goes down, or comes up when the group allows none down.
    SetDown(!down_);
  } else if (down_) {
    state_ = bsExclusive;
  }
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& message) {
  TK_INHERITED(message);
  if (message.LParam != 0 || mouse_in_control_) return;
  mouse_in_control_ = true;
  if (flat_ && GetEnabled()) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& message) {
  TK_INHERITED(message);
  if (message.LParam != 0 || !mouse_in_control_) return;
  mouse_in_control_ = false;
  if (flat_ && GetEnabled()) Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& message) {
  if (!GetEnabled()) dragging_ = false;
  if (!dragging_ && state_ == bsDown) state_ = down_ ? bsExclusive : bsUp;
  TK_INHERITED(message);
}

void TSpeedButton::CMDialogChar(TMessage& message) {
  TWinControl* parent = GetParent();
  if (IsAccel(message.WParam, GetCaption()) && GetEnabled() && GetVisible() && parent &&
      parent->GetShowing()) {
    Click();
    message.Result = 1;
  }
}

void TSpeedButton::CMTextChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

// ---- TCheckBox -----------------------------------------------------------------------------------

TK_CLASS_INFO(TCheckBox, TButtonControl)

void TCheckBox::Publish(TPublisher<TCheckBox>& p) {
  p.String("Caption", &TCheckBox::GetCaption, &TCheckBox::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &TCheckBox::GetAlignment, &TCheckBox::SetAlignment)
      .Default(taRightJustify);
  p.Boolean("AllowGrayed", &TCheckBox::GetAllowGrayed, &TCheckBox::SetAllowGrayed).Default(false);
  p.Boolean("Checked", &TCheckBox::GetChecked, &TCheckBox::SetChecked).Default(false);
  p.Enumeration("State", CheckBoxStateInfo(), &TCheckBox::GetState, &TCheckBox::SetState)
      .Default(cbUnchecked);
  p.Boolean("TabStop", &TCheckBox::GetTabStop, &TCheckBox::SetTabStop).Default(true);
  p.Boolean("WordWrap", &TCheckBox::GetWordWrap, &TCheckBox::SetWordWrap).Default(false);
}

TK_BEGIN_MESSAGE_MAP(TCheckBox)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_END_MESSAGE_MAP()

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
  SetParentColor(true);
}

void TCheckBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // Not an automatic check box: every change goes through State.
  params.Style |= BS_3STATE;
  if (alignment_ == taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TCheckBox::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  if (HandleAllocated()) SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
  if (!IsLoading(this)) Click();
}

void TCheckBox::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  RecreateWnd();
}

void TCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allow_grayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCheckBox::CNCommand(TMessage& message) {
  if (HIWORD(message.WParam) == BN_CLICKED) Toggle();
}

void TCheckBox::CMDialogChar(TMessage& message) {
  if (IsAccel(message.WParam, GetCaption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

// ---- TRadioButton ----------------------------------------------------------------------------------

TK_CLASS_INFO(TRadioButton, TButtonControl)

void TRadioButton::Publish(TPublisher<TRadioButton>& p) {
  p.String("Caption", &TRadioButton::GetCaption, &TRadioButton::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &TRadioButton::GetAlignment, &TRadioButton::SetAlignment)
      .Default(taRightJustify);
  p.Boolean("Checked", &TRadioButton::GetChecked, &TRadioButton::SetChecked).Default(false);
  p.Boolean("WordWrap", &TRadioButton::GetWordWrap, &TRadioButton::SetWordWrap).Default(false);
}

TK_BEGIN_MESSAGE_MAP(TRadioButton)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(WM_SETFOCUS, WMSetFocus)
TK_END_MESSAGE_MAP()

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 113, 17);
  SetParentColor(true);
}

void TRadioButton::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // Not an automatic radio button: checking goes through Checked, which unchecks the others.
  params.Style |= BS_RADIOBUTTON;
  if (alignment_ == taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  // The arrow keys reach the others; Tab stops at the checked one only.
  SetTabStop(checked);
  if (HandleAllocated()) SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked) return;
  if (TWinControl* parent = GetParent()) {
    for (int i = 0; i < parent->GetControlCount(); ++i) {
      auto* other = DynamicCast<TRadioButton>(parent->GetControl(i));
      if (other && other != this) other->SetChecked(false);
    }
  }
  if (!IsLoading(this)) Click();
}

void TRadioButton::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  RecreateWnd();
}

void TRadioButton::CNCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
    default: break;
  }
}

void TRadioButton::WMSetFocus(TMessage& message) {
  TK_INHERITED(message);
  // Reached with the arrow keys from a button beside it: checked at once. Not by a press
  // (which clicks on release), nor when the focus merely comes back to its window.
  auto* from = DynamicCast<TRadioButton>(FindControl(reinterpret_cast<HWND>(message.WParam)));
  if (from && from != this && from->GetParent() == GetParent() && !GetClicksDisabled() && !checked_ &&
      handle_ && GetFocus() == handle_)
    SetChecked(true);
}

void TRadioButton::CMDialogChar(TMessage& message) {
  if (IsAccel(message.WParam, GetCaption()) && CanFocus()) {
    SetFocus();
    if (Focused()) SetChecked(true);
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

// ---- TCustomGroupBox -------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomGroupBox, TWinControl)
TK_CLASS_INFO(TGroupBox, TCustomGroupBox)

void TGroupBox::Publish(TPublisher<TGroupBox>& p) {
  p.String("Caption", &TGroupBox::GetCaption, &TGroupBox::SetCaption);
}

TK_BEGIN_MESSAGE_MAP(TCustomGroupBox)
TK_MESSAGE(WM_NCHITTEST, WMNCHitTest)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_END_MESSAGE_MAP()

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner) {
  control_style_ = {csAcceptsControls, csCaptureMouse, csClickEvents,
                    csSetCaption,      csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 105);
  SetParentColor(true);
}

void TCustomGroupBox::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  // A radio group does not take controls, but its own buttons must not be painted over.
  params.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TCustomGroupBox::DefaultHandler(TMessage& message) {
  // The system's group box would take the focus and the capture on a press: the presses are
  // the toolkit's own here.
  if (handle_ && message.Msg >= WM_LBUTTONDOWN && message.Msg <= WM_MBUTTONDBLCLK) {
    message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
    return;
  }
  inherited::DefaultHandler(message);
}

void TCustomGroupBox::WMNCHitTest(TMessage& message) {
  // The system's group box lets the mouse through to the window below it.
  message.Result = HTCLIENT;
}

int TCustomGroupBox::TextLineHeight() {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

void TCustomGroupBox::AdjustClientRect(RECT& rect) {
  inherited::AdjustClientRect(rect);
  rect.top += TextLineHeight();
  InflateRect(&rect, -2, -2);
}

void TCustomGroupBox::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  Realign();
}

void TCustomGroupBox::CMTextChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

void RegisterButtonClasses() {
  RegisterClasses({TButton::StaticClass(), TBitBtn::StaticClass(), TSpeedButton::StaticClass(),
                   TCheckBox::StaticClass(), TRadioButton::StaticClass(), TGroupBox::StaticClass()});
}
