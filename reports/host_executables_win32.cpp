#include "reports/host_executables_win32.h"

#include <windows.h>

#include <vector>

std::vector<std::string> Win32Executables::List() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("*.exe", &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

bool Win32Executables::FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) {
  // The version API searches a bare name like LoadLibrary does (the host's
  // own folder first); the file meant is the one listed in the working folder.
  char folder[MAX_PATH] = "";
  const DWORD folder_length = GetCurrentDirectoryA(MAX_PATH, folder);
  if (folder_length == 0 || folder_length >= MAX_PATH) return false;
  const std::string path = std::string(folder) + "\\" + name;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buffer(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(buffer.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  *ms = fixed->dwFileVersionMS;
  *ls = fixed->dwFileVersionLS;
  return true;
}
