// AppendFile: one text file held open for appending across many calls, so
// that a run of appends costs one open instead of one per call. Every
// Append reaches the operating system before it returns (one write call, no
// buffer of our own), so a process that dies keeps every line appended
// before. Others may read, rename and delete the file while it is held;
// before each write the object checks that the path still names the file it
// holds and opens it again when not, so the bytes always land in a file of
// that name. Owned by one user; not for concurrent use.
#pragma once

#include <cstdint>
#include <string>

namespace file_io {

class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile() { Close(); }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Appends `bytes` at the end of the file named `path` with one write,
  // creating the file when absent; holds it open afterwards. A failed write
  // closes the file (the next call opens it again) and answers false.
  bool Append(const std::string& path, const std::string& bytes);
  void Close();
  bool isOpen() const { return open_; }

 private:
  bool Open(const std::string& path);
  // True when `path_` still names the held file.
  bool StillNamed() const;
  // False where a held file's deletion cannot be seen: the file is then
  // closed after each append.
  static bool CanHold();
  bool WriteAll(const std::string& bytes);

  std::string path_;
  bool open_ = false;
  // The platform's handle and what identifies the file behind it.
  std::intptr_t handle_ = -1;
  std::uint64_t device_ = 0, inode_ = 0;
};

}  // namespace file_io
