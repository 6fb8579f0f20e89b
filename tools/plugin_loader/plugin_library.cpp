#include "tools/plugin_loader/plugin_library.h"

#include <fstream>
#include <iterator>

#include "engine/version.h"
#include "plugin/export_names.h"

std::string StatedPluginVersion(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  const std::string lead = TZQ_PRODUCT_NAME " (Stats.dll) version ";
  const size_t at = content.find(lead);
  if (at == std::string::npos) return std::string();
  const size_t start = at + lead.size();
  size_t end = start;
  while (end < content.size() &&
         ((content[end] >= '0' && content[end] <= '9') || content[end] == '.')) {
    ++end;
  }
  return content.substr(start, end - start);
}

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
