// A form of speed buttons for looking at them: a drop-down button with its arrow, a flat
// button with its grey inactive glyph, a word-wrapped and a shortened caption, a disabled
// embossed glyph. Runs until closed; speedbutton_look_test.sh takes its screenshots.
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/startup.h"
#include "widgets/wxspeedbutton.h"

namespace {

// A red disc with a blue middle on fuchsia, the transparent colour.
TBitmap* Disc(int side) {
  TBitmap* glyph = New<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(side, side);
  TCanvas* c = glyph->GetCanvas();
  c->GetBrush()->SetColor(clFuchsia);
  c->FillRect(RECT{0, 0, side, side});
  c->GetPen()->SetColor(clRed);
  c->GetBrush()->SetColor(clRed);
  c->Ellipse(1, 1, side - 1, side - 1);
  c->GetPen()->SetColor(clBlue);
  c->GetBrush()->SetColor(clBlue);
  c->Ellipse(side / 3, side / 3, side - side / 3, side - side / 3);
  return glyph;
}

TWxSpeedButton* Button(TForm* form, const char* name, RECT bounds, const char* caption, TBitmap* glyph) {
  auto* b = New<TWxSpeedButton>(form);
  b->SetName(name);
  b->SetParent(form);
  b->SetBoundsRect(bounds);
  b->SetCaption(caption);
  b->GetFont()->SetName("Arial");
  b->GetFont()->SetHeight(-13);
  if (glyph) b->SetGlyph(glyph);
  return b;
}

}  // namespace

int main() {
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  TForm* form = New<TForm>(nullptr, kCreateNew);
  form->SetCaption("Speed buttons");
  form->SetBounds(100, 100, 420, 200);
  TBitmap* disc = Disc(16);

  auto* menu = New<TPopupMenu>(form);
  for (const char* text : {"Lane 1", "Lane 2", "Lane 3"}) {
    auto* item = New<TMenuItem>(menu);
    item->SetCaption(text);
    menu->GetItems()->Add(item);
  }
  TWxSpeedButton* lanes = Button(form, "btnLanes", {10, 10, 110, 44}, "Lanes", disc);
  lanes->SetLayout(blGlyphLeft);
  lanes->SetDropDownMenu(menu);

  TWxSpeedButton* flat = Button(form, "btnFlat", {10, 60, 70, 120}, "Flat", disc);
  flat->SetFlat(true);

  TWxSpeedButton* wrapped =
      Button(form, "btnWrapped", {130, 10, 250, 80}, "A word-wrapped caption on a race button", nullptr);
  wrapped->SetWordWrap(true);

  Button(form, "btnShort", {130, 90, 220, 120}, "A caption much too long", nullptr);

  TWxSpeedButton* off = Button(form, "btnOff", {260, 10, 330, 70}, "Off", disc);
  off->SetEnabled(false);
  Free(disc);

  form->Show();
  // Closing hides the form, which ends the program.
  while (form->GetVisible() && !Application->GetTerminated()) Application->HandleMessage();
  Free(form);
  return 0;
}
