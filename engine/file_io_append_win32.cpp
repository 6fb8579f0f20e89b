#include <windows.h>

#include "engine/file_io_append.h"
#include "engine/plain_file_win32.h"

namespace file_io {

namespace {

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

bool AppendFile::Open(const std::string& path) {
  // Write access besides append access: a failed write is cut back with
  // SetEndOfFile, which needs it. Writes then go to the file pointer, which
  // WriteAll puts at the end first. Sharing everything keeps the file as
  // free for readers, renames and deletes as when it was closed between
  // lines. FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than its
  // target, and the attribute check below refuses it.
  const HANDLE h = CreateFileA(
      path.c_str(), FILE_APPEND_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (!IsPlainFile(h)) {
    CloseHandle(h);
    return false;
  }
  path_ = path;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  open_ = true;
  return true;
}

// Opening the path to compare file indexes would cost what holding the file
// saves, and so would GetFileInformationByHandle (under Wine it asks for the
// volume's serial number, over a millisecond per call). The path's
// attributes come without an open: a file of that name with the held file's
// creation time and size is the held file. A renamed file leaves the name
// empty or to another file. A deleted one may keep its name while our
// handle holds it (delete-pending, as on file systems without POSIX delete
// semantics): lines appended to it would vanish at our close, so such a file
// counts as gone and the name is opened anew.
bool AppendFile::StillNamed() const {
  FILE_STANDARD_INFO standard;
  FILE_BASIC_INFO basic;
  WIN32_FILE_ATTRIBUTE_DATA named;
  if (!GetFileInformationByHandleEx(AsHandle(handle_), FileStandardInfo, &standard,
                                    sizeof standard) ||
      standard.DeletePending || standard.NumberOfLinks == 0 ||
      !GetFileInformationByHandleEx(AsHandle(handle_), FileBasicInfo, &basic, sizeof basic) ||
      !GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &named)) {
    return false;
  }
  const auto created =
      static_cast<LONGLONG>((static_cast<ULONGLONG>(named.ftCreationTime.dwHighDateTime) << 32) |
                            named.ftCreationTime.dwLowDateTime);
  const auto size = static_cast<LONGLONG>((static_cast<ULONGLONG>(named.nFileSizeHigh) << 32) |
                                          named.nFileSizeLow);
  return created == basic.CreationTime.QuadPart && size == standard.EndOfFile.QuadPart;
}

// Wine keeps a deleted file under its name while any handle holds it, as
// Windows does without POSIX delete semantics, but always reports it as not
// delete-pending: a held file's deletion cannot be seen there. So under Wine
// the file is closed after every append, and a deletion takes effect at once.
bool AppendFile::CanHold() {
  static const bool under_wine =
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return !under_wine;
}

bool AppendFile::WriteAll(const std::string& bytes) {
  const HANDLE h = AsHandle(handle_);
  LARGE_INTEGER before;
  if (!GetFileSizeEx(h, &before) || !SetFilePointerEx(h, before, nullptr, FILE_BEGIN)) {
    return false;
  }
  std::string with_header;
  const std::string* out = &bytes;
  if (before.QuadPart == 0 && !header_.empty()) {
    with_header = header_ + bytes;
    out = &with_header;
  }
  const char* data = out->data();
  size_t left = out->size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) {
      // Whatever part reached the file goes again, so the next append
      // starts a line of its own.
      const DWORD error = GetLastError();
      if (SetFilePointerEx(h, before, nullptr, FILE_BEGIN)) SetEndOfFile(h);
      SetLastError(error);
      return false;
    }
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
