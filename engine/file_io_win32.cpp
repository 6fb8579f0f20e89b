#include <windows.h>
// After windows.h:
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>

#include "engine/file_io.h"
#include "engine/plain_file_win32.h"

namespace file_io {

namespace {

// The C library's view of why CreateFileA failed, so that callers read
// errno on every platform.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

bool MoveReplacing(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  errno = ErrnoOf(GetLastError());
  return false;
}

std::FILE* CreateExclusive(const std::string& path) {
  // CREATE_NEW fails on any existing name, a link included, so nothing
  // planted at the name is ever opened.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(GetLastError());
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    DeleteFileA(path.c_str());
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) {
    _close(fd);
    DeleteFileA(path.c_str());
  }
  return f;
}

// The attribute tag comes cheaply; GetFileInformationByHandle would ask for
// the volume's serial number too, over a millisecond per call under Wine.
bool IsPlainFile(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  return GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
         (tag.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
         GetFileType(h) == FILE_TYPE_DISK;
}

void KeepPermissions(const std::string&, std::FILE*) {}

std::FILE* OpenNotFollowing(const std::string& path) {
  // A link opened as itself carries FILE_ATTRIBUTE_REPARSE_POINT; its
  // target is never opened.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ErrnoOf(GetLastError());
    return nullptr;
  }
  if (!IsPlainFile(handle)) {
    CloseHandle(handle);
    errno = EINVAL;
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "rb");
  if (f == nullptr) _close(fd);
  return f;
}

}  // namespace file_io
