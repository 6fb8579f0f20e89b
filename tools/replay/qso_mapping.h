// How a log's fields become the plug-in's QSO argument list. The plug-in
// judges the contact; these rules only translate the log writer's spelling
// into the host's, and never decide whether a contact counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/replay/adif_reader.h"
#include "tools/replay/log_notes.h"
#include "tools/replay/replay_qso.h"

// What the command line adds to the mapping.
struct MappingRules {
  std::string fallbackOwnCall;  // --call: for records that name no own call
  std::string dgMode;           // --dg-mode: contest mode for "digital", or ""
};

// The host's mode name for an ADIF MODE and SUBMODE: "RTTY", "BPSK31",
// "BPSK63" or "BPSK125" for the contest's modes in any of their ADIF
// spellings and letter cases; any other mode as written (the SUBMODE when
// there is one), so the plug-in refuses it with its own reason.
std::string HostModeOfAdif(std::string_view mode, std::string_view submode);
// The host's mode name for a Cabrillo mode code (RY, PS, PM, PO); other
// codes as written.
std::string HostModeOfCabrillo(std::string_view code);
// A contest mode name in any letter case or ADIF spelling as the host's
// ("bpsk63", "PSK63" -> "BPSK63"); "" for any other mode.
std::string ContestMode(std::string_view mode);
// True for the mode names that only say "digital": Cabrillo's DG and what
// loggers write for it (DIGI, DIGITAL, DATA), in any letter case.
bool IsGenericDigital(std::string_view mode);

// The ADIF band name ("40m") of a frequency in hertz; "" outside every band.
std::string BandOfFrequency(uint64_t hz);
// A band name in the host's spelling ("20M", " 20m" -> "20m"); a name that
// is no ADIF band stays as written (trimmed) for the plug-in to judge.
std::string HostBand(std::string_view band);
// The lower edge of an ADIF band in hertz; 0 for an unknown band.
uint64_t BandEdgeHz(std::string_view band);

// The part of a compound callsign that says where the station is: "PY0F" in
// PY0F/PY2AA and PY2AA/PY0F, the home call in PY2AA/P; of two equally short
// parts the first.
std::string_view LocationPart(std::string_view call);

// The country prefix the host would determine: "PY0F", "PY0S", "PY0T" for
// the islands, "PY" for the rest of Brazil, otherwise "DX" (by callsign) or
// the entity's prefix (by DXCC number, "DX" for entities not listed).
std::string PrefixOfCall(std::string_view call);
std::string PrefixOfDxcc(int entity);
bool IsBrazilianPrefix(std::string_view prefix);

// A decimal number of megahertz ("7.0355") in hertz, rounded to the nearest
// hertz (halves up). False when `text` is not such a number.
bool ParseMegahertz(std::string_view text, uint64_t* hz);
// "YYYYMMDD" and "HHMM" or "HHMMSS"; false when not a real date or time.
bool ParseAdifDate(std::string_view text, int* year, int* month, int* day);
bool ParseAdifTime(std::string_view text, int* hour, int* minute, int* second);

// One ADIF record as the host's QSO. Values are trimmed, calls upper-cased,
// band and mode put in the host's spelling. The own call comes from
// STATION_CALLSIGN, else OPERATOR, else the rules' fallback. A record that
// cannot be scored (a required field missing or empty, a NUL byte or a line
// break inside a value that is used, a date or time that does not exist, a
// frequency the host cannot pass) is skipped: false, with its reason and warning in `notes`.
// Lesser faults (a field given twice, a DXCC that is no number) are warned
// about and the record is mapped.
bool MapAdifRecord(const AdifRecord& record, const std::string& file, const MappingRules& rules,
                   ReplayQso* qso, LogNotes* notes);
