// HostExecutables: the executables in the host's working folder and their
// file versions, for the Cabrillo "CREATED-BY" line. The DLL lists with
// FindFirstFileA and reads versions with GetFileVersionInfoA/VerQueryValueA;
// the headless build lists the folder itself and reads the version resource
// out of the PE file (pe_version.h), so both builds write the same line.
// Called on the host's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HostExecutables {
 public:
  virtual ~HostExecutables() = default;
  // Names (without folder) of the files matching "*.exe" in the working
  // folder, in the order the file system gives them.
  virtual std::vector<std::string> List() = 0;
  // The fixed file information's version words; false when there is none.
  virtual bool FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) = 0;
};

// "major.minor" for a major version of 2, else "major.minor.build", from the
// first listed executable whose name contains "Kolm"; empty when none
// matches or it has no readable version.
std::string HostVersionText(HostExecutables& executables);
