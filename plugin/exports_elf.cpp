// Exported names of the Linux build: the plain aliases as they are and the
// decorated names in the spelling of export_names.h, each an alias of an
// exported function. (The Windows build takes its names from Stats.def.)

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

TZQ_EXPORT_AS(AddData0, tzq_AddData0)
TZQ_EXPORT_AS(RemoveData0, tzq_RemoveData0)
TZQ_EXPORT_AS(ResetStats0, tzq_ResetStats0)
TZQ_EXPORT_AS(CheckCall0, tzq_CheckCallFunc0)
TZQ_EXPORT_AS(GetResult0, tzq_GetResult0)
TZQ_EXPORT_AS(GetSetName, tzq_GetSetName)
TZQ_EXPORT_AS(GetNumberOfSets, tzq_GetNumberOfSets)
TZQ_EXPORT_AS(GetExchgCount0, tzq_GetNumberOfSets)
TZQ_EXPORT_AS(IsValidExchg0, tzq_StatsIsValidExchg0)
TZQ_EXPORT_AS(SetupSet0, tzq_SetupSet0)
TZQ_EXPORT_AS(setVersion, tzq_setVersion)

TZQ_EXPORT_DECORATED(1, "$QAddData0$A$AYAHPBD0PAVCOleDateTime$A$A111II000000000000000HHHNN00000$AZ",
                     tzq_AddData0)
TZQ_EXPORT_DECORATED(2,
                     "$QRemoveData0$A$AYAHPBD0PAVCOleDateTime$A$A111II000000000000000HHHNN00000$AZ",
                     tzq_RemoveData0)
TZQ_EXPORT_DECORATED(3, "$QResetStats0$A$AYAHPBDH0PAVCOleDateTime$A$A10000000000HHHNN000$AZ",
                     tzq_ResetStats0)
TZQ_EXPORT_DECORATED(4, "$QCheckCallFunc0$A$AYAHPBDII00000000000HHHNN0000000PAD1$AZ",
                     tzq_CheckCallFunc0)
TZQ_EXPORT_DECORATED(5, "$QRunCommand0$A$AYAPBDHPBD$AZ", tzq_RunCommand0)
TZQ_EXPORT_DECORATED(6, "$QGetResult0$A$AYAPBDPAH$AZ", tzq_GetResult0)
TZQ_EXPORT_DECORATED(7, "$QGetSetName$A$AYAPBDH$AZ", tzq_GetSetName)
TZQ_EXPORT_DECORATED(8, "$QGetNumberOfSets$A$AYAHXZ", tzq_GetNumberOfSets)
TZQ_EXPORT_DECORATED(9, "$QStatsGetExchgCount0$A$AYAHPBD00$AZ", tzq_GetNumberOfSets)
TZQ_EXPORT_DECORATED(10, "$QStatsIsValidExchg0$A$AYAHPBD000HHH$AZ", tzq_StatsIsValidExchg0)
TZQ_EXPORT_DECORATED(11, "$QSetupSet0$A$AYAXXZ", tzq_SetupSet0)
TZQ_EXPORT_DECORATED(12, "$QsetVersion$A$AYAKPBD$AZ", tzq_setVersion)
