#include <cstdio>

#include "engine/file_io.h"

namespace file_io {

bool MoveReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace file_io
