// Composition root of Stats.dll: the Win32 platform and the module, created
// in DLL_PROCESS_ATTACH and destroyed in DLL_PROCESS_DETACH.

#include <windows.h>

#include "engine/message_boxes_win32.h"
#include "engine/settings_store_win32.h"
#include "plugin/module_instance.h"
#include "plugin/stats_module.h"
#include "reports/host_executables_win32.h"
#include "ui/cabrillo_header_dialog_win32.h"
#include "ui/window_layer_win32.h"

namespace {

struct Plugin {
  ProfileSettingsStore settings;
  Win32MessageBoxes boxes;
  CabrilloHeaderDialog headerDialog;
  Win32WindowLayer windows;
  Win32Executables executables;
  StatsModule module{Platform{&settings, &boxes, &headerDialog, &windows, &executables}};

  Plugin() { windows.Bind(&module); }
};

Plugin* g_plugin = nullptr;

}  // namespace

StatsModule* TheModule() {
  return g_plugin ? &g_plugin->module : nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  try {
    if (reason == DLL_PROCESS_ATTACH) {
      g_plugin = new Plugin();
    } else if (reason == DLL_PROCESS_DETACH && g_plugin != nullptr) {
      Plugin* plugin = g_plugin;
      // The loader lock is held here. The windows close without anyone
      // waiting on a thread handle; at process exit (reserved set) the
      // window thread is gone already and nothing waits at all.
      plugin->windows.BeginUnload(reserved != nullptr);
      plugin->module.Stop();
      g_plugin = nullptr;
      delete plugin;
    }
  } catch (...) {
    // Loading always succeeds; a failure here leaves the module absent and
    // every export answers with its neutral result.
  }
  return TRUE;
}
