#include "tools/check/written_list.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/file_io.h"

namespace {

// Says what the file is to whoever opens it, and marks it as ours.
constexpr const char* kFirstLine =
    "# tzq-check: the station reports its last run wrote into this folder; the next run "
    "removes those it does not write again";

// 100,000 stations of two files with names of at most some 80 bytes take
// 16 MB; a larger file is none of ours.
constexpr size_t kMaxListBytes = 32u << 20;

std::string ListPath(const std::string& folder) {
  return (std::filesystem::path(folder) / kWrittenListName).string();
}

}  // namespace

std::vector<std::string> ReadWrittenList(const std::string& folder) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(file_io::OpenNotFollowing(ListPath(folder)),
                                                    &std::fclose);
  if (!f) return {};
  std::string content;
  char buf[65536];
  for (size_t n;
       content.size() <= kMaxListBytes && (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) {
    content.append(buf, n);
  }
  if (std::ferror(f.get()) || content.size() > kMaxListBytes) return {};
  const std::vector<std::string_view> lines = file_io::SplitLines(content);
  if (lines.empty() || lines[0] != kFirstLine) return {};
  std::vector<std::string> names;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty()) names.emplace_back(lines[i]);
  }
  return names;
}

bool WriteWrittenList(const std::string& folder, const std::vector<std::string>& names) {
  std::string bytes = std::string(kFirstLine) + "\n";
  for (const std::string& name : names) bytes += name + "\n";
  return file_io::ReplaceContents(ListPath(folder), bytes);
}
