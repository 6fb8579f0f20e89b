// FolderExecutables: HostExecutables for builds without the Win32 API. Lists
// a folder (the working folder by default) with the C library's directory
// functions and reads versions with ReadPeFileVersion. Stateless apart from
// the folder; any thread.
#pragma once

#include <string>

#include "reports/host_version.h"

class FolderExecutables : public HostExecutables {
 public:
  explicit FolderExecutables(std::string folder = std::string()) : folder_(std::move(folder)) {}
  std::vector<std::string> List() override;
  bool FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) override;

 private:
  std::string folder_;
};
