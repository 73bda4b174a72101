// The skin engine's warnings and errors in the interface's language: under the German catalog
// each box the engine shows says what happened in German, its reasons included.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "i18n/translator.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/ssystemmenu.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sutils.h"
#include "toolkit/bitmap.h"
#include "toolkit/object.h"
#include "toolkit/sysutils.h"

namespace {

std::vector<std::string> g_messages;

void Record(const std::string& text, TsMessageKind) { g_messages.push_back(text); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class GermanSkinMessages : public testing::Test {
 protected:
  void SetUp() override {
    UseLanguage("de");
    previous_ = SkinMessageProc;
    SkinMessageProc = Record;
    g_messages.clear();
  }
  void TearDown() override {
    SkinMessageProc = previous_;
    UseLanguage("en");
  }

 private:
  TsMessageProc previous_ = nullptr;
};

// A skin folder whose Options.dat another program holds without sharing: the reason is the
// engine's own German sentence with the system's reason, not the stream's English one.
TEST_F(GermanSkinMessages, AHeldOptionsFileIsRefusedInGerman) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string skins = std::string(temp) + "skin_messages_" + std::to_string(GetCurrentProcessId());
  const std::string folder = skins + "\\Held\\";
  ASSERT_TRUE(ForceDirectories(folder));
  const std::string file = folder + "Options.dat";
  HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(writer, "[FORM]\r\nColor=1\r\n", 17, &written, nullptr);
  {
    TsSkinManager manager(nullptr);
    manager.SetSkinDirectory(skins);
    manager.SetSkinName("Held");
    EXPECT_EQ(SkinData().SkinIni, nullptr);
  }
  CloseHandle(writer);
  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(skins.c_str());
  ASSERT_EQ(g_messages.size(), 1u);
  const std::string& text = g_messages[0];
  EXPECT_TRUE(Has(
      text, "Der Skin-Ordner " + folder + " wird nicht verwendet: Options.dat kann nicht gelesen werden: "))
      << text;
  EXPECT_FALSE(Has(text, "Cannot open")) << text;
}

TEST_F(GermanSkinMessages, ASecondManagerAndASkinPastTheIndexesAreToldInGerman) {
  TsSkinManager manager(nullptr);
  { TsSkinManager second(nullptr); }
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(
      g_messages[0],
      "Bitte stellen Sie sicher, dass im Projekt nur ein Exemplar der Komponente TsSkinManager geladen ist.");

  // Sections past the 16-bit indexes; the images fit.
  TsStoredSkin* skin = manager.GetInternalSkins()->Add();
  skin->Name = "Huge";
  TBitmap* master = New<TBitmap>();
  master->SetSize(4, 4);
  skin->SetMasterBitmap(master);
  Free(master);
  for (int i = 0; i < 32768; ++i) skin->GetGeneralData()->Add()->SectionName = "S" + std::to_string(i);
  g_messages.clear();
  manager.SetSkinName("Huge");
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0],
            "Der Skin hat mehr als 32767 Abschnitte; die \xFC"
            "brigen werden nicht verwendet.");
}

TEST_F(GermanSkinMessages, AScrollBarRangeWithoutRoomIsToldInGerman) {
  TsScrollBar* bar = New<TsScrollBar>(nullptr);
  bar->SetMax(0);
  Free(bar);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0],
            "Eigenschaft der Bildlaufleiste au\xDF"
            "erhalb des Bereichs\r\nMax = 0");
}

// The skinned system menu speaks the interface's language too: its commands and the item
// that lists the skins.
TEST_F(GermanSkinMessages, TheSystemMenuAndItsSkinListReadGerman) {
  TsSkinManager manager(nullptr);
  manager.GetInternalSkins()->Add()->Name = "Plain";
  TsSystemMenu menu(nullptr, nullptr);
  menu.SetSkinManager(&manager);
  menu.MakeSkinItems();
  std::vector<std::string> captions;
  for (int i = 0; i < menu.GetItems()->GetCount(); ++i)
    captions.push_back(menu.GetItems()->GetItem(i)->GetCaption());
  const std::vector<std::string> german{"Verf\xFCgbare Skins",
                                        "-",
                                        "Wiederherstellen",
                                        "Verschieben",
                                        "Gr\xF6\xDF"
                                        "e \xE4ndern",
                                        "Minimieren",
                                        "Maximieren",
                                        "-",
                                        "Schlie\xDF"
                                        "en"};
  EXPECT_EQ(captions, german);
}

}  // namespace
