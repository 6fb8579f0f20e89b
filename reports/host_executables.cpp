#include "reports/host_version.h"

#include "engine/text.h"

std::string HostVersionText(HostExecutables& executables) {
  for (const std::string& name : executables.List()) {
    if (name.find("Kolm") == std::string::npos) continue;
    uint32_t ms = 0, ls = 0;
    if (!executables.FileVersion(name, &ms, &ls)) return std::string();
    const unsigned major = ms >> 16, minor = ms & 0xFFFF, build = ls >> 16;
    return major == 2 ? text::Format("%u.%u", major, minor)
                      : text::Format("%u.%u.%u", major, minor, build);
  }
  return std::string();
}
