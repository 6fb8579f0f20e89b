#include "engine/settings_store_headless.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "engine/file_io.h"
#include "engine/text.h"

namespace {

std::mutex& FileLock() {
  static std::mutex lock;
  return lock;
}

struct Line {
  std::string raw;
  bool is_section = false;
  std::string name;   // section name or key, trimmed
  std::string value;  // trimmed value of a key line
};

std::vector<Line> Parse(const std::string& content) {
  std::vector<Line> lines;
  for (std::string_view raw : file_io::SplitLines(content)) {
    Line line;
    line.raw = std::string(raw);
    std::string_view t = text::Trim(raw);
    if (!t.empty() && t.front() == '[') {
      const size_t close = t.find(']');
      line.is_section = true;
      line.name = std::string(text::Trim(
          t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
    } else if (const size_t eq = t.find('='); eq != std::string_view::npos) {
      line.name = std::string(text::Trim(t.substr(0, eq)));
      line.value = std::string(text::Trim(t.substr(eq + 1)));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Index of the section header line, or -1.
long FindSection(const std::vector<Line>& lines, const std::string& section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].is_section && text::EqualsNoCase(lines[i].name, section))
      return static_cast<long>(i);
  }
  return -1;
}

}  // namespace

std::string IniFileStore::PathOf(const std::string& file) const {
  std::string path = file;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!root_.empty() && (path.empty() || path[0] != '/')) path = root_ + "/" + path;
  return path;
}

std::string IniFileStore::Read(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& fallback,
                               size_t capacity) {
  // Like GetPrivateProfileStringA, the default loses its trailing blanks
  // (all but a first character).
  std::string value = fallback;
  while (value.size() > 1 && value.back() == ' ') value.pop_back();
  {
    std::lock_guard<std::mutex> guard(FileLock());
    std::string content;
    if (file_io::ReadAll(PathOf(file), &content)) {
      const std::vector<Line> lines = Parse(content);
      const long start = FindSection(lines, section);
      for (size_t i = start < 0 ? lines.size() : static_cast<size_t>(start) + 1;
           i < lines.size() && !lines[i].is_section; ++i) {
        if (!lines[i].name.empty() && text::EqualsNoCase(lines[i].name, key)) {
          value = lines[i].value;
          if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
              value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
          }
          break;
        }
      }
    }
  }
  if (capacity > 0 && value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

bool IniFileStore::Write(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> guard(FileLock());
  const std::string path = PathOf(file);
  std::string content;
  file_io::ReadAll(path, &content);
  std::vector<Line> lines = Parse(content);
  const std::string entry = key + "=" + value;

  const long start = FindSection(lines, section);
  if (start < 0) {
    if (!lines.empty() && !text::Trim(lines.back().raw).empty()) lines.push_back(Line{});
    lines.push_back(Line{"[" + section + "]", true, section, {}});
    lines.push_back(Line{entry, false, key, value});
  } else {
    size_t i = static_cast<size_t>(start) + 1;
    size_t last_entry = static_cast<size_t>(start);
    bool replaced = false;
    for (; i < lines.size() && !lines[i].is_section; ++i) {
      if (!lines[i].name.empty() && text::EqualsNoCase(lines[i].name, key)) {
        lines[i] = Line{entry, false, key, value};
        replaced = true;
        break;
      }
      if (!text::Trim(lines[i].raw).empty()) last_entry = i;
    }
    if (!replaced) {
      lines.insert(lines.begin() + static_cast<long>(last_entry) + 1,
                   Line{entry, false, key, value});
    }
  }

  std::string out;
  for (const Line& line : lines) out.append(line.raw).append("\r\n");
  return file_io::ReplaceContents(path, out);
}
