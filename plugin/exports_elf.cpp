// Exported names of the Linux build: the plain aliases as they are and the
// decorated names in the spelling of export_names.h, each an alias of an
// exported function. (The Windows build takes its names from the .def file
// made from the same list, exports.list.)

// An alias must be defined in the translation unit of its target, so this
// file compiles the exported functions themselves and adds their names.
#include "plugin/exports.cpp"  // NOLINT(build/include)

// Only addresses matter to an alias; every alias takes its target's type.
#define TZQ_EXPORT_AS(name, target)                            \
  extern "C" decltype(target) tzq_export_##name __asm__(#name) \
      __attribute__((alias(#target), visibility("default")));
#define TZQ_EXPORT_DECORATED(id, spelled, target)                 \
  extern "C" decltype(target) tzq_decorated_##id __asm__(spelled) \
      __attribute__((alias(#target), visibility("default")));

// One line per name, made from exports.list.
#include "plugin/export_aliases.inc"
