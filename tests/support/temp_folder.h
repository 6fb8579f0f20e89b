// TempFolder: a fresh folder for one test, made the working folder while the
// object lives (the plug-in names its files without a folder) and removed
// afterwards. Creates the "Plugins" subfolder that holds the settings file.
// One per test; not for concurrent use.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }

  // Whole contents of a file in the folder ("" when missing).
  std::string Read(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
  std::string previous_;
};

// The folder that holds committed test data (tests/data).
std::string TestDataPath(const std::string& name);
