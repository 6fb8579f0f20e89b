// A write that fails half-way (a full disk, simulated with /dev/full behind
// the temporary file) or a replacement that cannot happen must leave every
// earlier file of the plug-in exactly as it was.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/module_fixture.h"

namespace {

namespace fs = std::filesystem;

class FileFailureTest : public ModuleTest {
 protected:
  void FullDiskBehind(const std::string& name) {
    ASSERT_EQ(symlink("/dev/full", (folder_.path() + "/" + name).c_str()), 0);
  }
};

TEST_F(FileFailureTest, BadQsoRewriteOnAFullDiskKeepsTheOldFile) {
  Reset();
  Qso refused;
  refused.mode = "CW";
  Add(refused);
  const std::string before = BadQso();
  FullDiskBehind(std::string(kBadQsoFile) + ".new");
  EXPECT_EQ(Remove(refused), 1);
  EXPECT_EQ(BadQso(), before);
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder_.path() + "/" + kBadQsoFile + ".new")));
}

TEST_F(FileFailureTest, BadQsoRewriteThatCannotReplaceKeepsTheOldFile) {
  Reset();
  Qso refused;
  refused.mode = "CW";
  Add(refused);
  const std::string before = BadQso();
  fs::create_directory(folder_.path() + "/" + kBadQsoFile + ".new");
  Remove(refused);
  EXPECT_EQ(BadQso(), before);
}

TEST_F(FileFailureTest, AppendingToAFullDiskLosesOnlyTheNewLine) {
  Reset();
  fs::remove(folder_.path() + "/" + kBadQsoFile);
  FullDiskBehind(kBadQsoFile);
  Qso refused;
  refused.mode = "CW";
  EXPECT_EQ(Add(refused), 0);
  EXPECT_EQ(module_->store().size(), 0u);
}

TEST_F(FileFailureTest, SettingsWriteOnAFullDiskKeepsTheOldFile) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nName=Joao\r\nStart=1\r\n");
  FullDiskBehind("Plugins/TZQ.ini.new");
  EXPECT_FALSE(module_->settings().Put("Name", "Maria"));
  EXPECT_EQ(Ini(), "[Settings]\r\nName=Joao\r\nStart=1\r\n");
  // The failed write took its temporary file away: the next one succeeds.
  EXPECT_TRUE(module_->settings().Put("Name", "Maria"));
  EXPECT_EQ(Ini(), "[Settings]\r\nName=Maria\r\nStart=1\r\n");
}

TEST_F(FileFailureTest, CabrilloWriteOnAFullDiskIsReportedAndKeepsTheOldLog) {
  Reset(1, "PY2AA");
  Add(Qso());
  folder_.Write("PY2AA.cbr", "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n");
  FullDiskBehind("PY2AA.cbr.new");
  module_->GetResult(nullptr);
  EXPECT_EQ(folder_.Read("PY2AA.cbr"), "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n");
  ASSERT_EQ(platform_.boxes.shown().size(), 1u);
  EXPECT_EQ(platform_.boxes.shown()[0].text,
            "File not produced: PY2AA.cbr (No space left on device)");
}

}  // namespace
