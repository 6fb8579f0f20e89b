#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/file_io_append.h"

namespace file_io {

bool AppendFile::Open(const std::string& path) {
  // O_NOFOLLOW: a link planted at the name fails the open instead of
  // sending the lines into its target. O_NONBLOCK keeps a FIFO planted there
  // from blocking the caller; the type check below refuses it.
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
// number meanwhile: equal device and inode mean the very same file. lstat:
// a link put in the file's place is another inode, and the reopen that
// follows refuses it.
bool AppendFile::StillNamed() const {
  struct stat st;
  return ::lstat(path_.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_dev) == device_ &&
         static_cast<std::uint64_t>(st.st_ino) == inode_;
}

// A deleted file leaves its name at once here, which StillNamed sees.
bool AppendFile::CanHold() {
  return true;
}

bool AppendFile::WriteAll(const std::string& bytes) {
  const int fd = static_cast<int>(handle_);
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  // O_APPEND writes land at the end, which is the size now: one writer.
  const off_t before = st.st_size;
  std::string with_header;
  const std::string* out = &bytes;
  if (before == 0 && !header_.empty()) {
    with_header = header_ + bytes;
    out = &with_header;
  }
  const char* data = out->data();
  size_t left = out->size();
  // One write in practice; a short write (a signal, a nearly full disk)
  // goes on where it stopped.
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Whatever part reached the file goes again, so the next append
      // starts a line of its own. The caller hears of the write, not of
      // the cut.
      const int error = n < 0 ? errno : ENOSPC;
      while (::ftruncate(fd, before) != 0 && errno == EINTR) {
      }
      errno = error;
      return false;
    }
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
