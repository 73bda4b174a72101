// The root of the class tree: run-time class information (name, parent, factory, published
// members) and the two-phase construction and destruction every toolkit object goes through.
#pragma once

#include <type_traits>
#include <utility>

class TObject;
class TComponent;
class TCollection;
class TCollectionItem;
class TTypeBuilder;
template <class C>
class TPublisher;
struct TClassInfo;
using TClass = const TClassInfo*;

// What the run time knows of a class. One static instance per class, made by the
// TK_CLASS_INFO macros; the parent chain ends at TObject.
struct TClassInfo {
  const char* name;
  TClass parent;
  // Creates an instance by class name (form definitions, collections); null for classes that
  // cannot be created so. `owner` is the owning component for components, the collection for
  // collection items, and ignored otherwise. The instance is fully constructed
  // (AfterConstruction has run).
  TObject* (*create)(TObject* owner);
  // Adds the class's own published properties and methods; null when it adds none (see
  // toolkit/typinfo.h).
  void (*publish)(TTypeBuilder& builder);

  bool InheritsFrom(TClass ancestor) const;
};

class TObject {
 public:
  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const char* ClassName() const { return ClassType()->name; }
  TClass ClassParent() const { return ClassType()->parent; }
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

// Frees an object in two phases: BeforeDestruction, then the destructor. Null is allowed.
void Free(TObject* object);

// Creates an object in two phases: constructor, then AfterConstruction (virtual calls in a
// constructor do not reach derived classes). If AfterConstruction throws, the object is freed.
template <class T, class... Args>
T* New(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  try {
    object->AfterConstruction();
  } catch (...) {
    Free(object);
    throw;
  }
  return object;
}

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
template <class T>
const T* DynamicCast(const TObject* object) {
  return object && object->Is<T>() ? static_cast<const T*>(object) : nullptr;
}

namespace tk_detail {

// Defined in toolkit/typinfo.h, which every class that publishes members includes.
template <class C>
void RunPublish(TTypeBuilder& builder);

// Befriended by TK_CLASS, so a class may keep its Publish private. Only a Publish taking the
// class's own TPublisher counts: an inherited one takes the parent's.
template <class C>
struct ClassAccess {
  static constexpr bool kPublishes = requires { static_cast<void (*)(TPublisher<C>&)>(&C::Publish); };
  static void Publish(TPublisher<C>& publisher) { C::Publish(publisher); }
};

template <class C>
constexpr auto PublishOf() -> void (*)(TTypeBuilder&) {
  if constexpr (ClassAccess<C>::kPublishes)
    return &RunPublish<C>;
  else
    return nullptr;
}

// Names T through C so it is looked at only when the template is instantiated (where the
// class's own header has made T complete).
template <class C, class T>
struct Deferred {
  using type = T;
};

// How a class is created by name: a component from its owner, a collection item from its
// collection, anything else with no argument.
template <class C>
TObject* Construct(TObject* owner) {
  using Component = typename Deferred<C, TComponent>::type;
  using Item = typename Deferred<C, TCollectionItem>::type;
  using Collection = typename Deferred<C, TCollection>::type;
  if constexpr (std::is_base_of_v<Component, C>) {
    static_assert(std::is_constructible_v<C, Component*>,
                  "a component created by name needs a public constructor taking its owner");
    return New<C>(static_cast<Component*>(owner));
  } else if constexpr (std::is_base_of_v<Item, C>) {
    static_assert(std::is_constructible_v<C, Collection*>,
                  "a collection item created by name needs a public constructor taking its collection");
    return New<C>(static_cast<Collection*>(owner));
  } else {
    static_assert(std::is_default_constructible_v<C>,
                  "a class created by name needs a public default constructor; use TK_ABSTRACT_CLASS_INFO "
                  "for classes that are not created by name");
    (void)owner;
    return New<C>();
  }
}

}  // namespace tk_detail

// Declares the class information of a class: put it first in the class body. A class that
// publishes properties or methods also declares `static void Publish(TPublisher<Class>& p);`
// (private is fine) and defines it next to TK_CLASS_INFO.
#define TK_CLASS(Class, Parent)         \
 private:                               \
  template <class>                      \
  friend struct tk_detail::ClassAccess; \
                                        \
 public:                                \
  using inherited = Parent;             \
  static TClass StaticClass();          \
  TClass ClassType() const override { return StaticClass(); }

// Defines it in the source file. TK_CLASS_INFO for classes created by name, TK_ABSTRACT_CLASS_INFO
// for the others.
#define TK_CLASS_INFO(Class, Parent)                                                          \
  TClass Class::StaticClass() {                                                               \
    static const TClassInfo info{#Class, Parent::StaticClass(), &tk_detail::Construct<Class>, \
                                 tk_detail::PublishOf<Class>()};                              \
    return &info;                                                                             \
  }
#define TK_ABSTRACT_CLASS_INFO(Class, Parent)                                                            \
  TClass Class::StaticClass() {                                                                          \
    static const TClassInfo info{#Class, Parent::StaticClass(), nullptr, tk_detail::PublishOf<Class>()}; \
    return &info;                                                                                        \
  }
