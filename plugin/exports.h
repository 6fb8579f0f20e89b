// The plug-in's exported C interface, as the host calls it: cdecl functions
// taking 8-bit NUL-terminated texts, integers, doubles and pointers to the
// host's OLE dates (COleDateTime; only its first 12 bytes are read).
//
// Hosts look the functions up by name. Each is exported under the name the
// 32-bit Microsoft compiler gives its C++ declaration and, all but
// RunCommand0, under a plain alias (see export_names.h for the list and for
// the spelling of the decorated names in the ELF build). The typedefs below
// are what a host casts the looked-up addresses to.
#pragma once

#if defined(_WIN32)
#define TZQ_CDECL __cdecl
#else
#define TZQ_CDECL
#endif

typedef const char* TzqText;
typedef const void* TzqDate;  // points at the host's COleDateTime

extern "C" {

typedef int(TZQ_CDECL* AddData0Fn)(TzqText own_call, TzqText call, TzqDate qso_time, TzqDate,
                                   TzqDate, TzqDate, unsigned, unsigned freq_hz, TzqText mode,
                                   TzqText rst_sent, TzqText rst_rcvd, TzqText exch_sent,
                                   TzqText exch_rcvd, TzqText, TzqText, TzqText, TzqText, TzqText,
                                   TzqText, TzqText, TzqText, TzqText, TzqText dx_prefix, int, int,
                                   int, double, double, TzqText, TzqText, TzqText, TzqText band,
                                   TzqText);
typedef AddData0Fn RemoveData0Fn;
typedef int(TZQ_CDECL* ResetStats0Fn)(TzqText, int export_flag, TzqText own_call,
                                      TzqDate period_start, TzqDate period_end, TzqText, TzqText,
                                      TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
                                      TzqText, int, int, int, double, double, TzqText, TzqText,
                                      TzqText);
typedef int(TZQ_CDECL* CheckCall0Fn)(TzqText call, unsigned, unsigned, TzqText mode, TzqText,
                                     TzqText, TzqText, TzqText, TzqText, TzqText, TzqText, TzqText,
                                     TzqText, TzqText dx_prefix, int, int, int, double, double,
                                     TzqText, TzqText, TzqText, TzqText, TzqText area, TzqText band,
                                     TzqText other_band, char*, char*);
typedef const char*(TZQ_CDECL* RunCommand0Fn)(int, TzqText command);
typedef const char*(TZQ_CDECL* GetResult0Fn)(int* out);
typedef const char*(TZQ_CDECL* GetSetNameFn)(int index);
typedef int(TZQ_CDECL* GetNumberOfSetsFn)(void);
typedef int(TZQ_CDECL* GetExchgCount0Fn)(TzqText, TzqText, TzqText);
typedef int(TZQ_CDECL* IsValidExchg0Fn)(TzqText exchange, TzqText, TzqText, TzqText, int, int, int);
typedef void(TZQ_CDECL* SetupSet0Fn)(void);
typedef unsigned long(TZQ_CDECL* setVersionFn)(TzqText);

}  // extern "C"
