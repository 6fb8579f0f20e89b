#include "host/host_link_com_win32.h"

#include <objbase.h>
#include <oleauto.h>

#include <vector>

namespace {

// UTF-16 from the host to the thread's ANSI code page, as the rest of the
// plug-in's texts are 8-bit.
std::string ToThreadAnsi(const wchar_t* text, int length) {
  if (text == nullptr || length <= 0) return std::string();
  const int size =
      WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size));
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, buffer.data(), size, nullptr, nullptr);
  return std::string(buffer.data(), buffer.size());
}

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

}  // namespace

ComHostLink::~ComHostLink() {
  // A link that nobody ended belongs to a thread that ends normally.
  Release();
}

bool ComHostLink::Attach() {
  CLSID clsid;
  const HRESULT found = CLSIDFromProgID(kProgId, &clsid);
  // COM for this thread whatever the lookup gave, so that the thread's end
  // always balances it.
  if (!com_initialised_) com_initialised_ = SUCCEEDED(CoInitialize(nullptr));
  if (FAILED(found) || !com_initialised_ || dispatch_ != nullptr) return attached();

  IUnknown* unknown = nullptr;
  if (FAILED(GetActiveObject(clsid, nullptr, &unknown)) || unknown == nullptr) return false;
  IDispatch* dispatch = nullptr;
  if (SUCCEEDED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    dispatch_ = dispatch;
  }
  unknown->Release();
  return attached();
}

bool ComHostLink::Invoke(DISPID id, WORD flags, VARIANT* argument, VARIANT* result) {
  if (dispatch_ == nullptr) return false;
  DISPPARAMS params = {argument, nullptr, argument != nullptr ? 1u : 0u, 0u};
  EXCEPINFO exception = {};
  UINT bad_argument = 0;
  const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                       &exception, &bad_argument);
  if (exception.bstrSource != nullptr) SysFreeString(exception.bstrSource);
  if (exception.bstrDescription != nullptr) SysFreeString(exception.bstrDescription);
  if (exception.bstrHelpFile != nullptr) SysFreeString(exception.bstrHelpFile);
  return SUCCEEDED(hr);
}

bool ComHostLink::Frequency(double* hertz) {
  VARIANT result;
  VariantInit(&result);
  if (!Invoke(kDispFrequency, DISPATCH_PROPERTYGET, nullptr, &result)) return false;
  // The host answers VT_R8; anything that converts serves as well.
  const bool ok = SUCCEEDED(VariantChangeType(&result, &result, 0, VT_R8));
  if (ok) *hertz = result.dblVal;
  VariantClear(&result);
  return ok;
}

bool ComHostLink::TypedCall(std::string* call) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_I4;
  argument.lVal = kCallField;
  VARIANT result;
  VariantInit(&result);
  if (!Invoke(kDispField, DISPATCH_METHOD, &argument, &result)) return false;
  // Anything but text means no callsign is being entered.
  if (result.vt == VT_BSTR) {
    *call = ToThreadAnsi(result.bstrVal, static_cast<int>(SysStringLen(result.bstrVal)));
  } else {
    call->clear();
  }
  VariantClear(&result);
  return true;
}

bool ComHostLink::RunMacro(const std::string& macro) {
  const std::wstring wide = FromAnsi(macro);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (argument.bstrVal == nullptr) return false;
  VARIANT result;
  VariantInit(&result);
  const bool ok = Invoke(kDispMacro, DISPATCH_METHOD, &argument, &result);
  VariantClear(&result);
  VariantClear(&argument);
  return ok;
}

void ComHostLink::Release() {
  if (dispatch_ != nullptr) dispatch_->Release();
  dispatch_ = nullptr;
  if (com_initialised_) CoUninitialize();
  com_initialised_ = false;
}

void ComHostLink::Abandon() {
  dispatch_ = nullptr;
  com_initialised_ = false;
}

IDispatch* ComHostLink::Detach() {
  IDispatch* dispatch = dispatch_;
  Abandon();
  return dispatch;
}
