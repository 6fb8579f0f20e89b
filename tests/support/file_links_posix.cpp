#include <unistd.h>

#include "tests/support/file_links.h"

bool PlantLink(const std::string& target, const std::string& link) {
  return symlink(target.c_str(), link.c_str()) == 0;
}
