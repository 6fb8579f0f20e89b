// Fuzz target: the settings-file reader and writer on arbitrary file bytes.
// The input is the file; every read must come back within its buffer, and a
// key written must read back as written without disturbing other keys.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/file_io.h"
#include "engine/settings_store_headless.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::string folder =
      (std::filesystem::temp_directory_path() / ("tzq-fuzz-ini-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(folder + "/Plugins");
  std::filesystem::current_path(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string key = in.ConsumeRandomLengthString(12);
  std::string value = in.ConsumeRandomLengthString(120);
  const std::string file = in.ConsumeRemainingBytesAsString();
  if (!file_io::ReplaceContents("Plugins/TZQ.ini", file)) Fail("cannot write the test file");

  IniFileStore store;
  Settings settings(store);
  for (const char* k : {"Start", "Name", "SoapBox", "area_x", ""}) {
    if (settings.Text(k).size() > 99) Fail("a read exceeded its buffer");
    settings.WholeText(k);
    settings.Number(k);
  }
  // Keys and values that a profile file can carry unchanged on one line.
  auto one_line = [](const std::string& s) {
    for (char c : s) {
      if (text::IsSpace(c) || c == '\0') return false;
    }
    return s.find_first_of("=[];\"'") == std::string::npos && !s.empty();
  };
  if (!one_line(key) || !one_line(value)) return 0;
  const std::string other_before = settings.WholeText(key == "Other" ? "Another" : "Other");
  if (!settings.Put(key, value)) Fail("write failed");
  if (settings.WholeText(key) != value) Fail("a written key does not read back");
  if (settings.WholeText(key == "Other" ? "Another" : "Other") != other_before) {
    Fail("a write changed another key");
  }
  return 0;
}
