#include "tools/replay/log_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/text.h"
#include "tools/replay/adif_reader.h"
#include "tools/replay/cabrillo_reader.h"
#include "tools/replay/input_error.h"

namespace {

// Reads in pieces to the end, never asking the size: a pipe has none, and a
// device or a sparse file gives one that says nothing about the log. The
// bound keeps an endless source (/dev/zero) or a huge file from taking all
// memory.
std::string ReadBounded(std::istream& in, const std::string& path) {
  std::string bytes;
  std::vector<char> piece(1 << 16);
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const size_t got = static_cast<size_t>(in.gcount());
    if (bytes.size() + got > kMaxLogBytes) {
      throw InputError(
          path, 0, "",
          "larger than a log may be (" + std::to_string(kMaxLogBytes >> 20) + " MiB); not read");
    }
    bytes.append(piece.data(), got);
  }
  if (in.bad()) throw InputError(path, 0, "", "read error");
  return bytes;
}

std::string ReadWhole(const std::string& path, std::istream& standard_input) {
  if (path == "-") return ReadBounded(standard_input, path);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw InputError(path, 0, "", "is a folder, not a log file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path, 0, "", std::string("cannot read: ") + std::strerror(errno));
  return ReadBounded(in, path);
}

// Record ends, counted before reading so that the QSO list is allocated
// once: each growth moves every QSO read so far into fresh memory. Data
// holding "<eor>" only overcounts.
size_t RecordEnds(std::string_view bytes) {
  size_t count = 0;
  for (size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
    count += text::EqualsNoCase(bytes.substr(at, 5), "<eor>") ? 1 : 0;
  }
  return count;
}

}  // namespace

LogReading ReadLogs(const std::vector<std::string>& paths, const LogReadOptions& options,
                    std::istream& standard_input) {
  LogReading reading;
  for (const std::string& path : paths) {
    const std::string bytes = ReadWhole(path, standard_input);
    if (LooksLikeCabrillo(bytes)) {
      reading.cabrilloHeader = ReadCabrilloHeader(bytes);
      std::vector<ReplayQso> qsos = ReadCabrillo(bytes, path, options.rules, &reading.notes);
      std::move(qsos.begin(), qsos.end(), std::back_inserter(reading.qsos));
    } else {
      // Grown in doubling steps, so that many files do not move the
      // earlier ones again for each.
      const size_t need = reading.qsos.size() + RecordEnds(bytes);
      if (need > reading.qsos.capacity()) {
        reading.qsos.reserve(std::max(need, 2 * reading.qsos.capacity()));
      }
      VisitAdif(bytes, path, [&](const AdifRecord& record) {
        ReplayQso qso;
        if (MapAdifRecord(record, path, options.rules, &qso, &reading.notes)) {
          reading.qsos.push_back(std::move(qso));
        }
      });
    }
    if (options.strict && !reading.notes.warnings.empty()) {
      const LogWarning& w = reading.notes.warnings.front();
      throw InputError(w.file, w.line, w.field, w.message + " (--strict)");
    }
  }
  if (paths.size() > 1) {
    std::stable_sort(reading.qsos.begin(), reading.qsos.end(),
                     [](const ReplayQso& a, const ReplayQso& b) { return a.stamp < b.stamp; });
  }
  return reading;
}

int KeepPeriod(std::vector<ReplayQso>* qsos, int64_t first, int64_t last) {
  const size_t before = qsos->size();
  qsos->erase(std::remove_if(qsos->begin(), qsos->end(),
                             [&](const ReplayQso& q) { return q.stamp < first || q.stamp > last; }),
              qsos->end());
  return static_cast<int>(before - qsos->size());
}

bool LogPeriod(const std::vector<ReplayQso>& qsos, int64_t* first, int64_t* last) {
  if (qsos.empty()) return false;
  int low = qsos.front().date, high = low;
  for (const ReplayQso& q : qsos) {
    low = std::min(low, q.date);
    high = std::max(high, q.date);
  }
  *first = static_cast<int64_t>(low) * 1000000;
  *last = static_cast<int64_t>(high) * 1000000 + 235959;
  return true;
}

const ReplayQso* FirstOwnCall(const std::vector<ReplayQso>& qsos) {
  for (const ReplayQso& q : qsos) {
    if (!q.ownCall.empty()) return &q;
  }
  return nullptr;
}
