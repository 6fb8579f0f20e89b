// Win32Executables: HostExecutables through FindFirstFileA and the version
// API, in the working folder. Stateless; any thread.
#pragma once

#include "reports/host_version.h"

class Win32Executables : public HostExecutables {
 public:
  std::vector<std::string> List() override;
  bool FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) override;
};
