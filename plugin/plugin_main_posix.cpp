// Composition root of the Linux shared library: the headless platform and the
// module, created when the library is loaded and destroyed when it is
// unloaded.

#include <cstdlib>

#include "engine/message_boxes_headless.h"
#include "engine/settings_store_headless.h"
#include "host/host_link_headless.h"
#include "plugin/module_instance.h"
#include "plugin/stats_module.h"
#include "reports/header_dialog_headless.h"
#include "reports/host_executables_headless.h"
#include "ui/window_layer_headless.h"

namespace {

struct Plugin {
  IniFileStore settings;
  RecordingMessageBoxes boxes;
  ScriptedHeaderDialog headerDialog;
  // No host program runs beside this build: the windows work as the DLL's
  // do when the host offers no automation object.
  ScriptedHost host;
  HeadlessWindowLayer windows{[this] { return host.NewLink(); }};
  FolderExecutables executables;
  StatsModule module{Platform{&settings, &boxes, &headerDialog, &windows, &executables}};

  Plugin() {
    windows.Bind(&module);
    headerDialog.SetStandingEdit([](CabrilloDialogFields* fields) {
      const char* category = std::getenv(kHeaderDialogCategoryVariable);
      if (category != nullptr && *category != '\0') fields->category = category;
    });
  }
};

Plugin* g_plugin = nullptr;

__attribute__((constructor)) void LoadPlugin() {
  g_plugin = new Plugin();
}

__attribute__((destructor)) void UnloadPlugin() {
  Plugin* plugin = g_plugin;
  g_plugin = nullptr;
  if (plugin == nullptr) return;
  try {
    plugin->windows.BeginUnload(false);
    plugin->module.Stop();
  } catch (...) {
  }
  delete plugin;
}

}  // namespace

StatsModule* TheModule() {
  return g_plugin != nullptr ? &g_plugin->module : nullptr;
}
