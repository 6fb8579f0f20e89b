// A plug-in entry point that does nothing, with AddData0's 33 arguments: the
// floor for what a call through the exported interface costs.
#include "plugin/exports.h"

extern "C" __attribute__((visibility("default"))) int NoOpData0(
    TzqText, TzqText, TzqDate, TzqDate, TzqDate, TzqDate, unsigned, unsigned, TzqText, TzqText,
    TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
    TzqText, TzqText, TzqText, int, int, int, double, double, TzqText, TzqText, TzqText, TzqText,
    TzqText) {
  return 1;
}
