#include "app/appforms.h"

#include "app/classesform.h"
#include "app/configform.h"
#include "app/infoform.h"
#include "app/mainform.h"
#include "app/selectcarform.h"
#include "app/startlistform.h"
#include "bitmap32/image32.h"
#include "bitmap32/label32.h"
#include "skin/engine/sskinmanager.h"
#include "toolkit/buttons.h"
#include "toolkit/classregistry.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/labels.h"
#include "toolkit/listview.h"
#include "toolkit/menus.h"
#include "toolkit/spin.h"
#include "toolkit/stdctrls.h"
#include "toolkit/timers.h"
#include "toolkit/updown.h"
#include "widgets/widgets.h"

TMain* Main = nullptr;
TClassesEditor* ClassesEditor = nullptr;
TAddClass* AddClass = nullptr;
TEditClass* EditClass = nullptr;
TStartList* StartList = nullptr;
TStartListEdit* StartListEdit = nullptr;
TConfig* Config = nullptr;
TSelectCar* SelectCar = nullptr;
TInfoForm* InfoForm = nullptr;

TAppPaths AppPaths;

void RegisterAppClasses() {
  RegisterButtonClasses();
  RegisterDialogClasses();
  RegisterExtCtrlsClasses();
  RegisterLabelClasses();
  RegisterListViewClasses();
  RegisterMenuClasses();
  RegisterSpinClasses();
  RegisterStdCtrlsClasses();
  RegisterUpDownClasses();
  RegisterClass(TTimer::StaticClass());
  RegisterWidgetClasses();
  RegisterLabel32Class();
  RegisterImage32Class();
  RegisterSkinEngineClasses();
  RegisterClasses({TMain::StaticClass(), TInfoForm::StaticClass()});
  RegisterClassesForms();
  RegisterStartListForms();
  RegisterConfigForm();
  RegisterSelectCarForm();
}
