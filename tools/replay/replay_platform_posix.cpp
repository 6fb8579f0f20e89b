#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "reports/header_dialog_headless.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/replay_platform.h"

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string program(path, static_cast<size_t>(n));
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? "." : program.substr(0, slash);
}

std::string DefaultPluginPath() {
  const std::filesystem::path folder = ProgramFolder(), name = PluginLibrary::DefaultFileName();
  const std::string beside = (folder / name).string();
  // The program's folder has no symbolic links (the kernel resolved them),
  // so ".." may be taken away by the text alone.
  const std::string installed =
      (folder / TZQ_PLUGIN_FROM_PROGRAM / name).lexically_normal().string();
  return access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0 ? installed
                                                                                   : beside;
}

void UseBinaryStandardStreams() {}

bool FinishStandardOutput() {
  // The descriptor, not the stream, is closed: the C++ streams flush
  // stdout once more at exit, which then has nothing left to write.
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  return close(STDOUT_FILENO) == 0 && flushed;
}

struct ModalWindowAnswerer::State {};

ModalWindowAnswerer::ModalWindowAnswerer(const std::string& category) : state_(new State) {
  // Unset when there is no category, so that a value left in the user's
  // environment picks nothing.
  if (category.empty()) {
    unsetenv(kHeaderDialogCategoryVariable);
  } else {
    setenv(kHeaderDialogCategoryVariable, category.c_str(), 1);
  }
}

ModalWindowAnswerer::~ModalWindowAnswerer() {
  unsetenv(kHeaderDialogCategoryVariable);
}

int ModalWindowAnswerer::answered() const {
  return 0;
}
