#include "app/configform.h"

#include "app/appforms.h"
#include "i18n/translator.h"
#include "skin/controls/sgroupbox.h"
#include "toolkit/buttons.h"
#include "toolkit/classregistry.h"
#include "toolkit/extctrls.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/sspinedit.h"
#include "toolkit/stdctrls.h"
#include "toolkit/typinfo.h"
#include "widgets/galoled.h"

namespace {

// Set by the main window, which is created before the configuration.
TNotifyEvent g_trigger_handler;

template <class T>
T* Find(const TComponent* form, const char* name) {
  return static_cast<T*>(form->FindComponent(name));
}

// Setting a list's index from the settings is no choice: its events (the port list's opens
// the port) stay quiet, as the skinned combo box reports every index set from code.
void SetIndexQuietly(TsComboBox* combo, int index) {
  const TNotifyEvent change = combo->OnChange, click = combo->OnClick;
  combo->OnChange = nullptr;
  combo->OnClick = nullptr;
  try {
    combo->SetItemIndex(index);
  } catch (...) {
    combo->OnChange = change;
    combo->OnClick = click;
    throw;
  }
  combo->OnChange = change;
  combo->OnClick = click;
}

}  // namespace

// The controls as plain values.
class TConfig::TView : public TConfigView {
 public:
  explicit TView(TConfig& form) : form_(form) {}

  int GetPortIndex() const override { return Combo("cbPort")->GetItemIndex(); }
  void SetPortIndex(int index) override { SetIndexQuietly(Combo("cbPort"), index); }
  int GetContactIndex() const override { return Combo("cbCont")->GetItemIndex(); }
  void SetContactIndex(int index) override { SetIndexQuietly(Combo("cbCont"), index); }
  int GetAlgorithmIndex() const override { return Combo("cbAlg")->GetItemIndex(); }
  void SetAlgorithmIndex(int index) override { SetIndexQuietly(Combo("cbAlg"), index); }
  void SetLineListsEnabled(bool enabled) override {
    Combo("cbCont")->SetEnabled(enabled);
    Combo("cbAlg")->SetEnabled(enabled);
  }

  TColor GetLampColor() const override { return Lamp()->GetLedPlasticColor(); }
  void SetLampColor(TColor color) override { Lamp()->SetLedPlasticColor(color); }
  bool GetLampEnabled() const override { return Lamp()->GetEnabled(); }
  void SetLampEnabled(bool enabled) override { Lamp()->SetEnabled(enabled); }
  bool GetLampOn() const override { return Lamp()->GetLedOn(); }
  void SetLampOn(bool on) override { Lamp()->SetLedOn(on); }

  int GetCountDown() const override { return Find<TsSpinEdit>(&form_, "edCountDown")->GetValue(); }
  void SetCountDown(int seconds) override { Find<TsSpinEdit>(&form_, "edCountDown")->SetValue(seconds); }
  int GetLapChoice() const override { return Find<TsRadioGroup>(&form_, "rgLaps")->GetItemIndex(); }
  void SetLapChoice(int index) override { Find<TsRadioGroup>(&form_, "rgLaps")->SetItemIndex(index); }
  std::string GetTitle() const override { return Find<TsEdit>(&form_, "edTitle")->GetText(); }
  void SetTitle(const std::string& text) override { Find<TsEdit>(&form_, "edTitle")->SetText(text); }
  std::string GetSign() const override { return Find<TsEdit>(&form_, "edSign")->GetText(); }
  void SetSign(const std::string& text) override { Find<TsEdit>(&form_, "edSign")->SetText(text); }
  void ShowMessage(const std::string& text) override {
    Application->MessageBox(text, Application->GetTitle(), MB_OK | MB_ICONWARNING);
  }

 private:
  TsComboBox* Combo(const char* name) const { return Find<TsComboBox>(&form_, name); }
  TIAgaloLED* Lamp() const { return Find<TIAgaloLED>(&form_, "led"); }

  TConfig& form_;
};

TConfig::TConfig(TComponent* owner) : TForm(owner), view_(std::make_unique<TView>(*this)) { Config = this; }

TConfig::TConfig(TComponent* owner, TCommPorts& ports)
    : TForm(owner), ports_(&ports), view_(std::make_unique<TView>(*this)) {
  Config = this;
}

TConfig::~TConfig() {
  // The port goes first, so no status change reaches the logic while it is taken down.
  if (comm_) {
    comm_->OnChanged = nullptr;
    Free(comm_);
  }
  if (Config == this) Config = nullptr;
}

TConfigView& TConfig::View() { return *view_; }

void TConfig::FormCreate(TObject*) {
  TranslateComponent(this);
  comm_ = ports_ ? New<TMyCommStatus>(this, *ports_) : New<TMyCommStatus>(this);
  comm_->OnChanged = TNotifyEvent(this, &TConfig::CommStatusChanged);
  logic_ = std::make_unique<TConfigLogic>(*view_, *comm_, AppPaths.Settings);
  logic_->OnTrigger = [this] {
    if (g_trigger_handler) g_trigger_handler(this);
  };
  logic_->LoadSettings();
}

void TConfig::FormShow(TObject*) { logic_->FormShow(); }
void TConfig::btnOKClick(TObject*) { logic_->SaveSettings(); }
// Translating the lists' items changes them before the logic exists; the settings are read
// right after, so those changes are not choices.
void TConfig::cbPortChange(TObject*) {
  if (logic_) logic_->cbPortChange();
}

void TConfig::cbPortClick(TObject*) {
  if (logic_) logic_->cbPortClick();
}

void TConfig::CommStatusChanged(TObject*) {
  // The watcher may still report while the form is being taken down.
  if (logic_) logic_->CommStatusChanged();
}

void TConfig::Publish(TPublisher<TConfig>& p) {
  p.Method("FormCreate", &TConfig::FormCreate);
  p.Method("FormShow", &TConfig::FormShow);
  p.Method("btnOKClick", &TConfig::btnOKClick);
  p.Method("cbPortChange", &TConfig::cbPortChange);
  p.Method("cbPortClick", &TConfig::cbPortClick);
}

TK_CLASS_INFO(TConfig, TForm)

// ---- What the main window asks --------------------------------------------------------------

int ConfigCountDown() { return Config ? Config->View().GetCountDown() : TSettings().CountDown; }
int ConfigLapChoice() { return Config ? Config->View().GetLapChoice() : TSettings().LapChoice; }
std::string ConfigTitle() { return Config ? Config->View().GetTitle() : TSettings().Title; }
std::string ConfigSign() { return Config ? Config->View().GetSign() : TSettings().Sign; }

void ConfigOpenSavedPort() {
  if (Config) Config->Logic().cbPortChange();
}

void ShowConfig() {
  if (Config) Config->ShowModal();
}

void SetConfigTriggerHandler(TNotifyEvent handler) { g_trigger_handler = handler; }

void RegisterConfigForm() {
  RegisterClasses({TConfig::StaticClass()});
  RegisterCommStatusClass();
}
