#include <windows.h>

#include "engine/file_io.h"

namespace file_io {

bool MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace file_io
