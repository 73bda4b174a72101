// Shared by the button, label and panel tests: the stored test form, a fixture with a form
// clear of other tests' windows, and small pictures to draw.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/labels.h"
#include "visual_test_classes.h"

// The form of buttons_test.form; its handlers record what they see in Trace().
class TButtonsForm : public TForm {
  TK_CLASS(TButtonsForm, TForm)

 public:
  explicit TButtonsForm(TComponent* owner) : TForm(owner) {}

  void ButtonClick(TObject* sender);
  void PanelPaint(TObject* sender, TCanvas* canvas);

  template <class T>
  T* Get(const char* name) {
    return DynamicCast<T>(FindComponent(name));
  }

 private:
  static void Publish(TPublisher<TButtonsForm>& p);
};

// Records the events of controls made in code, as "name:event".
class TEventLog : public TObject {
 public:
  void Click(TObject* sender) { Trace().push_back(static_cast<TComponent*>(sender)->GetName() + ":Click"); }
};

class ButtonsTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Shows the form and waits until it is the active window.
  void ShowActive(TCustomForm* f);
  template <class T>
  T* Add(const char* name, TWinControl* parent, RECT bounds) {
    T* control = New<T>(form);
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetParent(parent);
    return control;
  }
  // A key press as the message loop gets it (through CN_KEYDOWN and the form's dialog keys).
  void PostKey(TWinControl* to, WORD key);
  // A left click at a client point of a window (a graphic child under it gets it).
  void PostClick(TWinControl* window, int x, int y);

  TDesktopLock lock_;
  TTestForm* form = nullptr;
  TEventLog* log = nullptr;
};

// A square glyph of `size` pixels: `background` (the bottom-left pixel, so transparent) with a
// square of `ink` in the middle half.
TBitmap* MakeGlyph(int size, TColor background, TColor ink);
// The colour of a point of a windowless control, read from its parent's picture.
TColor PixelOf(TGraphicControl* control, int x, int y);

// Registers the toolkit classes of these tests and the test form.
void RegisterButtonTestClasses();
