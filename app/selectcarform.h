// The car selection TSelectCar: the whole start list as lines, one of which is chosen for a
// lane. A double-click chooses like OK.
#pragma once

#include <string>
#include <vector>

#include "toolkit/forms.h"

class TCustomListBox;

class TSelectCar : public TForm {
  TK_CLASS(TSelectCar, TForm)

 public:
  explicit TSelectCar(TComponent* owner);
  ~TSelectCar() override;

  TCustomListBox* GetList() const;
  // Fills the list, selects `selected` and shows the dialog modally; on OK `selected` is the
  // chosen line. False on Cancel.
  bool Execute(const std::vector<std::string>& lines, int& selected);

  void FormCreate(TObject* sender);
  void ListDblClick(TObject* sender);

 private:
  static void Publish(TPublisher<TSelectCar>& p);
};

void RegisterSelectCarForm();
