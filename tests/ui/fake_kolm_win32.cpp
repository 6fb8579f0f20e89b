#include "tests/ui/fake_kolm_win32.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>

// {6E1A2F4B-93C7-4D1E-A2B8-5C0F7D3E9A61}
const CLSID FakeKolm::kClsid = {
    0x6e1a2f4b, 0x93c7, 0x4d1e, {0xa2, 0xb8, 0x5c, 0x0f, 0x7d, 0x3e, 0x9a, 0x61}};

namespace {

constexpr const char* kProgIdKey = "Software\\Classes\\Kolm2.Application\\CLSID";

bool WriteProgId(HKEY root, const std::string& clsid) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, kProgIdKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG written =
      RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                     static_cast<DWORD>(clsid.size() + 1));
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}

std::string Narrow(const wchar_t* text, UINT length) {
  std::string out;
  for (UINT i = 0; i < length; ++i) out += static_cast<char>(text[i] < 128 ? text[i] : '?');
  return out;
}

}  // namespace

bool FakeKolm::Register(std::string* error) {
  wchar_t wide[64] = L"";
  StringFromGUID2(kClsid, wide, 64);
  const std::string clsid = Narrow(wide, static_cast<UINT>(lstrlenW(wide)));
  // Wine reads the machine's classes only; Windows reads the user's too.
  if (!WriteProgId(HKEY_LOCAL_MACHINE, clsid) && !WriteProgId(HKEY_CURRENT_USER, clsid)) {
    *error = "cannot register the ProgID";
    return false;
  }
  const HRESULT hr = RegisterActiveObject(this, kClsid, ACTIVEOBJECT_STRONG, &cookie_);
  if (FAILED(hr)) {
    *error = "RegisterActiveObject failed";
    return false;
  }
  return true;
}

void FakeKolm::Revoke() {
  if (cookie_ != 0) RevokeActiveObject(cookie_, nullptr);
  cookie_ = 0;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgIdKey);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\Kolm2.Application");
}

void FakeKolm::Reset() {
  hertz_ = 7035000.0;
  typed_.clear();
  field_is_text_ = true;
  failing_.clear();
  delay_ms_ = 0;
  macros_.clear();
  calls_.clear();
  last_field_ = -1;
}

void FakeKolm::SetFailing(DISPID id, bool failing) {
  failing_.erase(std::remove(failing_.begin(), failing_.end(), id), failing_.end());
  if (failing) failing_.push_back(id);
}

int FakeKolm::Count(DISPID id) const {
  return static_cast<int>(std::count(calls_.begin(), calls_.end(), id));
}

HRESULT FakeKolm::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeKolm::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}
ULONG FakeKolm::Release() {
  return static_cast<ULONG>(InterlockedDecrement(&references_));
}

HRESULT FakeKolm::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}
HRESULT FakeKolm::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}
HRESULT FakeKolm::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;  // the plug-in calls by number only
}

HRESULT FakeKolm::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO*, UINT*) {
  calls_.push_back(id);
  if (delay_ms_ > 0) Sleep(delay_ms_);
  if (std::find(failing_.begin(), failing_.end(), id) != failing_.end()) return E_FAIL;
  const UINT args = params != nullptr ? params->cArgs : 0;
  switch (id) {
    case 2:
      if ((flags & DISPATCH_PROPERTYGET) == 0 || args != 0 || result == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
      }
      VariantInit(result);
      result->vt = VT_R8;
      result->dblVal = hertz_;
      return S_OK;
    case 8:
      if ((flags & DISPATCH_METHOD) == 0 || args != 1 || params->rgvarg[0].vt != VT_I4) {
        return DISP_E_TYPEMISMATCH;
      }
      last_field_ = params->rgvarg[0].lVal;
      if (result != nullptr) {
        VariantInit(result);
        if (field_is_text_) {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocStringLen(typed_.data(), static_cast<UINT>(typed_.size()));
        }
      }
      return S_OK;
    case 16:
      if ((flags & DISPATCH_METHOD) == 0 || args != 1 || params->rgvarg[0].vt != VT_BSTR) {
        return DISP_E_TYPEMISMATCH;
      }
      macros_.push_back(Narrow(params->rgvarg[0].bstrVal, SysStringLen(params->rgvarg[0].bstrVal)));
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}
