#include "engine/file_io.h"

#include <cerrno>
#include <cstdio>

namespace file_io {

ReadResult ReadAllChecked(const std::string& path, std::string* content) {
  content->clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content->append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) content->clear();
  return failed ? ReadResult::kFailed : ReadResult::kOk;
}

bool ReadAll(const std::string& path, std::string* content) {
  return ReadAllChecked(path, content) == ReadResult::kOk;
}

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t end = content.find('\n', pos);
    const bool last = end == std::string::npos;
    if (last) end = content.size();
    size_t stop = end;
    if (!last && stop > pos && content[stop - 1] == '\r') --stop;
    lines.emplace_back(content, pos, stop - pos);
    pos = end + 1;
  }
  return lines;
}

bool ReplaceContents(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".new";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = MoveReplacing(temp, path);
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace file_io
