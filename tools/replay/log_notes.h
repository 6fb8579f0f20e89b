// LogNotes: what reading a log had to say besides its QSOs: warnings (each
// naming file, line and field), records skipped by reason, and the counts of
// values the reading had to supply. Filled by the readers and the mapping on
// one thread; plain data afterwards.
#pragma once

#include <map>
#include <string>
#include <vector>

struct LogWarning {
  std::string file;
  int line = 0;
  std::string field;  // empty when no single field is concerned
  std::string message;
  bool skipped = false;  // the record was left out because of it

  // "FILE:LINE: FIELD: message", with " (QSO skipped)" for a skipped record.
  std::string Describe() const;
};

struct LogNotes {
  std::vector<LogWarning> warnings;
  // Skipped records by reason ("no MODE", "NUL byte", "bad date", ...).
  std::map<std::string, int> skipped;
  int bandEdgeFrequencies = 0;  // BAND without FREQ: the band's lower edge was passed
  int genericDigital = 0;       // "digital" without a contest mode (no --dg-mode)

  void Warn(const std::string& file, int line, const std::string& field,
            const std::string& message);
  void Skip(const std::string& reason, const std::string& file, int line, const std::string& field,
            const std::string& message);
  int SkippedCount() const;
  // "2 skipped (1 no MODE, 1 NUL byte)"-style list of the reasons, or "".
  std::string DescribeSkipped() const;
};
