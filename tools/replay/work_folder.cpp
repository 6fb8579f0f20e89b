#include "tools/replay/work_folder.h"

#include <filesystem>

#include "engine/file_io.h"

namespace fs = std::filesystem;

bool WorkFolder::Create(const std::string& parent, std::string* error) {
  Remove();
  // create_directory answers true only for a folder it made: a taken name
  // (whatever lies there, a link included) is tried again with new bits.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = file_io::TempNameFor((fs::path(parent) / ".tzq-work").string(),
                                                    file_io::SystemRandomBits());
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      fs::permissions(candidate, fs::perms::owner_all, ec);
      path_ = candidate.string();
      if (!fs::create_directory(candidate / "Plugins", ec)) {
        *error = "cannot create " + (candidate / "Plugins").string() +
                 (ec ? ": " + ec.message() : std::string());
        Remove();
        return false;
      }
      return true;
    }
    if (ec) {
      *error = "cannot create a work folder in " + parent + ": " + ec.message();
      return false;
    }
  }
  *error = "cannot create a work folder in " + parent + ": every name tried was taken";
  return false;
}

void WorkFolder::Remove() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  path_.clear();
}
