// Calling the plug-in's exported functions the way the host does: a host-side
// OLE date (the first 12 bytes of COleDateTime) and one function per long
// exported call that fills the positions the plug-in ignores with harmless
// values. The replay and check tools, the tests and the benchmarks all call
// the plug-in through these.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/ole_date.h"
#include "plugin/exports.h"

// The host's date object; only its first 12 bytes belong to the contract.
struct HostDate {
  double dt = 0.0;
  int32_t status = 0;
  int32_t padding = 0;

  static HostDate At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    const COleDateTime t = COleDateTime::FromCalendar(y, mo, d, h, mi, s);
    return HostDate{t.days(), 0, 0};
  }
  static HostDate Null() { return HostDate{0.0, 2, 0}; }
  static HostDate Invalid() { return HostDate{0.0, 1, 0}; }
};
static_assert(sizeof(HostDate) == 16, "COleDateTime layout");

// One QSO as the host passes it. Null members are passed as null pointers.
struct HostQso {
  const char* ownCall = "PY2AA";
  const char* call = "PY1ZZ";
  const HostDate* time = nullptr;
  unsigned freqHz = 7035000;
  const char* mode = "RTTY";
  const char* rstSent = "599";
  const char* rstRcvd = "599";
  const char* exchSent = "SP";
  const char* exchRcvd = "RJ";
  const char* dxPrefix = "PY";
  const char* band = "40m";
};

template <typename Fn>
int CallQso(Fn fn, const HostQso& q) {
  const char* x = "ignored";
  return fn(q.ownCall, q.call, q.time, nullptr, nullptr, nullptr, 0u, q.freqHz, q.mode, q.rstSent,
            q.rstRcvd, q.exchSent, q.exchRcvd, x, x, x, x, x, x, x, x, x, q.dxPrefix, 0, 0, 0, 0.0,
            0.0, x, x, x, q.band, x);
}

template <typename Fn>
int CallReset(Fn fn, int export_flag, const char* own_call, const HostDate* start,
              const HostDate* end) {
  const char* x = "ignored";
  return fn(x, export_flag, own_call, start, end, x, x, x, x, x, x, x, x, x, x, 0, 0, 0, 0.0, 0.0,
            x, x, x);
}

struct HostCallCheck {
  const char* call = "PY1ZZ";
  const char* mode = "RTTY";
  const char* dxPrefix = "PY";
  const char* area = "RJ";
  const char* band = "40m";
  const char* otherBand = nullptr;
};

template <typename Fn>
int CallCheck(Fn fn, const HostCallCheck& c) {
  const char* x = "ignored";
  char buffer1[64] = "untouched", buffer2[64] = "untouched";
  return fn(c.call, 0u, 0u, c.mode, x, x, x, x, x, x, x, x, x, c.dxPrefix, 0, 0, 0, 0.0, 0.0, x, x,
            x, x, c.area, c.band, c.otherBand, buffer1, buffer2);
}
