#include "tools/replay/log_notes.h"

std::string LogWarning::Describe() const {
  std::string text = file;
  if (line > 0) text += ":" + std::to_string(line);
  text += ": ";
  if (!field.empty()) text += field + ": ";
  text += message;
  if (skipped) text += " (QSO skipped)";
  return text;
}

void LogNotes::Warn(const std::string& file, int line, const std::string& field,
                    const std::string& message) {
  warnings.push_back(LogWarning{file, line, field, message, false});
}

void LogNotes::Skip(const std::string& reason, const std::string& file, int line,
                    const std::string& field, const std::string& message) {
  warnings.push_back(LogWarning{file, line, field, message, true});
  ++skipped[reason];
}

int LogNotes::SkippedCount() const {
  int total = 0;
  for (const auto& [reason, count] : skipped) total += count;
  return total;
}

std::string LogNotes::DescribeSkipped() const {
  std::string text;
  for (const auto& [reason, count] : skipped) {
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
  }
  return text;
}
