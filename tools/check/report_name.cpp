#include "tools/check/report_name.h"

#include <cstring>
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

bool IsReportFileName(const std::string& name) {
  // Nothing that names another folder or drive ("C:x.html" on Windows), and
  // only what ReportBaseName leaves: the list of a run's reports is a file
  // in the output folder that anyone may have edited.
  if (name.empty() || name[0] == '.' || text::EqualsNoCase(name, "results.html")) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("/\\<>:\"|?*", c) != nullptr) {
      return false;
    }
  }
  for (const char* extension : {kReportExtension, kPageExtension}) {
    const std::string ext = extension;
    if (name.size() > ext.size() && text::EndsWith(name, ext)) return true;
  }
  return false;
}
