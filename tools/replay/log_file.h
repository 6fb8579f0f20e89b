// LoadLog: reads a log file and maps every contact to the host's QSO, ADIF
// or Cabrillo by the file's content. Throws InputError for a file that
// cannot be read or holds a malformed record.
#pragma once

#include <string>
#include <vector>

#include "tools/replay/replay_qso.h"

std::vector<ReplayQso> LoadLog(const std::string& path, const std::string& fallback_own_call);
