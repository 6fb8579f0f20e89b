// The names under which the plug-in exports its entry points.
//
// Windows: the decorated names verbatim and the plain aliases, from the .def
// file. Every list of the names is made from plugin/exports.list. ELF cannot carry the decorated
// names verbatim (the linker reads '@' as a version tag), so there each decorated name is spelled
// with '?' as "$Q",
// '@' as "$A" and '$' as "$$"; ElfSpelling() and FromElfSpelling() convert
// both ways. Hosts resolve names through PluginLibrary, which applies the
// spelling, so the same decorated name works against both builds.
#pragma once

#include <string>

struct ExportName {
  const char* decorated;
  const char* plain;  // null: reachable only under the decorated name
};

// Made from exports.list, in its order.
inline constexpr ExportName kExportNames[] = {
#include "plugin/export_names.inc"
};

inline std::string ElfSpelling(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '?') {
      out += "$Q";
    } else if (c == '@') {
      out += "$A";
    } else if (c == '$') {
      out += "$$";
    } else {
      out += c;
    }
  }
  return out;
}

inline std::string FromElfSpelling(const std::string& symbol) {
  std::string out;
  for (size_t i = 0; i < symbol.size(); ++i) {
    if (symbol[i] != '$' || i + 1 == symbol.size()) {
      out += symbol[i];
      continue;
    }
    const char next = symbol[++i];
    out += next == 'Q' ? '?' : next == 'A' ? '@' : next;
  }
  return out;
}
