#include "tests/app/recording_automation.h"

#include <objbase.h>
#include <oleauto.h>

#include <stdexcept>

#include "toolkit/sysutils.h"
#include "toolkit/textcodec.h"

namespace testsupport {

struct TAutomationLog {
  std::vector<TAutomationCall> calls;
  std::vector<std::string> names;  // DISPID n is names[n - 1]
  std::vector<std::string> failing;
  int instances = 0;
};

namespace {

std::string ValueText(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_BOOL: return V_BOOL(&v) ? "true" : "false";
    case VT_I4: return std::to_string(V_I4(&v));
    case VT_R8: return Format("%g", V_R8(&v));
    case VT_BSTR: return WideToAnsi(std::wstring_view(V_BSTR(&v), SysStringLen(V_BSTR(&v))));
    default: return "<type " + std::to_string(V_VT(&v)) + ">";
  }
}

class TRecordingObject final : public IDispatch {
 public:
  TRecordingObject(std::shared_ptr<TAutomationLog> log, std::string path)
      : log_(std::move(log)), path_(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) {
      const std::string name = WideToAnsi(names[i]);
      size_t n = 0;
      while (n < log_->names.size() && !SameText(log_->names[n], name)) ++n;
      if (n == log_->names.size()) log_->names.push_back(name);
      ids[i] = static_cast<DISPID>(n + 1);
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    if (id < 1 || static_cast<size_t>(id) > log_->names.size()) return DISP_E_MEMBERNOTFOUND;
    const std::string& name = log_->names[id - 1];
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    if (put && (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
    // Arguments arrive last to first; a put's value comes first of all.
    std::string target = path_.empty() ? name : path_ + "." + name;
    const UINT first_index = put ? 1 : 0;
    if (params->cArgs > first_index) {
      target += "(";
      for (UINT i = params->cArgs; i-- > first_index;) {
        target += ValueText(params->rgvarg[i]);
        if (i > first_index) target += ",";
      }
      target += ")";
    }
    for (const std::string& failing : log_->failing) {
      if (SameText(failing, name) && info) {
        *info = EXCEPINFO{};
        info->scode = E_FAIL;
        info->bstrDescription = SysAllocString(L"Recorded failure");
        return DISP_E_EXCEPTION;
      }
    }

    TAutomationCall call;
    call.Target = target;
    call.Flags = flags;
    if (put) {
      call.Kind = TCallKind::Put;
      call.Value = ValueText(params->rgvarg[0]);
      call.ValueType = V_VT(&params->rgvarg[0]);
    }
    log_->calls.push_back(call);
    if (!put && result) {
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = new TRecordingObject(log_, target);
    }
    return S_OK;
  }

 private:
  ~TRecordingObject() = default;

  std::shared_ptr<TAutomationLog> log_;
  std::string path_;
  ULONG refs_ = 1;
};

class TRecordingFactory final : public IClassFactory {
 public:
  explicit TRecordingFactory(std::shared_ptr<TAutomationLog> log) : log_(std::move(log)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    ++log_->instances;
    auto* root = new TRecordingObject(log_, "");
    const HRESULT hr = root->QueryInterface(iid, object);
    root->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ~TRecordingFactory() = default;
  std::shared_ptr<TAutomationLog> log_;
  ULONG refs_ = 1;
};

std::string GuidText(const GUID& guid) {
  wchar_t text[64];
  StringFromGUID2(guid, text, 64);
  return WideToAnsi(text);
}

bool WriteProgId(HKEY root, const std::string& prog_id, const std::string& clsid) {
  HKEY key;
  const std::string path = (root == HKEY_CURRENT_USER ? "Software\\Classes\\" : "") + prog_id + "\\CLSID";
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                 static_cast<DWORD>(clsid.size() + 1));
  RegCloseKey(key);
  return true;
}

void RemoveProgId(HKEY root, const std::string& prog_id) {
  const std::string path = (root == HKEY_CURRENT_USER ? "Software\\Classes\\" : "") + prog_id;
  RegDeleteTreeA(root, path.c_str());
}

bool Resolves(const std::string& prog_id, const CLSID& expected) {
  CLSID found;
  return SUCCEEDED(CLSIDFromProgID(AnsiToWide(prog_id).c_str(), &found)) && IsEqualCLSID(found, expected);
}

}  // namespace

TRecordingAutomationServer::TRecordingAutomationServer() : log_(std::make_shared<TAutomationLog>()) {
  // Per process, so test processes running side by side keep apart.
  prog_id_ = "Dravolin.RecordingSheet." + std::to_string(GetCurrentProcessId());
  if (FAILED(CoCreateGuid(&clsid_))) throw std::runtime_error("CoCreateGuid failed");

  auto* factory = new TRecordingFactory(log_);
  const HRESULT hr =
      CoRegisterClassObject(clsid_, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
  factory->Release();
  if (FAILED(hr)) throw std::runtime_error("CoRegisterClassObject failed");

  // The per-user classes are the right place on Windows; Wine 8 looks up program
  // identifiers among the machine's classes only, so fall back to those.
  const std::string clsid = GuidText(clsid_);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
    if (WriteProgId(root, prog_id_, clsid) && Resolves(prog_id_, clsid_)) {
      registry_root_ = root;
      return;
    }
    RemoveProgId(root, prog_id_);
  }
  CoRevokeClassObject(cookie_);
  throw std::runtime_error("cannot register the program identifier " + prog_id_);
}

TRecordingAutomationServer::~TRecordingAutomationServer() {
  if (registry_root_) RemoveProgId(registry_root_, prog_id_);
  CoRevokeClassObject(cookie_);
}

void TRecordingAutomationServer::FailMember(const std::string& name) { log_->failing.push_back(name); }

int TRecordingAutomationServer::InstancesCreated() const { return log_->instances; }

const std::vector<TAutomationCall>& TRecordingAutomationServer::Calls() const { return log_->calls; }

std::map<std::string, TAutomationCall> TRecordingAutomationServer::Puts() const {
  std::map<std::string, TAutomationCall> puts;
  for (const TAutomationCall& call : log_->calls) {
    if (call.Kind == TCallKind::Put) puts[call.Target] = call;
  }
  return puts;
}

int TRecordingAutomationServer::IndexOf(TCallKind kind, const std::string& target) const {
  for (size_t i = 0; i < log_->calls.size(); ++i) {
    if (log_->calls[i].Kind == kind && log_->calls[i].Target == target) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace testsupport
