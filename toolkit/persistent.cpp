#include "toolkit/persistent.h"

#include "toolkit/sysutils.h"

TK_ABSTRACT_CLASS_INFO(TPersistent, TObject)

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    throw EConvertError(std::string("Cannot assign nil to a ") + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) {
  throw EConvertError(std::string("Cannot assign a ") + ClassName() + " to a " + dest->ClassName());
}
