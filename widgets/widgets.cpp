#include "widgets/widgets.h"

#include "toolkit/classregistry.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"
#include "widgets/justone.h"
#include "widgets/wxled.h"
#include "widgets/wxmarkuplabel.h"
#include "widgets/wxspeedbutton.h"

void RegisterWidgetClasses() {
  RegisterClasses({TIAeverLiquidIndicator::StaticClass(), TIAgaloLED::StaticClass(), TWxLED::StaticClass(),
                   TWxSpeedButton::StaticClass(), TXJustOne::StaticClass(), TWxMarkupLabel::StaticClass()});
}
