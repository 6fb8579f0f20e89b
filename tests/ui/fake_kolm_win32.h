// FakeKolm: a stand-in for the host program's automation object, living in
// the test host's main thread (a single-threaded apartment that the test
// pumps). It answers DISPID 2 (frequency), 8 (entry field) and 16 (macro)
// as the test sets it and records every call. Register() makes it findable
// the way the plug-in looks for the host: CLSIDFromProgID("Kolm2.Application")
// and GetActiveObject.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

class FakeKolm : public IDispatch {
 public:
  static const CLSID kClsid;

  FakeKolm() = default;
  FakeKolm(const FakeKolm&) = delete;
  FakeKolm& operator=(const FakeKolm&) = delete;

  // On the thread that will serve the calls, after CoInitialize.
  bool Register(std::string* error);
  void Revoke();

  // Back to a quiet host: 7.035 MHz, empty entry field, nothing failing,
  // no delay, no records.
  void Reset();
  void SetFrequency(double hertz) { hertz_ = hertz; }
  void SetTypedCall(const std::wstring& call) { typed_ = call; }
  // The entry field answers with something that is not text.
  void SetFieldIsText(bool text) { field_is_text_ = text; }
  void SetFailing(DISPID id, bool failing);
  // Every call takes this long before it answers.
  void SetDelay(DWORD ms) { delay_ms_ = ms; }

  const std::vector<std::string>& macros() const { return macros_; }
  int Count(DISPID id) const;
  // What the last field call asked for.
  long lastField() const { return last_field_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;

 private:
  LONG references_ = 1;  // a static object: never freed
  DWORD cookie_ = 0;
  double hertz_ = 7035000.0;
  std::wstring typed_;
  bool field_is_text_ = true;
  std::vector<DISPID> failing_;
  DWORD delay_ms_ = 0;
  std::vector<std::string> macros_;
  std::vector<DISPID> calls_;
  long last_field_ = -1;
};
