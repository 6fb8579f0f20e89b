// AppendFile: one text file held open for appending across many calls, so
// that a run of appends costs one open instead of one per call. Every
// Append reaches the operating system before it returns (one write call, no
// buffer of our own), so a process that dies keeps every line appended
// before. Others may read, rename and delete the file while it is held;
// before each write the object checks that the path still names the file it
// holds and opens it again when not, so the bytes always land in a file of
// that name.
// The file only ever holds whole appends: a write that fails or stops short
// (a full disk) is cut back to the length the file had before it. A link at
// the path (a symbolic link; a reparse point on Windows) or anything but a
// regular file is never opened, so the bytes cannot be sent elsewhere. A
// file that an append finds empty (it had to be created, or was emptied)
// gets the header first, as the owner of the format would have written it.
// Owned by one user; not for concurrent use.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace file_io {

class AppendFile {
 public:
  // `header`: the bytes an empty file starts with ("" for none).
  explicit AppendFile(std::string header = std::string()) : header_(std::move(header)) {}
  ~AppendFile() { Close(); }
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Appends `bytes` at the end of the file named `path` with one write,
  // creating the file when absent; holds it open afterwards. A failed write
  // is undone, closes the file (the next call opens it again) and answers
  // false; so does a path that names a link or no regular file.
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
  // Writes at the end (after the header when the file is empty); undoes a
  // write that did not complete.
  bool WriteAll(const std::string& bytes);

  std::string header_;
  std::string path_;
  bool open_ = false;
  // The platform's handle and what identifies the file behind it.
  std::intptr_t handle_ = -1;
  std::uint64_t device_ = 0, inode_ = 0;
};

}  // namespace file_io
