#include "skin/controls/scombobox.h"

#include <algorithm>
#include <memory>

#include "skin/engine/sbevels.h"
#include "skin/engine/sblend.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/smaskpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/graphics.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kTextInset = 4;  // the text keeps clear of the style's border by this much

// The built-in button picture, loaded at start-up (or at first use before that) and freed at
// process end.
struct TComboPicture {
  TBitmap* bitmap = nullptr;
  bool tried = false;
  ~TComboPicture() { FreeAndNil(bitmap); }
};

TComboPicture& ComboPicture() {
  static TComboPicture picture;
  return picture;
}

bool IsDropDownStyle(TComboBoxStyle style) { return style == csDropDown || style == csDropDownList; }

// Messages after which the system's combo box may have drawn its text through a DC of its
// own, over the face painted here.
bool SystemPaintsAfter(UINT msg) {
  switch (msg) {
    case CB_SETCURSEL:
    case WM_SETTEXT:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case CB_SHOWDROPDOWN:
    case WM_ENABLE:
    case CN_COMMAND: return true;
    default: return false;
  }
}

// Keys and editing a read-only combo box ignores.
bool ReadOnlyIgnores(UINT msg) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYUP:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case CN_KEYDOWN:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR: return true;
    default: return false;
  }
}

}  // namespace

TBitmap* ComboButtonBitmap() {
  TComboPicture& picture = ComboPicture();
  if (!picture.tried) {
    picture.tried = true;
    HMODULE module = GetModuleHandleA(nullptr);
    if (FindResourceA(module, "COMBO", MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
      picture.bitmap = New<TBitmap>();
      picture.bitmap->LoadFromResourceName(module, "COMBO");
      picture.bitmap->SetPixelFormat(pf24bit);
    }
  }
  return picture.bitmap;
}

// ---- TsCustomComboBox ------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsCustomComboBox, TCustomComboBox)
TK_CLASS_INFO(TsComboBox, TsCustomComboBox)

void TsCustomComboBox::Publish(TPublisher<TsCustomComboBox>& p) {
  using C = TsCustomComboBox;
  p.Enumeration("Alignment", AlignmentInfo(), &C::GetAlignment, &C::SetAlignment).Default(taLeftJustify);
  p.Object("GlyphMode", &C::GetGlyphMode, &C::SetGlyphMode);
  p.Boolean("ReadOnly", &C::GetReadOnly, &C::SetReadOnly).Default(false);
  p.Object("sStyle", &C::GetSkinStyle);
}

TK_BEGIN_MESSAGE_MAP(TsCustomComboBox)
TK_MESSAGE(CN_COMMAND, CNCommand)
TK_MESSAGE(WM_NCPAINT, WMNCPaint)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_END_MESSAGE_MAP()

TsCustomComboBox::TsCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner), glyph_mode_(New<TsGlyphMode>(this)), style_(New<TsStyle>(this)) {
  control_style_.Exclude(csFramed);
  control_style_.Include(csOpaque);
  SetParentColor(false);
  style_->COC = COC_TsCustomComboBox;
  style_->SetStyleQueries(this);
  style_->SetOwnerQueries(this);
  OnKeyDown = TKeyEvent(this, &TsCustomComboBox::StyleKeyDown);
  SetItemHeight(13);
  SetDropDownCount(16);
  SetDoubleBuffered(true);
}

TsCustomComboBox::~TsCustomComboBox() {
  OnKeyDown = TKeyEvent();
  FreeAndNil(style_);
  FreeAndNil(glyph_mode_);
}

void TsCustomComboBox::AfterConstruction() {
  TCustomComboBox::AfterConstruction();
  style_->UpdateIndexes();
}

void TsCustomComboBox::Loaded() {
  TCustomComboBox::Loaded();
  style_->UpdateIndexes();
}

bool TsCustomComboBox::Designing() const { return GetComponentState().Contains(csDesigning); }

bool TsCustomComboBox::MayPaint() const {
  const TComponentState state = GetComponentState();
  return style_ && !state.Contains(csLoading) && !state.Contains(csDestroying);
}

void TsCustomComboBox::StyleKeyDown(TObject* sender, WORD& key, TShiftState shift) {
  (void)sender;
  if (style_) style_->KeyDown(key, shift);
}

void TsCustomComboBox::WndProc(TMessage& message) {
  // The edit part's notifications: its keys and editing are swallowed in ComboWndProc.
  if (!Designing() && read_only_ && message.Msg == WM_COMMAND) {
    message.Result = 1;
    return;
  }
  if (style_ && style_->HandleFirst(message)) return;
  const UINT msg = message.Msg;
  const int changes = changes_;
  TCustomComboBox::WndProc(message);
  // Every selection set from code is reported, changed or not; a new window's is not.
  if (msg == CB_SETCURSEL && !creating_window_ && changes_ == changes &&
      !GetComponentState().Contains(csDestroying))
    Change();
  // Wine draws the text anew through its own DC after these: ours goes on top again.
  if (SystemPaintsAfter(msg) && handle_ && MayPaint() && IsDropDownStyle(GetStyle()))
    InvalidateRect(handle_, nullptr, FALSE);
}

void TsCustomComboBox::ComboWndProc(TMessage& message, HWND part) {
  if (read_only_ && ReadOnlyIgnores(message.Msg)) {
    message.Result = 0;
    return;
  }
  TCustomComboBox::ComboWndProc(message, part);
}

void TsCustomComboBox::Invalidate() {
  if (MayPaint()) {
    if (Designing()) style_->BGChanged = true;
    if (Focused()) style_->MarkFocused();
    SetColor(style_->GetActualColor());
  }
  TCustomComboBox::Invalidate();
}

void TsCustomComboBox::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  style_->Invalidate();
}

void TsCustomComboBox::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  style_->Invalidate();
}

RECT TsCustomComboBox::GetClientRect() {
  return RECT{kTextInset, kTextInset, GetWidth() - kTextInset, GetHeight() - kTextInset};
}

void TsCustomComboBox::CreateWnd() {
  creating_window_ = true;
  try {
    TCustomComboBox::CreateWnd();
  } catch (...) {
    creating_window_ = false;
    throw;
  }
  creating_window_ = false;
}

void TsCustomComboBox::Change() {
  ++changes_;
  TCustomComboBox::Change();
}

void TsCustomComboBox::DropDown() {
  dropping_ = true;
  TCustomComboBox::DropDown();
}

void TsCustomComboBox::CNCommand(TMessage& message) {
  // OnCloseUp sees the list closed.
  if (HIWORD(message.WParam) == CBN_CLOSEUP) SetDroppedDown(false);
  TK_INHERITED(message);
}

bool TsCustomComboBox::ListDroppedDown() { return HandleAllocated() && GetDroppedDown(); }

bool TsCustomComboBox::HotChanged(bool entered) {
  (void)entered;
  // Only the button shows the hover, unless the list is open: then the whole box repaints.
  // A box being freed measures no button (its glyph options may be gone).
  if (!GetParent() || !MayPaint() || ListDroppedDown()) return false;
  if (HandleAllocated()) {
    RECT button = ButtonRect();
    InvalidateRect(handle_, &button, FALSE);
  }
  return true;
}

// ---- Geometry

int TsCustomComboBox::GlyphMaskIndex() const {
  if (!style_ || !IsValidSkinIndex(style_->SkinIndex)) return -1;
  return GetMaskIndex(style_->SkinIndex, style_->GetSkinSection(), "GLYPHMASK");
}

SIZE TsCustomComboBox::ButtonSize() {
  const int mask = GlyphMaskIndex();
  if (IsValidImgIndex(mask)) return GetMaskFrameSize(mask);
  TBitmap* glyph = glyph_mode_->GetGlyph();
  TBitmap* bmp =
      !glyph_mode_->GetUseDefaultGlyph() && glyph && glyph->GetWidth() >= 1 ? glyph : ComboButtonBitmap();
  if (!bmp) return SIZE{0, 0};
  return SIZE{bmp->GetWidth() / 3, bmp->GetHeight() / 2};
}

RECT TsCustomComboBox::ButtonRect() {
  const SIZE size = ButtonSize();
  const int right = GetWidth() - button_margin_;
  const int top = (GetHeight() - size.cy) / 2;
  return RECT{right - size.cx, top, right, GetHeight() - top};
}

int TsCustomComboBox::ButtonState() {
  if (ListDroppedDown()) return 2;
  return style_->ControlIsActive() ? 1 : 0;
}

RECT TsCustomComboBox::TextRect() {
  RECT r = GetClientRect();
  r.right = std::max(r.left, r.right - static_cast<LONG>(ButtonSize().cx));
  return r;
}

// ---- Painting

void TsCustomComboBox::WMNCPaint(TMessage& message) {
  if (IsDropDownStyle(GetStyle()))
    message.Result = 1;
  else
    TK_INHERITED(message);
}

void TsCustomComboBox::PaintButton(HDC dc) {
  const SIZE size = ButtonSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  const TColor color = style_->GetActualColor();
  std::unique_ptr<TBitmap, void (*)(TBitmap*)> bmp(New<TBitmap>(), [](TBitmap* b) { Free(b); });
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(size.cx, size.cy);
  bmp->GetCanvas()->GetBrush()->SetColor(color);
  bmp->GetCanvas()->FillRect(RECT{0, 0, size.cx, size.cy});
  const int state = ButtonState();
  const int mask = GlyphMaskIndex();
  if (IsValidImgIndex(mask)) {
    DrawSkinGlyph(bmp.get(), POINT{0, 0}, state, SkinMasks[mask]);
  } else {
    TBitmap* glyph = glyph_mode_->GetGlyph();
    TBitmap* src =
        !glyph_mode_->GetUseDefaultGlyph() && glyph && glyph->GetWidth() >= 1 ? glyph : ComboButtonBitmap();
    if (src) {
      const RECT from{state * size.cx, 0, (state + 1) * size.cx, size.cy};
      CopyBitmapRect(RECT{0, 0, size.cx, size.cy}, from, bmp.get(), EmptyCI, src);
    }
  }
  const TColor key = bmp->GetCanvas()->GetPixels(0, size.cy - 1);
  if (!GetEnabled()) {
    BlendBitmapPixels(bmp.get(), key, color, 0.25);
  } else if (state == 0) {
    if (glyph_mode_->GetGrayed()) GrayScaleBitmap(bmp.get(), key);
    if (glyph_mode_->GetBlend() > 0)
      BlendBitmapPixels(bmp.get(), key, color, 1.0 - glyph_mode_->GetBlend() / 100.0);
  }
  const RECT r = ButtonRect();
  BitBlt(dc, r.left, r.top, size.cx, size.cy, bmp->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TsCustomComboBox::PaintText(HDC dc) {
  RECT r = TextRect();
  const int saved = SaveDC(dc);
  SelectObject(dc, GetFont()->GetHandle());
  SetBkMode(dc, TRANSPARENT);
  const std::string text = GetText();
  const UINT flags = DrawTextBiDiFlags(this, alignment_) | DT_SINGLELINE | DT_NOPREFIX;
  if (!Focused() && !style_->GetFocused()) {
    SetTextColor(dc, GetEnabled() ? ColorToRGB(GetFont()->GetColor()) : 0x808080);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  } else if (GetStyle() == csDropDown) {
    InflateRect(&r, 1, 1);
    OffsetRect(&r, -1, -1);
    FillDC(dc, r, style_->GetActualColor());
    SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &inner, flags);
  } else {
    InflateRect(&r, 1, 1);
    OffsetRect(&r, -1, -1);
    RECT fill = r;
    InflateRect(&fill, -1, -1);
    FillDC(dc, fill, ColorToRGB(clHighlight));
    SetTextColor(dc, ColorToRGB(clHighlightText));
    RECT inner = fill;
    inner.left += 1;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &inner, flags);
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &fill);
  }
  RestoreDC(dc, saved);
}

void TsCustomComboBox::PaintFace(HDC dc) {
  // The whole face: the style's border ring is narrower than the client inset, and the
  // system's combo box paints between them.
  FillDC(dc, RECT{0, 0, GetWidth(), GetHeight()}, style_->GetActualColor());
  PaintButton(dc);
  PaintText(dc);
}

void TsCustomComboBox::WMPaint(TMessage& message) {
  if (!IsDropDownStyle(GetStyle()) || !ControlReadyToPaint(this) || !MayPaint()) {
    TK_INHERITED(message);
    return;
  }
  SetColor(style_->GetActualColor());
  PAINTSTRUCT ps{};
  HDC given = reinterpret_cast<HDC>(message.WParam);
  HDC dc = given ? given : BeginPaint(handle_, &ps);
  // The whole face into a bitmap first: no flicker between the fill and the text.
  const int w = GetWidth(), h = GetHeight();
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(w, 1), std::max(h, 1));
  HGDIOBJ old = SelectObject(mem, bmp);
  PaintFace(mem);
  // The edit part paints itself: leave its rectangle alone.
  if (HWND edit = GetEditHandle()) {
    RECT er{};
    GetWindowRect(edit, &er);
    MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&er), 2);
    ExcludeClipRect(dc, er.left, er.top, er.right, er.bottom);
  }
  BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  if (!given) EndPaint(handle_, &ps);
  style_->PaintBorder();
  // The border covers the button's outer column: the button comes on top again.
  HDC again = given ? given : GetDC(handle_);
  PaintButton(again);
  if (!given) ReleaseDC(handle_, again);
  message.Result = 1;
}

// ---- TsComboBox --------------------------------------------------------------------------------

TsComboBox::TsComboBox(TComponent* owner) : TsCustomComboBox(owner) { GetSkinStyle()->COC = COC_TsComboBox; }
