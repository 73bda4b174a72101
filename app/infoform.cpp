#include "app/infoform.h"

#include "app/appforms.h"
#include "i18n/translator.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TInfoForm, TForm)

void TInfoForm::Publish(TPublisher<TInfoForm>& p) { p.Method("FormCreate", &TInfoForm::FormCreate); }

TInfoForm::TInfoForm(TComponent* owner) : TForm(owner) { InfoForm = this; }

TInfoForm::~TInfoForm() {
  if (InfoForm == this) InfoForm = nullptr;
}

void TInfoForm::FormCreate(TObject*) { TranslateComponent(this); }

void ShowInfo() { InfoForm->ShowModal(); }
