#include "engine/file_io.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>

namespace file_io {

namespace {

ReadResult ReadOpened(std::FILE* f, std::string* content) {
  if (f == nullptr) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content->append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) content->clear();
  return failed ? ReadResult::kFailed : ReadResult::kOk;
}

}  // namespace

ReadResult ReadAllChecked(const std::string& path, std::string* content) {
  content->clear();
  return ReadOpened(std::fopen(path.c_str(), "rb"), content);
}

ReadResult ReadAllNotFollowing(const std::string& path, std::string* content) {
  content->clear();
  return ReadOpened(OpenNotFollowing(path), content);
}

bool ReadAll(const std::string& path, std::string* content) {
  return ReadAllChecked(path, content) == ReadResult::kOk;
}

std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t end = content.find('\n', pos);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

uint64_t SystemRandomBits() {
  // One unpredictable seed per process; the counter makes every call
  // differ, also across threads, without a lock.
  static const uint64_t seed = [] {
    uint64_t bits =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
      std::random_device device;
      bits ^= (static_cast<uint64_t>(device()) << 32) ^ device();
    } catch (...) {
      // No random device: the clock alone still makes names differ per run.
    }
    return bits;
  }();
  static std::atomic<uint64_t> counter{0};
  // splitmix64: spreads consecutive counter values over all bits.
  uint64_t z = seed + 0x9e3779b97f4a7c15ull * (counter.fetch_add(1) + 1);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

std::string TempNameFor(const std::string& path, uint64_t bits) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = path + ".";
  for (int i = 0; i < 6; ++i) {
    name += kAlphabet[bits % 62];
    bits /= 62;
  }
  return name;
}

bool ReplaceContents(const std::string& path, const std::string& bytes) {
  return ReplaceContents(path, bytes, SystemRandomBits);
}

bool ReplaceContents(const std::string& path, const std::string& bytes, const RandomBits& random) {
  // A taken name is tried again with fresh bits; any other failure to
  // create is final (no folder, no right to write).
  constexpr int kAttempts = 100;
  std::string temp;
  std::FILE* f = nullptr;
  for (int attempt = 0; attempt < kAttempts && f == nullptr; ++attempt) {
    temp = TempNameFor(path, random());
    f = CreateExclusive(temp);
    if (f == nullptr && errno != EEXIST) return false;
  }
  if (f == nullptr) return false;
  KeepPermissions(path, f);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = MoveReplacing(temp, path);
  if (!ok) {
    // The caller reports why the write failed, not how the clean-up went.
    const int error = errno;
    std::remove(temp.c_str());
    errno = error;
  }
  return ok;
}

}  // namespace file_io
