// The built plug-in as a host loads it: by file name, every entry point by
// its exported name, in the DLL under Wine and in the Linux library.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plugin/export_names.h"
#include "tools/plugin_loader/host_calls.h"
#include "tests/support/temp_folder.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

// Resolved before any test moves the working folder.
const std::string kPluginPath =
    (std::filesystem::current_path() / PluginLibrary::DefaultFileName()).string();

class PluginAbiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(library_.Open(kPluginPath, &error)) << error;
    ASSERT_TRUE(api_.Resolve(library_, &error)) << error;
  }
  PluginLibrary library_;
  PluginApi api_;
};

TEST_F(PluginAbiTest, EveryNameResolvesAndAliasesShareTheirCode) {
  for (const ExportName& name : kExportNames) {
    void* decorated = library_.Resolve(name.decorated);
    ASSERT_NE(decorated, nullptr) << name.decorated;
    if (name.plain != nullptr) {
      EXPECT_EQ(library_.Resolve(name.plain), decorated) << name.plain;
    }
  }
  EXPECT_EQ(library_.Resolve("RunCommand0"), nullptr);
  // GetNumberOfSets and StatsGetExchgCount0 are one function.
  EXPECT_EQ(library_.Resolve("GetExchgCount0"), library_.Resolve("GetNumberOfSets"));
  // Names that are declarations, not aliases, are not exported plainly.
  EXPECT_EQ(library_.Resolve("CheckCallFunc0"), nullptr);
  EXPECT_EQ(library_.Resolve("StatsIsValidExchg0"), nullptr);
}

TEST_F(PluginAbiTest, SmallEntryPoints) {
  EXPECT_STREQ(api_.GetSetName(0), "TZQ (C)");
  EXPECT_STREQ(api_.GetSetName(1), "");
  EXPECT_STREQ(api_.GetSetName(-1), "");
  EXPECT_EQ(api_.GetNumberOfSets(), 1);
  EXPECT_EQ(api_.GetExchgCount0(nullptr, "x", nullptr), 1);
  struct Case {
    const char* exchange;
    int valid;
  } cases[] = {{"599", 0},   {"QRP", 1}, {"YL", 1},      {"LB", 1},   {"SP", 1},
               {"UF", 1},    {"sp", 0},  {"XX", 0},      {"PY0F", 0}, {"", 0},
               {nullptr, 0}, {" SP", 0}, {"\xE9\xE9", 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(api_.IsValidExchg0(c.exchange, nullptr, nullptr, nullptr, 0, 0, 0), c.valid)
        << (c.exchange ? c.exchange : "(null)");
  }
  EXPECT_STREQ(api_.RunCommand0(0, "NOTHING"), "");
  EXPECT_STREQ(api_.RunCommand0(0, nullptr), "");
  EXPECT_STREQ(api_.RunCommand0(0, "hideinfo"), "");
}

TEST_F(PluginAbiTest, ReportTurnsHtmlAfterSetVersion) {
  TempFolder folder;
  HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  ASSERT_EQ(CallReset(api_.ResetStats0, 0, "PY2AA", &start, &end), 1);
  EXPECT_EQ(folder.Read("BadQSO_StatsTZQ_10_06_2018.txt"), "TZQ Contest UBN file\r\n");
  int out = 7;
  const std::string text = api_.GetResult0(&out);
  EXPECT_EQ(out, 7);
  EXPECT_EQ(text.rfind("      TZQ 09.06-10.06.2018\r\n", 0), 0u) << text;
  EXPECT_EQ(api_.setVersion(nullptr), 0ul);
  EXPECT_EQ(std::string(api_.GetResult0(&out)).rfind("<html>", 0), 0u);
}

TEST_F(PluginAbiTest, NullTextsAndDatesNeverCrash) {
  TempFolder folder;
  HostQso qso;
  qso.ownCall = qso.call = qso.mode = qso.rstSent = qso.rstRcvd = nullptr;
  qso.exchSent = qso.exchRcvd = qso.dxPrefix = qso.band = nullptr;
  EXPECT_EQ(CallQso(api_.AddData0, qso), 0);
  EXPECT_EQ(CallQso(api_.RemoveData0, qso), 1);
  EXPECT_EQ(CallReset(api_.ResetStats0, 0, nullptr, nullptr, nullptr), 1);
  EXPECT_TRUE(folder.Exists("BadQSO_StatsTZQ_.txt"));
  HostCallCheck check;
  check.call = check.mode = check.dxPrefix = check.area = check.band = nullptr;
  EXPECT_EQ(CallCheck(api_.CheckCall0, check), 4);
  EXPECT_NE(api_.GetResult0(nullptr), nullptr);
}

TEST(PluginLoadTest, LoadsAndUnloadsRepeatedly) {
  TempFolder folder;
  for (int i = 0; i < 25; ++i) {
    PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Open(kPluginPath, &error)) << error;
    PluginApi api;
    ASSERT_TRUE(api.Resolve(library, &error)) << error;
    HostDate start = HostDate::At(2019, 6, 8), end = HostDate::At(2019, 6, 9);
    CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
    HostQso qso;
    HostDate when = HostDate::At(2019, 6, 8, 12, 0);
    qso.time = &when;
    EXPECT_EQ(CallQso(api.AddData0, qso), 1);
    EXPECT_NE(std::string(api.GetResult0(nullptr)).find("40m\t 1\t 2\t 1\r\n"), std::string::npos);
    library.Close();
  }
}

}  // namespace
