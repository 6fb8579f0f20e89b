#include "tools/replay/settings_file.h"

#include <filesystem>

#include "engine/file_io.h"
#include "tools/replay/input_error.h"

namespace fs = std::filesystem;

std::string ReadSettingsFile(const std::string& path, std::string* target) {
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(path, ec);
  const fs::file_status file = fs::status(path, ec);
  if (fs::is_symlink(link) && !fs::exists(file)) {
    throw InputError(path, 0, "--settings", "a link to nothing; give the settings file itself");
  }
  if (fs::exists(file) && !fs::is_regular_file(file)) {
    throw InputError(path, 0, "--settings",
                     "not a regular file (a folder, a device or a FIFO); give a settings file");
  }
  // The target of a link, so that the write-back updates it rather than
  // replacing the link with a copy.
  *target = fs::exists(file) ? fs::canonical(path, ec).string() : fs::absolute(path, ec).string();
  if (ec) throw InputError(path, 0, "--settings", "cannot resolve the path: " + ec.message());
  std::string content;
  if (file_io::ReadAllChecked(*target, &content) == file_io::ReadResult::kFailed) {
    throw InputError(path, 0, "--settings", "cannot read the settings file");
  }
  return content;
}

bool WriteSettingsFile(const std::string& target, const std::string& content) {
  return file_io::ReplaceContents(target, content);
}
