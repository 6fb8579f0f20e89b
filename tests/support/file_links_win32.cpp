#include <windows.h>

#include "tests/support/file_links.h"

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

bool PlantLink(const std::string& target, const std::string& link) {
  // Unprivileged links need developer mode on Windows; Wine makes a Unix
  // symbolic link either way.
  const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (!CreateSymbolicLinkA(link.c_str(), target.c_str(), flags) &&
      !CreateSymbolicLinkA(link.c_str(), target.c_str(), 0)) {
    return false;
  }
  // A link that does not show up at its name was not made.
  return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}
