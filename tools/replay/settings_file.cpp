#include "tools/replay/settings_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// The section name of a "[Name]" line, or false.
bool SectionOf(const std::string& line, std::string* name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  *name = Trim(t.substr(1, t.size() - 2));
  return true;
}

}  // namespace

std::string SetProfileKeys(const std::string& text, const std::string& section,
                           const SettingKeys& keys) {
  std::vector<std::string> lines = Lines(text);
  for (const auto& [key, value] : keys) {
    const std::string entry = key + "=" + value;
    bool in_section = false, done = false;
    size_t section_end = std::string::npos;  // insertion point for a new key
    for (size_t i = 0; i < lines.size() && !done; ++i) {
      std::string name;
      if (SectionOf(lines[i], &name)) {
        if (in_section) break;
        in_section = EqualNoCase(name, section);
        if (in_section) section_end = i + 1;
        continue;
      }
      if (!in_section) continue;
      const size_t equals = lines[i].find('=');
      if (equals != std::string::npos && EqualNoCase(Trim(lines[i].substr(0, equals)), key)) {
        lines[i] = entry;
        done = true;
      } else if (!Trim(lines[i]).empty()) {
        section_end = i + 1;
      }
    }
    if (done) continue;
    if (section_end == std::string::npos) {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    } else {
      lines.insert(lines.begin() + static_cast<long>(section_end), entry);
    }
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

bool WriteProfileKeys(const std::string& path, const std::string& section, const SettingKeys& keys,
                      std::string* error) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::ostringstream content;
      content << in.rdbuf();
      text = content.str();
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << SetProfileKeys(text, section, keys);
  out.flush();
  if (!out) {
    if (error != nullptr) *error = "cannot write " + path;
    return false;
  }
  return true;
}
