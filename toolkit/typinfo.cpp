#include "toolkit/typinfo.h"

#include <map>
#include <mutex>

#include "toolkit/textcodec.h"

namespace {

// Built once per class on first use and kept for the whole run.
struct TTypeData {
  std::vector<std::shared_ptr<const TPropInfo>> owned;
  std::vector<const TPropInfo*> props;
  std::vector<TMethodInfo> methods;
};

std::recursive_mutex& TypeDataLock() {
  static std::recursive_mutex lock;
  return lock;
}

const TTypeData& GetTypeData(TClass cls) {
  // Never destroyed: class information outlives every object, even at exit.
  static auto* cache = new std::map<TClass, TTypeData*>;
  std::lock_guard<std::recursive_mutex> guard(TypeDataLock());
  if (auto it = cache->find(cls); it != cache->end()) return *it->second;
  TTypeBuilder builder(cls);
  if (cls->publish) cls->publish(builder);
  auto* data = new TTypeData;
  data->owned = builder.TakeProperties();
  for (const auto& p : data->owned) data->props.push_back(p.get());
  data->methods = builder.TakeMethods();
  (*cache)[cls] = data;
  return *data;
}

[[noreturn]] void KindError(const TPropInfo* prop, const char* wanted) {
  throw EPropertyError(
      Format("Property %s is of kind %s, not %s", prop->name, TypeKindName(prop->kind), wanted));
}

[[noreturn]] void ReadOnlyError(const TPropInfo* prop) {
  throw EPropertyError(Format("Property %s is read-only", prop->name));
}

void CheckRange(const TPropInfo* prop, int64_t value) {
  if (value < prop->min_value || value > prop->max_value)
    throw EPropertyError(Format("%d is out of range for property %s (%d to %d)", value, prop->name,
                                prop->min_value, prop->max_value));
}

}  // namespace

const char* TypeKindName(TTypeKind kind) {
  switch (kind) {
    case TTypeKind::Integer: return "Integer";
    case TTypeKind::Enumeration: return "Enumeration";
    case TTypeKind::Set: return "Set";
    case TTypeKind::Color: return "Color";
    case TTypeKind::String: return "String";
    case TTypeKind::WideString: return "WideString";
    case TTypeKind::Object: return "Object";
    case TTypeKind::StringList: return "StringList";
    case TTypeKind::Collection: return "Collection";
    case TTypeKind::Method: return "Method";
    case TTypeKind::Binary: return "Binary";
    case TTypeKind::Float: return "Float";
  }
  return "?";
}

std::string TEnumInfo::GetName(int64_t value) const {
  return value >= 0 && value < GetCount() ? names_[static_cast<size_t>(value)] : std::string();
}

int TEnumInfo::GetValue(std::string_view name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(names_[static_cast<size_t>(i)], name)) return i;
  return -1;
}

const TEnumInfo& BooleanInfo() {
  static const TEnumInfo info{"False", "True"};
  return info;
}

bool TPropInfo::IsOrdinal() const {
  return kind == TTypeKind::Integer || kind == TTypeKind::Enumeration || kind == TTypeKind::Set ||
         kind == TTypeKind::Color;
}

bool TPropInfo::IsObject() const {
  return kind == TTypeKind::Object || kind == TTypeKind::StringList || kind == TTypeKind::Collection;
}

bool TPropInfo::IsWritable() const {
  return static_cast<bool>(set_ordinal) || static_cast<bool>(set_float) || static_cast<bool>(set_string) ||
         static_cast<bool>(set_wide) || static_cast<bool>(set_object) || static_cast<bool>(set_method);
}

// ---- Building ------------------------------------------------------------------------------

TTypeBuilder::TTypeBuilder(TClass cls) : class_(cls) {
  if (cls->parent) {
    const TTypeData& parent = GetTypeData(cls->parent);
    props_ = parent.owned;
    methods_ = parent.methods;
  }
}

TPropInfo& TTypeBuilder::AddProperty(std::string_view name, TTypeKind kind) {
  auto prop = std::make_shared<TPropInfo>();
  prop->name = std::string(name);
  prop->kind = kind;
  prop->declared_by = class_;
  for (auto& p : props_)
    if (SameText(p->name, name)) {
      p = prop;  // republished: keeps the inherited position
      return *prop;
    }
  props_.push_back(prop);
  return *prop;
}

void TTypeBuilder::RemoveProperty(std::string_view name) {
  std::erase_if(props_, [name](const auto& p) { return SameText(p->name, name); });
}

void TTypeBuilder::AddMethod(std::string_view name, TMethodCode code, const std::type_info& signature) {
  TMethodInfo info{std::string(name), code, &signature};
  for (auto& m : methods_)
    if (SameText(m.name, name)) {
      m = info;
      return;
    }
  methods_.push_back(info);
}

TPropOptions& TPropOptions::Default(int64_t value) {
  prop_.has_default = true;
  prop_.default_value = value;
  return *this;
}

TPropOptions& TPropOptions::Stored(std::function<bool(TObject*)> stored) {
  prop_.is_stored = std::move(stored);
  return *this;
}

// ---- Finding -------------------------------------------------------------------------------

const std::vector<const TPropInfo*>& GetPropList(TClass cls) { return GetTypeData(cls).props; }

const TPropInfo* GetPropInfo(TClass cls, std::string_view name) {
  for (const TPropInfo* p : GetPropList(cls))
    if (SameText(p->name, name)) return p;
  return nullptr;
}

const TPropInfo* FindPropInfo(const TObject* object, std::string_view name) {
  const TPropInfo* prop = GetPropInfo(object, name);
  if (!prop) throw EPropertyError(Format("Class %s has no published property %s", object->ClassName(), name));
  return prop;
}

TPropLocation ResolvePropPath(TObject* object, std::string_view path) {
  for (;;) {
    size_t dot = path.find('.');
    const TPropInfo* prop = FindPropInfo(object, path.substr(0, dot));
    if (dot == std::string_view::npos) return {object, prop};
    if (!prop->IsObject())
      throw EPropertyError(
          Format("Property %s of class %s has no properties", prop->name, object->ClassName()));
    TObject* inner = GetObjectProp(object, prop);
    if (!inner)
      throw EPropertyError(Format("Property %s of class %s is nil", prop->name, object->ClassName()));
    object = inner;
    path = path.substr(dot + 1);
  }
}

const std::vector<TMethodInfo>& GetMethodList(TClass cls) { return GetTypeData(cls).methods; }

const TMethodInfo* FindMethodInfo(TClass cls, std::string_view name) {
  for (const TMethodInfo& m : GetMethodList(cls))
    if (SameText(m.name, name)) return &m;
  return nullptr;
}

std::string MethodName(TClass cls, TMethodCode code) {
  if (!code) return {};
  for (const TMethodInfo& m : GetMethodList(cls))
    if (m.code == code) return m.name;
  return {};
}

// ---- Values --------------------------------------------------------------------------------

int64_t GetOrdProp(TObject* object, const TPropInfo* prop) {
  if (!prop->IsOrdinal()) KindError(prop, "ordinal");
  return prop->get_ordinal(object);
}

void SetOrdProp(TObject* object, const TPropInfo* prop, int64_t value) {
  if (!prop->IsOrdinal()) KindError(prop, "ordinal");
  if (!prop->set_ordinal) ReadOnlyError(prop);
  CheckRange(prop, value);
  prop->set_ordinal(object, value);
}

std::string GetEnumProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind != TTypeKind::Enumeration) KindError(prop, "Enumeration");
  return prop->enum_info->GetName(GetOrdProp(object, prop));
}

void SetEnumProp(TObject* object, const TPropInfo* prop, std::string_view name) {
  if (prop->kind != TTypeKind::Enumeration) KindError(prop, "Enumeration");
  int value = prop->enum_info->GetValue(name);
  if (value < 0) throw EPropertyError(Format("%s is not a value of property %s", name, prop->name));
  SetOrdProp(object, prop, value);
}

std::string GetSetProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind != TTypeKind::Set) KindError(prop, "Set");
  return SetToString(*prop->enum_info, static_cast<uint32_t>(GetOrdProp(object, prop)));
}

void SetSetProp(TObject* object, const TPropInfo* prop, std::string_view names) {
  if (prop->kind != TTypeKind::Set) KindError(prop, "Set");
  SetOrdProp(object, prop, StringToSet(*prop->enum_info, names));
}

double GetFloatProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind != TTypeKind::Float) KindError(prop, "Float");
  return prop->get_float(object);
}

void SetFloatProp(TObject* object, const TPropInfo* prop, double value) {
  if (prop->kind != TTypeKind::Float) KindError(prop, "Float");
  if (!prop->set_float) ReadOnlyError(prop);
  prop->set_float(object, value);
}

std::string GetStrProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind == TTypeKind::String) return prop->get_string(object);
  if (prop->kind == TTypeKind::WideString) return WideToAnsi(prop->get_wide(object));
  KindError(prop, "String");
}

void SetStrProp(TObject* object, const TPropInfo* prop, const std::string& value) {
  if (prop->kind == TTypeKind::String) {
    if (!prop->set_string) ReadOnlyError(prop);
    prop->set_string(object, value);
  } else if (prop->kind == TTypeKind::WideString) {
    if (!prop->set_wide) ReadOnlyError(prop);
    prop->set_wide(object, AnsiToWide(value));
  } else {
    KindError(prop, "String");
  }
}

std::wstring GetWideStrProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind == TTypeKind::WideString) return prop->get_wide(object);
  if (prop->kind == TTypeKind::String) return AnsiToWide(prop->get_string(object));
  KindError(prop, "WideString");
}

void SetWideStrProp(TObject* object, const TPropInfo* prop, const std::wstring& value) {
  if (prop->kind == TTypeKind::WideString) {
    if (!prop->set_wide) ReadOnlyError(prop);
    prop->set_wide(object, value);
  } else if (prop->kind == TTypeKind::String) {
    if (!prop->set_string) ReadOnlyError(prop);
    prop->set_string(object, WideToAnsi(value));
  } else {
    KindError(prop, "WideString");
  }
}

TObject* GetObjectProp(TObject* object, const TPropInfo* prop) {
  if (!prop->IsObject()) KindError(prop, "Object");
  return prop->get_object(object);
}

void SetObjectProp(TObject* object, const TPropInfo* prop, TObject* value) {
  if (!prop->IsObject()) KindError(prop, "Object");
  if (!prop->set_object) ReadOnlyError(prop);
  if (value && !value->InheritsFrom(prop->value_class))
    throw EPropertyError(
        Format("Property %s takes a %s, not a %s", prop->name, prop->value_class->name, value->ClassName()));
  prop->set_object(object, value);
}

TMethod GetMethodProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind != TTypeKind::Method) KindError(prop, "Method");
  return prop->get_method(object);
}

void SetMethodProp(TObject* object, const TPropInfo* prop, const TMethod& value) {
  if (prop->kind != TTypeKind::Method) KindError(prop, "Method");
  if (!prop->set_method) ReadOnlyError(prop);
  prop->set_method(object, value);
}

void BindMethodProp(TObject* object, const TPropInfo* prop, TObject* target, std::string_view method_name) {
  if (prop->kind != TTypeKind::Method) KindError(prop, "Method");
  const TMethodInfo* method = FindMethodInfo(target->ClassType(), method_name);
  if (!method)
    throw EPropertyError(Format("Class %s has no published method %s", target->ClassName(), method_name));
  if (*method->signature != *prop->signature)
    throw EPropertyError(
        Format("Method %s does not have the parameters of event %s", method->name, prop->name));
  SetMethodProp(object, prop, TMethod{target, method->code});
}

std::string GetBinaryProp(TObject* object, const TPropInfo* prop) {
  if (prop->kind != TTypeKind::Binary) KindError(prop, "Binary");
  return prop->get_string(object);
}

void SetBinaryProp(TObject* object, const TPropInfo* prop, const std::string& bytes) {
  if (prop->kind != TTypeKind::Binary) KindError(prop, "Binary");
  if (!prop->set_string) ReadOnlyError(prop);
  prop->set_string(object, bytes);
}

int64_t GetOrdProp(TObject* object, std::string_view path) {
  TPropLocation at = ResolvePropPath(object, path);
  return GetOrdProp(at.instance, at.prop);
}

void SetOrdProp(TObject* object, std::string_view path, int64_t value) {
  TPropLocation at = ResolvePropPath(object, path);
  SetOrdProp(at.instance, at.prop, value);
}

std::string GetStrProp(TObject* object, std::string_view path) {
  TPropLocation at = ResolvePropPath(object, path);
  return GetStrProp(at.instance, at.prop);
}

void SetStrProp(TObject* object, std::string_view path, const std::string& value) {
  TPropLocation at = ResolvePropPath(object, path);
  SetStrProp(at.instance, at.prop, value);
}

TObject* GetObjectProp(TObject* object, std::string_view path) {
  TPropLocation at = ResolvePropPath(object, path);
  return GetObjectProp(at.instance, at.prop);
}

std::string SetToString(const TEnumInfo& info, uint32_t bits) {
  std::string text;
  for (int i = 0; i < info.GetCount() && i < 32; ++i)
    if (bits & (uint32_t{1} << i)) {
      if (!text.empty()) text += ',';
      text += info.GetName(i);
    }
  return text;
}

uint32_t StringToSet(const TEnumInfo& info, std::string_view names) {
  std::string_view s = names;
  while (!s.empty() && (s.front() == ' ' || s.front() == '[')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == ']')) s.remove_suffix(1);
  uint32_t bits = 0;
  while (!s.empty()) {
    size_t comma = s.find(',');
    std::string name = Trim(s.substr(0, comma));
    int value = info.GetValue(name);
    if (value < 0 || value >= 32) throw EPropertyError(Format("%s is not a set element", name));
    bits |= uint32_t{1} << value;
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return bits;
}
