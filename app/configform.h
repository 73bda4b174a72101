// The configuration dialog TConfig: its controls are the live settings the main window
// reads, and it owns the light barrier's serial-port component. Its events go to
// TConfigLogic; the view below gives the logic the controls.
#pragma once

#include <memory>

#include "app/configlogic.h"
#include "toolkit/forms.h"

class TsComboBox;
class TsEdit;
class TLaneLamp;
class TRadioGroup;
class TsSpinEdit;

class TConfig : public TForm {
  TK_CLASS(TConfig, TForm)

 public:
  explicit TConfig(TComponent* owner);
  // With other serial ports than the machine's (tests); `ports` must outlive the form.
  TConfig(TComponent* owner, TCommPorts& ports);
  ~TConfig() override;

  TConfigLogic& Logic() { return *logic_; }
  TConfigView& View();
  TMyCommStatus* GetCommStatus() const { return comm_; }

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void btnOKClick(TObject* sender);
  void cbPortChange(TObject* sender);
  void cbPortClick(TObject* sender);
  void CommStatusChanged(TObject* sender);

 private:
  class TView;
  static void Publish(TPublisher<TConfig>& p);

  TCommPorts* ports_ = nullptr;
  TMyCommStatus* comm_ = nullptr;  // owned as a component
  std::unique_ptr<TView> view_;
  std::unique_ptr<TConfigLogic> logic_;
};

void RegisterConfigForm();
