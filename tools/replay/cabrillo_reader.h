// ReadCabrillo: the QSO lines of a Cabrillo 3.0 log as the host's QSOs.
//   QSO: freq mo date time mycall sent... call rcvd... [t]
// freq in kHz, mo a Cabrillo mode code (RY, PS, PM, PO for the contest's
// modes), date YYYY-MM-DD, time HHMM. The sent and received columns come in
// equal numbers: the first is the report, the rest the exchange (a single
// column is the exchange alone); a trailing odd column is the transmitter
// number and is dropped. The band comes from the frequency, the country
// prefix from the worked call, calls are upper-cased.
// A log's QSO lines share one layout: the number of columns most of them
// have. A line with more or fewer (a column left out shifts every column
// after it), a worked call that is no callsign, a date, time or frequency
// that cannot be, a NUL byte or a CR inside the line skips that line with
// a warning in `notes`. Blanks are white space as text::IsSpace has it.
// A file that ends before END-OF-LOG or has QSO lines after it throws
// InputError with file and line.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/replay/log_notes.h"
#include "tools/replay/qso_mapping.h"
#include "tools/replay/replay_qso.h"

// True when the first non-blank line (after a UTF-8 byte-order mark) is a
// START-OF-LOG tag.
bool LooksLikeCabrillo(std::string_view bytes);

// The header of a Cabrillo log: each tag (upper case) before the first QSO
// or END-OF-LOG line with its value (blanks around it left out); a tag
// given twice keeps its last value. Empty for bytes that are no Cabrillo
// log.
std::map<std::string, std::string> ReadCabrilloHeader(std::string_view bytes);

std::vector<ReplayQso> ReadCabrillo(std::string_view bytes, const std::string& file,
                                    const MappingRules& rules, LogNotes* notes);
