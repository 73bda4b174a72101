#include "app/configlogic.h"

#include "app/signal.h"
#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"

TConfigLogic::TConfigLogic(TConfigView& view, TMyCommStatus& comm, std::string ini_file)
    : view_(view), comm_(comm), ini_file_(std::move(ini_file)) {}

void TConfigLogic::FormShow() {
  LoadSettings();
  cbPortChange();
  CheckSignal();
}

void TConfigLogic::cbPortChange() {
  int port = view_.GetPortIndex();
  bool enabled = port > 0;
  comm_.SetComm(port);
  if (!comm_.GetActive()) {
    view_.SetPortIndex(0);
    enabled = false;
  }
  view_.SetLineListsEnabled(enabled);
  CheckSignal();
}

void TConfigLogic::CheckSignal() {
  if (comm_.GetActive()) {
    bool level = SignalLevel(comm_.GetLines(), view_.GetContactIndex(), view_.GetAlgorithmIndex());
    if (view_.GetLampColor() != clLime) view_.SetLampColor(clLime);
    if (!view_.GetLampEnabled()) view_.SetLampEnabled(true);
    if (view_.GetLampOn() != level) {
      view_.SetLampOn(level);
      if (level && OnTrigger) OnTrigger();
    }
  } else {
    if (view_.GetLampColor() != clRed) view_.SetLampColor(clRed);
    view_.SetLampOn(false);
  }
}

void TConfigLogic::LoadSettings() {
  if (!told_too_large_ && SettingsFileTooLarge(ini_file_)) {
    told_too_large_ = true;
    view_.ShowMessage(FormatLoadStr(IDS_SETTINGS_TOO_LARGE, ini_file_));
  }
  std::string reason;
  SetSettings(::LoadSettings(ini_file_, &reason));
  unread_ = !reason.empty();
  if (unread_ && !told_unreadable_)
    view_.ShowMessage(FormatLoadStr(IDS_SETTINGS_UNREADABLE, ini_file_, reason));
  told_unreadable_ = unread_;
}

bool TConfigLogic::SaveSettings() {
  if (unread_) {
    view_.ShowMessage(FormatLoadStr(IDS_SETTINGS_NOT_SAVED, ini_file_));
    return false;
  }
  std::string failure;
  if (::SaveSettings(ini_file_, GetSettings(), &failure)) return true;
  view_.ShowMessage(failure);
  return false;
}

TSettings TConfigLogic::GetSettings() const {
  TSettings s;
  s.Port = view_.GetPortIndex();
  s.Contact = view_.GetContactIndex();
  s.Algorithm = view_.GetAlgorithmIndex();
  s.CountDown = view_.GetCountDown();
  s.LapChoice = view_.GetLapChoice();
  s.Title = view_.GetTitle();
  s.Sign = view_.GetSign();
  return s;
}

void TConfigLogic::SetSettings(const TSettings& s) {
  view_.SetPortIndex(s.Port);
  view_.SetContactIndex(s.Contact);
  view_.SetAlgorithmIndex(s.Algorithm);
  view_.SetCountDown(s.CountDown);
  view_.SetLapChoice(s.LapChoice);
  view_.SetTitle(s.Title);
  view_.SetSign(s.Sign);
}
