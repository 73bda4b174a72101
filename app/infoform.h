// The information dialog: product name, version and maker, closed with OK.
#pragma once

#include "toolkit/forms.h"

class TInfoForm : public TForm {
  TK_CLASS(TInfoForm, TForm)

 public:
  explicit TInfoForm(TComponent* owner);
  ~TInfoForm() override;

  void FormCreate(TObject* sender);

 private:
  static void Publish(TPublisher<TInfoForm>& p);
};
