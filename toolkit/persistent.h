// Objects that can copy their state from one another (Assign) and be streamed.
#pragma once

#include "toolkit/object.h"

class TPersistent : public TObject {
  TK_CLASS(TPersistent, TObject)

  // Copies source's state into this object. A class that does not know the source's class
  // calls inherited, which lets the source try AssignTo; an unsupported pair raises
  // EConvertError ("Cannot assign a TX to a TY").
  virtual void Assign(TPersistent* source);

  // The object this one belongs to for naming and streaming (a component's owner, a
  // collection's owner, a collection item's collection); null when there is none.
  virtual TPersistent* GetOwner() const { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest);
};
