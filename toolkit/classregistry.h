// The classes that form definitions may create by name. Registration is explicit (a unit
// registers its classes during start-up), so no static initialiser order is relied upon.
#pragma once

#include <initializer_list>
#include <string_view>

#include "toolkit/object.h"
#include "toolkit/sysutils.h"

TK_EXCEPTION(EClassNotFound, Exception)

// Registers a class that can be created by name; registering it again does nothing. Raises
// EConvertError for a class that cannot be created by name or whose name another class has.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);

// A registered class by name (without case); GetClass answers null, FindClass raises
// EClassNotFound ("Class TFoo not found").
TClass GetClass(std::string_view name);
TClass FindClass(std::string_view name);
