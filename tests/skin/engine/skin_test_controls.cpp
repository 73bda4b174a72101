#include "skin_test_controls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "toolkit/canvas.h"

int CountOf(const std::vector<TSeenMessage>& seen, UINT msg) {
  return static_cast<int>(
      std::count_if(seen.begin(), seen.end(), [&](const TSeenMessage& m) { return m.msg == msg; }));
}

void* PoisonedNew(size_t size) {
  void* block = std::malloc(size);
  if (!block) throw std::bad_alloc();
  return block;
}

void PoisonedDelete(void* block, size_t size) {
  if (block) std::memset(block, 0xDD, size);  // kept: freed at exit by the system
}

// ---- TSkinTestControl ---------------------------------------------------------------------

TK_CLASS_INFO(TSkinTestControl, TCustomControl)

TSkinTestControl::TSkinTestControl(TComponent* owner, bool cache_bmp)
    : TCustomControl(owner), data_(New<TTestCommonData>(this, cache_bmp)) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 80, 40);
  SetTabStop(true);
}

TSkinTestControl::~TSkinTestControl() { Free(data_); }

void TSkinTestControl::WndProc(TMessage& message) {
  if (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_PAINTLAST)
    seen.push_back({message.Msg, message.LParam});
  if (message.Msg == SKM_ISUPDATING && is_updating_answer) {
    message.Result = is_updating_answer;
    return;
  }
  if (data_->HandleFirst(message)) return;
  inherited::WndProc(message);
}

void TSkinTestControl::Invalidate() {
  ++invalidates;
  if (on_invalidate) return on_invalidate();
  inherited::Invalidate();
}

void TSkinTestControl::Repaint() {
  ++repaints;
  inherited::Repaint();
}

void TSkinTestControl::Loaded() {
  inherited::Loaded();
  data_->Loaded();
}

void TSkinTestControl::Paint() { ++paints; }

// ---- TSkinTestShape -----------------------------------------------------------------------

TK_CLASS_INFO(TSkinTestShape, TGraphicControl)

TSkinTestShape::TSkinTestShape(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 30, 20); }

void TSkinTestShape::WndProc(TMessage& message) {
  if (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_PAINTLAST)
    seen.push_back({message.Msg, message.LParam});
  if (message.Msg == WM_PAINT && message.WParam) {
    auto dc = reinterpret_cast<HDC>(message.WParam);
    TPaint paint{};
    GetViewportOrgEx(dc, &paint.origin);
    GetClipBox(dc, &paint.clip);
    paint.paint_copy = GetControlState().Contains(csPaintCopy);
    paints.push_back(paint);
  }
  inherited::WndProc(message);
}

// ---- TSkinTestLabel -----------------------------------------------------------------------

TK_CLASS_INFO(TSkinTestLabel, TCustomControl)

TSkinTestLabel::TSkinTestLabel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 50, 16); }

void TSkinTestLabel::Repaint() { ++repaints; }

bool IsTestLabel(TControl* control) { return control->Is<TSkinTestLabel>(); }

// ---- TSkinTestWindow ----------------------------------------------------------------------

TK_CLASS_INFO(TSkinTestWindow, TCustomControl)

namespace {
std::map<HWND, TSkinTestWindow*>& Watched() {
  static std::map<HWND, TSkinTestWindow*> watched;
  return watched;
}
}  // namespace

TSkinTestWindow::TSkinTestWindow(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 60, 30);
}

void TSkinTestWindow::WndProc(TMessage& message) {
  if (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_PAINTLAST)
    seen.push_back({message.Msg, message.LParam});
  if (message.Msg == WM_NCDESTROY) Watched().erase(handle_);
  inherited::WndProc(message);
}

void TSkinTestWindow::WatchWindow() {
  Watched()[GetHandle()] = this;
  old_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSkinTestWindow::WatchProc)));
}

LRESULT CALLBACK TSkinTestWindow::WatchProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto it = Watched().find(window);
  if (it == Watched().end()) return DefWindowProcA(window, msg, wparam, lparam);
  TSkinTestWindow* self = it->second;
  if (msg >= SKM_LIBFIRST && msg <= SKM_PAINTLAST) self->seen_by_window.push_back({msg, lparam});
  return CallWindowProcA(self->old_proc_, window, msg, wparam, lparam);
}

// ---- TStyledTestControl -------------------------------------------------------------------

void TTestStyle::PaintBitmap(TCanvas* canvas, int x, int y) {
  (void)canvas;
  shadows.push_back({x, y});
}

TK_CLASS_INFO(TStyledTestControl, TCustomControl)

TStyledTestControl::TStyledTestControl(TComponent* owner, int kind)
    : TCustomControl(owner), style_(New<TTestStyle>(this)) {
  style_->COC = kind;
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 40, 20);
}

TStyledTestControl::~TStyledTestControl() { Free(style_); }

void TStyledTestControl::WndProc(TMessage& message) {
  if (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_PAINTLAST)
    seen.push_back({message.Msg, message.LParam});
  if (style_->HandleFirst(message)) return;
  inherited::WndProc(message);
}

void TStyledTestControl::Invalidate() {
  ++invalidates;
  inherited::Invalidate();
}

void TStyledTestControl::Repaint() {
  ++repaints;
  inherited::Repaint();
}

// ---- TTestSkin ----------------------------------------------------------------------------

TTestSkin::TTestSkin(const std::vector<TsGeneralData>& sections, const std::vector<std::string>& bordered) {
  SkinGeneralData = sections;
  for (const std::string& name : bordered) {
    TsMaskData mask;
    mask.SectionName = name;
    mask.PropertyName = "BORDERSMASK";
    mask.ImageCount = 1;
    SkinMasks.push_back(mask);
  }
  SkinData().SkinLoaded = true;
}

TTestSkin::~TTestSkin() {
  SkinData().SkinLoaded = false;
  SkinGeneralData.clear();
  SkinMasks.clear();
}

TsGeneralData Section(const std::string& name) {
  TsGeneralData section;
  section.SectionName = name;
  return section;
}
