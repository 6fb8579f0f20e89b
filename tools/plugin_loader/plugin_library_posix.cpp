#include <dlfcn.h>

#include "plugin/export_names.h"
#include "tools/plugin_loader/plugin_library.h"

bool PluginLibrary::Open(const std::string& path, std::string* error) {
  Close();
  // A bare file name would make dlopen search the system paths; the host
  // means the file itself.
  const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr && error != nullptr) {
    const char* reason = dlerror();
    *error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
  }
  return handle_ != nullptr;
}

void PluginLibrary::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

void* PluginLibrary::Resolve(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, ElfSpelling(name).c_str());
}

std::string PluginLibrary::DefaultFileName() {
  return "Stats.so";
}
