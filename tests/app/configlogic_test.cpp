// The configuration's signal path on scripted ports: pin pairs and inversion, the test lamp
// as edge memory, one trigger per rising edge only while the race takes triggers, and the
// fallback to "None"; and its settings between the controls and the ini file.
#include "app/configlogic.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/racemachine.h"
#include "tests/app/fake_race_view.h"
#include "tests/app/scripted_comm_ports.h"
#include "toolkit/sysutils.h"

namespace {

// A settings file of this test in the temporary folder (removed by the test).
std::string ScratchIniFile() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return IncludeTrailingPathDelimiter(temp) + "dravolin_serial_" + std::to_string(GetCurrentProcessId()) +
         "_" + info->name() + ".ini";
}

std::string FileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The dialog's controls as plain fields, as the form shows them after creation.
class TFakeConfigView : public TConfigView {
 public:
  int port = 0, contact = 1, algorithm = -1, count_down = 40, lap_choice = 2;
  bool lists_enabled = false;
  TColor lamp_color = clLime;
  bool lamp_enabled = true, lamp_on = false;
  std::string title, sign;

  int GetPortIndex() const override { return port; }
  void SetPortIndex(int index) override { port = index; }
  int GetContactIndex() const override { return contact; }
  void SetContactIndex(int index) override { contact = index; }
  int GetAlgorithmIndex() const override { return algorithm; }
  void SetAlgorithmIndex(int index) override { algorithm = index; }
  void SetLineListsEnabled(bool enabled) override { lists_enabled = enabled; }
  TColor GetLampColor() const override { return lamp_color; }
  void SetLampColor(TColor color) override { lamp_color = color; }
  bool GetLampEnabled() const override { return lamp_enabled; }
  void SetLampEnabled(bool enabled) override { lamp_enabled = enabled; }
  bool GetLampOn() const override { return lamp_on; }
  void SetLampOn(bool on) override { lamp_on = on; }
  int GetCountDown() const override { return count_down; }
  void SetCountDown(int seconds) override { count_down = seconds; }
  int GetLapChoice() const override { return lap_choice; }
  void SetLapChoice(int index) override { lap_choice = index; }
  std::string GetTitle() const override { return title; }
  void SetTitle(const std::string& text) override { title = text; }
  std::string GetSign() const override { return sign; }
  void SetSign(const std::string& text) override { sign = text; }
  std::vector<std::string> messages;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// The configuration wired as the program wires it: the component's changes reach
// CheckSignal, and rising edges ask the race machine for a trigger.
class Config : public ::testing::Test, public TObject {
 protected:
  void SetUp() override {
    com1 = &ports.Add(1);
    comm = New<TMyCommStatus>(nullptr, ports);
    logic = std::make_unique<TConfigLogic>(view, *comm, ini_file);
    comm->OnChanged = TNotifyEvent(this, &Config::CommStatusChanged);
    logic->OnTrigger = [this] {
      ++edges;
      race.RunCommand(TRaceCommand::Trigger);
    };
    race_view.lanes[1].On = true;
    race_view.lanes[3].On = true;
    race_view.buttons[TRaceButton::btnStart] = true;
  }
  void TearDown() override {
    Free(comm);
    SetFileAttributesA(ini_file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(ini_file.c_str());
  }
  void CommStatusChanged(TObject*) { logic->CommStatusChanged(); }

  // Opens COM1 through the port list with the given pin pair and algorithm.
  void Open(int contact, int algorithm) {
    view.contact = contact;
    view.algorithm = algorithm;
    view.port = 1;
    logic->cbPortChange();
  }
  // The line goes to `word`, and the watcher has handed it over.
  void Line(uint32_t word) {
    com1->status = word;
    ASSERT_TRUE(ServePolls(*com1));
  }
  // Armed with lanes 1 and 3: the trigger is enabled until lane 1 starts the count-down.
  void Prepare(int count_down) {
    race_view.count_down_seconds = count_down;
    ASSERT_TRUE(race.RunCommand(TRaceCommand::Prepare));
  }
  int Triggers() const { return race.LapCount(1) + race.LapCount(3); }

  TScriptedCommPorts ports;
  TScriptedPort* com1 = nullptr;
  TMyCommStatus* comm = nullptr;
  TFakeConfigView view;
  std::string ini_file = ScratchIniFile();
  std::unique_ptr<TConfigLogic> logic;
  TFakeRaceView race_view;
  TRaceMachine race{race_view};
  int edges = 0;
};

// ---- The signal ------------------------------------------------------------------------------

TEST_F(Config, EachPinPairReadsItsLineAndTheAlgorithmInvertsIt) {
  const uint32_t line_of[kContactCount] = {kModemReceiveLine, kModemDataSetReady, kModemClearToSend,
                                           kModemRing};
  Open(coPins41, kAlgorithmDirect);
  for (int contact = 0; contact < kContactCount; ++contact) {
    for (int algorithm : {kAlgorithmDirect, kAlgorithmInverted}) {
      view.contact = contact;
      view.algorithm = algorithm;
      logic->cbPortClick();
      for (uint32_t word : {line_of[contact], 0xF0u & ~line_of[contact]}) {
        Line(word);
        bool expected = (word == line_of[contact]) == (algorithm == kAlgorithmDirect);
        EXPECT_EQ(view.lamp_on, expected)
            << "pins " << kContactNames[contact] << ", algorithm " << algorithm << ", word " << word;
      }
    }
  }
  // No pin pair chosen (a hand-edited file): no line, so the level is the algorithm's alone.
  Line(0xF0);
  view.contact = -1;
  view.algorithm = kAlgorithmDirect;
  logic->cbPortClick();
  EXPECT_FALSE(view.lamp_on);
  view.algorithm = kAlgorithmInverted;
  logic->cbPortClick();
  EXPECT_TRUE(view.lamp_on);
}

TEST_F(Config, OnePulseGivesExactlyOneTriggerHoweverLongItLasts) {
  Open(coPins46, kAlgorithmDirect);
  race_view.lanes[3].On = false;
  Prepare(0);
  Line(kModemDataSetReady);
  ASSERT_TRUE(ServePolls(*com1, 20));  // held high over many polls
  Line(0);
  EXPECT_EQ(race.LapCount(1), 1);
  Line(kModemDataSetReady | kModemRing);
  Line(kModemRing);  // another line changing passes without effect
  Line(0);
  EXPECT_EQ(race.LapCount(1), 2);
  EXPECT_EQ(edges, 2);
}

TEST_F(Config, NoTriggerWhileIdleOrCountingDownButTheLampFollowsTheLine) {
  Open(coPins78, kAlgorithmDirect);
  Line(kModemClearToSend);  // idle: the trigger button is disabled
  EXPECT_TRUE(view.lamp_on);
  EXPECT_EQ(Triggers(), 0);
  Line(0);

  Prepare(5);
  Line(kModemClearToSend);  // starts lane 1 and its count-down
  Line(0);
  ASSERT_EQ(race.LapCount(1), 1);
  ASSERT_FALSE(race_view.Enabled(TRaceButton::btnTrigger));
  Line(kModemClearToSend);
  EXPECT_TRUE(view.lamp_on);
  Line(0);
  EXPECT_FALSE(view.lamp_on);
  EXPECT_EQ(edges, 3);  // idle, start of lane 1, count-down
  EXPECT_EQ(Triggers(), 1);
  // The lost edge does not come back when the count-down ends.
  for (int tick = 0; tick < 5; ++tick) race.CountDownTimer();
  ASSERT_TRUE(race_view.Enabled(TRaceButton::btnTrigger));
  ASSERT_TRUE(ServePolls(*com1, 3));
  EXPECT_EQ(Triggers(), 1);
  Line(kModemClearToSend);
  EXPECT_EQ(race.LapCount(3), 1);
}

TEST_F(Config, ALineAlreadySetWhenThePortOpensArrivesAsARisingEdge) {
  Prepare(0);
  com1->status = kModemDataSetReady;
  Open(coPins46, kAlgorithmDirect);
  EXPECT_FALSE(view.lamp_on);  // SetComm's own report: all lines False
  ASSERT_TRUE(ServeUntil([&] { return view.lamp_on; }));
  EXPECT_EQ(race.LapCount(1), 1);
}

TEST_F(Config, AnInvertedOpenContactLightsTheLampAtOnceWithoutTriggeringWhileIdle) {
  Open(coPins46, kAlgorithmInverted);
  EXPECT_TRUE(view.lamp_on);
  EXPECT_EQ(view.lamp_color, clLime);
  EXPECT_EQ(edges, 1);
  EXPECT_EQ(Triggers(), 0);
}

TEST_F(Config, ChangingThePinPairRechecksAndCanTrigger) {
  Prepare(0);
  Open(coPins46, kAlgorithmDirect);
  Line(kModemRing);
  EXPECT_EQ(Triggers(), 0);
  view.contact = coPins79;
  logic->cbPortClick();
  EXPECT_TRUE(view.lamp_on);
  EXPECT_EQ(race.LapCount(1), 1);
}

TEST_F(Config, ChoosingNoneClosesThePortPausesTheWatcherAndTurnsTheLampRedAndOff) {
  Open(coPins46, kAlgorithmDirect);
  Line(kModemDataSetReady);
  ASSERT_TRUE(view.lamp_on);
  EXPECT_TRUE(view.lists_enabled);
  view.port = 0;
  logic->cbPortChange();
  EXPECT_EQ(com1->open, 0);
  EXPECT_EQ(comm->GetLines(), TModemLines());
  EXPECT_FALSE(view.lists_enabled);
  EXPECT_EQ(view.lamp_color, clRed);
  EXPECT_FALSE(view.lamp_on);
  EXPECT_TRUE(ServeUntil([&] { return comm->GetWatcher()->Paused(); }));
}

TEST_F(Config, APortThatCannotBeOpenedFallsBackToNoneWithTheListsDisabled) {
  Open(coPins46, kAlgorithmDirect);
  Line(kModemDataSetReady);
  view.port = 5;
  logic->cbPortChange();
  EXPECT_EQ(view.port, 0);
  EXPECT_FALSE(view.lists_enabled);
  EXPECT_EQ(view.lamp_color, clRed);
  EXPECT_FALSE(view.lamp_on);
  EXPECT_EQ(com1->open, 0);
  // The same for a stored port, on the dialog's showing.
  TSettings stored;
  stored.Port = 7;
  ASSERT_TRUE(SaveSettings(ini_file, stored));
  view.lists_enabled = true;
  logic->FormShow();
  EXPECT_EQ(view.port, 0);
  EXPECT_FALSE(view.lists_enabled);
  EXPECT_EQ(view.lamp_color, clRed);
}

// ---- Settings through the dialog ---------------------------------------------------------------

TEST_F(Config, CancelKeepsTheEditedValuesLiveAndTheNextShowingReloadsTheStoredOnes) {
  TSettings stored;
  stored.CountDown = 7;
  stored.Title = "Club race";
  ASSERT_TRUE(SaveSettings(ini_file, stored));
  logic->FormShow();
  EXPECT_EQ(view.count_down, 7);
  view.count_down = 30;  // edited, then Cancel: the dialog has no handler that writes
  view.title = "Changed";
  EXPECT_EQ(logic->GetSettings().CountDown, 30);
  EXPECT_EQ(LoadSettings(ini_file), stored);
  logic->FormShow();
  EXPECT_EQ(view.count_down, 7);
  EXPECT_EQ(view.title, "Club race");
}

TEST_F(Config, OkWritesTheControlsAndLoadingDoesNotOpenThePort) {
  const TSettings written{.Port = 1,
                          .Contact = coPins79,
                          .Algorithm = kAlgorithmInverted,
                          .CountDown = 12,
                          .LapChoice = 0,
                          .Title = "T",
                          .Sign = "S"};
  logic->SetSettings(written);
  ASSERT_TRUE(logic->SaveSettings());
  EXPECT_EQ(LoadSettings(ini_file), written);
  TFakeConfigView fresh;
  TConfigLogic other(fresh, *comm, ini_file);
  other.LoadSettings();
  EXPECT_EQ(fresh.port, 1);
  EXPECT_EQ(fresh.count_down, 12);
  EXPECT_EQ(fresh.title + fresh.sign, "TS");
  EXPECT_EQ(com1->open, 0);
}

TEST_F(Config, OkWhereTheSettingsCannotBeWrittenSaysSoNamingTheFileAndTheReason) {
  const std::string stored = "[Configuration]\r\nCountDown=7\r\n";
  {
    HANDLE file = CreateFileA(ini_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, stored.data(), static_cast<DWORD>(stored.size()), &written, nullptr);
    CloseHandle(file);
  }
  ASSERT_TRUE(SetFileAttributesA(ini_file.c_str(), FILE_ATTRIBUTE_READONLY));
  view.count_down = 30;
  EXPECT_FALSE(logic->SaveSettings());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(ini_file), std::string::npos) << view.messages[0];
  EXPECT_NE(view.messages[0].find("read-only"), std::string::npos) << view.messages[0];
  EXPECT_EQ(LoadSettings(ini_file).CountDown, 7);
  // A folder that is not there: the system's reason.
  const std::string elsewhere = ChangeFileExt(ini_file, "") + "\\missing\\dravolin.ini";
  TConfigLogic other(view, *comm, elsewhere);
  EXPECT_FALSE(other.SaveSettings());
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find(elsewhere), std::string::npos) << view.messages[1];
  EXPECT_GT(view.messages[1].size(), elsewhere.size() + 10) << view.messages[1];
}

TEST_F(Config, ASettingsFileThatCannotBeReadIsToldAtTheStartAndNotWrittenOverUntilRead) {
  TSettings stored;
  stored.CountDown = 7;
  stored.Title = "Club race";
  ASSERT_TRUE(SaveSettings(ini_file, stored));
  const std::string bytes = FileBytes(ini_file);
  // Another program holds it, as at the start and the next showing.
  HANDLE lock = CreateFileA(ini_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  logic->LoadSettings();
  EXPECT_EQ(logic->GetSettings(), TSettings());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(ini_file), std::string::npos) << view.messages[0];
  EXPECT_NE(view.messages[0].find(SysErrorMessage(ERROR_SHARING_VIOLATION)), std::string::npos)
      << view.messages[0];
  logic->FormShow();
  EXPECT_EQ(view.messages.size(), 1u);
  // Let go before OK: the defaults shown must still not replace what the file holds.
  CloseHandle(lock);
  EXPECT_FALSE(logic->SaveSettings());
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find(ini_file), std::string::npos) << view.messages[1];
  EXPECT_EQ(FileBytes(ini_file), bytes);
  // Read at the next showing, it is the settings' own again.
  logic->FormShow();
  EXPECT_EQ(view.count_down, 7);
  view.count_down = 8;
  EXPECT_TRUE(logic->SaveSettings());
  EXPECT_EQ(LoadSettings(ini_file).CountDown, 8);
  EXPECT_EQ(view.messages.size(), 2u);
}

}  // namespace
