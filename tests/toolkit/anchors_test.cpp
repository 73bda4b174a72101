// Anchors and size constraints on shown forms: controls following their parent's edges when
// it changes size, limits on every way a size is set, a form sized by its frame with the real
// pointer, and both read from form definitions and written back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/forms.h"
#include "toolkit/labels.h"
#include "visual_test_classes.h"

namespace {

TControlBounds BoundsOf(TControl* c) { return {c->GetLeft(), c->GetTop(), c->GetWidth(), c->GetHeight()}; }

std::string Text(const TControlBounds& b) {
  return std::to_string(b.Left) + "," + std::to_string(b.Top) + " " + std::to_string(b.Width) + "x" +
         std::to_string(b.Height);
}

TForm* ShownForm(int client_width, int client_height) {
  auto* form = New<TForm>(nullptr, kCreateNew);
  form->SetBounds(60, 60, 100, 100);
  form->SetClientWidth(client_width);
  form->SetClientHeight(client_height);
  form->Show();
  Pump();
  return form;
}

void SetClientSize(TForm* form, int width, int height) {
  form->SetClientWidth(width);
  form->SetClientHeight(height);
  Pump();
}

TEST(Anchors, EveryCombinationKeepsItsEdgesWhenTheParentChangesSize) {
  TDesktopLock desktop;
  TForm* form = ShownForm(400, 300);
  // Every set of the four edges, once on a windowed and once on a windowless control, all
  // placed at (100, 80) 60 x 40.
  std::vector<TControl*> controls;
  for (unsigned bits = 0; bits < 16; ++bits) {
    for (bool windowed : {true, false}) {
      TControl* c = windowed ? static_cast<TControl*>(New<TTestPanel>(form)) : New<TTestShape>(form);
      c->SetParent(form);
      c->SetBounds(100, 80, 60, 40);
      c->SetAnchors(TAnchors::FromBits(bits));
      controls.push_back(c);
    }
  }
  // Grown by half: 200 wider, 150 higher.
  SetClientSize(form, 600, 450);
  auto axis = [](bool to_start, bool to_end, int start, int length, int grow, int centred) {
    if (to_start && to_end) return std::pair{start, length + grow};
    if (to_end) return std::pair{start + grow, length};
    if (to_start) return std::pair{start, length};
    return std::pair{centred, length};
  };
  for (TControl* c : controls) {
    TAnchors a = c->GetAnchors();
    // Unanchored, the centre keeps its proportion: 130 * 1.5 - 30, 100 * 1.5 - 20.
    auto [left, width] = axis(a.Contains(akLeft), a.Contains(akRight), 100, 60, 200, 165);
    auto [top, height] = axis(a.Contains(akTop), a.Contains(akBottom), 80, 40, 150, 130);
    EXPECT_EQ(Text(BoundsOf(c)), Text({left, top, width, height}))
        << "anchors " << a.Bits() << (c->Is<TWinControl>() ? " windowed" : " windowless");
  }
  // Back to the first size, every control is where it was: nothing drifts.
  SetClientSize(form, 400, 300);
  for (TControl* c : controls) EXPECT_EQ(Text(BoundsOf(c)), "100,80 60x40") << c->GetAnchors().Bits();

  // A control placed anew measures from there: moved while the form is large, it keeps its
  // new distance from the right when the form shrinks again.
  SetClientSize(form, 600, 450);
  TControl* right = controls[2 * TAnchors{akTop, akRight}.Bits()];
  right->SetBounds(500, 20, 60, 40);
  SetClientSize(form, 400, 300);
  EXPECT_EQ(Text(BoundsOf(right)), "300,20 60x40");

  // Anchors chain: a stretched panel carries its own anchored children along.
  auto* panel = New<TTestPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 200, 100);
  panel->SetAnchors({akLeft, akTop, akRight, akBottom});
  auto* inner = New<TTestPanel>(form);
  inner->SetParent(panel);
  inner->SetBounds(150, 60, 40, 30);
  inner->SetAnchors({akRight, akBottom});
  SetClientSize(form, 450, 320);
  EXPECT_EQ(Text(BoundsOf(panel)), "10,10 250x120");
  EXPECT_EQ(Text(BoundsOf(inner)), "200,80 40x30");
  Free(form);
}

TEST(Constraints, LimitSetBoundsAlignmentAnchorsAutoSizeAndTheForm) {
  TDesktopLock desktop;
  TForm* form = ShownForm(400, 300);
  auto* box = New<TTestPanel>(form);
  box->SetParent(form);
  TSizeConstraints* c = box->GetConstraints();
  c->SetMinWidth(50);
  c->SetMinHeight(30);
  c->SetMaxWidth(200);
  c->SetMaxHeight(100);
  box->SetBounds(5, 5, 10, 10);
  EXPECT_EQ(Text(BoundsOf(box)), "5,5 50x30");
  box->SetBounds(5, 5, 500, 500);
  EXPECT_EQ(Text(BoundsOf(box)), "5,5 200x100");
  // A limit set later applies at once; 0 takes a limit away.
  c->SetMaxWidth(120);
  EXPECT_EQ(box->GetWidth(), 120);
  c->SetMaxWidth(0);
  box->SetWidth(330);
  EXPECT_EQ(box->GetWidth(), 330);
  // The window agrees with the fields.
  RECT r{};
  GetWindowRect(box->GetHandle(), &r);
  EXPECT_EQ(r.right - r.left, 330);
  EXPECT_EQ(r.bottom - r.top, 100);

  // Alignment: filling the client area stops at the maximum width.
  auto* client = New<TTestShape>(form);
  client->SetParent(form);
  client->GetConstraints()->SetMaxWidth(150);
  client->SetAlign(alClient);
  EXPECT_EQ(Text(BoundsOf(client)), "0,0 150x300");

  // Anchors: a stretched control stops at its minimum and comes back to its size.
  auto* stretched = New<TTestPanel>(form);
  stretched->SetParent(form);
  stretched->SetBounds(50, 200, 300, 20);
  stretched->SetAnchors({akLeft, akTop, akRight});
  stretched->GetConstraints()->SetMinWidth(250);
  SetClientSize(form, 300, 300);
  EXPECT_EQ(stretched->GetWidth(), 250);
  SetClientSize(form, 400, 300);
  EXPECT_EQ(stretched->GetWidth(), 300);

  // Auto-size: a label sized to a long caption is held at its maximum width.
  auto* label = New<TLabel>(form);
  label->SetParent(form);
  label->GetConstraints()->SetMaxWidth(40);
  label->SetCaption("A caption far wider than forty pixels");
  EXPECT_EQ(label->GetWidth(), 40);

  // The form itself: bounds set in code and the sizes its frame allows.
  TSizeConstraints* fc = form->GetConstraints();
  fc->SetMinWidth(250);
  fc->SetMinHeight(200);
  fc->SetMaxWidth(600);
  fc->SetMaxHeight(500);
  form->SetBounds(60, 60, 900, 900);
  Pump();
  GetWindowRect(form->GetHandle(), &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 500);
  MINMAXINFO info{};
  info.ptMaxTrackSize = {5000, 5000};
  info.ptMaxSize = {5000, 5000};
  SendMessageA(form->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 250);
  EXPECT_EQ(info.ptMinTrackSize.y, 200);
  EXPECT_EQ(info.ptMaxTrackSize.x, 600);
  EXPECT_EQ(info.ptMaxTrackSize.y, 500);
  EXPECT_EQ(info.ptMaxSize.x, 600);
  Free(form);
}

// The code the system's move and size loop gives its message filter (MSGF_SIZE).
constexpr int kSizingLoop = 4;

// Drags a form's bottom-right frame corner with the real pointer: pressed there, the
// system's sizing loop runs; once it runs the pointer moves by (dx, dy) and, when the loop
// has seen it there, the button is released.
class TFrameDrag {
 public:
  TFrameDrag(TForm* form, int dx, int dy) {
    RECT r{};
    GetWindowRect(form->GetHandle(), &r);
    const POINT corner{r.right - 2, r.bottom - 2};
    target_ = {corner.x + dx, corner.y + dy};
    current_ = this;
    hook_ = SetWindowsHookExA(WH_MSGFILTER, &Filter, nullptr, GetCurrentThreadId());
    EXPECT_TRUE(PlaceCursor(corner));
    Button(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(PumpUntil([&] { return released_; })) << "the sizing loop never ran";
    Pump();
  }
  ~TFrameDrag() {
    UnhookWindowsHookEx(hook_);
    if (!released_) Button(MOUSEEVENTF_LEFTUP);
    current_ = nullptr;
  }

 private:
  static void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
  }
  static LRESULT CALLBACK Filter(int code, WPARAM wparam, LPARAM lparam) {
    TFrameDrag* self = current_;
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    if (self && code == kSizingLoop) {
      if (!self->moved_) {
        self->moved_ = true;
        SetCursorPos(self->target_.x, self->target_.y);
      } else if (!self->released_ && msg->message == WM_MOUSEMOVE && msg->pt.x == self->target_.x &&
                 msg->pt.y == self->target_.y) {
        self->released_ = true;
        Button(MOUSEEVENTF_LEFTUP);
      }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline TFrameDrag* current_ = nullptr;
  HHOOK hook_ = nullptr;
  POINT target_{};
  bool moved_ = false;
  bool released_ = false;
};

SIZE WindowSize(TForm* form) {
  RECT r{};
  GetWindowRect(form->GetHandle(), &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(Constraints, SizingByTheFrameWithThePointerStopsAtTheFormsLimits) {
  TDesktopLock desktop;
  TForm* form = ShownForm(300, 200);
  SetForegroundWindow(form->GetHandle());
  const SIZE start = WindowSize(form);
  form->GetConstraints()->SetMinWidth(start.cx - 40);
  form->GetConstraints()->SetMinHeight(start.cy - 30);
  form->GetConstraints()->SetMaxWidth(start.cx + 60);
  form->GetConstraints()->SetMaxHeight(start.cy + 50);
  { TFrameDrag drag(form, -150, -120); }
  EXPECT_EQ(WindowSize(form).cx, start.cx - 40);
  EXPECT_EQ(WindowSize(form).cy, start.cy - 30);
  // The system keeps the pointer inside the room the maximum leaves, whose far edge is
  // exclusive: the frame stops at the maximum or one pixel short of it.
  { TFrameDrag drag(form, 300, 300); }
  const SIZE largest = WindowSize(form);
  EXPECT_TRUE(largest.cx <= start.cx + 60 && largest.cx >= start.cx + 59) << largest.cx;
  EXPECT_TRUE(largest.cy <= start.cy + 50 && largest.cy >= start.cy + 49) << largest.cy;
  // Within the limits the frame goes where the pointer takes it.
  { TFrameDrag drag(form, -20, -10); }
  EXPECT_EQ(WindowSize(form).cx, largest.cx - 20);
  EXPECT_EQ(WindowSize(form).cy, largest.cy - 10);
  EXPECT_EQ(form->GetWidth(), largest.cx - 20);
  Free(form);
}

TEST(AnchorsAndConstraints, AreReadFromADefinitionAndWrittenBack) {
  TDesktopLock desktop;
  const char* definition = R"(object Form1: TForm
  ClientWidth = 400
  ClientHeight = 300
  Constraints.MinWidth = 200
  Constraints.MaxHeight = 700
  object Grid: TTestPanel
    Left = 8
    Top = 8
    Width = 300
    Height = 284
    Anchors = [akLeft, akTop, akRight, akBottom]
    Constraints.MinHeight = 50
  end
  object Ok: TTestPanel
    Left = 316
    Top = 267
    Width = 76
    Height = 25
    Anchors = [akRight, akBottom]
  end
  object Plain: TTestShape
    Left = 316
    Top = 8
    Width = 76
    Height = 25
  end
end
)";
  auto* form = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(form, definition, "anchors");
  auto* grid = static_cast<TControl*>(form->FindComponent("Grid"));
  auto* ok = static_cast<TControl*>(form->FindComponent("Ok"));
  auto* plain = static_cast<TControl*>(form->FindComponent("Plain"));
  ASSERT_TRUE(grid && ok && plain);
  // Read before the form had its client size, they still are where the definition put them.
  EXPECT_EQ(Text(BoundsOf(grid)), "8,8 300x284");
  EXPECT_EQ(Text(BoundsOf(ok)), "316,267 76x25");
  EXPECT_EQ(grid->GetAnchors(), (TAnchors{akLeft, akTop, akRight, akBottom}));
  EXPECT_EQ(plain->GetAnchors(), kDefaultAnchors);
  EXPECT_EQ(grid->GetConstraints()->GetMinHeight(), 50);
  EXPECT_EQ(form->GetConstraints()->GetMinWidth(), 200);
  EXPECT_EQ(form->GetConstraints()->GetMaxHeight(), 700);
  form->Show();
  SetClientSize(form, 500, 340);
  EXPECT_EQ(Text(BoundsOf(grid)), "8,8 400x324");
  EXPECT_EQ(Text(BoundsOf(ok)), "416,307 76x25");
  EXPECT_EQ(Text(BoundsOf(plain)), "316,8 76x25");
  SetClientSize(form, 400, 300);

  // Written back: only what differs from the defaults, and read again the same.
  std::string text = WriteComponentToText(form);
  EXPECT_NE(text.find("Anchors = [akLeft, akTop, akRight, akBottom]"), std::string::npos) << text;
  EXPECT_NE(text.find("Anchors = [akRight, akBottom]"), std::string::npos) << text;
  EXPECT_NE(text.find("Constraints.MinHeight = 50"), std::string::npos) << text;
  EXPECT_NE(text.find("Constraints.MinWidth = 200"), std::string::npos) << text;
  EXPECT_EQ(text.find("Constraints.MaxWidth"), std::string::npos) << text;
  size_t anchors = 0;
  for (size_t at = text.find("Anchors"); at != std::string::npos; at = text.find("Anchors", at + 1))
    ++anchors;
  EXPECT_EQ(anchors, 2u) << text;
  auto* copy = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(copy, text, "written");
  EXPECT_EQ(static_cast<TControl*>(copy->FindComponent("Ok"))->GetAnchors(), (TAnchors{akRight, akBottom}));
  EXPECT_EQ(static_cast<TControl*>(copy->FindComponent("Grid"))->GetConstraints()->GetMinHeight(), 50);
  EXPECT_EQ(copy->GetConstraints()->GetMaxHeight(), 700);
  auto limits = [](const std::string& written) {
    std::string lines;
    for (size_t at = 0, end; at < written.size(); at = end + 1) {
      end = written.find('\n', at);
      if (end == std::string::npos) end = written.size();
      const std::string line = written.substr(at, end - at);
      if (line.find("Anchors") != std::string::npos || line.find("Constraints") != std::string::npos)
        lines += line;
    }
    return lines;
  };
  EXPECT_EQ(limits(WriteComponentToText(copy)), limits(text));
  Free(copy);
  Free(form);
}

}  // namespace
