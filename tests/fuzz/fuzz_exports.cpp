// Fuzz target: sequences of exported calls decoded from the input, with null,
// empty, long and 8-bit texts and odd dates, run through the exported C
// functions against a fresh module per input. After every call the module
// must keep its invariants:
//  - a refused QSO is never stored (AddData0's result is the store's growth);
//  - the bad-QSO file starts with its header after a reset;
//  - the call check's indexed verdict equals a linear scan of the log;
//  - "Claimed" equals the score printed in the report.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>

#include "engine/file_io.h"
#include "engine/text.h"
#include "plugin/exports.h"
#include "plugin/module_instance.h"
#include "tests/support/fake_platform.h"
#include "tools/plugin_loader/host_calls.h"

// The exported functions under their internal names (exports.cpp is
// linked in and calls TheModule(), which answers with this input's module).
extern "C" {
std::remove_pointer_t<AddData0Fn> tzq_AddData0, tzq_RemoveData0;
std::remove_pointer_t<ResetStats0Fn> tzq_ResetStats0;
std::remove_pointer_t<CheckCall0Fn> tzq_CheckCallFunc0;
std::remove_pointer_t<RunCommand0Fn> tzq_RunCommand0;
std::remove_pointer_t<GetResult0Fn> tzq_GetResult0;
std::remove_pointer_t<setVersionFn> tzq_setVersion;
}

namespace {

std::unique_ptr<TestPlatform> g_platform;
std::unique_ptr<StatsModule> g_module;

}  // namespace

StatsModule* TheModule() {
  return g_module.get();
}

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

struct Texts {
  std::string storage[12];
  bool null[12] = {};
  const char* at(int i) const { return null[i] ? nullptr : storage[i].c_str(); }
};

std::string PickText(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
      return "";
    case 1:
      return std::string(in.ConsumeIntegralInRange<size_t>(100, 3000), 'K');
    case 2: {
      static const char* const kBands[] = {"40m", "40M", "20m", "160m", "80m", "10m", "15m"};
      return kBands[in.ConsumeIntegralInRange<int>(0, 6)];
    }
    case 3: {
      static const char* const kModes[] = {"RTTY", "BPSK31", "bpsk63", "BPSK125", "CW"};
      return kModes[in.ConsumeIntegralInRange<int>(0, 4)];
    }
    case 4: {
      static const char* const kExch[] = {"SP", "RJ",   "YL", "QRP", "LB",
                                          "yl", " sp ", "XX", "PY0F"};
      return kExch[in.ConsumeIntegralInRange<int>(0, 8)];
    }
    case 5: {
      static const char* const kCalls[] = {"PY2AA", "PY2AAA", "py2aa", "PY1ZZ", "DL1AB"};
      return kCalls[in.ConsumeIntegralInRange<int>(0, 4)];
    }
    case 6: {
      static const char* const kPrefixes[] = {"PY", "PY0F", "PY0S", "PY0T", "PY0/s", "DL"};
      return kPrefixes[in.ConsumeIntegralInRange<int>(0, 5)];
    }
    default:
      return in.ConsumeRandomLengthString(40);
  }
}

Texts PickTexts(FuzzedDataProvider& in) {
  Texts t;
  for (int i = 0; i < 12; ++i) {
    t.null[i] = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    t.storage[i] = PickText(in);
  }
  return t;
}

HostDate PickDate(FuzzedDataProvider& in) {
  HostDate d;
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      d.dt = std::nan("");
      break;
    case 1:
      d.dt = in.ConsumeFloatingPoint<double>();
      break;
    case 2:
      d.dt = 43260.0 + in.ConsumeIntegralInRange<int>(0, 4) / 1440.0;
      break;
    default:
      d.dt = 43260.5 + in.ConsumeIntegralInRange<int>(-2000, 2000) / 1440.0;
      break;
  }
  d.status = in.ConsumeIntegralInRange<int32_t>(-1, 3);
  return d;
}

int LinearVerdict(const QsoStore& store, std::string_view call, const char* band_text,
                  const char* other, std::string_view mode, std::string_view prefix,
                  std::string_view area) {
  if (band_text != nullptr && other != nullptr && !text::EqualsNoCase(band_text, other)) return 4;
  const std::string_view band = text::FromHost(band_text);
  if (!contest::MakeBandList().Contains(band)) return 4;
  for (const QsoRecord& r : store.records()) {
    if (r.call == call && r.band == band && r.mode == mode) return 0;
  }
  if (prefix != "PY" && prefix != "PY0S" && prefix != "PY0F" && prefix != "PY0T") return 2;
  for (const QsoRecord& r : store.records()) {
    if (r.band == band && r.area == area) return 1;
  }
  return 2;
}

int ReportedScore(const std::string& report) {
  const size_t text_at = report.rfind(" = ");
  if (text_at == std::string::npos) Fail("no score in the report");
  return text::LeadingInt(report.substr(text_at + 3));
}

void CheckHeader(bool reset_done) {
  if (!reset_done) return;
  std::string content;
  if (file_io::ReadAll(g_module->badQsoFileName(), &content) &&
      content.rfind("TZQ Contest UBN file\r\n", 0) != 0) {
    Fail("bad-QSO file lost its header");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::string folder =
      (std::filesystem::temp_directory_path() / ("tzq-fuzz-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(folder + "/Plugins");
  std::filesystem::current_path(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (entry.is_regular_file()) std::filesystem::remove(entry.path());
  }
  std::filesystem::remove("Plugins/TZQ.ini");
  g_platform = std::make_unique<TestPlatform>();
  g_module = std::make_unique<StatsModule>(g_platform->platform());
  FuzzedDataProvider in(data, size);
  bool reset_done = false;
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    const int op = in.ConsumeIntegralInRange<int>(0, 7);
    Texts t = PickTexts(in);
    HostDate d1 = PickDate(in), d2 = PickDate(in);
    const HostDate* date1 = in.ConsumeBool() ? &d1 : nullptr;
    switch (op) {
      case 0:
      case 1: {
        const size_t before = g_module->store().size();
        const int stored = tzq_AddData0(t.at(0), t.at(1), date1, nullptr, nullptr, nullptr, 0,
                                        in.ConsumeIntegral<unsigned>(), t.at(2), t.at(3), t.at(4),
                                        t.at(5), t.at(6), t.at(7), t.at(7), t.at(7), t.at(7),
                                        t.at(7), t.at(7), t.at(7), t.at(7), t.at(7), t.at(8), 0, 0,
                                        0, 0.0, 0.0, t.at(7), t.at(7), t.at(7), t.at(9), t.at(7));
        if (g_module->store().size() != before + static_cast<size_t>(stored)) {
          Fail("AddData0's result differs from the store's growth");
        }
        break;
      }
      case 2:
        tzq_RemoveData0(t.at(0), t.at(1), date1, nullptr, nullptr, nullptr, 0, 0, t.at(2), t.at(3),
                        t.at(4), t.at(5), t.at(6), t.at(7), t.at(7), t.at(7), t.at(7), t.at(7),
                        t.at(7), t.at(7), t.at(7), t.at(7), t.at(8), 0, 0, 0, 0.0, 0.0, t.at(7),
                        t.at(7), t.at(7), t.at(9), t.at(7));
        break;
      case 3: {
        const HostDate* date2 = in.ConsumeBool() ? &d2 : nullptr;
        CallReset(tzq_ResetStats0, in.ConsumeIntegralInRange<int>(0, 1), t.at(0), date1, date2);
        reset_done = true;
        break;
      }
      case 4: {
        char b1[8], b2[8];
        const int verdict = tzq_CheckCallFunc0(t.at(0), 0, 0, t.at(1), nullptr, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               t.at(2), 0, 0, 0, 0.0, 0.0, nullptr, nullptr,
                                               nullptr, nullptr, t.at(3), t.at(4), t.at(5), b1, b2);
        const int linear = LinearVerdict(g_module->store(), text::FromHost(t.at(0)), t.at(4),
                                         t.at(5), text::FromHost(t.at(1)), text::FromHost(t.at(2)),
                                         text::FromHost(t.at(3)));
        if (verdict != linear) Fail("indexed verdict differs from a linear scan");
        break;
      }
      case 5: {
        int out = 0;
        const std::string report = tzq_GetResult0(in.ConsumeBool() ? &out : nullptr);
        if (ReportedScore(report) != g_module->settings().Number("Claimed")) {
          Fail("Claimed differs from the reported score");
        }
        break;
      }
      case 6:
        if (tzq_RunCommand0(0, t.at(0)) == nullptr) Fail("null command reply");
        break;
      case 7:
        tzq_setVersion(t.at(0));
        break;
    }
    CheckHeader(reset_done);
  }
  g_module.reset();
  g_platform.reset();
  return 0;
}
