#include "reports/host_executables_headless.h"

#include <dirent.h>

#include <algorithm>

#include "engine/file_io.h"
#include "reports/pe_version.h"

std::vector<std::string> FolderExecutables::List() {
  std::vector<std::string> names;
  DIR* dir = opendir(folder_.empty() ? "." : folder_.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    // "*.exe" matches without regard to letter case, as on Windows.
    if (name.size() > 4) {
      std::string ext = name.substr(name.size() - 4);
      for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      if (ext == ".exe") names.push_back(name);
    }
  }
  closedir(dir);
  // readdir's order is arbitrary; a sorted listing is what NTFS gives.
  std::sort(names.begin(), names.end());
  return names;
}

bool FolderExecutables::FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) {
  std::string image;
  const std::string path = folder_.empty() ? name : folder_ + "/" + name;
  return file_io::ReadAll(path, &image) && ReadPeFileVersion(image, ms, ls);
}
