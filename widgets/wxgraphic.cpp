#include "widgets/wxgraphic.h"

#include <optional>

#include "toolkit/dragdock.h"
#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

namespace {

std::optional<bool> g_pinned_styles;

bool Designing(const TComponent* c) { return c->GetComponentState().Contains(csDesigning); }

// The visual styles' "draw parent background", looked up on first use so that the program
// imports no theme library; false where there is none.
bool DrawThemeParentBackgroundOf(HWND window, HDC dc, RECT* clip) {
  using TDraw = HRESULT(WINAPI*)(HWND, HDC, RECT*);
  static const TDraw draw = [] {
    HMODULE themes = LoadLibraryA("uxtheme.dll");
    return themes ? reinterpret_cast<TDraw>(
                        reinterpret_cast<void*>(GetProcAddress(themes, "DrawThemeParentBackground")))
                  : nullptr;
  }();
  return draw && SUCCEEDED(draw(window, dc, clip));
}

// The theme library's two questions and whether the common controls 6 are in use, looked up
// once; the theme itself may be switched on or off while the program runs.
struct TThemeQuery {
  using TAsk = BOOL(WINAPI*)();
  TAsk theme_active = nullptr;
  TAsk app_themed = nullptr;
  bool common_controls_6 = false;
  TThemeQuery() {
    if (HMODULE themes = LoadLibraryA("uxtheme.dll")) {
      theme_active = reinterpret_cast<TAsk>(reinterpret_cast<void*>(GetProcAddress(themes, "IsThemeActive")));
      app_themed = reinterpret_cast<TAsk>(reinterpret_cast<void*>(GetProcAddress(themes, "IsAppThemed")));
    }
    // The common controls 6 are in use where the program's activation context (its manifest)
    // redirects their library; their version number cannot tell (Wine's report 5.81).
    ACTCTX_SECTION_KEYED_DATA found{};
    found.cbSize = sizeof found;
    common_controls_6 = FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                                 "comctl32.dll", &found);
  }
  bool On() const {
    return common_controls_6 && theme_active && app_themed && theme_active() && app_themed();
  }
};

}  // namespace

bool WxVisualStyles() {
  if (g_pinned_styles) return *g_pinned_styles;
  static const TThemeQuery query;
  return query.On();
}
void PinWxVisualStyles(bool on) { g_pinned_styles = on; }
void UnpinWxVisualStyles() { g_pinned_styles.reset(); }

// ---- TWxExGraphicControl ------------------------------------------------------------------

TK_CLASS_INFO(TWxExGraphicControl, TGraphicControl)
TK_CLASS_INFO(TWxExPubGraphicControl, TWxExGraphicControl)
TK_CLASS_INFO(TWxGraphicControl, TWxExGraphicControl)
TK_CLASS_INFO(TWxPubGraphicControl, TWxExPubGraphicControl)

void TWxExPubGraphicControl::Publish(TPublisher<TWxExPubGraphicControl>& p) {
  using C = TWxExPubGraphicControl;
  p.Enumeration("BiDiMode", BiDiModeInfo(), &C::GetBiDiMode, &C::SetBiDiMode).Default(bdLeftToRight);
  p.Boolean("ParentBiDiMode", &C::GetParentBiDiMode, &C::SetParentBiDiMode).Default(true);
  PublishDragProperties(p);
  PublishDockEvents(p);
}

void TWxExGraphicControl::Publish(TPublisher<TWxExGraphicControl>& p) {
  using C = TWxExGraphicControl;
  p.Color("HintColor", &C::GetHintColor, &C::SetHintColor);
  p.Event("OnMouseEnter", &C::OnMouseEnter);
  p.Event("OnMouseLeave", &C::OnMouseLeave);
  p.Event("OnParentColorChange", &C::OnParentColorChange);
}

TK_BEGIN_MESSAGE_MAP(TWxExGraphicControl)
TK_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_COLORCHANGED, CMColorChanged)
TK_MESSAGE(CM_PARENTFONTCHANGED, CMParentFontChanged)
TK_MESSAGE(CM_PARENTCOLORCHANGED, CMParentColorChanged)
TK_MESSAGE(CM_PARENTSHOWHINTCHANGED, CMParentShowHintChanged)
TK_MESSAGE(CM_HINTSHOW, CMHintShow)
TK_MESSAGE(CM_HITTEST, CMHitTest)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(CM_FOCUSCHANGED, CMFocusChanged)
TK_END_MESSAGE_MAP()

TWxExGraphicControl::TWxExGraphicControl(TComponent* owner) : TGraphicControl(owner) {
  hint_color_ = Application ? Application->GetHintColor() : clInfoBk;
}

void TWxExGraphicControl::PassOn() {
  if (current_) TK_INHERITED(*current_);
}

template <class F>
void TWxExGraphicControl::Route(TMessage& message, F op) {
  TMessage* outer = current_;
  current_ = &message;
  try {
    op();
  } catch (...) {
    current_ = outer;
    throw;
  }
  current_ = outer;
}

void TWxExGraphicControl::VisibleChanged() { PassOn(); }
void TWxExGraphicControl::EnabledChanged() { PassOn(); }
void TWxExGraphicControl::TextChanged() { PassOn(); }
void TWxExGraphicControl::FontChanged() { PassOn(); }
void TWxExGraphicControl::ColorChanged() { PassOn(); }
void TWxExGraphicControl::ParentFontChanged() { PassOn(); }
void TWxExGraphicControl::ParentShowHintChanged() { PassOn(); }
void TWxExGraphicControl::FocusChanged(TControl*) {}

void TWxExGraphicControl::ParentColorChanged() {
  PassOn();
  OnParentColorChange(this);
}

bool TWxExGraphicControl::HintShow(void*) {
  PassOn();
  return current_ && current_->Result != 0;
}

bool TWxExGraphicControl::HitTest(int, int) {
  PassOn();
  return current_ && current_->Result != 0;
}

void TWxExGraphicControl::MouseEnter(TControl* control) {
  if (!control && !mouse_over_ && !Designing(this)) {
    mouse_over_ = true;
    if (Application) {
      saved_hint_color_ = Application->GetHintColor();
      if (hint_color_ != clDefault) Application->SetHintColor(hint_color_);
    }
    OnMouseEnter(this);
  }
  PassOn();
}

void TWxExGraphicControl::MouseLeave(TControl* control) {
  if (!control && mouse_over_ && !Designing(this)) {
    mouse_over_ = false;
    if (Application) Application->SetHintColor(saved_hint_color_);
    OnMouseLeave(this);
  }
  PassOn();
}

bool TWxExGraphicControl::WantKey(int key, TShiftState shift, const std::string&) {
  TMessage message{CM_DIALOGCHAR, static_cast<WPARAM>(key),
                   shift.Contains(ssAlt) ? static_cast<LPARAM>(0x20000000) : 0, 0};
  TK_INHERITED(message);
  return message.Result != 0;
}

void TWxExGraphicControl::CMVisibleChanged(TMessage& m) {
  Route(m, [&] { VisibleChanged(); });
}
void TWxExGraphicControl::CMEnabledChanged(TMessage& m) {
  Route(m, [&] { EnabledChanged(); });
}
void TWxExGraphicControl::CMTextChanged(TMessage& m) {
  Route(m, [&] { TextChanged(); });
}
void TWxExGraphicControl::CMFontChanged(TMessage& m) {
  Route(m, [&] { FontChanged(); });
}
void TWxExGraphicControl::CMColorChanged(TMessage& m) {
  Route(m, [&] { ColorChanged(); });
}
void TWxExGraphicControl::CMParentFontChanged(TMessage& m) {
  Route(m, [&] { ParentFontChanged(); });
}
void TWxExGraphicControl::CMParentColorChanged(TMessage& m) {
  Route(m, [&] { ParentColorChanged(); });
}
void TWxExGraphicControl::CMParentShowHintChanged(TMessage& m) {
  Route(m, [&] { ParentShowHintChanged(); });
}

void TWxExGraphicControl::CMHintShow(TMessage& m) {
  Route(m, [&] { m.Result = HintShow(reinterpret_cast<void*>(m.LParam)) & 0x7F; });
}

void TWxExGraphicControl::CMHitTest(TMessage& m) {
  const POINT at = PointFromLParam(m.LParam);
  Route(m, [&] { m.Result = HitTest(at.x, at.y) & 0x7F; });
}

void TWxExGraphicControl::CMMouseEnter(TMessage& m) {
  Route(m, [&] { MouseEnter(reinterpret_cast<TControl*>(m.LParam)); });
}

void TWxExGraphicControl::CMMouseLeave(TMessage& m) {
  Route(m, [&] { MouseLeave(reinterpret_cast<TControl*>(m.LParam)); });
}

void TWxExGraphicControl::CMDialogChar(TMessage& m) {
  TShiftState shift;
  if (m.LParam & 0x20000000) shift.Include(ssAlt);
  const std::string text(1, static_cast<char>(m.WParam));
  Route(m, [&] { m.Result = WantKey(static_cast<int>(m.WParam), shift, text) & 0x7F; });
}

void TWxExGraphicControl::CMFocusChanged(TMessage& m) {
  DefaultHandler(m);
  Route(m, [&] { FocusChanged(reinterpret_cast<TControl*>(m.LParam)); });
}

// ---- Backgrounds --------------------------------------------------------------------------

void DrawThemedBackground(TControl* control, TCanvas* canvas, const RECT& rect,
                          bool needs_parent_background) {
  DrawThemedBackground(control, canvas, rect, canvas->GetBrush()->GetColor(), needs_parent_background);
}

void DrawThemedBackground(TControl* control, TCanvas* canvas, const RECT& rect, TColor color,
                          bool needs_parent_background) {
  TWinControl* parent = control->GetParent();
  const bool same_color =
      parent && (color == parent->GetColor() || ColorToRGB(color) == ColorToRGB(parent->GetColor()));
  if (!Designing(control) && same_color && WxVisualStyles() &&
      (!needs_parent_background || control->GetControlStyle().Contains(csParentBackground))) {
    // A window painting straight to the screen asks the visual styles for its parent's
    // background (erased and printed); otherwise the parent erases it in its own coordinates.
    auto* windowed = DynamicCast<TWinControl>(control);
    RECT clip = rect;
    if (!windowed || windowed->GetDoubleBuffered() ||
        !DrawThemeParentBackgroundOf(windowed->GetHandle(), canvas->GetHandle(), &clip))
      PerformEraseBackground(control, canvas->GetHandle(), {control->GetLeft(), control->GetTop()}, &rect);
    return;
  }
  TBrush* brush = canvas->GetBrush();
  const TColor old = brush->GetColor();
  if (old != color) brush->SetColor(color);
  canvas->FillRect(rect);
  if (old != color) brush->SetColor(old);
}

void PerformEraseBackground(TControl* control, HDC dc, POINT offset, const RECT* rect) {
  TWinControl* parent = control->GetParent();
  if (!parent) return;
  // A clip region is in device units: the rectangle goes through the DC's mapping as the
  // control sees it (the toolkit paints windowless controls with a moved viewport).
  POINT corners[2]{};
  if (rect) {
    corners[0] = {rect->left, rect->top};
    corners[1] = {rect->right, rect->bottom};
    LPtoDP(dc, corners, 2);
  }
  POINT origin{};
  const bool moved = offset.x != 0 || offset.y != 0;
  if (moved) {
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x + offset.x, origin.y + offset.y, nullptr);
  }
  HRGN saved = nullptr;
  if (rect) {
    saved = CreateRectRgn(0, 0, 1, 1);
    if (GetClipRgn(dc, saved) != 1) {
      DeleteObject(saved);
      saved = nullptr;
    }
    HRGN clip = CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
  }
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  if (moved) SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
  if (rect) {
    SelectClipRgn(dc, saved);
    if (saved) DeleteObject(saved);
  }
}

void IncludeThemeStyle(TControl* control, TControlStyle style) {
  TControlStyle s = control->GetControlStyle();
  for (TControlStyleFlag f : {csParentBackground, csNeedsBorderPaint})
    if (style.Contains(f)) s.Include(f);
  control->SetControlStyle(s);
}

TControlStyle GetThemeStyle(TControl* control) {
  TControlStyle s;
  for (TControlStyleFlag f : {csParentBackground, csNeedsBorderPaint})
    if (control->GetControlStyle().Contains(f)) s.Include(f);
  return s;
}

// ---- WM_PRINTCLIENT -----------------------------------------------------------------------

namespace {

TMessageProc g_print_client = nullptr;

void GuardedPrintClient(TObject* self, TMessage& message) {
  const auto dc = reinterpret_cast<HDC>(message.WParam);
  const int saved = dc ? SaveDC(dc) : 0;
  try {
    g_print_client(self, message);
  } catch (...) {
    if (saved) RestoreDC(dc, saved);
    throw;
  }
  if (saved) RestoreDC(dc, saved);
}

// The table is constant data: written through the process's own memory interface.
bool WriteHandler(const TMessageEntry* entry, TMessageProc proc) {
  SIZE_T written = 0;
  return WriteProcessMemory(GetCurrentProcess(), const_cast<TMessageProc*>(&entry->proc), &proc, sizeof proc,
                            &written) &&
         written == sizeof proc;
}

}  // namespace

void InstallPrintClientGuard() {
  const TMessageEntry* entry = FindMessageEntry(TWinControl::StaticMessageMap(), WM_PRINTCLIENT);
  if (!entry || entry->proc == &GuardedPrintClient) return;
  g_print_client = entry->proc;
  if (!WriteHandler(entry, &GuardedPrintClient)) g_print_client = nullptr;
}

void RemovePrintClientGuard() {
  const TMessageEntry* entry = FindMessageEntry(TWinControl::StaticMessageMap(), WM_PRINTCLIENT);
  if (!entry || !g_print_client || entry->proc != &GuardedPrintClient) return;
  if (WriteHandler(entry, g_print_client)) g_print_client = nullptr;
}
