// The main window made from its form definition among the program's other forms, as the
// program creates them, with its files in a scratch folder: its components, and keys, mouse
// presses and the light barrier reaching the race through the window's own controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/configform.h"
#include "app/infoform.h"
#include "app/mainform.h"
#include "app/protocol.h"
#include "app/selectcarform.h"
#include "widgets/wxled.h"
#include "widgets/wxspeedbutton.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "skin/controls/supdown.h"
#include "bitmap32/image32.h"
#include "bitmap32/label32.h"
#include "i18n/translator.h"
#include "resources/resource_ids.h"
#include "tests/support/dialog_answerer.h"
#include "widgets/justone.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/labels.h"
#include "toolkit/listview.h"
#include "toolkit/resstrings.h"
#include "toolkit/startup.h"
#include "toolkit/sysutils.h"
#include "toolkit/timers.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"

namespace {

std::string ScratchFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  std::string folder =
      std::string(temp) + "dravolin_mainform_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

TStartListEntry Entry(const std::string& place, const std::string& last_name) {
  return {place, {"A", "1" + place, last_name, "Jo", "Ford", "Ka", "Linz", "AT"}};
}

class MainWindow : public testing::Test {
 protected:
  // Every test runs in a process of its own: the forms are made once, in the program's order.
  static void SetUpTestSuite() {
    lock_ = new TDesktopLock;
    // Copies of this program run side by side: an unnamed mutex keeps the guard from refusing.
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    Application->CreateForm(Main);
    // The other forms read their files from here instead of beside the test program.
    const std::string folder = ScratchFolder();
    AppPaths.ClassList = folder + "Classes.Lst";
    AppPaths.WorkingStartList = folder + "Current.Asl";
    AppPaths.Settings = folder + "test.ini";
    AppPaths.Help = folder + "test.hlp";
    WriteStartListFile(AppPaths.WorkingStartList, {Entry("1", "Miller"), Entry("2", "Baker")});
    Application->CreateForm(ClassesEditor);
    Application->CreateForm(AddClass);
    Application->CreateForm(EditClass);
    Application->CreateForm(StartList);
    Application->CreateForm(StartListEdit);
    Application->CreateForm(Config);
    Application->CreateForm(SelectCar);
    Application->CreateForm(InfoForm);
    Main->Show();
    Pump();
  }
  static void TearDownTestSuite() { delete lock_; }

  template <class T>
  static T* Find(const char* name) {
    return DynamicCast<T>(Main->FindComponent(name));
  }
  TListView* Protocol() { return Find<TListView>("ListProtocol"); }

  // A left press (and release) at the middle of a windowless control, through its parent.
  static void Press(TControl* control, bool release = true) {
    HWND parent = control->GetParent()->GetHandle();
    LPARAM at = MAKELPARAM(control->GetLeft() + control->GetWidth() / 2,
                           control->GetTop() + control->GetHeight() / 2);
    SendMessageA(parent, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (release) SendMessageA(parent, WM_LBUTTONUP, 0, at);
  }
  // A key as the protocol list (a windowed child) receives it; the window sees it first.
  void Key(WORD key, bool alt = false) {
    UINT message = key == VK_F10 || alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    SendMessageA(Protocol()->GetHandle(), message, key, alt ? (1 << 29) | 1 : 1);
  }
  std::vector<std::string> Cells(int row) {
    TStrings* items = Protocol()->GetItems()->GetItem(row)->GetSubItems();
    std::vector<std::string> cells;
    for (int i = items->Count() - 4; i < items->Count(); ++i) cells.push_back(items->Get(i));
    return cells;
  }
  // Lane 1 switched on by a click on its switch.
  void SwitchOnLane1() {
    Press(Find<TWxLED>("ledOn1"));
    ASSERT_TRUE(Find<TWxLED>("ledOn1")->GetStatus());
  }

  static TDesktopLock* lock_;
};

TDesktopLock* MainWindow::lock_ = nullptr;

TEST_F(MainWindow, IsBuiltFromItsDefinitionWithTheProtocolColumnsAtFirstShowing) {
  EXPECT_EQ(Main->GetCaption(), LoadStr(IDS_MAIN_CAPTION));
  EXPECT_TRUE(Main->GetKeyPreview());
  RECT client = Main->GetClientRect();
  EXPECT_EQ(client.right, 781);
  EXPECT_EQ(client.bottom, 534);
  for (int lane = 1; lane <= 3; ++lane) {
    const std::string n = std::to_string(lane);
    TIAeverLiquidIndicator* display = Find<TIAeverLiquidIndicator>(("lbl_" + n + "ind").c_str());
    EXPECT_EQ(display->GetWidth(), 438);
    EXPECT_EQ(display->GetHeight(), 97);
    EXPECT_EQ(display->GetIndicatorWidth(), 438);
    EXPECT_EQ(display->GetSignNumber(), 7);
    EXPECT_EQ(display->GetIndicatorKind(), ik9segment);
    EXPECT_EQ(display->GetIndicatorStyle(), isThick);
    // The scheme is streamed before the colours, so theirs stand.
    EXPECT_EQ(display->GetColorScheme(), csBlack);
    EXPECT_EQ(display->GetNumberForeColor(), clYellow);
    EXPECT_EQ(display->GetNumberBackColor(), 0x001818);
    EXPECT_EQ(display->GetNumberForeColor1(), 0x0080FF);
    TIAgaloLED* lamp = Find<TIAgaloLED>(("led" + n).c_str());
    EXPECT_EQ(lamp->GetLedPlasticColor(), clRed);
    EXPECT_EQ(lamp->GetWidth(), 69);
    EXPECT_EQ(lamp->GetHeight(), 97);
    EXPECT_EQ(lamp->GetLedWidth(), 65);
    EXPECT_EQ(lamp->GetLedHeight(), 93);
    EXPECT_TRUE(lamp->GetLedOn());
    // Both sit inside the black panel, side by side.
    EXPECT_LE(lamp->GetLeft() + lamp->GetWidth(), lamp->GetParent()->GetClientWidth());
    EXPECT_LE(display->GetLeft() + display->GetWidth(), lamp->GetLeft());
    EXPECT_FALSE(Find<TWxLED>(("ledOn" + n).c_str())->GetStatus());
    EXPECT_EQ(Find<TWxLED>(("ledOn" + n).c_str())->GetTag(), lane);
  }
  // The race buttons: a caption in bold Arial of 13 pixels, a font colour each, no glyph, no hot
  // tracking, the glyph layout left as it comes.
  std::vector<TColor> font_colors;
  for (const char* name : {"btnStart", "btnTrigger", "btnStop", "btnCrash"}) {
    TWxSpeedButton* button = Find<TWxSpeedButton>(name);
    EXPECT_FALSE(button->GetEnabled()) << name;
    EXPECT_TRUE(button->GetGlyph()->GetEmpty()) << name;
    EXPECT_FALSE(button->GetHotTrack()) << name;
    EXPECT_EQ(button->GetLayout(), blGlyphTop) << name;
    EXPECT_EQ(button->GetSpacing(), 1) << name;
    EXPECT_EQ(button->GetFont()->GetName(), "Arial") << name;
    EXPECT_EQ(button->GetFont()->GetHeight(), -13) << name;
    EXPECT_TRUE(button->GetFont()->GetStyle().Contains(fsBold)) << name;
    EXPECT_EQ(std::count(font_colors.begin(), font_colors.end(), button->GetFont()->GetColor()), 0) << name;
    font_colors.push_back(button->GetFont()->GetColor());
  }
  EXPECT_FALSE(FindResourceA(HInstance, "RACE_PREPARE", MAKEINTRESOURCEA(2)));
  for (const char* name : {"btnExportHTML", "btnExportExcel", "btnExportWordpad"})
    EXPECT_FALSE(Find<TsButton>(name)->GetEnabled()) << name;
  EXPECT_TRUE(Find<TsButton>("btnStartList")->GetEnabled());
  EXPECT_NE(Find<TTimer>("TimersTimer"), nullptr);

  TListColumns* columns = Protocol()->GetColumns();
  std::vector<TListColumnInfo> start_list = StartListColumns();
  ASSERT_EQ(columns->GetCount(), 13);
  ASSERT_EQ(start_list.size(), 9u);
  EXPECT_EQ(columns->GetItem(0)->GetCaption(), "Place");
  for (int i = 1; i < 9; ++i) EXPECT_EQ(columns->GetItem(i)->GetCaption(), start_list[i].Caption);
  EXPECT_EQ(columns->GetItem(9)->GetCaption(), "LAP 1");
  EXPECT_EQ(columns->GetItem(11)->GetCaption(), "LAP 3");
  EXPECT_EQ(columns->GetItem(12)->GetCaption(), "BEST");
  EXPECT_EQ(columns->GetItem(12)->GetWidth(), 55);
  EXPECT_EQ(AppPaths.Help.substr(AppPaths.Help.size() - 4), ".hlp");
}

TEST_F(MainWindow, ShowsTheStoredLogoStretchedAndTheLaneLabelsAsStored) {
  TImage32* logo = Find<TImage32>("imgLogo");
  ASSERT_NE(logo, nullptr);
  TBitmap32* picture = logo->GetBitmap();
  ASSERT_EQ(picture->GetWidth(), 191);
  ASSERT_EQ(picture->GetHeight(), 42);
  EXPECT_EQ(picture->GetStretchFilter(), sfSpline);
  EXPECT_EQ(logo->GetScaleMode(), smStretch);
  EXPECT_EQ(logo->GetWidth(), 257);
  EXPECT_EQ(logo->GetHeight(), 31);
  // Drawn with anti-aliased edges: the rounded corners are partly transparent, the middle is not.
  EXPECT_EQ(picture->GetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(picture->GetPixel(95, 21) >> 24, 0xFFu);
  // Where the picture is transparent it still carries a window colour, so it shows no hole.
  EXPECT_GT(picture->GetPixel(0, 0) & 0xFF, 0xC0u);
  for (const char* name : {"lbl_2Title", "lbl_2r3", "lbl_2Status"}) {
    TLabel32* label = Find<TLabel32>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->GetTextColor(), clLime) << name;
    EXPECT_EQ(label->GetColor(), clNavy) << name;
    EXPECT_EQ(label->GetShadowColor(), clBlack) << name;
    EXPECT_EQ(label->GetTextAutoSizeSpacing(), 10) << name;
    EXPECT_EQ(label->GetFont()->GetHeight(), -19) << name;
    const bool title = std::string(name).find("Title") != std::string::npos;
    EXPECT_EQ(label->GetShadowOn(), title) << name;
    EXPECT_EQ(label->GetTextEllipsis(), title ? telEnd : telNone) << name;
  }
}

TEST_F(MainWindow, HelpWithoutAHelpFileShowsNothing) {
  ASSERT_FALSE(FileExists(AppPaths.Help));
  testsupport::MessageBoxAnswerer answerer({});
  Find<TsButton>("btnHelp")->Click();
  Pump();
  EXPECT_TRUE(answerer.boxes().empty());
}

TEST_F(MainWindow, SwitchingALaneOnShowsItsParticipantAndEnablesPrepare) {
  SwitchOnLane1();
  EXPECT_TRUE(Find<TWxSpeedButton>("btnStart")->GetEnabled());
  EXPECT_NE(Find<TLabel32>("lbl_1Title")->GetCaption().find("Miller"), std::string::npos);
  Press(Find<TWxLED>("ledOn1"));
  EXPECT_FALSE(Find<TWxLED>("ledOn1")->GetStatus());
  EXPECT_FALSE(Find<TWxSpeedButton>("btnStart")->GetEnabled());
  EXPECT_EQ(Find<TLabel32>("lbl_1Title")->GetCaption(), "");
  // A switch whose Tag names no lane still toggles, and the lanes follow it.
  TWxLED* lane_switch = Find<TWxLED>("ledOn1");
  lane_switch->SetTag(7);
  Press(lane_switch);
  const bool on = lane_switch->GetStatus();
  const std::string title = Find<TLabel32>("lbl_1Title")->GetCaption();
  Press(lane_switch);
  lane_switch->SetTag(1);
  EXPECT_TRUE(on);
  EXPECT_NE(title.find("Miller"), std::string::npos);
  EXPECT_FALSE(lane_switch->GetStatus());
  EXPECT_EQ(Find<TLabel32>("lbl_1Title")->GetCaption(), "");
}

TEST_F(MainWindow, LaneDisplayDrawsItsTextInYellowOnBlack) {
  TIAeverLiquidIndicator* display = Find<TIAeverLiquidIndicator>("lbl_1ind");
  TWinControl* panel = display->GetParent();
  auto count = [&](TColor color) {
    TBitmap* picture = PictureOf(panel);
    int found = 0;
    for (int y = display->GetTop(); y < display->GetTop() + display->GetHeight(); y += 2)
      for (int x = display->GetLeft(); x < display->GetLeft() + display->GetWidth(); x += 2)
        found += PixelAt(picture, panel, x, y) == color;
    Free(picture);
    return found;
  };
  display->SetIndicatorstring("");
  EXPECT_EQ(count(clYellow), 0);
  EXPECT_GT(count(clBlack), 0);
  const int unlit = count(0x001818);
  EXPECT_GT(unlit, 0);
  display->SetIndicatorstring("00:00.00");
  EXPECT_GT(count(clYellow), 0);
  EXPECT_LT(count(0x001818), unlit);
}

TEST_F(MainWindow, LaneLampShowsTheLanesColourShaded) {
  TIAgaloLED* lamp = Find<TIAgaloLED>("led2");
  auto centre = [&] {
    return lamp->GetPicture()->GetPixelColor(lamp->GetWidth() / 2, lamp->GetHeight() / 2);
  };
  // Red, at full brightness near the centre (grain takes at most 15 off).
  EXPECT_GE(GetRValue(centre()), 240);
  EXPECT_EQ(GetGValue(centre()), 0);
  Main->SetLaneLampColor(2, clYellow);
  EXPECT_EQ(Main->GetLaneLampColor(2), clYellow);
  EXPECT_GE(GetRValue(centre()), 240);
  EXPECT_GE(GetGValue(centre()), 240);
  EXPECT_EQ(GetBValue(centre()), 0);
}

TEST_F(MainWindow, FunctionKeysRunAHeatAndStopWritesTheProtocol) {
  SwitchOnLane1();
  Key(VK_F5);
  EXPECT_TRUE(Main->Race().Armed());
  Key(VK_F8, /*alt=*/true);  // a modifier held: ignored
  EXPECT_EQ(Main->Race().LapCount(1), 0);
  Key(VK_F8);
  Key(VK_F8);
  EXPECT_EQ(Main->Race().LapCount(1), 2);
  Key(VK_F9);
  EXPECT_FALSE(Main->Race().Armed());
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 1);
  EXPECT_EQ(Protocol()->GetItems()->GetItem(0)->GetCaption(), "1");
  EXPECT_EQ(Cells(0), (std::vector<std::string>{"STOP", "STOP", "STOP", "STOP"}));
  EXPECT_EQ(Find<TLabel32>("lbl_1Status")->GetCaption(), "STOP");
  EXPECT_TRUE(Find<TsButton>("btnExportHTML")->GetEnabled());

  // F10 comes as a system key; it ends the next heat as a crash, ranked after the stop.
  Key(VK_F5);
  Key(VK_F8);
  Key(VK_F10);
  EXPECT_FALSE(Main->Race().Armed());
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 2);
  EXPECT_EQ(Cells(0)[3], "CRASH");
  EXPECT_EQ(Cells(1)[3], "STOP");
  EXPECT_EQ(Protocol()->GetItems()->GetItem(1)->GetCaption(), "2");
}

TEST_F(MainWindow, TheDisplayTimerRunsOnlyWhileALaneRuns) {
  TTimer* display = Find<TTimer>("TimersTimer");
  EXPECT_FALSE(display->GetEnabled());  // idle: nothing to show
  SwitchOnLane1();
  Key(VK_F5);
  EXPECT_FALSE(display->GetEnabled());  // armed, the zero blinking, no time yet
  Key(VK_F8);
  EXPECT_TRUE(display->GetEnabled());
  Key(VK_F9);  // stopped halfway through a lap: its last reading was shown as it stopped
  EXPECT_FALSE(display->GetEnabled());
  // A heat that ends by its laps stops it too.
  Key(VK_F5);
  for (int trigger = 0; trigger <= Main->Race().NumberOfLaps(); ++trigger) {
    Key(VK_F8);
    EXPECT_EQ(display->GetEnabled(), Main->Race().Armed()) << trigger;
  }
  EXPECT_FALSE(Main->Race().Armed());
}

TEST_F(MainWindow, RaceKeysStillActAfterF10OrALoneAltWhileIdle) {
  SwitchOnLane1();
  TMenuLoopWatch watch;
  HWND list = Protocol()->GetHandle();
  for (WORD key : {VK_F10, VK_MENU}) {
    const LPARAM alt = key == VK_MENU ? 1 << 29 : 0;
    PostMessageA(list, WM_SYSKEYDOWN, key, alt | 1);
    PostMessageA(list, WM_SYSKEYUP, key, alt | 0xC0000001);
    PostMessageA(list, WM_KEYDOWN, VK_F5, 1);
    PostMessageA(list, WM_KEYDOWN, VK_F8, 1);
    PostMessageA(list, WM_KEYDOWN, VK_F9, 1);
    Pump();
    EXPECT_FALSE(Main->Race().Armed()) << key;
  }
  EXPECT_EQ(watch.Entered(), 0);
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 2);
  EXPECT_EQ(Cells(0), (std::vector<std::string>{"STOP", "STOP", "STOP", "STOP"}));
}

TEST_F(MainWindow, RaceButtonsActOnMouseDown) {
  SwitchOnLane1();
  Press(Find<TWxSpeedButton>("btnStart"), /*release=*/false);
  EXPECT_TRUE(Main->Race().Armed());
  SendMessageA(Find<TWxSpeedButton>("btnStart")->GetParent()->GetHandle(), WM_LBUTTONUP, 0, 0);
  Press(Find<TWxSpeedButton>("btnTrigger"), false);
  EXPECT_EQ(Main->Race().LapCount(1), 1);
  SendMessageA(Find<TWxSpeedButton>("btnTrigger")->GetParent()->GetHandle(), WM_LBUTTONUP, 0, 0);
  Press(Find<TWxSpeedButton>("btnCrash"), false);
  EXPECT_FALSE(Main->Race().Armed());
  EXPECT_EQ(Protocol()->GetItems()->GetCount(), 1);
}

TEST_F(MainWindow, RaceButtonsActOnTheRightAndMiddleButtonsToo) {
  SwitchOnLane1();
  auto press = [](const char* name, UINT down, UINT up) {
    TWxSpeedButton* button = Find<TWxSpeedButton>(name);
    const LPARAM at =
        MAKELPARAM(button->GetLeft() + button->GetWidth() / 2, button->GetTop() + button->GetHeight() / 2);
    SendMessageA(button->GetParent()->GetHandle(), down, 0, at);
    SendMessageA(button->GetParent()->GetHandle(), up, 0, at);
  };
  press("btnStart", WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_TRUE(Main->Race().Armed());
  press("btnTrigger", WM_MBUTTONDOWN, WM_MBUTTONUP);
  EXPECT_EQ(Main->Race().LapCount(1), 1);
  press("btnStop", WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_FALSE(Main->Race().Armed());
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 1);
  EXPECT_EQ(Cells(0)[3], "STOP");
  press("btnStart", WM_MBUTTONDOWN, WM_MBUTTONUP);
  press("btnCrash", WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_FALSE(Main->Race().Armed());
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 2);
}

TEST_F(MainWindow, ADisabledRaceButtonIgnoresEveryMouseButton) {
  SwitchOnLane1();
  auto press_all = [](const char* name) {
    TWxSpeedButton* button = Find<TWxSpeedButton>(name);
    const LPARAM at =
        MAKELPARAM(button->GetLeft() + button->GetWidth() / 2, button->GetTop() + button->GetHeight() / 2);
    HWND parent = button->GetParent()->GetHandle();
    for (auto [down, up] : {std::pair<UINT, UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP},
                            {WM_RBUTTONDOWN, WM_RBUTTONUP},
                            {WM_MBUTTONDOWN, WM_MBUTTONUP},
                            {WM_LBUTTONDBLCLK, WM_LBUTTONUP}}) {
      SendMessageA(parent, down, 0, at);
      SendMessageA(parent, up, 0, at);
    }
  };
  // Idle: trigger, stop and crash are disabled; a stop would write a protocol row.
  for (const char* name : {"btnTrigger", "btnStop", "btnCrash"}) press_all(name);
  EXPECT_FALSE(Main->Race().Armed());
  EXPECT_EQ(Main->Race().LapCount(1), 0);
  EXPECT_EQ(Protocol()->GetItems()->GetCount(), 0);
  // Armed: prepare is disabled and would start the heat again.
  Key(VK_F5);
  Key(VK_F8);
  ASSERT_EQ(Main->Race().LapCount(1), 1);
  press_all("btnStart");
  EXPECT_TRUE(Main->Race().Armed());
  EXPECT_EQ(Main->Race().LapCount(1), 1);
}

TEST_F(MainWindow, LightBarrierTriggersOnlyWhileTheTriggerIsEnabled) {
  SwitchOnLane1();
  Main->LightBarrierTrigger(nullptr);
  EXPECT_EQ(Main->Race().LapCount(1), 0);
  Key(VK_F5);
  Main->LightBarrierTrigger(nullptr);
  EXPECT_EQ(Main->Race().LapCount(1), 1);
}

TEST_F(MainWindow, RemovingAProtocolRowAsksFirst) {
  SwitchOnLane1();
  for (int heat = 0; heat < 2; ++heat) {
    Key(VK_F5);
    Key(VK_F9);
  }
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 2);
  Protocol()->GetItems()->GetItem(0)->SetSelected(true);
  {
    testsupport::MessageBoxAnswerer answerer({IDNO});
    Main->miRemoveClick(nullptr);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].text, "Delete Record?");
    EXPECT_EQ(answerer.boxes()[0].title, Main->GetCaption());
  }
  EXPECT_EQ(Protocol()->GetItems()->GetCount(), 2);
  {
    testsupport::MessageBoxAnswerer answerer({IDYES});
    Main->miRemoveClick(nullptr);
  }
  EXPECT_EQ(Protocol()->GetItems()->GetCount(), 1);
  // The remaining row keeps its place until the next heat renumbers.
  EXPECT_EQ(Protocol()->GetItems()->GetItem(0)->GetCaption(), "2");
}

// The list's rows ranked heat after heat, as the program adds them, also after a row went:
// times first, ties in the order they came, then the status words.
TEST_F(MainWindow, HeatsAreRankedInTheListWithTiesInTheirOrderAndWordsAfterTimes) {
  TProtocol protocol(*Main);
  auto lane = [](const std::string& name, TRaceTime best) {
    THeatLane heat_lane;
    heat_lane.HasParticipant = true;
    heat_lane.Participant = Entry("", name);
    heat_lane.LapTime[0] = best;
    return heat_lane;
  };
  auto ranking = [this] {
    std::string out;
    for (int i = 0; i < Protocol()->GetItems()->GetCount(); ++i) {
      TListItem* item = Protocol()->GetItems()->GetItem(i);
      out += item->GetCaption() + ":" + item->GetSubItems()->Get(efLastName) + " ";
    }
    return out;
  };
  protocol.AddHeat({lane("A", 35000), lane("B", 0), lane("C", 34000)}, 1, "STOP");
  protocol.AddHeat({lane("D", 35000), lane("E", 0)}, 1, "???");
  EXPECT_EQ(ranking(), "1:C 2:A 3:D 4:E 5:B ");
  Protocol()->GetItems()->Delete(0);
  protocol.AddHeat({lane("F", 0), lane("G", 34000), lane("H", 36000)}, 1, "CRASH");
  EXPECT_EQ(ranking(), "1:G 2:A 3:D 4:H 5:E 6:F 7:B ");
  EXPECT_EQ(Cells(5), (std::vector<std::string>{"CRASH", "-", "-", "CRASH"}));
  Protocol()->GetItems()->Clear();
}

TEST_F(MainWindow, ClosingAsksWhileTheProtocolHasRowsNotExportedSinceTheyChanged) {
  const char* question =
      "The protocol has not been exported since it last changed and will be lost. Close anyway?";
  auto closes = [](std::vector<int> answers, size_t asked) {
    testsupport::MessageBoxAnswerer answerer(std::move(answers));
    bool can_close = Main->CloseQuery();
    EXPECT_EQ(answerer.boxes().size(), asked);
    return can_close;
  };
  EXPECT_TRUE(closes({}, 0));  // nothing to lose
  SwitchOnLane1();
  Key(VK_F5);
  Key(VK_F9);
  {
    testsupport::MessageBoxAnswerer answerer({IDNO});
    SendMessageA(Main->GetHandle(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].text, question);
    EXPECT_EQ(answerer.boxes()[0].title, Main->GetCaption());
  }
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_TRUE(IsWindowVisible(Main->GetHandle()));
  EXPECT_TRUE(closes({IDYES}, 1));

  // An export keeps the protocol until a row is added or removed. The file type has no
  // program, so the shell opens nothing.
  const std::string file = ScratchFolder() + "protocol.noprogram";
  auto export_text = [&] {
    testsupport::FileDialogAnswerer answerer({file}, {IDYES});
    Find<TsButton>("btnExportWordpad")->Click();
    ASSERT_EQ(answerer.titles().size(), 1u);
  };
  export_text();
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(closes({}, 0));
  Key(VK_F5);
  Key(VK_F9);
  EXPECT_FALSE(closes({IDNO}, 1));
  DeleteFile(file);
  export_text();
  EXPECT_TRUE(closes({}, 0));
  Protocol()->GetItems()->GetItem(0)->SetSelected(true);
  {
    testsupport::MessageBoxAnswerer answerer({IDYES});
    Main->miRemoveClick(nullptr);
  }
  ASSERT_EQ(Protocol()->GetItems()->GetCount(), 1);
  EXPECT_FALSE(closes({IDNO}, 1));
  DeleteFile(file);
}

TEST_F(MainWindow, ClosingDuringAHeatAsksAndEnterKeepsTheProgramOpen) {
  const char* heat = "A heat is armed or running; closing ends it without a protocol row. Close anyway?";
  // Each box is answered as Enter would: with its default button, unless an answer is given.
  auto closes = [](std::vector<int> answers, std::vector<std::string> asked) {
    testsupport::MessageBoxAnswerer answerer(std::move(answers));
    bool can_close = Main->CloseQuery();
    std::vector<std::string> texts;
    for (const auto& box : answerer.boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, asked);
    return can_close;
  };
  SwitchOnLane1();
  Key(VK_F5);
  EXPECT_FALSE(closes({}, {heat}));
  Key(VK_F8);
  EXPECT_FALSE(closes({IDNO}, {heat}));
  EXPECT_TRUE(Main->Race().Armed());
  Key(VK_F9);
  const char* protocol =
      "The protocol has not been exported since it last changed and will be lost. Close anyway?";
  EXPECT_FALSE(closes({}, {protocol}));
  Key(VK_F5);
  EXPECT_FALSE(closes({IDYES}, {heat, protocol}));
  EXPECT_TRUE(closes({IDYES, IDYES}, {heat, protocol}));
  Key(VK_F9);
}

TEST_F(MainWindow, ALaneUpDownIsSkinnedAndItsHalvesStepThroughTheStartList) {
  auto* ud = Find<TsUpDown>("ud1");
  ASSERT_NE(ud, nullptr);
  EXPECT_TRUE(ud->Skinned());
  SwitchOnLane1();
  ASSERT_EQ(ud->GetMax(), 1);
  ASSERT_EQ(ud->GetPosition(), 0);
  auto click = [&](int half) {
    const RECT r = ud->HalfRect(half);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(ud->GetHandle(), WM_MOUSEMOVE, 0, at);
    PostMessageA(ud->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(ud->GetHandle(), WM_LBUTTONUP, 0, at);
  };
  // The upper half takes the next participant; at the end of the list it is inaccessible.
  click(1);
  auto shows = [&](const char* name) {
    return Find<TLabel32>("lbl_1Title")->GetCaption().find(name) != std::string::npos &&
           ud->GetHotPart() == TsUpDown::hpNone;
  };
  ASSERT_TRUE(PumpUntil([&] { return shows("Baker"); }));
  EXPECT_EQ(ud->GetPosition(), 1);
  EXPECT_TRUE(ud->AtLimit(1));
  click(2);
  ASSERT_TRUE(PumpUntil([&] { return shows("Miller"); }));  // and at the start of the list
  EXPECT_EQ(ud->GetPosition(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterTranslationUnits();
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  RegisterAppClasses();
  return RUN_ALL_TESTS();
}
