#include "app/selectcarform.h"

#include "app/appforms.h"
#include "i18n/translator.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/classregistry.h"
#include "toolkit/stdctrls.h"
#include "toolkit/typinfo.h"

TSelectCar::TSelectCar(TComponent* owner) : TForm(owner) { SelectCar = this; }

TSelectCar::~TSelectCar() {
  if (SelectCar == this) SelectCar = nullptr;
}

TCustomListBox* TSelectCar::GetList() const { return static_cast<TCustomListBox*>(FindComponent("List")); }

bool TSelectCar::Execute(const std::vector<std::string>& lines, int& selected) {
  TCustomListBox* list = GetList();
  TStrings* items = list->GetItems();
  items->BeginUpdate();
  items->Clear();
  items->AddStrings(lines);
  items->EndUpdate();
  list->SetItemIndex(selected);
  if (ShowModal() != mrOk) return false;
  // OK without a line chosen keeps the lane's participant.
  int chosen = list->GetItemIndex();
  if (chosen < 0) return false;
  selected = chosen;
  return true;
}

void TSelectCar::FormCreate(TObject*) {
  TranslateComponent(this);
  // A start list of a whole tournament opens at once: the window is told only the count.
  GetList()->SetOwnerData(true);
}

void TSelectCar::ListDblClick(TObject*) { static_cast<TsButton*>(FindComponent("btnOK"))->Click(); }

void TSelectCar::Publish(TPublisher<TSelectCar>& p) {
  p.Method("FormCreate", &TSelectCar::FormCreate);
  p.Method("ListDblClick", &TSelectCar::ListDblClick);
}

TK_CLASS_INFO(TSelectCar, TForm)

bool ExecuteSelectCar(const std::vector<std::string>& lines, int& selected) {
  return SelectCar && SelectCar->Execute(lines, selected);
}

void RegisterSelectCarForm() { RegisterClasses({TSelectCar::StaticClass()}); }
