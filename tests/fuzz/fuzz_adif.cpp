// Fuzz target: the replay tool's ADIF reader on arbitrary bytes. It either
// rejects the file with an InputError or returns records whose fields, when
// written out again as ADIF, read back as the same records.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/replay/adif_reader.h"
#include "tools/replay/input_error.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

std::string Write(const AdifLog& log) {
  std::string out = log.hasHeader ? "header <EOH>\n" : "";
  for (const AdifRecord& record : log.records) {
    for (const AdifField& field : record.fields) {
      out += "<" + field.name + ":" + std::to_string(field.value.size()) + ">" + field.value + " ";
    }
    out += "<EOR>\n";
  }
  return out;
}

bool Same(const AdifLog& a, const AdifLog& b) {
  if (a.records.size() != b.records.size()) return false;
  for (size_t i = 0; i < a.records.size(); ++i) {
    const auto& x = a.records[i].fields;
    const auto& y = b.records[i].fields;
    if (x.size() != y.size()) return false;
    for (size_t j = 0; j < x.size(); ++j) {
      if (x[j].name != y[j].name || x[j].value != y[j].value) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  AdifLog log;
  try {
    log = ReadAdif(bytes, "fuzz.adi");
  } catch (const InputError& error) {
    if (error.Describe().empty()) Fail("an error without a description");
    return 0;
  }
  size_t total = 0;
  for (const AdifRecord& record : log.records) {
    for (const AdifField& field : record.fields) total += field.value.size();
  }
  if (total > size) Fail("fields hold more bytes than the file");
  AdifLog again;
  try {
    again = ReadAdif(Write(log), "again.adi");
  } catch (const InputError&) {
    Fail("a written log does not read back");
  }
  if (!Same(log, again)) Fail("a written log reads back differently");
  return 0;
}
