#include "tools/plugin_loader/plugin_library.h"

#include <iterator>

#include "plugin/export_names.h"

bool PluginApi::Resolve(const PluginLibrary& library, std::string* error) {
  void** slots[12] = {
      reinterpret_cast<void**>(&AddData0),       reinterpret_cast<void**>(&RemoveData0),
      reinterpret_cast<void**>(&ResetStats0),    reinterpret_cast<void**>(&CheckCall0),
      reinterpret_cast<void**>(&RunCommand0),    reinterpret_cast<void**>(&GetResult0),
      reinterpret_cast<void**>(&GetSetName),     reinterpret_cast<void**>(&GetNumberOfSets),
      reinterpret_cast<void**>(&GetExchgCount0), reinterpret_cast<void**>(&IsValidExchg0),
      reinterpret_cast<void**>(&SetupSet0),      reinterpret_cast<void**>(&setVersion)};
  // The slots follow the export list's order.
  static_assert(std::size(slots) == std::size(kExportNames), "one slot per exported name");
  for (size_t i = 0; i < std::size(slots); ++i) {
    *slots[i] = library.Resolve(kExportNames[i].decorated);
    if (*slots[i] == nullptr) {
      if (error != nullptr)
        *error = std::string("entry point not found: ") + kExportNames[i].decorated;
      return false;
    }
  }
  return true;
}
