#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/file_io.h"

namespace file_io {

bool MoveReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::FILE* CreateExclusive(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) {
    close(fd);
    unlink(path.c_str());
  }
  return f;
}

void KeepPermissions(const std::string& from, std::FILE* to) {
  // lstat: a link at the name lends nothing; the rename replaces it.
  struct stat st;
  if (lstat(from.c_str(), &st) == 0 && S_ISREG(st.st_mode)) fchmod(fileno(to), st.st_mode & 0777);
}

std::FILE* OpenNotFollowing(const std::string& path) {
  // O_NONBLOCK: a FIFO at the name must not hang the reader; it is refused
  // below like every other file that is not a regular one.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) close(fd);
  return f;
}

}  // namespace file_io
