#include "tests/support/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "engine/file_io.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  previous_ = fs::current_path().string();
  std::random_device seed;
  std::mt19937_64 random(
      seed() ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        fs::temp_directory_path() / ("tzq-test-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      fs::create_directory(candidate / "Plugins");
      fs::current_path(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::current_path(previous_, error);
  fs::remove_all(path_, error);
}

std::string TempFolder::Read(const std::string& name) const {
  std::string content;
  file_io::ReadAll(path_ + "/" + name, &content);
  return content;
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
  std::FILE* f = std::fopen((path_ + "/" + name).c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot write " + name);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

bool TempFolder::Exists(const std::string& name) const {
  return fs::exists(path_ + "/" + name);
}

std::string TestDataPath(const std::string& name) {
  return std::string(TZQ_SOURCE_DIR) + "/tests/data/" + name;
}
