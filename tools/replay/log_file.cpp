#include "tools/replay/log_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/replay/adif_reader.h"
#include "tools/replay/cabrillo_reader.h"
#include "tools/replay/input_error.h"
#include "tools/replay/qso_mapping.h"

std::vector<ReplayQso> LoadLog(const std::string& path, const std::string& fallback_own_call) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw InputError(path, 0, "", "is a folder, not a log file");
  }
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw InputError(path, 0, "", std::string("cannot read: ") + std::strerror(errno));
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
  if (!in) throw InputError(path, 0, "", "read error");

  if (LooksLikeCabrillo(bytes)) return ReadCabrillo(bytes, path);

  std::vector<ReplayQso> qsos;
  VisitAdif(bytes, path, [&](const AdifRecord& record) {
    qsos.push_back(MapAdifRecord(record, path, fallback_own_call));
  });
  return qsos;
}
