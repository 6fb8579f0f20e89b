#include "engine/file_io_append.h"

namespace file_io {

bool AppendFile::Append(const std::string& path, const std::string& bytes) {
  if (bytes.empty()) return true;
  if (open_ && (path != path_ || !StillNamed())) Close();
  if (!open_ && !Open(path)) return false;
  const bool written = WriteAll(bytes);
  if (!written || !CanHold()) Close();
  return written;
}

}  // namespace file_io
