// PluginLibrary: loads the plug-in by file name and resolves its entry points
// by exported name, as the host does: LoadLibraryA/GetProcAddress in Windows
// builds, dlopen/dlsym in Linux builds, where decorated names are looked up
// in their ELF spelling (plugin/export_names.h). Every native host (tests,
// the replay tool, benchmarks) goes through this one loader. One thread.
#pragma once

#include <string>

#include "plugin/exports.h"

class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary() { Close(); }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool Open(const std::string& path, std::string* error);
  void Close();
  bool isOpen() const { return handle_ != nullptr; }

  // The address exported under `name` (decorated or plain), or null.
  void* Resolve(const std::string& name) const;

  template <typename Fn>
  Fn Get(const std::string& name) const {
    return reinterpret_cast<Fn>(Resolve(name));
  }

  // The file name of the plug-in built beside this program.
  static std::string DefaultFileName();

 private:
  void* handle_ = nullptr;
};

// The version a plug-in file states in its report's credit line
// (engine/version.h), read from the file without loading it: loading would
// run the plug-in's start-up, and asking it would take a scored report. ""
// when the file cannot be read or states none (not this plug-in).
std::string StatedPluginVersion(const std::string& path);

// Every entry point of the plug-in, resolved by its decorated name.
struct PluginApi {
  AddData0Fn AddData0 = nullptr;
  RemoveData0Fn RemoveData0 = nullptr;
  ResetStats0Fn ResetStats0 = nullptr;
  CheckCall0Fn CheckCall0 = nullptr;
  RunCommand0Fn RunCommand0 = nullptr;
  GetResult0Fn GetResult0 = nullptr;
  GetSetNameFn GetSetName = nullptr;
  GetNumberOfSetsFn GetNumberOfSets = nullptr;
  GetExchgCount0Fn GetExchgCount0 = nullptr;
  IsValidExchg0Fn IsValidExchg0 = nullptr;
  SetupSet0Fn SetupSet0 = nullptr;
  setVersionFn setVersion = nullptr;

  // False (naming the first missing entry point in `error`) unless every
  // name resolves.
  bool Resolve(const PluginLibrary& library, std::string* error);
};
