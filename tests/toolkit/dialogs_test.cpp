// The file dialogs answered as a user would (a name typed, OK or Cancel), the prompts they
// raise, message boxes through the application, and opening files with the shell.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/dialog_answerer.h"
#include "toolkit/dialogs.h"
#include "toolkit/shell.h"
#include "visual_test_classes.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class FileDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    dir = std::string(temp) + "dravolin-dialogs-" + std::to_string(GetCurrentProcessId());
    ForceDirectories(dir);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetCaption("Dialog owner");
    form->SetBounds(600, 400, 300, 200);
    form->Show();
    Pump();
  }
  void TearDown() override {
    Free(form);
    for (const TSearchRec& rec : ListDirectory(dir + "\\*", 0)) DeleteFile(dir + "\\" + rec.Name);
    RemoveDir(dir);
    Pump();
  }
  TSaveDialog* Save() {
    auto* dialog = New<TSaveDialog>(form);
    dialog->SetTitle("HTML Protokoll");
    dialog->SetFilter("HTML|*.html|HTM|*.htm");
    dialog->SetFilterIndex(2);
    dialog->SetDefaultExt("htm");
    dialog->SetInitialDir(dir);
    dialog->SetOptions({ofOverwritePrompt, ofHideReadOnly, ofPathMustExist});
    return dialog;
  }
  void Touch(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }

  TDesktopLock lock_;
  std::string dir;
  TForm* form = nullptr;
};

TEST_F(FileDialogTest, SaveDialogGivesBackTheTypedNameWithTheDefaultExtension) {
  TSaveDialog* dialog = Save();
  testsupport::FileDialogAnswerer answerer({"protocol"});
  ASSERT_TRUE(dialog->Execute());
  EXPECT_TRUE(SameText(dialog->GetFileName(), dir + "\\protocol.htm")) << dialog->GetFileName();
  EXPECT_THAT(answerer.titles(), ElementsAre("HTML Protokoll"));
  EXPECT_THAT(answerer.boxes(), IsEmpty());
  EXPECT_EQ(dialog->GetFilterIndex(), 2);
}

TEST_F(FileDialogTest, CancelledDialogKeepsTheOldName) {
  TSaveDialog* dialog = Save();
  dialog->SetFileName("before.htm");
  testsupport::FileDialogAnswerer answerer({""});
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(dialog->GetFileName(), "before.htm");
  EXPECT_EQ(answerer.titles().size(), 1u);
}

TEST_F(FileDialogTest, OverwritePromptAsksBeforeAnExistingFileIsChosen) {
  Touch(dir + "\\old.htm");
  TSaveDialog* dialog = Save();
  testsupport::FileDialogAnswerer answerer({"old.htm"}, {IDYES});
  ASSERT_TRUE(dialog->Execute());
  EXPECT_TRUE(SameText(ExtractFileName(dialog->GetFileName()), "old.htm"));
  EXPECT_EQ(answerer.boxes().size(), 1u);
}

TEST_F(FileDialogTest, CreatePromptAsksBeforeANewFileIsOpened) {
  auto* dialog = New<TOpenDialog>(form);
  dialog->SetFilter("Start list|*.asl");
  dialog->SetDefaultExt(".asl");
  dialog->SetInitialDir(dir);
  dialog->SetOptions({ofCreatePrompt, ofHideReadOnly});
  EXPECT_EQ(dialog->GetDefaultExt(), "asl");
  testsupport::FileDialogAnswerer answerer({"new.asl"}, {IDYES});
  ASSERT_TRUE(dialog->Execute());
  EXPECT_TRUE(SameText(dialog->GetFileName(), dir + "\\new.asl")) << dialog->GetFileName();
  EXPECT_EQ(answerer.boxes().size(), 1u);
}

TEST_F(FileDialogTest, OpenDialogChoosesAnExistingFile) {
  Touch(dir + "\\list.asl");
  auto* dialog = New<TOpenDialog>(form);
  dialog->SetFilter("Start list|*.asl");
  dialog->SetInitialDir(dir);
  dialog->SetOptions({ofFileMustExist, ofPathMustExist, ofHideReadOnly});
  testsupport::FileDialogAnswerer answerer({"list.asl"});
  ASSERT_TRUE(dialog->Execute());
  EXPECT_TRUE(SameText(dialog->GetFileName(), dir + "\\list.asl"));
  EXPECT_THAT(answerer.boxes(), IsEmpty());
}

TEST_F(FileDialogTest, NameTheDialogCannotShowStillLetsItOpen) {
  TSaveDialog* dialog = Save();
  dialog->SetFileName("bad|name*?.htm");
  testsupport::FileDialogAnswerer answerer({"good"});
  ASSERT_TRUE(dialog->Execute());
  EXPECT_TRUE(SameText(ExtractFileName(dialog->GetFileName()), "good.htm")) << dialog->GetFileName();
}

// ---- Message boxes ---------------------------------------------------------------------------

TEST(MessageBoxes, ApplicationBoxReturnsTheButtonPressed) {
  TDesktopLock lock;
  testsupport::MessageBoxAnswerer answerer({IDYES, IDNO});
  EXPECT_EQ(Application->MessageBox("Delete Record?", "Main", 36), IDYES);
  EXPECT_EQ(Application->MessageBox("Delete Record?", "Main", 36), IDNO);
  ShowMessage("ERROR");
  ASSERT_EQ(answerer.boxes().size(), 3u);
  EXPECT_EQ(answerer.boxes()[0].title, "Main");
  EXPECT_EQ(answerer.boxes()[0].text, "Delete Record?");
  EXPECT_EQ(answerer.boxes()[2].title, Application->GetTitle());
  EXPECT_EQ(answerer.boxes()[2].text, "ERROR");
}

// ---- Shell -----------------------------------------------------------------------------------

TEST(Shell, OpenReportsWhetherTheShellStartedTheFile) {
  EXPECT_FALSE(ShellExecuteOpen("C:\\no\\such\\file.hlp"));
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_TRUE(ShellExecuteOpen(std::string(system) + "\\cmd.exe", "/c exit 0", {}, SW_HIDE));
}

}  // namespace
