#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>

#include "engine/file_io.h"
#include "engine/settings.h"
#include "engine/settings_store_headless.h"
#include "engine/settings_store_win32.h"
#include "reports/host_executables_headless.h"
#include "reports/host_executables_win32.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/temp_folder.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

namespace fs = std::filesystem;

const std::string kPluginPath = (fs::current_path() / PluginLibrary::DefaultFileName()).string();

TEST(ProfileCompatibilityTest, EachBuildReadsWhatTheOtherWrote) {
  TempFolder folder;
  IniFileStore headless;
  ProfileSettingsStore profile;
  Settings by_headless(headless), by_profile(profile);

  ASSERT_TRUE(by_headless.Put("Name", "Joao da Silva"));
  ASSERT_TRUE(by_headless.PutNumber("area_x", -1280));
  ASSERT_TRUE(by_headless.Put("SoapBox", std::string(300, 's')));
  EXPECT_EQ(by_profile.Text("Name"), "Joao da Silva");
  EXPECT_EQ(by_profile.Number("area_x"), -1280);
  EXPECT_EQ(by_profile.Text("SoapBox"), std::string(99, 's'));
  EXPECT_EQ(by_profile.WholeText("SoapBox"), std::string(300, 's'));

  ASSERT_TRUE(by_profile.Put("Club", "LABRE"));
  ASSERT_TRUE(by_profile.Put("name", "Maria"));
  ASSERT_TRUE(by_profile.PutFlag("Start", true));
  EXPECT_EQ(by_headless.Text("Club"), "LABRE");
  EXPECT_EQ(by_headless.Text("Name"), "Maria");
  EXPECT_EQ(by_headless.Number("Start"), 1);
  EXPECT_EQ(by_headless.Number("area_x"), -1280);
  // Both write 8-bit text with CR LF line ends.
  const std::string file = folder.Read("Plugins/TZQ.ini");
  EXPECT_EQ(file.find("\n"), file.find("\r\n") + 1);
}

TEST(ProfileCompatibilityTest, MissingPluginsFolderFailsTheWrite) {
  TempFolder folder;
  fs::remove(folder.path() + "/Plugins");
  ProfileSettingsStore profile;
  Settings settings(profile);
  EXPECT_FALSE(settings.Put("Start", "1"));
  EXPECT_EQ(settings.Text("Start", "none"), "none");
}

TEST(HostExecutablesTest, FolderListingAgreesWithTheVersionApi) {
  const std::string v220 = std::string(TZQ_FIXTURE_DIR) + "/kolm_2_20_0.exe";
  const std::string v314 = std::string(TZQ_FIXTURE_DIR) + "/kolm_3_1_4.exe";
  TempFolder folder;
  Win32Executables system;
  FolderExecutables portable;
  EXPECT_EQ(HostVersionText(system), "");
  fs::copy_file(v314, folder.path() + "/Kolm.exe");
  fs::copy_file(v220, folder.path() + "/Other.exe");
  EXPECT_EQ(HostVersionText(system), "3.1.4");
  EXPECT_EQ(HostVersionText(portable), "3.1.4");
  uint32_t ms1, ls1, ms2, ls2;
  ASSERT_TRUE(system.FileVersion("Other.exe", &ms1, &ls1));
  ASSERT_TRUE(portable.FileVersion("Other.exe", &ms2, &ls2));
  EXPECT_EQ(ms1, ms2);
  EXPECT_EQ(ls1, ls2);
  folder.Write("Kolm.exe", "not an executable");
  EXPECT_EQ(HostVersionText(system), "");
  EXPECT_EQ(HostVersionText(portable), "");
}

TEST(FileReplaceTest, ReplacesAnExistingFileInOneStep) {
  TempFolder folder;
  folder.Write("a.txt", "old");
  ASSERT_TRUE(file_io::ReplaceContents("a.txt", "new\r\n"));
  EXPECT_EQ(folder.Read("a.txt"), "new\r\n");
  // A target that cannot be replaced (a folder) keeps everything as it was.
  fs::create_directory(folder.path() + "/b.txt");
  EXPECT_FALSE(file_io::ReplaceContents("b.txt", "x"));
  std::set<std::string> entries;
  for (const auto& e : fs::directory_iterator(folder.path())) {
    entries.insert(e.path().filename().string());
  }
  EXPECT_EQ(entries, (std::set<std::string>{"Plugins", "a.txt", "b.txt"}));
}

TEST(FileReplaceTest, UnixLinksAtTemporaryNamesAreNotFollowed) {
  // Planted by the ctest fixture: links at the old fixed name and at the
  // names of bits 11 and 12, all to outside/victim.txt.
  const std::string dir = TZQ_LINK_DIR;
  ASSERT_EQ(file_io::TempNameFor("log.txt", 11), "log.txt.LAAAAA");
  ASSERT_EQ(file_io::TempNameFor("log.txt", 12), "log.txt.MAAAAA");
  std::string victim;
  ASSERT_TRUE(file_io::ReadAll(dir + "/outside/victim.txt", &victim));
  ASSERT_EQ(victim, "not the plug-in's\r\n");
  uint64_t next = 11;
  ASSERT_TRUE(
      file_io::ReplaceContents(dir + "/work/log.txt", "new\r\n", [&next] { return next++; }));
  EXPECT_EQ(next, 14u);  // the third name was free
  std::string log;
  ASSERT_TRUE(file_io::ReadAll(dir + "/work/log.txt", &log));
  EXPECT_EQ(log, "new\r\n");
  ASSERT_TRUE(file_io::ReadAll(dir + "/outside/victim.txt", &victim));
  EXPECT_EQ(victim, "not the plug-in's\r\n");
}

// A link put in the bad-QSO file's place between two adds (the file is held
// open then) receives no line, and the removal that rewrites the file does
// not copy the link's target out. The link is a Unix one planted by the
// fixture and moved into place, or a Windows one where the system lets this
// process make it.
TEST(BadQsoFileTest, ALinkPutInItsPlaceBetweenTwoAddsIsNotFollowed) {
  const std::string dir = TZQ_LINK_DIR;
  const std::string victim = dir + "/outside/victim.txt";
  const char* kBadQsoFile = "BadQSO_StatsTZQ_10_06_2018.txt";
  const fs::path previous = fs::current_path();
  fs::current_path(dir + "/badqso");
  {
    std::FILE* ini = std::fopen("Plugins/TZQ.ini", "wb");
    ASSERT_NE(ini, nullptr);
    std::fputs("[Settings]\r\nStart=1\r\n", ini);
    std::fclose(ini);
  }
  PluginLibrary library;
  PluginApi api;
  std::string error;
  ASSERT_TRUE(library.Open(kPluginPath, &error) && api.Resolve(library, &error)) << error;
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  const HostDate when = HostDate::At(2018, 6, 9, 12, 0, 0);
  HostQso refused;
  refused.time = &when;
  refused.mode = "CW";
  CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
  refused.call = "PY1AA";
  CallQso(api.AddData0, refused);

  if (!fs::exists(fs::symlink_status("planted"))) {
    CreateSymbolicLinkA("planted", victim.c_str(), 0x2 /* ALLOW_UNPRIVILEGED_CREATE */);
  }
  ASSERT_TRUE(MoveFileExA("planted", kBadQsoFile, MOVEFILE_REPLACE_EXISTING))
      << "no link to plant: " << GetLastError();
  const DWORD attributes = GetFileAttributesA(kBadQsoFile);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    // Wine 8 shows a Unix link as the file it leads to, through every call
    // (and its CreateSymbolicLink makes none): no Windows program there
    // can tell the link from its target.
    library.Close();
    fs::current_path(previous);
    GTEST_SKIP() << "this system shows no link as a link (Wine): the plug-in cannot see it";
  }

  refused.call = "PY1AB";
  CallQso(api.AddData0, refused);
  CallQso(api.RemoveData0, refused);
  api.GetResult0(nullptr);
  library.Close();
  std::string text;
  ASSERT_TRUE(file_io::ReadAll(victim, &text));
  EXPECT_EQ(text, "not the plug-in's\r\n");
  // Still the link: the removal did not replace it by a copy of its target.
  EXPECT_NE(GetFileAttributesA(kBadQsoFile) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  fs::current_path(previous);
}

TEST(SetupBoxTest, SetupSet0ShowsItsBoxWithTheDefaultCaption) {
  PluginLibrary library;
  std::string error;
  ASSERT_TRUE(library.Open(kPluginPath, &error)) << error;
  auto setup = library.Get<SetupSet0Fn>("?SetupSet0@@YAXXZ");
  ASSERT_NE(setup, nullptr);
  ModalAnswerer answerer;
  setup();  // returns once the answerer has closed the box
  EXPECT_EQ(answerer.boxes(), "Error|No additional setup for this contest\n");
}

}  // namespace
