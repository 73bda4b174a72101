#include "toolkit/object.h"

bool TClassInfo::InheritsFrom(TClass ancestor) const {
  for (TClass c = this; c; c = c->parent)
    if (c == ancestor) return true;
  return false;
}

TClass TObject::StaticClass() {
  static const TClassInfo info{"TObject", nullptr, nullptr, nullptr};
  return &info;
}

void Free(TObject* object) {
  if (!object) return;
  object->BeforeDestruction();
  delete object;
}
