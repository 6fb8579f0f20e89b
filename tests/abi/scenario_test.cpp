// One contest session driven through the exported functions of the built
// plug-in. Every file and report it produces is compared byte for byte with
// the committed copies in tests/data/scenario, which both builds share: the
// DLL under Wine and the Linux library must write the same bytes.
// TZQ_UPDATE_GOLDEN=1 rewrites the committed copies from this build.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/file_io.h"
#include "tests/support/cabrillo_checks.h"
#include "tools/plugin_loader/host_calls.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/temp_folder.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

namespace fs = std::filesystem;

const std::string kPluginPath = (fs::current_path() / PluginLibrary::DefaultFileName()).string();

void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::string path = TestDataPath("scenario/" + name);
  if (std::getenv("TZQ_UPDATE_GOLDEN") != nullptr) {
    ASSERT_TRUE(file_io::ReplaceContents(path, actual)) << path;
    return;
  }
  std::string expected;
  ASSERT_TRUE(file_io::ReadAll(path, &expected)) << "missing " << path;
  EXPECT_EQ(actual, expected) << name;
}

TEST(ScenarioTest, SessionFilesAreTheSameInBothBuilds) {
  const std::string host_exe = std::string(TZQ_FIXTURE_DIR) + "/kolm_2_20_0.exe";
  if (!fs::exists(host_exe)) GTEST_SKIP() << "no MinGW cross compiler: host executable missing";
  TempFolder folder;
  fs::copy_file(host_exe, folder.path() + "/Kolm.exe");
  folder.Write(
      "Plugins/TZQ.ini",
      "[Settings]\r\nName=Joao da Silva\r\nAddress=Rua das Flores 10\r\n"
      "Address-City=Campinas\r\nAddress-PostalCode=13000-000\r\nAddress-Country=Brazil\r\n"
      "Loc=SP\r\nEmail=py2aa@example.com\r\nClub=LABRE-SP\r\n"
      "Operators=PY2AA<CR><LF>PY2BB\r\nSoapBox=Good luck<CR><LF>73 de PY2AA\r\nStart=1\r\n");

  PluginLibrary library;
  std::string error;
  ASSERT_TRUE(library.Open(kPluginPath, &error)) << error;
  PluginApi api;
  ASSERT_TRUE(api.Resolve(library, &error)) << error;

  ModalAnswerer answerer;
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  ASSERT_EQ(CallReset(api.ResetStats0, 1, "PY2AA/P", &start, &end), 1);

  struct Line {
    const char* call;
    const char* band;
    const char* mode;
    const char* exch;
    const char* prefix;
    unsigned freq;
    int minute;
  } log[] = {
      {"PY1ZZ", "40m", "RTTY", "RJ", "PY", 7035200, 0},
      {"PY2YL", "40m", "BPSK31", "YL", "PY", 7040100, 3},
      {"PY3QR", "20m", "BPSK63", "QRP", "PY", 14070500, 7},
      {"PY4LB", "20m", "RTTY", "LB", "PY", 14085000, 9},
      {"PY0FF", "15m", "RTTY", "YL", "PY0F", 21085000, 12},
      {"PY0SS", "10m", "BPSK125", "RJ", "PY0/s", 28120000, 15},
      {"PY1ZZ", "40m", "RTTY", "RJ", "PY", 7035300, 18},   // dupe
      {"PY1ZZ", "40m", "RTTY", "rj", "PY", 7035400, 19},   // dupe again
      {"PY5XX", "80m", "RTTY", "XX", "PY", 3580000, 22},   // bad area
      {"PY6CW", "80m", "CW", "BA", "PY", 3530000, 25},     // wrong mode
      {"PY7TB", "160m", "RTTY", "PE", "PY", 1838000, 27},  // wrong band
      {"PY8NX", "15m", "RTTY", "", "PY", 21080000, 30},    // no exchange
      {"DL1ABC", "20m", "RTTY", " sp ", "DL", 14081000, 33},
      {"py2lc", "40M", "rtty", "MG", "PY", 7036000, 36},
      {"PY9RM", "10m", "BPSK31", "AM", "PY", 28090000, 40},
  };
  for (const Line& l : log) {
    HostQso q;
    HostDate when = HostDate::At(2018, 6, 9, 14, l.minute, 30);
    q.time = &when;
    q.call = l.call;
    q.band = l.band;
    q.mode = l.mode;
    q.exchRcvd = l.exch;
    q.dxPrefix = l.prefix;
    q.freqHz = l.freq;
    q.exchSent = "SP";
    CallQso(api.AddData0, q);
  }
  // The host deletes the wrong-mode QSO and the last one.
  for (int i : {9, 14}) {
    HostQso q;
    HostDate when = HostDate::At(2018, 6, 9, 14, log[i].minute, 30);
    q.time = &when;
    q.call = log[i].call;
    q.band = log[i].band;
    q.mode = log[i].mode;
    CallQso(api.RemoveData0, q);
  }
  HostCallCheck check;
  EXPECT_EQ(CallCheck(api.CheckCall0, check), 0);

  int out = 0;
  const std::string text = api.GetResult0(&out);
  EXPECT_EQ(out, -1);
  ExpectGolden("report.txt", text);
  ExpectGolden("PY2AA_P.cbr", folder.Read("PY2AA_P.cbr"));
  EXPECT_EQ(CabrilloStructureProblem(folder.Read("PY2AA_P.cbr")), "");
  ExpectGolden("BadQSO_StatsTZQ_10_06_2018.txt", folder.Read("BadQSO_StatsTZQ_10_06_2018.txt"));
  api.setVersion("Kolm 2.20");
  ExpectGolden("report.html", api.GetResult0(&out));
  library.Close();
  EXPECT_EQ(answerer.headerDialogs(), PluginLibrary::DefaultFileName() == "Stats.dll" ? 1 : 0);
}

}  // namespace
