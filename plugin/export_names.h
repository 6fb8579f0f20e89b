// The names under which the plug-in exports its entry points.
//
// Windows: the decorated names verbatim and the plain aliases, from the .def
// file. ELF cannot carry the decorated names verbatim (the linker reads '@' as
// a version tag), so there each decorated name is spelled with '?' as "$Q",
// '@' as "$A" and '$' as "$$"; ElfSpelling() and FromElfSpelling() convert
// both ways. Hosts resolve names through PluginLibrary, which applies the
// spelling, so the same decorated name works against both builds.
#pragma once

#include <string>

struct ExportName {
  const char* decorated;
  const char* plain;  // null: reachable only under the decorated name
};

inline constexpr ExportName kExportNames[12] = {
    {"?AddData0@@YAHPBD0PAVCOleDateTime@@111II000000000000000HHHNN00000@Z", "AddData0"},
    {"?RemoveData0@@YAHPBD0PAVCOleDateTime@@111II000000000000000HHHNN00000@Z", "RemoveData0"},
    {"?ResetStats0@@YAHPBDH0PAVCOleDateTime@@10000000000HHHNN000@Z", "ResetStats0"},
    {"?CheckCallFunc0@@YAHPBDII00000000000HHHNN0000000PAD1@Z", "CheckCall0"},
    {"?RunCommand0@@YAPBDHPBD@Z", nullptr},
    {"?GetResult0@@YAPBDPAH@Z", "GetResult0"},
    {"?GetSetName@@YAPBDH@Z", "GetSetName"},
    {"?GetNumberOfSets@@YAHXZ", "GetNumberOfSets"},
    {"?StatsGetExchgCount0@@YAHPBD00@Z", "GetExchgCount0"},
    {"?StatsIsValidExchg0@@YAHPBD000HHH@Z", "IsValidExchg0"},
    {"?SetupSet0@@YAXXZ", "SetupSet0"},
    {"?setVersion@@YAKPBD@Z", "setVersion"},
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
