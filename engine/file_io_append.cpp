#include "engine/file_io_append.h"

namespace file_io {

bool AppendFile::Append(const std::string& path, const std::string& bytes) {
  if (bytes.empty()) return true;
  if (open_ && (path != path_ || !StillNamed())) Close();
  if (!open_ && !Open(path)) return false;
  if (WriteAll(bytes)) return true;
  Close();
  return false;
}

}  // namespace file_io
