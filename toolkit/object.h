// The root of the class tree: run-time class information (name, parent, factory) and the
// two-phase construction and destruction every toolkit object goes through.
#pragma once

#include <string>
#include <utility>

class TObject;
class TComponent;
struct TClassInfo;
using TClass = const TClassInfo*;

// What the run time knows of a class. One static instance per class, made by the
// TK_CLASS macro; the parent chain ends at TObject.
struct TClassInfo {
  const char* name;
  TClass parent;
  // Creates an instance for streaming (owner may be null); null for classes that cannot be
  // created by name. The instance is fully constructed (AfterConstruction has run).
  TObject* (*create)(TComponent* owner);

  bool InheritsFrom(TClass ancestor) const;
};

class TObject {
 public:
  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const char* ClassName() const { return ClassType()->name; }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }
  template <class T>
  bool Is() const {
    return InheritsFrom(T::StaticClass());
  }

  // Run after the most-derived constructor / before the destructor; see New and Free.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}

  virtual ~TObject() = default;

 protected:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
};

// Declares the class information of a class: put it first in the class body.
#define TK_CLASS(Class, Parent) \
 public:                        \
  using inherited = Parent;     \
  static TClass StaticClass();  \
  TClass ClassType() const override { return StaticClass(); }

// Defines it in the source file. TK_CLASS_INFO for classes created by name (they need a
// constructor taking TComponent* owner), TK_ABSTRACT_CLASS_INFO for the others.
#define TK_CLASS_INFO(Class, Parent)                                                               \
  TClass Class::StaticClass() {                                                                    \
    static const TClassInfo info{#Class, Parent::StaticClass(),                                    \
                                 [](TComponent* owner) -> TObject* { return New<Class>(owner); }}; \
    return &info;                                                                                  \
  }
#define TK_ABSTRACT_CLASS_INFO(Class, Parent)                             \
  TClass Class::StaticClass() {                                           \
    static const TClassInfo info{#Class, Parent::StaticClass(), nullptr}; \
    return &info;                                                         \
  }

// Creates an object in two phases: constructor, then AfterConstruction (virtual calls in a
// constructor do not reach derived classes). If AfterConstruction throws, the object is freed.
template <class T, class... Args>
T* New(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  try {
    object->AfterConstruction();
  } catch (...) {
    delete object;
    throw;
  }
  return object;
}

// Frees an object in two phases: BeforeDestruction, then the destructor. Null is allowed.
void Free(TObject* object);

template <class T>
void FreeAndNil(T*& object) {
  T* doomed = object;
  object = nullptr;
  Free(doomed);
}

// Casts with a check of the class information; null for null or a foreign class.
template <class T>
T* DynamicCast(TObject* object) {
  return object && object->Is<T>() ? static_cast<T*>(object) : nullptr;
}
