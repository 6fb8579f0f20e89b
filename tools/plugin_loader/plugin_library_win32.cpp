#include <windows.h>

#include "tools/plugin_loader/plugin_library.h"

bool PluginLibrary::Open(const std::string& path, std::string* error) {
  Close();
  handle_ = LoadLibraryA(path.c_str());
  if (handle_ == nullptr && error != nullptr) {
    *error = "cannot load " + path + ": error " + std::to_string(GetLastError());
  }
  return handle_ != nullptr;
}

void PluginLibrary::Close() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

void* PluginLibrary::Resolve(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

std::string PluginLibrary::DefaultFileName() {
  return "Stats.dll";
}
