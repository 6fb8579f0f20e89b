#include "tools/check/report_name.h"

#include <set>

#include "engine/text.h"
#include "reports/cabrillo_file_name.h"

std::string ReportBaseName(const std::string& call) {
  std::string base = cabrillo::FileBaseName(call);
  if (!base.empty() && base[0] == '.') base.insert(0, "_");
  if (base.size() > kMaxReportBaseBytes) {
    size_t cut = kMaxReportBaseBytes;
    // Not inside a UTF-8 sequence: its continuation bytes are 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
    base.resize(cut);
  }
  return base;
}

std::vector<std::string> UniqueReportStems(const std::vector<std::string>& calls) {
  std::vector<std::string> stems;
  std::set<std::string> taken = {"RESULTS"};  // upper case
  for (const std::string& call : calls) {
    const std::string base = ReportBaseName(call);
    std::string stem = base;
    for (int n = 2; !taken.insert(text::ToUpper(stem)).second; ++n) {
      stem = base + "-" + std::to_string(n);
    }
    stems.push_back(stem);
  }
  return stems;
}
