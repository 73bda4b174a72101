#include "skin_test_controls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
bool IsLibMessage(UINT msg) { return msg >= SKM_LIBFIRST && msg <= SKM_PAINTLAST; }
}  // namespace

int CountOf(const std::vector<TSeenMessage>& seen, UINT msg) {
  return static_cast<int>(
      std::count_if(seen.begin(), seen.end(), [&](const TSeenMessage& m) { return m.msg == msg; }));
}

void* PoisonedNew(size_t size) {
  if (void* block = std::malloc(size)) return block;
  throw std::bad_alloc();
}

void PoisonedDelete(void* block, size_t size) {
  if (block) std::memset(block, 0xDD, size);
}

TK_CLASS_INFO(TSkinTestControl, TCustomControl)

TSkinTestControl::TSkinTestControl(TComponent* owner, bool cache_bmp)
    : TCustomControl(owner), data_(New<TTestCommonData>(this, cache_bmp)) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 80, 40);
  SetTabStop(true);
}

TSkinTestControl::~TSkinTestControl() { Free(data_); }

void TSkinTestControl::WndProc(TMessage& message) {
  if (IsLibMessage(message.Msg)) seen.push_back({message.Msg, message.LParam});
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
  if (IsLibMessage(message.Msg)) seen.push_back({message.Msg, message.LParam});
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

TK_CLASS_INFO(TSkinTestShape, TGraphicControl)

TSkinTestShape::TSkinTestShape(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 30, 20); }

void TSkinTestShape::WndProc(TMessage& message) {
  if (IsLibMessage(message.Msg)) seen.push_back({message.Msg, message.LParam});
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

TK_CLASS_INFO(TSkinTestLabel, TCustomControl)

TSkinTestLabel::TSkinTestLabel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 50, 16); }

bool IsTestLabel(TControl* control) { return control->Is<TSkinTestLabel>(); }

TK_CLASS_INFO(TSkinTestWindow, TCustomControl)

TSkinTestWindow::TSkinTestWindow(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 60, 30);
}

void TSkinTestWindow::WndProc(TMessage& message) {
  if (IsLibMessage(message.Msg)) seen.push_back({message.Msg, message.LParam});
  inherited::WndProc(message);
}

TTestSkin::TTestSkin(const std::vector<TsGeneralData>& sections, const std::vector<std::string>& bordered) {
  SkinGeneralData = sections;
  for (const std::string& name : bordered)
    SkinMasks.push_back(TsMaskData{nullptr, name, "BORDERSMASK", {}, 1, 0});
  SkinData().SkinLoaded = true;
}

TTestSkin::~TTestSkin() {
  SkinData().SkinLoaded = false;
  SkinGeneralData.clear();
  SkinMasks.clear();
}

TsGeneralData Section(const std::string& name, int transparency, bool shadow) {
  TsGeneralData section;
  section.SectionName = name;
  section.PaintingTransparency = transparency;
  section.ShadowEnabled = shadow;
  return section;
}
