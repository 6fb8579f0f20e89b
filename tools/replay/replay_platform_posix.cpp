#include <unistd.h>

#include <climits>

#include "tools/replay/replay_platform.h"

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string program(path, static_cast<size_t>(n));
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? "." : program.substr(0, slash);
}

void UseBinaryStandardStreams() {}

struct ModalWindowAnswerer::State {};

ModalWindowAnswerer::ModalWindowAnswerer() = default;
ModalWindowAnswerer::~ModalWindowAnswerer() = default;
int ModalWindowAnswerer::answered() const {
  return 0;
}
