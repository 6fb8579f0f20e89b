// How a log's fields become the plug-in's QSO argument list. The plug-in
// judges the contact; these rules only translate the log writer's spelling
// into the host's, and never decide whether a contact counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/replay/adif_reader.h"
#include "tools/replay/replay_qso.h"

// The host's mode name for an ADIF MODE and SUBMODE: "RTTY", "BPSK31",
// "BPSK63" or "BPSK125" for the contest's modes in any of their ADIF
// spellings; any other mode as written (the SUBMODE when there is one), so
// the plug-in refuses it with its own reason.
std::string HostModeOfAdif(std::string_view mode, std::string_view submode);
// The host's mode name for a Cabrillo mode code (RY, PS, PM, PO); other
// codes as written.
std::string HostModeOfCabrillo(std::string_view code);

// The ADIF band name ("40m") of a frequency in hertz; "" outside every band.
std::string BandOfFrequency(uint64_t hz);

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

// One ADIF record as the host's QSO. The own call comes from
// STATION_CALLSIGN, else OPERATOR, else `fallback_own_call`. Throws
// InputError (file, line, field) for a missing required field (CALL,
// QSO_DATE, TIME_ON, MODE, and BAND or FREQ) or a malformed value.
ReplayQso MapAdifRecord(const AdifRecord& record, const std::string& file,
                        const std::string& fallback_own_call);
