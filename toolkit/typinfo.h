// Run-time type information: the published properties and methods of each class.
//
// A class publishes members in its static Publish function (declared in the class body,
// defined in its source file); the list of a class is its ancestors' list followed by its own
// in declaration order (republishing an inherited name replaces it in place, Unpublish takes
// one out):
//
//   void TLamp::Publish(TPublisher<TLamp>& p) {
//     p.Integer("Size", &TLamp::GetSize, &TLamp::SetSize).Default(20);
//     p.Boolean("Lit", &TLamp::GetLit, &TLamp::SetLit).Default(false);
//     p.Color("Color", &TLamp::GetColor, &TLamp::SetColor);
//     p.Object("Font", &TLamp::GetFont, &TLamp::SetFont);
//     p.Event("OnClick", &TLamp::OnClick);          // a public event field
//     p.Method("LampClick", &TLamp::LampClick);     // a handler form definitions may name
//   }
//
// A getter is a member function or a data member; the setter is a member function taking the
// value, a data member, or nullptr for a read-only property (a data member passed alone is
// read and written directly). Setters keep their side effects: every write goes through them.
//
// What is published is what form definitions store and what the translator walks (every
// string property, nested object, string list and collection item). So a component's Name is
// published (the translator skips it by rule); run-time tables that must not be stored or
// translated, such as a skin's tables, are not published.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/object.h"
#include "toolkit/sets.h"
#include "toolkit/sysutils.h"

TK_EXCEPTION(EPropertyError, Exception)

enum class TTypeKind {
  Integer,      // any integer type
  Enumeration,  // an enumeration with value names (booleans: False, True)
  Set,          // a set of an enumeration's values
  Color,        // a 32-bit Windows colour (toolkit/colors.h)
  String,       // bytes in the ANSI code page
  WideString,   // UTF-16
  Object,       // a persistent object (nested properties) or a reference to a component
  StringList,   // a TStrings
  Collection,   // a TCollection
  Method,       // an event (TEvent)
  Binary,       // opaque bytes
  Float,        // a floating-point number (float or double)
};

const char* TypeKindName(TTypeKind kind);

// The value names of an enumeration, in the order of their values 0, 1, ...
class TEnumInfo {
 public:
  TEnumInfo(std::initializer_list<const char*> names) : names_(names.begin(), names.end()) {}
  int GetCount() const { return static_cast<int>(names_.size()); }
  // The name of a value; empty for a value out of range.
  std::string GetName(int64_t value) const;
  // The value of a name (compared without case); -1 when there is none.
  int GetValue(std::string_view name) const;

 private:
  std::vector<std::string> names_;
};

// False, True.
const TEnumInfo& BooleanInfo();

// One published property. The accessors of its kind are set: ordinal (Integer, Enumeration,
// Set as the bit mask, Color), string (String, Binary), wide (WideString), object (Object,
// StringList, Collection) or method (Method). A read-only property has no setter.
struct TPropInfo {
  std::string name;
  TTypeKind kind = TTypeKind::Integer;
  TClass declared_by = nullptr;
  const TEnumInfo* enum_info = nullptr;       // Enumeration, Set
  TClass value_class = nullptr;               // object kinds
  const std::type_info* signature = nullptr;  // Method
  int64_t min_value = 0, max_value = 0;       // Integer
  bool has_default = false;                   // ordinal kinds: not stored when equal
  int64_t default_value = 0;
  // False when the value is not stored at all, e.g. while it follows the parent's.
  std::function<bool(TObject*)> is_stored;

  std::function<int64_t(TObject*)> get_ordinal;
  std::function<void(TObject*, int64_t)> set_ordinal;
  std::function<double(TObject*)> get_float;
  std::function<void(TObject*, double)> set_float;
  std::function<std::string(TObject*)> get_string;
  std::function<void(TObject*, const std::string&)> set_string;
  std::function<std::wstring(TObject*)> get_wide;
  std::function<void(TObject*, const std::wstring&)> set_wide;
  std::function<TObject*(TObject*)> get_object;
  std::function<void(TObject*, TObject*)> set_object;
  std::function<TMethod(TObject*)> get_method;
  std::function<void(TObject*, const TMethod&)> set_method;

  bool IsOrdinal() const;
  bool IsObject() const;  // Object, StringList, Collection
  bool IsWritable() const;
};

// A published method: a handler that form definitions bind to events by name.
struct TMethodInfo {
  std::string name;
  TMethodCode code;
  const std::type_info* signature = nullptr;
};

// ---- Enumerating and finding ---------------------------------------------------------------

// Published properties of a class, ancestors' first, in declaration order.
const std::vector<const TPropInfo*>& GetPropList(TClass cls);
inline const std::vector<const TPropInfo*>& GetPropList(const TObject* object) {
  return GetPropList(object->ClassType());
}
// A property by name (without case); null when the class has none.
const TPropInfo* GetPropInfo(TClass cls, std::string_view name);
inline const TPropInfo* GetPropInfo(const TObject* object, std::string_view name) {
  return GetPropInfo(object->ClassType(), name);
}
// The same, raising EPropertyError when there is none.
const TPropInfo* FindPropInfo(const TObject* object, std::string_view name);

// A property reached through a dotted path of object properties ("Font.Height"): the object
// that has it and the property. Raises EPropertyError for an unknown name or a nil object.
struct TPropLocation {
  TObject* instance;
  const TPropInfo* prop;
};
TPropLocation ResolvePropPath(TObject* object, std::string_view path);

// Published methods of a class and its ancestors.
const std::vector<TMethodInfo>& GetMethodList(TClass cls);
const TMethodInfo* FindMethodInfo(TClass cls, std::string_view name);
// The published name of a method of the class; empty when it has none.
std::string MethodName(TClass cls, TMethodCode code);

// ---- Reading and writing values ------------------------------------------------------------
// Each raises EPropertyError when the property's kind does not fit the call, when it is
// read-only (setters) or when the value is out of the property's range.

int64_t GetOrdProp(TObject* object, const TPropInfo* prop);
void SetOrdProp(TObject* object, const TPropInfo* prop, int64_t value);
// Enumerations by value name.
std::string GetEnumProp(TObject* object, const TPropInfo* prop);
void SetEnumProp(TObject* object, const TPropInfo* prop, std::string_view name);
// Sets as "a,b" (brackets and blanks are accepted on writing).
std::string GetSetProp(TObject* object, const TPropInfo* prop);
void SetSetProp(TObject* object, const TPropInfo* prop, std::string_view names);
// String and WideString properties (the latter converted to and from the ANSI code page).
double GetFloatProp(TObject* object, const TPropInfo* prop);
void SetFloatProp(TObject* object, const TPropInfo* prop, double value);
std::string GetStrProp(TObject* object, const TPropInfo* prop);
void SetStrProp(TObject* object, const TPropInfo* prop, const std::string& value);
// String and WideString properties as UTF-16.
std::wstring GetWideStrProp(TObject* object, const TPropInfo* prop);
void SetWideStrProp(TObject* object, const TPropInfo* prop, const std::wstring& value);
// Object kinds; the setter checks the value's class.
TObject* GetObjectProp(TObject* object, const TPropInfo* prop);
void SetObjectProp(TObject* object, const TPropInfo* prop, TObject* value);
// Events, untyped: the caller matches signatures (see BindMethodProp).
TMethod GetMethodProp(TObject* object, const TPropInfo* prop);
void SetMethodProp(TObject* object, const TPropInfo* prop, const TMethod& value);
// Binds a published method of `target` to an event; raises EPropertyError when the target's
// class has no such method or its parameters differ from the event's.
void BindMethodProp(TObject* object, const TPropInfo* prop, TObject* target, std::string_view method_name);
std::string GetBinaryProp(TObject* object, const TPropInfo* prop);
void SetBinaryProp(TObject* object, const TPropInfo* prop, const std::string& bytes);

// By name (a dotted path is allowed).
int64_t GetOrdProp(TObject* object, std::string_view path);
void SetOrdProp(TObject* object, std::string_view path, int64_t value);
std::string GetStrProp(TObject* object, std::string_view path);
void SetStrProp(TObject* object, std::string_view path, const std::string& value);
TObject* GetObjectProp(TObject* object, std::string_view path);

// Set bit masks as value names and back; StringToSet raises EPropertyError for an unknown name.
std::string SetToString(const TEnumInfo& info, uint32_t bits);
uint32_t StringToSet(const TEnumInfo& info, std::string_view names);

// ---- Publishing ----------------------------------------------------------------------------

// Collects the published members of one class on top of its parent's.
class TTypeBuilder {
 public:
  explicit TTypeBuilder(TClass cls);
  TClass GetClass() const { return class_; }
  TPropInfo& AddProperty(std::string_view name, TTypeKind kind);
  void RemoveProperty(std::string_view name);
  void AddMethod(std::string_view name, TMethodCode code, const std::type_info& signature);

  // Used by the registry that owns the finished lists.
  std::vector<std::shared_ptr<const TPropInfo>> TakeProperties() { return std::move(props_); }
  std::vector<TMethodInfo> TakeMethods() { return std::move(methods_); }

 private:
  TClass class_;
  std::vector<std::shared_ptr<const TPropInfo>> props_;
  std::vector<TMethodInfo> methods_;
};

// Options of the property just published.
class TPropOptions {
 public:
  explicit TPropOptions(TPropInfo& prop) : prop_(prop) {}
  // The value that need not be stored (ordinal kinds).
  TPropOptions& Default(int64_t value);
  // Stored only while `stored` holds for the instance.
  TPropOptions& Stored(std::function<bool(TObject*)> stored);

 private:
  TPropInfo& prop_;
};

namespace tk_detail {

template <class C, class G>
using PropValue = std::remove_cvref_t<std::invoke_result_t<G, C*>>;

template <class C, class V, class G, class S>
std::function<void(TObject*, const V&)> MakeWriter(G get, S set) {
  if constexpr (std::is_same_v<S, std::nullptr_t>) {
    if constexpr (std::is_member_object_pointer_v<G>)
      return [get](TObject* o, const V& v) { static_cast<C*>(o)->*get = v; };
    else
      return {};
  } else if constexpr (std::is_member_object_pointer_v<S>) {
    return [set](TObject* o, const V& v) { static_cast<C*>(o)->*set = v; };
  } else {
    return [set](TObject* o, const V& v) { std::invoke(set, static_cast<C*>(o), v); };
  }
}

template <class C, class G>
auto MakeReader(G get) {
  return [get](TObject* o) -> PropValue<C, G> { return std::invoke(get, static_cast<C*>(o)); };
}

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};

template <class T>
struct IsEvent : std::false_type {};
template <class... Args>
struct IsEvent<TEvent<Args...>> : std::true_type {};

}  // namespace tk_detail

template <class C>
class TPublisher {
 public:
  explicit TPublisher(TTypeBuilder& builder) : builder_(builder) {}

  template <class G, class S = std::nullptr_t>
  TPropOptions Integer(std::string_view name, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool> && sizeof(V) <= 8 &&
                      (std::is_signed_v<V> || sizeof(V) < 8),
                  "an Integer property has an integer type (up to 64 bits signed, 32 unsigned)");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Integer);
    p.min_value = static_cast<int64_t>(std::numeric_limits<V>::min());
    p.max_value = static_cast<int64_t>(std::numeric_limits<V>::max());
    Ordinal<V>(
        p, get, set, [](V v) { return static_cast<int64_t>(v); },
        [](int64_t v) { return static_cast<V>(v); });
    return TPropOptions(p);
  }

  // An enumeration (or bool) with its value names.
  template <class G, class S = std::nullptr_t>
  TPropOptions Enumeration(std::string_view name, const TEnumInfo& info, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(std::is_enum_v<V> || std::is_same_v<V, bool>, "an Enumeration property has an enum type");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Enumeration);
    p.enum_info = &info;
    p.min_value = 0;
    p.max_value = info.GetCount() - 1;
    Ordinal<V>(
        p, get, set, [](V v) { return static_cast<int64_t>(v); },
        [](int64_t v) { return static_cast<V>(v); });
    return TPropOptions(p);
  }
  template <class G, class S = std::nullptr_t>
  TPropOptions Boolean(std::string_view name, G get, S set = nullptr) {
    return Enumeration(name, BooleanInfo(), get, set);
  }

  // A TSet of an enumeration with the given value names.
  template <class G, class S = std::nullptr_t>
  TPropOptions Set(std::string_view name, const TEnumInfo& info, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(tk_detail::IsSet<V>::value, "a Set property has a TSet type");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Set);
    p.enum_info = &info;
    p.min_value = 0;
    p.max_value = info.GetCount() >= 32 ? int64_t{0xFFFFFFFF} : (int64_t{1} << info.GetCount()) - 1;
    Ordinal<V>(
        p, get, set, [](V v) { return static_cast<int64_t>(v.Bits()); },
        [](int64_t v) { return V::FromBits(static_cast<uint32_t>(v)); });
    return TPropOptions(p);
  }

  template <class G, class S = std::nullptr_t>
  TPropOptions Color(std::string_view name, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(std::is_same_v<V, int32_t>, "a Color property has the type TColor");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Color);
    p.min_value = std::numeric_limits<int32_t>::min();
    p.max_value = std::numeric_limits<int32_t>::max();
    Ordinal<V>(
        p, get, set, [](V v) { return static_cast<int64_t>(v); },
        [](int64_t v) { return static_cast<V>(v); });
    return TPropOptions(p);
  }

  template <class G, class S = std::nullptr_t>
  TPropOptions String(std::string_view name, G get, S set = nullptr) {
    static_assert(std::is_same_v<tk_detail::PropValue<C, G>, std::string>,
                  "a String property is a std::string");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::String);
    p.get_string = tk_detail::MakeReader<C>(get);
    p.set_string = tk_detail::MakeWriter<C, std::string>(get, set);
    return TPropOptions(p);
  }

  // A float or double; its Default (a whole number) is not stored.
  template <class G, class S = std::nullptr_t>
  TPropOptions Float(std::string_view name, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(std::is_floating_point_v<V>, "a Float property is a float or double");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Float);
    auto read = tk_detail::MakeReader<C>(get);
    p.get_float = [read](TObject* o) { return static_cast<double>(read(o)); };
    if (auto write = tk_detail::MakeWriter<C, V>(get, set))
      p.set_float = [write](TObject* o, double v) { write(o, static_cast<V>(v)); };
    return TPropOptions(p);
  }

  template <class G, class S = std::nullptr_t>
  TPropOptions WideString(std::string_view name, G get, S set = nullptr) {
    static_assert(std::is_same_v<tk_detail::PropValue<C, G>, std::wstring>,
                  "a WideString property is a std::wstring");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::WideString);
    p.get_wide = tk_detail::MakeReader<C>(get);
    p.set_wide = tk_detail::MakeWriter<C, std::wstring>(get, set);
    return TPropOptions(p);
  }

  // Opaque bytes (std::string), e.g. a bitmap's stored image.
  template <class G, class S = std::nullptr_t>
  TPropOptions Binary(std::string_view name, G get, S set = nullptr) {
    static_assert(std::is_same_v<tk_detail::PropValue<C, G>, std::string>,
                  "a Binary property is a std::string");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Binary);
    p.get_string = tk_detail::MakeReader<C>(get);
    p.set_string = tk_detail::MakeWriter<C, std::string>(get, set);
    return TPropOptions(p);
  }

  // A persistent object: a sub-object whose properties are stored as "Name.Property", or a
  // reference to a component stored by its name. Usually read-only or with an Assign setter.
  template <class G, class S = std::nullptr_t>
  TPropOptions Object(std::string_view name, G get, S set = nullptr) {
    return ObjectKind(name, TTypeKind::Object, get, set);
  }
  // A TStrings.
  template <class G, class S = std::nullptr_t>
  TPropOptions Strings(std::string_view name, G get, S set = nullptr) {
    return ObjectKind(name, TTypeKind::StringList, get, set);
  }
  // A TCollection.
  template <class G, class S = std::nullptr_t>
  TPropOptions Collection(std::string_view name, G get, S set = nullptr) {
    return ObjectKind(name, TTypeKind::Collection, get, set);
  }

  // An event (a TEvent field or getter/setter pair).
  template <class G, class S = std::nullptr_t>
  TPropOptions Event(std::string_view name, G get, S set = nullptr) {
    using V = tk_detail::PropValue<C, G>;
    static_assert(tk_detail::IsEvent<V>::value, "an Event property is a TEvent");
    TPropInfo& p = builder_.AddProperty(name, TTypeKind::Method);
    p.signature = &V::Signature();
    auto read = tk_detail::MakeReader<C>(get);
    p.get_method = [read](TObject* o) { return read(o).ToMethod(); };
    if (auto write = tk_detail::MakeWriter<C, V>(get, set))
      p.set_method = [write](TObject* o, const TMethod& m) { write(o, V::FromMethod(m)); };
    return TPropOptions(p);
  }

  // Takes an inherited property out of the class's list: definitions can no longer set it.
  void Unpublish(std::string_view name) { builder_.RemoveProperty(name); }

  // A handler that form definitions may bind to an event of the same parameters by name.
  template <class D, class... Args>
  void Method(std::string_view name, void (D::*method)(Args...)) {
    static_assert(std::is_base_of_v<TObject, D> && std::is_base_of_v<D, C>, "a method of this class");
    using Code = typename TEvent<Args...>::Code;
    builder_.AddMethod(name, std::bit_cast<TMethodCode>(static_cast<Code>(method)),
                       TEvent<Args...>::Signature());
  }

 private:
  template <class V, class G, class S, class ToInt, class FromInt>
  void Ordinal(TPropInfo& p, G get, S set, ToInt to_int, FromInt from_int) {
    auto read = tk_detail::MakeReader<C>(get);
    p.get_ordinal = [read, to_int](TObject* o) { return to_int(read(o)); };
    if (auto write = tk_detail::MakeWriter<C, V>(get, set))
      p.set_ordinal = [write, from_int](TObject* o, int64_t v) { write(o, from_int(v)); };
  }

  template <class G, class S>
  TPropOptions ObjectKind(std::string_view name, TTypeKind kind, G get, S set) {
    using P = tk_detail::PropValue<C, G>;
    static_assert(std::is_pointer_v<P> && std::is_base_of_v<TObject, std::remove_pointer_t<P>>,
                  "an object property is a pointer to a TObject");
    using T = std::remove_cv_t<std::remove_pointer_t<P>>;
    TPropInfo& p = builder_.AddProperty(name, kind);
    p.value_class = T::StaticClass();
    auto read = tk_detail::MakeReader<C>(get);
    p.get_object = [read](TObject* o) -> TObject* { return const_cast<T*>(read(o)); };
    if (auto write = tk_detail::MakeWriter<C, T*>(get, set))
      p.set_object = [write](TObject* o, TObject* v) { write(o, static_cast<T*>(v)); };
    return TPropOptions(p);
  }

  TTypeBuilder& builder_;
};

template <class C>
void tk_detail::RunPublish(TTypeBuilder& builder) {
  TPublisher<C> publisher(builder);
  ClassAccess<C>::Publish(publisher);
}
