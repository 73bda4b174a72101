// Late-bound OLE automation: an application found by its program identifier and driven by
// member names through IDispatch (property get and put, indexed properties, method calls).
// Texts are ANSI on our side and BSTR (UTF-16) on the automation side.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>

#include "toolkit/sysutils.h"

// A failed automation call; ErrorCode is its HRESULT.
class EOleError : public Exception {
 public:
  EOleError(std::string message, HRESULT error_code)
      : Exception(std::move(message)), error_code_(error_code) {}
  HRESULT ErrorCode() const { return error_code_; }
  const char* ClassName() const override { return "EOleError"; }

 private:
  HRESULT error_code_;
};

// Joins the calling thread to COM (single-threaded apartment) for the object's lifetime; a
// thread that has joined already stays as it is.
class TOleInitializer {
 public:
  TOleInitializer();
  ~TOleInitializer();
  TOleInitializer(const TOleInitializer&) = delete;
  TOleInitializer& operator=(const TOleInitializer&) = delete;

 private:
  bool joined_ = false;
};

// An owned VARIANT.
class TOleVariant {
 public:
  TOleVariant() { VariantInit(&value_); }
  TOleVariant(int value);
  TOleVariant(double value);
  TOleVariant(bool value);
  TOleVariant(const char* text);
  TOleVariant(const std::string& text);
  // Copies the VARIANT (a new reference for objects, a new string for texts).
  explicit TOleVariant(const VARIANT& value);
  TOleVariant(const TOleVariant& other);
  TOleVariant(TOleVariant&& other) noexcept;
  TOleVariant& operator=(TOleVariant other) noexcept;
  ~TOleVariant() { VariantClear(&value_); }

  const VARIANT& Value() const { return value_; }
  VARTYPE Type() const { return V_VT(&value_); }
  // Cleared, to be filled by a call.
  VARIANT* Receive();

  // The value as text (numbers and booleans as the automation library writes them);
  // raises EOleError when it has no text form.
  std::string AsString() const;
  // The object, or null when the value is none.
  IDispatch* AsDispatch() const;

 private:
  VARIANT value_;
};

// One automation object, held by a reference of its own.
class TAutoObject {
 public:
  TAutoObject() = default;
  // Takes a reference of its own to `object`.
  explicit TAutoObject(IDispatch* object);
  TAutoObject(const TAutoObject& other);
  TAutoObject(TAutoObject&& other) noexcept;
  TAutoObject& operator=(TAutoObject other) noexcept;
  ~TAutoObject();

  // A new instance of the class registered for the program identifier (in-process or as a
  // server of its own); raises EOleError when there is none or it cannot be created.
  static TAutoObject Create(const std::string& prog_id);

  IDispatch* Dispatch() const { return object_; }

  // Property get, also of indexed properties such as Cells(row, column).
  TOleVariant Get(const std::string& name, std::initializer_list<TOleVariant> index = {}) const;
  // A property that is an object; raises EOleError when the property holds none.
  TAutoObject GetObject(const std::string& name, std::initializer_list<TOleVariant> index = {}) const;
  void Put(const std::string& name, const TOleVariant& value) const;
  void Put(const std::string& name, std::initializer_list<TOleVariant> index, const TOleVariant& value) const;
  TOleVariant Call(const std::string& name, std::initializer_list<TOleVariant> args = {}) const;

 private:
  TOleVariant Invoke(const std::string& name, WORD flags, std::initializer_list<TOleVariant> args,
                     const TOleVariant* put_value) const;

  IDispatch* object_ = nullptr;
};

// True when a class is registered for the program identifier.
bool IsOleServerInstalled(const std::string& prog_id);
