#include "toolkit/classregistry.h"

#include <mutex>
#include <vector>

namespace {

struct TRegistry {
  std::mutex lock;
  std::vector<TClass> classes;
};

TRegistry& Registry() {
  // Never destroyed: lookups may come from anywhere until the process ends.
  static auto* registry = new TRegistry;
  return *registry;
}

TClass FindLocked(TRegistry& r, std::string_view name) {
  for (TClass c : r.classes)
    if (SameText(c->name, name)) return c;
  return nullptr;
}

}  // namespace

void RegisterClass(TClass cls) {
  if (!cls->create) throw EConvertError(Format("Class %s cannot be created by name", cls->name));
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  TClass known = FindLocked(r, cls->name);
  if (known == cls) return;
  if (known) throw EConvertError(Format("A class named %s is already registered", cls->name));
  r.classes.push_back(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  std::erase(r.classes, cls);
}

TClass GetClass(std::string_view name) {
  TRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return FindLocked(r, name);
}

TClass FindClass(std::string_view name) {
  TClass cls = GetClass(name);
  if (!cls) throw EClassNotFound(Format("Class %s not found", name));
  return cls;
}
