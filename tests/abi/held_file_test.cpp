// The bad-QSO file as the plug-in holds it open during a run of AddData0
// calls: other processes read it meanwhile, a host killed in the middle of
// the run keeps every line of the adds that returned, any other entry
// point closes it, and a file deleted during the run comes back with its
// header.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kBadQsoFile = "BadQSO_StatsTZQ_10_06_2018.txt";
const std::string kPluginPath = (fs::current_path() / PluginLibrary::DefaultFileName()).string();
const std::string kChildPath = (fs::current_path() / TZQ_ADD_RUN_CHILD).string();

// The file after the first `count` adds of tzq_add_run_child.
std::string FileAfter(int count) {
  std::string text = "TZQ Contest UBN file\r\n";
  for (int i = 0; i < count; ++i) {
    text += "QSO:  7035  RTTY  2018-06-09 1200  PY2AA  599  SP  C" + std::to_string(i) +
            "  599  RJ   WRONG BAND !!!\r\n";
  }
  return text;
}

TEST(HeldFileTest, ReadableDuringTheRunAndKeptWhenTheHostIsKilled) {
  TempFolder folder;
  folder.Write("Plugins/TZQ.ini", "[Settings]\r\nStart=1\r\n");
  ChildProcess child;
  ASSERT_TRUE(child.Start(kChildPath, {kPluginPath, folder.path()}));
  int returned = 0;
  std::string line;
  while (returned < 300 && child.ReadLine(&line)) returned = std::stoi(line);
  ASSERT_EQ(returned, 300);

  // The child goes on adding while this process opens and reads the file.
  std::string expected = FileAfter(returned);
  EXPECT_EQ(folder.Read(kBadQsoFile).substr(0, expected.size()), expected);

  child.Kill();
  while (child.ReadLine(&line)) returned = std::stoi(line);
  expected = FileAfter(returned);
  const std::string kept = folder.Read(kBadQsoFile);
  EXPECT_EQ(kept.substr(0, expected.size()), expected);
  // At most the line of an add that had not returned yet follows.
  EXPECT_LE(kept.size(), FileAfter(returned + 1).size());
}

// Moved away or deleted between two adds (a user tidying the folder): the
// add that has to create the file again writes the header first, so the
// report still counts the refusal it holds.
TEST(HeldFileTest, AnAddThatCreatesTheFileWritesTheHeaderFirst) {
  PluginLibrary library;
  PluginApi api;
  std::string error;
  ASSERT_TRUE(library.Open(kPluginPath, &error) && api.Resolve(library, &error)) << error;
  TempFolder folder;
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  const HostDate when = HostDate::At(2018, 6, 9, 12, 0, 0);
  HostQso refused;
  refused.time = &when;
  refused.band = "160m";
  refused.freqHz = 1838000;
  // Deleting a file still held open needs the plug-in to see the delete
  // pending where the system keeps the name until the last close (Windows,
  // Wine); moving it away does not.
  const std::pair<const char*, std::function<void(const std::string&)>> ways[] = {
      {"moved away", [](const std::string& path) { fs::rename(path, path + ".old"); }},
      {"deleted", [](const std::string& path) { fs::remove(path); }},
  };
  for (const auto& [way, act] : ways) {
    SCOPED_TRACE(way);
    // "Start" is a one-shot: set again, so that no reset opens the windows,
    // whose thread this test has no business with.
    folder.Write("Plugins/TZQ.ini", "[Settings]\r\nStart=1\r\n");
    CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
    refused.call = "PY1AA";
    CallQso(api.AddData0, refused);
    act(folder.path() + "/" + kBadQsoFile);
    refused.call = "PY1AB";
    CallQso(api.AddData0, refused);
    EXPECT_EQ(folder.Read(kBadQsoFile),
              "TZQ Contest UBN file\r\n"
              "QSO:  1838  RTTY  2018-06-09 1200  PY2AA  599  SP  PY1AB  599  RJ   WRONG BAND "
              "!!!\r\n");
    const std::string report = api.GetResult0(nullptr);
    EXPECT_NE(report.find("Bad QSO\t 1"), std::string::npos) << report;
  }
}

#if defined(__linux__)
// Whether this process has the file open.
bool Holds(const std::string& path) {
  const fs::path target = fs::canonical(path);
  for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (fs::read_symlink(fd.path(), ec) == target) return true;
  }
  return false;
}

TEST(HeldFileTest, EveryOtherEntryPointEndsTheRun) {
  PluginLibrary library;
  PluginApi api;
  std::string error;
  ASSERT_TRUE(library.Open(kPluginPath, &error) && api.Resolve(library, &error)) << error;
  TempFolder folder;
  folder.Write("Plugins/TZQ.ini", "[Settings]\r\nStart=1\r\n");
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  const HostDate when = HostDate::At(2018, 6, 9, 12, 0, 0);
  HostQso refused;
  refused.time = &when;
  refused.band = "160m";

  const std::pair<const char*, std::function<void()>> calls[] = {
      {"ResetStats0", [&] { CallReset(api.ResetStats0, 0, "PY2AA", &start, &end); }},
      {"RemoveData0", [&] { CallQso(api.RemoveData0, refused); }},
      {"CheckCall0", [&] { CallCheck(api.CheckCall0, HostCallCheck()); }},
      {"RunCommand0", [&] { api.RunCommand0(0, "NOTHING"); }},
      {"GetResult0", [&] { api.GetResult0(nullptr); }},
      {"GetSetName", [&] { api.GetSetName(0); }},
      {"GetNumberOfSets", [&] { api.GetNumberOfSets(); }},
      {"GetExchgCount0", [&] { api.GetExchgCount0(nullptr, nullptr, nullptr); }},
      {"IsValidExchg0", [&] { api.IsValidExchg0("SP", nullptr, nullptr, nullptr, 0, 0, 0); }},
      {"SetupSet0", [&] { api.SetupSet0(); }},
      {"setVersion", [&] { api.setVersion("host"); }},
  };
  CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
  for (const auto& [name, call] : calls) {
    CallQso(api.AddData0, refused);
    CallQso(api.AddData0, refused);
    EXPECT_TRUE(Holds(kBadQsoFile)) << "before " << name;
    call();
    EXPECT_FALSE(Holds(kBadQsoFile)) << name;
  }
  CallQso(api.AddData0, refused);
  library.Close();
  EXPECT_FALSE(Holds(kBadQsoFile)) << "unload";
}
#endif

}  // namespace
