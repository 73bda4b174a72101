// The skinned bevel's shapes.
#include "skin/controls/sbevel.h"

#include "skin/engine/sbevels.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kBevelKind = 110;
constexpr TColor kSpacerColor = 0xFFD8CE;

void Line(HDC dc, TColor color, int x1, int y1, int x2, int y2) {
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(color));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// Left and top edges in c1 (bottom-left, top-left, top-right), right and bottom in c2
// (top-right, bottom-right, bottom-left).
void BevelRect(HDC dc, RECT r, TColor c1, TColor c2) {
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(c1));
  HGDIOBJ old = SelectObject(dc, pen);
  const POINT first[] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
  Polyline(dc, first, 3);
  SelectObject(dc, old);
  DeleteObject(pen);
  pen = CreatePen(PS_SOLID, 1, ColorToRGB(c2));
  old = SelectObject(dc, pen);
  const POINT second[] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  Polyline(dc, second, 3);
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace

const TEnumInfo& BevelShapeNames() {
  static const TEnumInfo info{"sbsBox",      "sbsFrame",     "sbsTopLine", "sbsBottomLine",
                              "sbsLeftLine", "sbsRightLine", "sbsSpacer",  "sbsDotted"};
  return info;
}

TK_CLASS_INFO(TsBevel, TGraphicControl)

void TsBevel::Publish(TPublisher<TsBevel>& p) {
  p.String("Caption", &TsBevel::GetBevelCaption, &TsBevel::SetBevelCaption);
  p.Object("sStyle", &TsBevel::GetStyle, &TsBevel::SetStyle);
  p.Enumeration("Shape", BevelShapeNames(), &TsBevel::GetShape, &TsBevel::SetShape).Default(sbsFrame);
  p.Boolean("ShowCaption", &TsBevel::GetShowCaption, &TsBevel::SetShowCaption).Default(false);
}

TsBevel::TsBevel(TComponent* owner) : TGraphicControl(owner) {
  style_ = New<TsPaintStyle>(this);
  style_->COC = kBevelKind;
  SetBounds(0, 0, 50, 50);
}

TsBevel::~TsBevel() { FreeAndNil(style_); }

void TsBevel::Loaded() {
  inherited::Loaded();
  style_->UpdateIndexes();
}

void TsBevel::SetBevelCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  style_->Invalidate();
}

void TsBevel::SetShape(TsBevelShape value) {
  if (value == shape_) return;
  shape_ = value;
  style_->Invalidate();
}

void TsBevel::SetShowCaption(bool value) {
  if (value == show_caption_) return;
  show_caption_ = value;
  style_->Invalidate();
}

void TsBevel::Paint() {
  const TComponentState state = GetComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying)) return;
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  if (show_caption_ && !caption_.empty()) canvas->TextOut(4, 2, caption_);
  const int w = GetWidth(), h = GetHeight();
  if (shape_ == sbsSpacer) {
    // Through the canvas, so its clear brush leaves the dotted line's gaps alone.
    TPen* pen = canvas->GetPen();
    pen->SetStyle(psDot);
    pen->SetMode(pmXor);
    pen->SetColor(kSpacerColor);
    pen->SetWidth(1);
    canvas->Rectangle(0, 0, GetClientWidth(), GetClientHeight());
    pen->SetMode(pmCopy);
    pen->SetStyle(psSolid);
    return;
  }
  if (shape_ == sbsDotted) {
    PaintDottedFrame(canvas, RECT{1, 1, w - 1, h - 1});
    return;
  }
  canvas->GetPen()->SetStyle(psSolid);
  canvas->GetPen()->SetWidth(1);
  canvas->GetPen()->SetMode(pmCopy);
  canvas->GetBrush()->SetStyle(bsSolid);
  TColor c1, c2;
  switch (style_->GetPainting()->GetBevel()) {
    case cbNone: return;
    case cbRaisedSoft:
    case cbRaisedHard:
      c1 = clWhite;
      c2 = clBlack;
      break;
    default:
      c1 = clBlack;
      c2 = clWhite;
      break;
  }
  switch (shape_) {
    case sbsBox: BevelRect(dc, RECT{0, 0, w - 1, h - 1}, c1, c2); break;
    case sbsFrame:
      BevelRect(dc, RECT{1, 1, w - 1, h - 1}, c2, c2);
      BevelRect(dc, RECT{0, 0, w - 2, h - 2}, c1, c1);
      break;
    case sbsTopLine:
      Line(dc, c1, 0, 0, w, 0);
      Line(dc, c2, 0, 1, w, 1);
      break;
    case sbsBottomLine:
      Line(dc, c1, 0, h - 2, w, h - 2);
      Line(dc, c2, 0, h - 1, w, h - 1);
      break;
    case sbsLeftLine:
      Line(dc, c1, 0, 0, 0, h);
      Line(dc, c2, 1, 0, 1, h);
      break;
    case sbsRightLine:
      Line(dc, c1, w - 2, 0, w - 2, h);
      Line(dc, c2, w - 1, 0, w - 1, h);
      break;
    default: break;
  }
}

void RegisterSkinBevelClasses() { RegisterClasses({TsBevel::StaticClass()}); }
