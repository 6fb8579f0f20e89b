// The exported C interface: each function turns the host's arguments into the
// module's types (a null text is an empty text, a null date a null date) and
// calls the module. No exception ever crosses into the host: a failure
// answers with the function's neutral result.
//
// The functions here carry internal names; the .def file (Windows) and
// exports_elf.cpp (Linux) give them their exported names.

#include "plugin/exports.h"

#include <exception>

#include "engine/text.h"
#include "plugin/module_instance.h"
#include "plugin/stats_module.h"

#if defined(_WIN32)
#define TZQ_INTERNAL
#else
#define TZQ_INTERNAL __attribute__((visibility("hidden")))
#endif

namespace {

// Whether the call belongs to a run of AddData calls: anything else ends the
// run and closes what the run holds open (StatsModule::EndAddRun).
enum class AddRun { kEnds, kGoesOn };

template <typename R, typename Work>
R Guarded(R fallback, Work&& work, AddRun run = AddRun::kEnds) {
  try {
    StatsModule* module = TheModule();
    if (module == nullptr) return fallback;
    if (run == AddRun::kEnds) module->EndAddRun();
    return work(*module);
  } catch (...) {
    return fallback;
  }
}

void EndAddRun() {
  Guarded(0, [](StatsModule&) { return 0; });
}

QsoArgs ToQsoArgs(TzqText own_call, TzqText call, TzqDate qso_time, unsigned freq_hz, TzqText mode,
                  TzqText rst_sent, TzqText rst_rcvd, TzqText exch_sent, TzqText exch_rcvd,
                  TzqText dx_prefix, TzqText band) {
  QsoArgs q;
  q.ownCall = text::FromHost(own_call);
  q.call = text::FromHost(call);
  q.qsoTime = COleDateTime::FromHost(qso_time);
  q.freqHz = freq_hz;
  q.mode = text::FromHost(mode);
  q.rstSent = text::FromHost(rst_sent);
  q.rstRcvd = text::FromHost(rst_rcvd);
  q.exchSent = text::FromHost(exch_sent);
  q.exchRcvd = text::FromHost(exch_rcvd);
  q.dxPrefix = text::FromHost(dx_prefix);
  q.band = text::FromHost(band);
  return q;
}

}  // namespace

extern "C" {

TZQ_INTERNAL int TZQ_CDECL tzq_AddData0(TzqText own_call, TzqText call, TzqDate qso_time, TzqDate,
                                        TzqDate, TzqDate, unsigned, unsigned freq_hz, TzqText mode,
                                        TzqText rst_sent, TzqText rst_rcvd, TzqText exch_sent,
                                        TzqText exch_rcvd, TzqText, TzqText, TzqText, TzqText,
                                        TzqText, TzqText, TzqText, TzqText, TzqText,
                                        TzqText dx_prefix, int, int, int, double, double, TzqText,
                                        TzqText, TzqText, TzqText band, TzqText) noexcept {
  return Guarded(
      0,
      [&](StatsModule& m) {
        return m.AddData(ToQsoArgs(own_call, call, qso_time, freq_hz, mode, rst_sent, rst_rcvd,
                                   exch_sent, exch_rcvd, dx_prefix, band));
      },
      AddRun::kGoesOn);
}

TZQ_INTERNAL int TZQ_CDECL tzq_RemoveData0(TzqText own_call, TzqText call, TzqDate qso_time,
                                           TzqDate, TzqDate, TzqDate, unsigned, unsigned freq_hz,
                                           TzqText mode, TzqText rst_sent, TzqText rst_rcvd,
                                           TzqText exch_sent, TzqText exch_rcvd, TzqText, TzqText,
                                           TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
                                           TzqText, TzqText dx_prefix, int, int, int, double,
                                           double, TzqText, TzqText, TzqText, TzqText band,
                                           TzqText) noexcept {
  return Guarded(1, [&](StatsModule& m) {
    return m.RemoveData(ToQsoArgs(own_call, call, qso_time, freq_hz, mode, rst_sent, rst_rcvd,
                                  exch_sent, exch_rcvd, dx_prefix, band));
  });
}

TZQ_INTERNAL int TZQ_CDECL tzq_ResetStats0(TzqText, int export_flag, TzqText own_call,
                                           TzqDate period_start, TzqDate period_end, TzqText,
                                           TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
                                           TzqText, TzqText, TzqText, int, int, int, double, double,
                                           TzqText, TzqText, TzqText) noexcept {
  return Guarded(1, [&](StatsModule& m) {
    return m.ResetStats(export_flag, text::FromHost(own_call), COleDateTime::FromHost(period_start),
                        COleDateTime::FromHost(period_end));
  });
}

TZQ_INTERNAL int TZQ_CDECL tzq_CheckCallFunc0(TzqText call, unsigned, unsigned, TzqText mode,
                                              TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
                                              TzqText, TzqText, TzqText, TzqText dx_prefix, int,
                                              int, int, double, double, TzqText, TzqText, TzqText,
                                              TzqText, TzqText area, TzqText band,
                                              TzqText other_band, char*, char*) noexcept {
  return Guarded(static_cast<int>(kVerdictNotForContest), [&](StatsModule& m) {
    CallCheckArgs args;
    args.call = text::FromHost(call);
    args.mode = text::FromHost(mode);
    args.dxPrefix = text::FromHost(dx_prefix);
    args.area = text::FromHost(area);
    args.band = band;
    args.otherBand = other_band;
    return m.CheckCall(args);
  });
}

TZQ_INTERNAL const char* TZQ_CDECL tzq_RunCommand0(int, TzqText command) noexcept {
  return Guarded<const char*>(
      "", [&](StatsModule& m) { return m.RunCommand(text::FromHost(command)); });
}

TZQ_INTERNAL const char* TZQ_CDECL tzq_GetResult0(int* out) noexcept {
  return Guarded<const char*>("", [&](StatsModule& m) { return m.GetResult(out); });
}

TZQ_INTERNAL const char* TZQ_CDECL tzq_GetSetName(int index) noexcept {
  EndAddRun();
  return index == 0 ? StatsModule::kSetName : "";
}

// Also exported as GetExchgCount0: one rule set, one exchange.
TZQ_INTERNAL int TZQ_CDECL tzq_GetNumberOfSets(void) noexcept {
  EndAddRun();
  return 1;
}

TZQ_INTERNAL int TZQ_CDECL tzq_StatsIsValidExchg0(TzqText exchange, TzqText, TzqText, TzqText, int,
                                                  int, int) noexcept {
  return Guarded(0, [&](StatsModule& m) { return m.IsValidExchg(text::FromHost(exchange)); });
}

TZQ_INTERNAL void TZQ_CDECL tzq_SetupSet0(void) noexcept {
  Guarded(0, [](StatsModule& m) {
    m.SetupSet();
    return 0;
  });
}

TZQ_INTERNAL unsigned long TZQ_CDECL tzq_setVersion(TzqText) noexcept {
  return Guarded(0ul, [](StatsModule& m) { return m.SetVersion(); });
}

}  // extern "C"
