#include "app/oleauto.h"

#include <objbase.h>
#include <oleauto.h>

#include <utility>
#include <vector>

#include "toolkit/textcodec.h"

namespace {

BSTR NewBstr(std::string_view text) {
  const std::wstring wide = AnsiToWide(text);
  BSTR s = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!s) throw EOleError("Out of memory for an automation string", E_OUTOFMEMORY);
  return s;
}

std::string BstrToAnsi(BSTR s) {
  return s ? WideToAnsi(std::wstring_view(s, SysStringLen(s))) : std::string();
}

std::string HResultText(HRESULT hr) {
  std::string text = SysErrorMessage(static_cast<DWORD>(hr));
  return text.empty() ? Format("OLE error %.8X", static_cast<unsigned>(hr)) : text;
}

[[noreturn]] void RaiseOleError(const std::string& member, HRESULT hr, EXCEPINFO& info) {
  std::string reason;
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    reason = BstrToAnsi(info.bstrDescription);
    if (reason.empty() && FAILED(info.scode)) reason = HResultText(info.scode);
    if (FAILED(info.scode)) hr = info.scode;
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  if (reason.empty()) reason = HResultText(hr);
  throw EOleError("Automation call \"" + member + "\" failed: " + reason, hr);
}

}  // namespace

// ---- TOleInitializer ------------------------------------------------------------------------

TOleInitializer::TOleInitializer() {
  // S_FALSE (joined before, in this mode) also needs its own CoUninitialize; a thread in
  // the other mode keeps it and works in it.
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  joined_ = SUCCEEDED(hr);
}

TOleInitializer::~TOleInitializer() {
  if (joined_) CoUninitialize();
}

// ---- TOleVariant ----------------------------------------------------------------------------

TOleVariant::TOleVariant(int value) : TOleVariant() {
  V_VT(&value_) = VT_I4;
  V_I4(&value_) = value;
}

TOleVariant::TOleVariant(double value) : TOleVariant() {
  V_VT(&value_) = VT_R8;
  V_R8(&value_) = value;
}

TOleVariant::TOleVariant(bool value) : TOleVariant() {
  V_VT(&value_) = VT_BOOL;
  V_BOOL(&value_) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

TOleVariant::TOleVariant(const char* text) : TOleVariant(std::string(text ? text : "")) {}

TOleVariant::TOleVariant(const std::string& text) : TOleVariant() {
  V_BSTR(&value_) = NewBstr(text);
  V_VT(&value_) = VT_BSTR;
}

TOleVariant::TOleVariant(const VARIANT& value) : TOleVariant() {
  // The mingw declarations lack the const; the source is only read.
  const HRESULT hr = VariantCopy(&value_, const_cast<VARIANT*>(&value));
  if (FAILED(hr)) throw EOleError("Cannot copy an automation value: " + HResultText(hr), hr);
}

TOleVariant::TOleVariant(const TOleVariant& other) : TOleVariant(other.value_) {}

TOleVariant::TOleVariant(TOleVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

TOleVariant& TOleVariant::operator=(TOleVariant other) noexcept {
  std::swap(value_, other.value_);
  return *this;
}

VARIANT* TOleVariant::Receive() {
  VariantClear(&value_);
  return &value_;
}

std::string TOleVariant::AsString() const {
  if (Type() == VT_BSTR) return BstrToAnsi(V_BSTR(&value_));
  VARIANT text;
  VariantInit(&text);
  const HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&value_), 0, VT_BSTR);
  if (FAILED(hr)) throw EOleError("An automation value has no text form: " + HResultText(hr), hr);
  std::string result = BstrToAnsi(V_BSTR(&text));
  VariantClear(&text);
  return result;
}

IDispatch* TOleVariant::AsDispatch() const {
  if (Type() == VT_DISPATCH) return V_DISPATCH(&value_);
  if (Type() == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&value_)) return *V_DISPATCHREF(&value_);
  return nullptr;
}

// ---- TAutoObject ----------------------------------------------------------------------------

TAutoObject::TAutoObject(IDispatch* object) : object_(object) {
  if (object_) object_->AddRef();
}

TAutoObject::TAutoObject(const TAutoObject& other) : TAutoObject(other.object_) {}

TAutoObject::TAutoObject(TAutoObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

TAutoObject& TAutoObject::operator=(TAutoObject other) noexcept {
  std::swap(object_, other.object_);
  return *this;
}

TAutoObject::~TAutoObject() {
  if (object_) object_->Release();
}

TAutoObject TAutoObject::Create(const std::string& prog_id) {
  const std::wstring id = AnsiToWide(prog_id);
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(id.c_str(), &clsid);
  if (FAILED(hr)) throw EOleError("No automation server \"" + prog_id + "\": " + HResultText(hr), hr);
  IDispatch* object = nullptr;
  // A spreadsheet application runs as a server of its own; a test class lives in-process.
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&object));
  if (FAILED(hr) || !object) {
    throw EOleError("Cannot start the automation server \"" + prog_id + "\": " + HResultText(hr), hr);
  }
  TAutoObject result;
  result.object_ = object;  // the creation's reference
  return result;
}

TOleVariant TAutoObject::Get(const std::string& name, std::initializer_list<TOleVariant> index) const {
  // Indexed properties such as Cells(r, c) are methods for some servers, so ask for either.
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, index, nullptr);
}

TAutoObject TAutoObject::GetObject(const std::string& name, std::initializer_list<TOleVariant> index) const {
  TOleVariant value = Get(name, index);
  IDispatch* object = value.AsDispatch();
  if (!object) throw EOleError("Automation property \"" + name + "\" is no object", DISP_E_TYPEMISMATCH);
  return TAutoObject(object);
}

void TAutoObject::Put(const std::string& name, const TOleVariant& value) const {
  Invoke(name, DISPATCH_PROPERTYPUT, {}, &value);
}

void TAutoObject::Put(const std::string& name, std::initializer_list<TOleVariant> index,
                      const TOleVariant& value) const {
  Invoke(name, DISPATCH_PROPERTYPUT, index, &value);
}

TOleVariant TAutoObject::Call(const std::string& name, std::initializer_list<TOleVariant> args) const {
  return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
}

TOleVariant TAutoObject::Invoke(const std::string& name, WORD flags, std::initializer_list<TOleVariant> args,
                                const TOleVariant* put_value) const {
  if (!object_) throw EOleError("Automation call \"" + name + "\" on no object", E_POINTER);

  std::wstring wide_name = AnsiToWide(name);
  LPOLESTR names[] = {wide_name.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw EOleError("Unknown automation member \"" + name + "\": " + HResultText(hr), hr);

  // Invoke takes the arguments last to first, the assigned value first of all. They stay
  // owned by the caller's variants.
  std::vector<VARIANTARG> list;
  list.reserve(args.size() + 1);
  if (put_value) list.push_back(put_value->Value());
  for (auto it = args.end(); it != args.begin();) list.push_back((--it)->Value());
  DISPID named_put = DISPID_PROPERTYPUT;
  DISPPARAMS params{list.data(), put_value ? &named_put : nullptr, static_cast<UINT>(list.size()),
                    put_value ? 1u : 0u};

  TOleVariant result;
  EXCEPINFO info{};
  UINT bad_arg = 0;
  hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                       put_value ? nullptr : result.Receive(), &info, &bad_arg);
  if (FAILED(hr)) RaiseOleError(name, hr, info);
  return result;
}

// ---- Registration ---------------------------------------------------------------------------

bool IsOleServerInstalled(const std::string& prog_id) {
  TOleInitializer ole;
  const std::wstring id = AnsiToWide(prog_id);
  CLSID clsid;
  return SUCCEEDED(CLSIDFromProgID(id.c_str(), &clsid));
}
