#include "widgets/widgets.h"

#include "toolkit/classregistry.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"

void RegisterWidgetClasses() {
  RegisterClasses({TIAeverLiquidIndicator::StaticClass(), TIAgaloLED::StaticClass()});
}
