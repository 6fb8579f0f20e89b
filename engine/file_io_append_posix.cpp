#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/file_io_append.h"

namespace file_io {

bool AppendFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return false;
  }
  path_ = path;
  handle_ = fd;
  device_ = static_cast<std::uint64_t>(st.st_dev);
  inode_ = static_cast<std::uint64_t>(st.st_ino);
  open_ = true;
  return true;
}

// The held descriptor keeps its inode alive, so no other file can take its
// number meanwhile: equal device and inode mean the very same file.
bool AppendFile::StillNamed() const {
  struct stat st;
  return ::stat(path_.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_dev) == device_ &&
         static_cast<std::uint64_t>(st.st_ino) == inode_;
}

// A deleted file leaves its name at once here, which StillNamed sees.
bool AppendFile::CanHold() {
  return true;
}

bool AppendFile::WriteAll(const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  // One write in practice; a short write (a signal, a nearly full disk)
  // goes on where it stopped.
  while (left > 0) {
    const ssize_t n = ::write(static_cast<int>(handle_), data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

void AppendFile::Close() {
  if (!open_) return;
  ::close(static_cast<int>(handle_));
  open_ = false;
  handle_ = -1;
}

}  // namespace file_io
