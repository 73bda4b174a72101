// The main window: three lane blocks with their switches and participant up-downs, the
// race buttons, the protocol list with its exports, and the buttons that open the other
// forms. It implements the race logic's views with its controls and forwards every event
// to TRaceMachine and TLaneAssignment one line each.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/laneassign.h"
#include "app/protocoltable.h"
#include "app/racemachine.h"
#include "app/raceview.h"
#include "toolkit/forms.h"
#include "toolkit/updown.h"

class TLabel32;
class TListItem;
class TListView;
class TWxSpeedButton;
class TsButton;
class TTimer;
class TSaveDialog;
class TMenuItem;
class TIAeverLiquidIndicator;
class TIAgaloLED;
class TWxLED;

class TMain : public TForm, public TRaceView, public TLaneAssignmentView {
  TK_CLASS(TMain, TForm)

 public:
  explicit TMain(TComponent* owner);
  ~TMain() override;

  TRaceMachine& Race() { return *race_; }
  // The protocol list's columns and rows as the exports read them.
  TProtocolTable ProtocolTable() const;

  // ---- TRaceView
  bool GetLaneSwitch(int lane) const override;
  void SetLaneText(int lane, TLaneElement element, const std::string& text) override;
  std::string GetLaneDisplayText(int lane) const override;
  void SetLaneLampColor(int lane, TLaneColor color) override;
  TLaneColor GetLaneLampColor(int lane) const override;
  void UpdateLanes() override;
  bool GetLaneParticipant(int lane, TStartListEntry& entry) const override;
  bool GetButtonEnabled(TRaceButton button) const override;
  void SetButtonEnabled(TRaceButton button, bool enabled) override;
  void SetTriggerCaption(const std::string& caption) override;
  void SetDisplayTimerEnabled(bool enabled) override;
  bool GetCountDownEnabled() const override;
  void SetCountDownEnabled(bool enabled) override;
  int GetCountDownTag() const override;
  void SetCountDownTag(int tag) override;
  int GetCountDownSeconds() const override;
  int GetLapChoice() const override;
  std::string GetWord(TRaceWord word) const override;
  int GetProtocolCount() const override;
  TProtocolRow GetProtocolRow(int index) const override;
  void AppendProtocolRow(const TProtocolRow& row) override;
  void SetProtocolCaption(int index, const std::string& caption) override;
  void SortProtocol(const TProtocolCompare& compare) override;
  void BeginProtocolUpdate() override;
  void EndProtocolUpdate() override;

  // ---- TLaneAssignmentView (GetLaneSwitch is shared with TRaceView)
  void SetLaneSwitch(int lane, bool on) override;
  void SetLaneSwitchEnabled(int lane, bool enabled) override;
  int GetUpDownPosition(int lane) const override;
  void SetUpDownPosition(int lane, int position) override;
  int GetUpDownMax(int lane) const override;
  void SetUpDownMax(int lane, int max) override;
  bool GetUpDownEnabled(int lane) const override;
  void SetUpDownEnabled(int lane, bool enabled) override;
  void SetLaneTitle(int lane, const std::string& title) override;
  void SetStartEnabled(bool enabled) override;
  bool ExecuteSelectCar(const std::vector<std::string>& lines, int& selected) override;

  // ---- Handlers the form definition binds
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  // The protocol lives only in this window: closing during a heat, or while the protocol
  // has changes that no export holds, asks first.
  void FormCloseQuery(TObject* sender, bool& can_close);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void btnStartMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void btnTriggerMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void btnStopMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void btnCrashMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void TimersTimerTimer(TObject* sender);
  void BlinkTimerTimer(TObject* sender);
  void CountDownTimer(TObject* sender);
  void ListProtocolCompare(TObject* sender, TListItem* item1, TListItem* item2, intptr_t data, int& compare);
  const TProtocolRow& SortRow(const TListItem* item, TProtocolRow& spare) const;
  void miRemoveClick(TObject* sender);
  void ledOn3Click(TObject* sender);
  void ud3Click(TObject* sender, TUDBtnType button);
  void ud1ContextPopup(TObject* sender, POINT mouse, bool& handled);
  void btnExportHTMLClick(TObject* sender);
  void btnExportExcelClick(TObject* sender);
  void btnExportWordpadClick(TObject* sender);
  void btnConfigClick(TObject* sender);
  void btnInfoClick(TObject* sender);
  void btnHelpClick(TObject* sender);
  void btnStartListClick(TObject* sender);
  // The light barrier's rising edge, handed over by the configuration.
  void LightBarrierTrigger(TObject* sender);

 private:
  static void Publish(TPublisher<TMain>& p);

  struct TLaneControls {
    TIAeverLiquidIndicator* Display = nullptr;
    TIAgaloLED* Lamp = nullptr;
    TLabel32* Title = nullptr;
    TLabel32* Lap[3] = {nullptr, nullptr, nullptr};
    TLabel32* Status = nullptr;
    TWxLED* Switch = nullptr;
    TCustomUpDown* UpDown = nullptr;
  };

  template <class T>
  T* Component(const std::string& name) const;
  void FindComponents();
  const TLaneControls* Lane(int lane) const;
  TLaneControls* Lane(int lane);
  TControl* Button(TRaceButton button) const;
  // The lane of a lane switch or up-down that raised an event; 0 for any other sender.
  int LaneOf(TObject* sender) const;
  // Null until the start list editor exists.
  TLaneAssignment* Assignment() const;
  void BuildProtocolColumns();

  std::unique_ptr<TRaceMachine> race_;
  mutable std::unique_ptr<TLaneAssignment> lanes_;
  TProtocolCompare protocol_compare_;
  // The rows' best laps while the protocol sorts: read once, not again at every comparison.
  // The rows stay from sort to sort, so their cells are written over, not made anew.
  std::vector<const TListItem*> sort_items_;
  std::deque<TProtocolRow> sort_rows_;  // grows by the rows added, never moving them
  size_t sort_count_ = 0;

  TLaneControls lane_[3];
  TWxSpeedButton* btnStart = nullptr;
  TWxSpeedButton* btnTrigger = nullptr;
  TWxSpeedButton* btnStop = nullptr;
  TWxSpeedButton* btnCrash = nullptr;
  TsButton* btnConfig = nullptr;
  TsButton* btnInfo = nullptr;
  TsButton* btnHelp = nullptr;
  TsButton* btnStartList = nullptr;
  TsButton* btnExportHTML = nullptr;
  TsButton* btnExportExcel = nullptr;
  TsButton* btnExportWordpad = nullptr;
  TListView* ListProtocol = nullptr;
  TTimer* CountDown = nullptr;
  TSaveDialog* SaveHTML = nullptr;
  TSaveDialog* SaveRTF = nullptr;
  bool columns_built_ = false;
  // No row added or removed since the last export that succeeded.
  bool protocol_exported_ = true;
};
