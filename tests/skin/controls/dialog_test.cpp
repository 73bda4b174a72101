// The skinned message dialog: its layout in dialog units, the buttons it makes, and the skin
// engine's warnings shown through it on the internal skin, answered with posted keys and
// clicks while the modal loop waits.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "skin/controls/sbuttons.h"
#include "skin/controls/slabel.h"
#include "skin/controls/smessagedlg.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"

namespace {

template <class T>
T* Find(TComponent* form, const char* name) {
  return DynamicCast<T>(form->FindComponent(name));
}

std::vector<TsBitBtn*> Buttons(TCustomForm* form) {
  std::vector<TsBitBtn*> list;
  for (int i = 0; i < form->GetComponentCount(); ++i)
    if (auto* b = DynamicCast<TsBitBtn>(form->GetComponent(i))) list.push_back(b);
  return list;
}

class DialogLayout : public testing::Test {
 protected:
  void TearDown() override { Free(form); }
  TsMessageForm* Make(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    Free(form);
    form = CreateSMessageDialog(msg, type, buttons);
    return form;
  }
  TsMessageForm* form = nullptr;
};

}  // namespace

// First in the file: no dialog has measured "N&o to All" yet.
namespace {

// What the system's help was asked for.
struct THelpCall {
  std::string file;
  UINT command;
  ULONG_PTR data;
};
std::vector<THelpCall> help_calls;
BOOL WINAPI RecordingWinHelpA(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
  help_calls.push_back({file ? file : "", command, data});
  return TRUE;
}

}  // namespace

TEST_F(DialogLayout, TheHelpButtonOpensAGivenHelpFileAtTheContextAndNothingWithoutOne) {
  void* original = PatchImport("user32.dll", "WinHelpA", reinterpret_cast<void*>(&RecordingWinHelpA));
  ASSERT_NE(original, nullptr);
  help_calls.clear();
  Make("Question", mtConfirmation, {mbYes, mbHelp});
  form->SetHelpContext(42);
  auto* help = Find<TsBitBtn>(form, "Help");
  ASSERT_NE(help, nullptr);
  help->Click();
  EXPECT_TRUE(help_calls.empty()) << "no help file";
  form->SetHelpFile("C:\\race\\timing.hlp");
  help->Click();
  PatchImport("user32.dll", "WinHelpA", original);
  ASSERT_EQ(help_calls.size(), 1u);
  EXPECT_EQ(help_calls[0].file, "C:\\race\\timing.hlp");
  EXPECT_EQ(help_calls[0].command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(help_calls[0].data, 42u);
  EXPECT_EQ(form->GetModalResult(), mrNone) << "the dialog stays";
}

TEST_F(DialogLayout, ACaptionMeasuredOnceKeepsItsWidthAfterAFontChange) {
  ASSERT_EQ(MessageDlgCaptionWidth(mbNoToAll), 0);
  form = New<TsMessageForm>(nullptr, kCreateNew);
  form->GetFont()->SetHeight(-40);
  form->Build("Big", mtConfirmation, {mbNoToAll});
  const int big = MessageDlgCaptionWidth(mbNoToAll);
  EXPECT_GT(big, 150);
  EXPECT_GE(Find<TsBitBtn>(form, "NoToAll")->GetWidth(), big);

  Make("Small", mtConfirmation, {mbNoToAll, mbOK});
  EXPECT_EQ(MessageDlgCaptionWidth(mbNoToAll), big);
  // Every button takes the widest caption's width, the one kept from the big font.
  EXPECT_EQ(Find<TsBitBtn>(form, "NoToAll")->GetWidth(), big);
  EXPECT_EQ(Find<TsBitBtn>(form, "OK")->GetWidth(), big);
  EXPECT_LT(MessageDlgCaptionWidth(mbOK), big);
}

TEST_F(DialogLayout, AnEmptyButtonSetTakesItsWidthFromTheTextAlone) {
  Make("Only a few words", mtWarning, {});
  EXPECT_TRUE(Buttons(form).empty());
  auto* image = Find<TImage>(form, "Image");
  auto* label = Find<TsLabel>(form, "Message");
  ASSERT_TRUE(image && label);
  const int margin = image->GetLeft();
  EXPECT_EQ(image->GetTop(), label->GetTop());
  EXPECT_GT(label->GetLeft(), image->GetLeft() + image->GetWidth());
  EXPECT_EQ(form->GetClientWidth(), label->GetLeft() + label->GetWidth() + margin);
  // A short text is narrower than the smallest button row would be.
  Make("Only a few words", mtWarning, {mbYes, mbNo, mbCancel});
  label = Find<TsLabel>(form, "Message");  // the first dialog and its label are gone
  ASSERT_NE(label, nullptr);
  EXPECT_GT(form->GetClientWidth(), label->GetLeft() + label->GetWidth() + margin);
}

TEST_F(DialogLayout, AnApplicationReadRightToLeftMirrorsTextAndIcon) {
  Make("Only a few words", mtWarning, {mbOK});
  const int text_left = Find<TsLabel>(form, "Message")->GetLeft();
  const int icon_left = Find<TImage>(form, "Image")->GetLeft();
  Application->SetBiDiMode(bdRightToLeft);
  Make("Only a few words", mtWarning, {mbOK});
  Application->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(form->GetBiDiMode(), bdRightToLeft);
  auto* label = Find<TsLabel>(form, "Message");
  auto* image = Find<TImage>(form, "Image");
  EXPECT_EQ(label->GetBiDiMode(), bdRightToLeft);
  EXPECT_EQ(label->GetLeft(), form->GetClientWidth() - text_left - label->GetWidth());
  EXPECT_EQ(image->GetLeft(), form->GetClientWidth() - icon_left - image->GetWidth());
  // Side by side, not over each other.
  EXPECT_LE(label->GetLeft() + label->GetWidth(), image->GetLeft());
}

// The text is measured with its closing NUL: an empty message is one line high and narrow
// (measuring nothing would leave the rectangle half the screen wide).
TEST_F(DialogLayout, TheMessageIsMeasuredWithItsClosingNulAnEmptyOneToo) {
  for (const std::string text : {"Only a few words", ""}) {
    Make(text, mtWarning, {mbOK});
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, form->GetFont()->GetHandle());
    RECT expected{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()) + 1, &expected,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteDC(dc);
    auto* label = Find<TsLabel>(form, "Message");
    EXPECT_EQ(label->GetWidth(), expected.right - expected.left) << text;
    EXPECT_EQ(label->GetHeight(), expected.bottom - expected.top) << text;
    EXPECT_GT(label->GetHeight(), 0) << text;
    EXPECT_LT(form->GetClientWidth(), GetSystemMetrics(SM_CXSCREEN) / 4) << text;
  }
}

TEST_F(DialogLayout, ALongMessageWrapsAtHalfTheScreenWidth) {
  Make("One line", mtInformation, {mbOK});
  const int line = Find<TsLabel>(form, "Message")->GetHeight();
  std::string text;
  for (int i = 0; i < 200; ++i) text += "word" + std::to_string(i) + " ";
  Make(text, mtInformation, {mbOK});
  auto* label = Find<TsLabel>(form, "Message");
  const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
  EXPECT_LE(label->GetWidth(), half);
  EXPECT_GT(label->GetWidth(), half * 3 / 4);
  EXPECT_GE(label->GetHeight(), 5 * line);
  // The buttons sit below the text.
  EXPECT_GT(Find<TsBitBtn>(form, "OK")->GetTop(), label->GetTop() + label->GetHeight());
}

TEST_F(DialogLayout, TheCustomTypeHasNoIconAndTheApplicationsTitle) {
  Application->SetTitle("Timing test");
  Make("No picture", mtCustom, {});
  EXPECT_EQ(form->GetCaption(), "Timing test");
  EXPECT_EQ(Find<TImage>(form, "Image"), nullptr);
  auto* label = Find<TsLabel>(form, "Message");
  EXPECT_EQ(form->GetClientWidth() - label->GetWidth(), 2 * label->GetLeft());
  Make("Picture", mtError, {mbOK});
  EXPECT_EQ(form->GetCaption(), "Error");
  EXPECT_NE(Find<TImage>(form, "Image")->GetPicture()->GetIcon()->GetHandle(), nullptr);
}

TEST_F(DialogLayout, ButtonsComeInTheTablesOrderCentredWithTheirResults) {
  Make("Question", mtConfirmation, {mbHelp, mbNo, mbYes});
  std::vector<TsBitBtn*> list = Buttons(form);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->GetName(), "Yes");
  EXPECT_EQ(list[1]->GetName(), "No");
  EXPECT_EQ(list[2]->GetName(), "Help");
  EXPECT_EQ(list[0]->GetModalResult(), mrYes);
  EXPECT_EQ(list[1]->GetModalResult(), mrNo);
  EXPECT_EQ(list[2]->GetModalResult(), mrNone);
  EXPECT_TRUE(list[0]->GetDefault());
  EXPECT_TRUE(list[1]->GetCancel());
  EXPECT_LT(list[0]->GetLeft(), list[1]->GetLeft());
  const int right = form->GetClientWidth() - (list[2]->GetLeft() + list[2]->GetWidth());
  EXPECT_LE(std::abs(right - list[0]->GetLeft()), 1);
  // Without OK or Yes Retry is the default; without Cancel, No or OK nothing cancels.
  Make("Failed", mtError, {mbAbort, mbRetry, mbIgnore});
  for (TsBitBtn* b : Buttons(form)) {
    EXPECT_EQ(b->GetDefault(), b->GetName() == "Retry");
    EXPECT_FALSE(b->GetCancel());
  }
  EXPECT_EQ(Find<TsBitBtn>(form, "Abort")->GetModalResult(), mrAbort);
}

// ---- Shown modally on the internal skin --------------------------------------------------------

namespace {

// Waits in the modal loop's idle time for the dialog, then answers it through answer().
class TAnswerer : public TObject {
 public:
  std::function<void(TsMessageForm*)> answer;
  TsMessageForm* seen = nullptr;
  std::string caption, text;
  bool skinned = false;
  std::string section;
  void Idle(TObject*) {
    auto* form = DynamicCast<TsMessageForm>(Screen->GetActiveForm());
    if (!form || form == seen || !IsWindowVisible(form->GetHandle())) return;
    if (GetUpdateRect(form->GetHandle(), nullptr, FALSE)) return;
    seen = form;
    caption = form->GetCaption();
    if (auto* label = DynamicCast<TsLabel>(form->FindComponent("Message"))) text = label->GetCaption();
    skinned = form->GetProvider()->Skinned();
    section = form->GetProvider()->GetCommonData()->GetSkinSection();
    answer(form);
  }
};

// A click posted to a button's window: pressed and let go at its centre.
void PostClick(TWinControl* button) {
  const LPARAM centre = MAKELPARAM(button->GetWidth() / 2, button->GetHeight() / 2);
  PostMessageA(button->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
  PostMessageA(button->GetHandle(), WM_LBUTTONUP, 0, centre);
}

// The window as it is on the screen, frame included.
TBitmap* Screenshot(TCustomForm* form) {
  RECT r;
  GetWindowRect(form->GetHandle(), &r);
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(form->GetHandle());
  BitBlt(bmp->GetCanvas()->GetHandle(), 0, 0, bmp->GetWidth(), bmp->GetHeight(), dc, 0, 0, SRCCOPY);
  ReleaseDC(form->GetHandle(), dc);
  return bmp;
}

class SkinnedDialog : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    RegisterSkinEngineClasses();
    RegisterSkinDialogClasses();
    manager = New<TsSkinManager>(nullptr);
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
    Application->OnIdle = TNotifyEvent(&answerer, &TAnswerer::Idle);
  }
  void TearDown() override {
    Application->OnIdle = TNotifyEvent();
    Free(manager);
    SkinTest::TearDown();
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TAnswerer answerer;
};

}  // namespace

TEST_F(SkinnedDialog, ASkinWarningIsShownSkinnedAndAnsweredWithEnter) {
  TBitmap* shot = nullptr;
  answerer.answer = [&](TsMessageForm* form) {
    shot = Screenshot(form);
    shot->SaveToFile(std::string(DRAVOLIN_BUILD_DIR) + "/skin_warning_dialog.bmp");
    // Enter on the focused button: OK is the only one and the default.
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0xC0000001);
  };
  ShowWarning("The skin is older than the program: some parts may look plain.");
  EXPECT_TRUE(answerer.seen);
  EXPECT_EQ(answerer.caption, "Warning");
  EXPECT_EQ(answerer.text, "The skin is older than the program: some parts may look plain.");
  EXPECT_TRUE(answerer.skinned);
  EXPECT_EQ(answerer.section, "DIALOG");
  EXPECT_TRUE(SkinTest::Messages().empty());  // not the recorder: the dialog showed it
  ASSERT_TRUE(shot);
  // The skinned frame is not the system's caption colour at the top band's middle.
  const TColor caption_pixel = shot->GetCanvas()->GetPixels(shot->GetWidth() / 2, 4);
  EXPECT_NE(caption_pixel, ColorToRGB(clActiveCaption));
  Free(shot);
  // The form is gone with the call.
  for (int i = 0; i < Screen->GetFormCount(); ++i)
    EXPECT_EQ(DynamicCast<TsMessageForm>(Screen->GetForm(i)), nullptr);
}

TEST_F(SkinnedDialog, TheResultIsTheClickedButtonsAndEscapeCancels) {
  answerer.answer = [](TsMessageForm* form) { PostClick(DynamicCast<TsBitBtn>(form->FindComponent("No"))); };
  EXPECT_EQ(sMessageDlg("Save the heat?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrNo);
  EXPECT_EQ(answerer.caption, "Confirm");

  answerer.seen = nullptr;
  answerer.answer = [](TsMessageForm* form) {
    (void)form;
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  EXPECT_EQ(sMessageDlg("Save the heat?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrCancel);

  answerer.seen = nullptr;
  POINT placed{};
  answerer.answer = [&](TsMessageForm* form) {
    placed = {form->GetLeft(), form->GetTop()};
    PostClick(DynamicCast<TsBitBtn>(form->FindComponent("YesToAll")));
  };
  EXPECT_EQ(sMessageDlgPosHelp("Overwrite?", mtWarning, {mbYes, mbYesToAll}, 0, 10, 20, ""), mrYesToAll);
  EXPECT_EQ(placed.x, 10);
  EXPECT_EQ(placed.y, 20);
}
