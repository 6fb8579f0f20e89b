#include "engine/plugin_instance_win32.h"

HINSTANCE PluginInstance() {
  // The module that holds this very function, whatever its file name.
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&PluginInstance), &module);
  return module;
}
