// Events: references to a method of an object (the object and the member function), which
// can be stored, called and compared for equality, unlike std::function. A handler is
// cleared only if it is still one's own:
//   if (menu->OnClick == TNotifyEvent(this, &TProvider::MenuClick)) menu->OnClick = nullptr;
//
// Typed events name their parameters' types: TEvent<TObject*> is TNotifyEvent, and e.g.
//   using TKeyEvent = TEvent<TObject* /*sender*/, WORD& /*key*/, TShiftState>;
// Handlers return nothing; results come back through reference parameters.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "toolkit/object.h"

// The untyped form of a method reference, as published properties and form definitions
// handle it. The code holds the bits of a member function pointer of TObject's type, turned
// back into the event's own type before it is called.
struct TMethodCode {
  uintptr_t pointer = 0;
  uintptr_t adjustment = 0;

  explicit operator bool() const { return pointer != 0 || adjustment != 0; }
  bool operator==(const TMethodCode&) const = default;
};

struct TMethod {
  TObject* data = nullptr;
  TMethodCode code;

  explicit operator bool() const { return data && code; }
  bool operator==(const TMethod&) const = default;
};

template <class... Args>
class TEvent {
 public:
  using Code = void (TObject::*)(Args...);
  static_assert(sizeof(Code) == sizeof(TMethodCode), "a member function pointer is two words");

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  // `method` may be declared in an ancestor of the object's class.
  template <class O, class C>
  TEvent(O* object, void (C::*method)(Args...)) : object_(object), code_(static_cast<Code>(method)) {
    static_assert(std::is_base_of_v<TObject, C> && std::is_base_of_v<C, O>,
                  "an event handler is a method of a TObject");
  }

  explicit operator bool() const { return object_ && code_; }
  bool operator==(const TEvent&) const = default;

  // Calls the handler; calling an empty event does nothing.
  void operator()(Args... args) const {
    if (object_ && code_) (object_->*code_)(std::forward<Args>(args)...);
  }

  TObject* GetObject() const { return object_; }
  TMethod ToMethod() const { return {object_, std::bit_cast<TMethodCode>(code_)}; }
  // The caller vouches that the method has this event's signature (see Signature).
  static TEvent FromMethod(const TMethod& method) {
    TEvent e;
    e.object_ = method.data;
    e.code_ = std::bit_cast<Code>(method.code);
    return e;
  }
  // Identifies the parameter list, for matching handlers to events by name.
  static const std::type_info& Signature() { return typeid(TEvent); }

 private:
  TObject* object_ = nullptr;
  Code code_ = nullptr;
};

using TNotifyEvent = TEvent<TObject*>;
