#include "buttons_test_support.h"

#include "toolkit/classregistry.h"

TK_CLASS_INFO(TButtonsForm, TForm)

void TButtonsForm::Publish(TPublisher<TButtonsForm>& p) {
  p.Method("ButtonClick", &TButtonsForm::ButtonClick);
  p.Method("PanelPaint", &TButtonsForm::PanelPaint);
}

void TButtonsForm::ButtonClick(TObject* sender) {
  Trace().push_back("ButtonClick " + static_cast<TComponent*>(sender)->GetName());
}

void TButtonsForm::PanelPaint(TObject* sender, TCanvas* canvas) {
  auto* panel = static_cast<TControl*>(sender);
  Trace().push_back("PanelPaint " + panel->GetName() + (canvas ? " canvas" : " none"));
}

void ButtonsTest::SetUp() {
  RegisterButtonTestClasses();
  Trace().clear();
  form = New<TTestForm>(nullptr, kCreateNew);
  form->SetName("Form");
  // Mostly outside the shared desktop, clear of other tests' windows.
  form->SetBounds(1000, 760, 440, 300);
  log = New<TEventLog>();
}

void ButtonsTest::TearDown() {
  Free(form);
  Free(log);
  Pump();
}

void ButtonsTest::ShowActive(TCustomForm* f) {
  f->Show();
  SetActiveWindow(f->GetHandle());
  PumpUntil([&] { return f->GetActive(); });
}

void ButtonsTest::PostKey(TWinControl* to, WORD key) {
  PostMessageA(to->GetHandle(), WM_KEYDOWN, key, 1);
  PostMessageA(to->GetHandle(), WM_KEYUP, key, 1 | 0xC0000000);
  Pump();
}

void ButtonsTest::PostClick(TWinControl* window, int x, int y) {
  PostMessageA(window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({x, y}));
  PostMessageA(window->GetHandle(), WM_LBUTTONUP, 0, PointToLParam({x, y}));
  Pump();
}

TBitmap* MakeGlyph(int size, TColor background, TColor ink) {
  TBitmap* glyph = New<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(size, size);
  TCanvas* canvas = glyph->GetCanvas();
  canvas->GetBrush()->SetColor(background);
  canvas->FillRect({0, 0, size, size});
  canvas->GetBrush()->SetColor(ink);
  canvas->FillRect({size / 4, size / 4, size - size / 4, size - size / 4});
  return glyph;
}

TColor PixelOf(TGraphicControl* control, int x, int y) {
  TWinControl* parent = control->GetParent();
  TBitmap* picture = PictureOf(parent);
  TColor color = PixelAt(picture, parent, control->GetLeft() + x, control->GetTop() + y);
  Free(picture);
  return color;
}

void RegisterButtonTestClasses() {
  RegisterLabelClasses();
  RegisterButtonClasses();
  RegisterExtCtrlsClasses();
}
