#include <windows.h>

#include "engine/file_io_append.h"

namespace file_io {

namespace {

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

bool AppendFile::Open(const std::string& path) {
  // Append access alone makes every write go to the current end of the file,
  // wherever others have moved it. Sharing everything keeps the file as free
  // for readers, renames and deletes as when it was closed between lines.
  const HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  path_ = path;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  open_ = true;
  return true;
}

// Opening the path to compare file indexes would cost what holding the file
// saves. The path's attributes come without an open: a file of that name
// with the held file's creation time and size is the held file. A renamed or
// deleted file leaves the name empty or to another file.
bool AppendFile::StillNamed() const {
  WIN32_FILE_ATTRIBUTE_DATA named;
  BY_HANDLE_FILE_INFORMATION held;
  if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &named)) return false;
  if (!GetFileInformationByHandle(AsHandle(handle_), &held)) return false;
  return held.nNumberOfLinks > 0 &&
         CompareFileTime(&named.ftCreationTime, &held.ftCreationTime) == 0 &&
         named.nFileSizeLow == held.nFileSizeLow && named.nFileSizeHigh == held.nFileSizeHigh;
}

bool AppendFile::WriteAll(const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    if (!WriteFile(AsHandle(handle_), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

void AppendFile::Close() {
  if (!open_) return;
  CloseHandle(AsHandle(handle_));
  open_ = false;
  handle_ = -1;
}

}  // namespace file_io
