#include <gtest/gtest.h>

#include <filesystem>

#include "engine/file_io.h"
#include "reports/host_executables_headless.h"
#include "reports/host_version.h"
#include "reports/pe_version.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Host executables built for the tests with version resources 2.20.0.7 and
// 3.1.4.7 (tests/reports/fixtures).
class HostVersionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    v220_ = std::string(TZQ_FIXTURE_DIR) + "/kolm_2_20_0.exe";
    v314_ = std::string(TZQ_FIXTURE_DIR) + "/kolm_3_1_4.exe";
    if (!fs::exists(v220_) || !fs::exists(v314_)) {
      GTEST_SKIP() << "no MinGW cross compiler: host executables were not built";
    }
  }
  void Place(const std::string& from, const std::string& name) {
    fs::copy_file(from, folder_.path() + "/" + name);
  }
  std::string Version() {
    FolderExecutables executables;
    return HostVersionText(executables);
  }

  TempFolder folder_;
  std::string v220_, v314_;
};

TEST_F(HostVersionTest, MajorTwoGivesTwoNumbersOthersThree) {
  Place(v220_, "Kolm.exe");
  EXPECT_EQ(Version(), "2.20");
  fs::remove(folder_.path() + "/Kolm.exe");
  Place(v314_, "Kolm3.exe");
  EXPECT_EQ(Version(), "3.1.4");
}

TEST_F(HostVersionTest, OnlyNamesHoldingKolmInThatCaseMatch) {
  Place(v314_, "kolm.exe");
  Place(v314_, "KOLM2.EXE");
  EXPECT_EQ(Version(), "");
  Place(v220_, "MyKolmHost.exe");
  EXPECT_EQ(Version(), "2.20");
}

TEST_F(HostVersionTest, NoFolderEntryOrNoResourceGivesNoVersion) {
  EXPECT_EQ(Version(), "");
  folder_.Write("Kolm.exe", "MZ but not really an executable");
  EXPECT_EQ(Version(), "");
}

TEST_F(HostVersionTest, ParserReadsTheFixedFileInformation) {
  std::string image;
  ASSERT_TRUE(file_io::ReadAll(v314_, &image));
  uint32_t ms = 0, ls = 0;
  ASSERT_TRUE(ReadPeFileVersion(image, &ms, &ls));
  EXPECT_EQ(ms, (3u << 16) | 1u);
  EXPECT_EQ(ls, (4u << 16) | 7u);
  for (size_t cut : {size_t(0), size_t(2), size_t(64), size_t(0x3C + 4)}) {
    EXPECT_FALSE(ReadPeFileVersion(image.substr(0, cut), &ms, &ls)) << cut;
  }
  // Any cut of the image is read without touching bytes past its end (the
  // sanitizer build checks every access).
  for (size_t cut = 0; cut < image.size(); cut += 97)
    ReadPeFileVersion(image.substr(0, cut), &ms, &ls);
}

}  // namespace
