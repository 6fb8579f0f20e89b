// ComHostLink: the host link through COM automation: the object registered
// as "Kolm2.Application" in the running object table, called through
// IDispatch::Invoke by DISPID only (2 frequency, 8 field text, 16 macro).
// One per window thread, used on that thread only.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "engine/platform.h"

class ComHostLink : public HostLink {
 public:
  static constexpr const wchar_t* kProgId = L"Kolm2.Application";
  static constexpr DISPID kDispFrequency = 2;
  static constexpr DISPID kDispField = 8;
  static constexpr DISPID kDispMacro = 16;
  static constexpr LONG kCallField = 5;  // the entry field that holds the callsign

  ComHostLink() = default;
  ~ComHostLink() override;
  ComHostLink(const ComHostLink&) = delete;
  ComHostLink& operator=(const ComHostLink&) = delete;

  bool Attach() override;
  bool attached() const override { return dispatch_ != nullptr; }
  bool Frequency(double* hertz) override;
  bool TypedCall(std::string* call) override;
  bool RunMacro(const std::string& macro) override;
  void Release() override;
  void Abandon() override;
  // Forgets the link without releasing it: the caller now owns the host
  // object's reference, and this thread's COM initialisation is left for
  // the thread's end. Null when the link is not attached.
  IDispatch* Detach();

 private:
  bool Invoke(DISPID id, WORD flags, VARIANT* argument, VARIANT* result);

  IDispatch* dispatch_ = nullptr;
  bool com_initialised_ = false;
};
