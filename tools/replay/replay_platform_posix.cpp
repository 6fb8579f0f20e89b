#include <unistd.h>

#include <climits>
#include <cstdio>

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

bool FinishStandardOutput() {
  // The descriptor, not the stream, is closed: the C++ streams flush
  // stdout once more at exit, which then has nothing left to write.
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  return close(STDOUT_FILENO) == 0 && flushed;
}

struct ModalWindowAnswerer::State {};

ModalWindowAnswerer::ModalWindowAnswerer() = default;
ModalWindowAnswerer::~ModalWindowAnswerer() = default;
int ModalWindowAnswerer::answered() const {
  return 0;
}
