// Every file the plug-in replaces (the bad-QSO file, the settings file, the
// Cabrillo log) goes through a temporary file. A write that fails half-way
// (a file-size limit stands in for a full disk) must leave the earlier file
// exactly as it was and no temporary file behind; a symbolic link planted
// where a temporary file used to be made must never be written through.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "engine/file_io.h"
#include "tests/support/module_fixture.h"

namespace {

namespace fs = std::filesystem;

// Writes beyond a few bytes fail with EFBIG while the object lives.
class FileSizeLimit {
 public:
  FileSizeLimit() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit saved_{};
  void (*previous_handler_)(int) = nullptr;
};

class FileFailureTest : public ModuleTest {
 protected:
  enum Writer { kBadQsoRewrite, kSettings, kCabrillo };
  struct Target {
    Writer writer;
    const char* file;
  };
  static constexpr Target kTargets[] = {
      {kBadQsoRewrite, kBadQsoFile}, {kSettings, "Plugins/TZQ.ini"}, {kCabrillo, "PY2AA.cbr"}};

  // Leaves `file` with known contents, ready for `Write` to replace it.
  void Prepare(const Target& t) {
    if (t.writer == kBadQsoRewrite) {
      Reset();
      Qso refused;
      refused.mode = "CW";
      Add(refused);
    } else if (t.writer == kSettings) {
      folder_.Write(t.file, "[Settings]\r\nName=Joao\r\nStart=1\r\n");
    } else {
      Reset(1, "PY2AA");
      Add(Qso());
      folder_.Write(t.file, "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n");
    }
  }
  void Write(const Target& t) {
    if (t.writer == kBadQsoRewrite) {
      Qso refused;
      refused.mode = "CW";
      Remove(refused);
    } else if (t.writer == kSettings) {
      module_->settings().Put("Name", "Maria");
    } else {
      module_->GetResult(nullptr);
    }
  }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder_.path())) {
      names.insert(fs::relative(e.path(), folder_.path()).string());
    }
    return names;
  }
};

TEST_F(FileFailureTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  for (const Target& t : kTargets) {
    SCOPED_TRACE(t.file);
    Prepare(t);
    const std::string before = folder_.Read(t.file);
    const std::set<std::string> entries = Entries();
    {
      FileSizeLimit limit;
      Write(t);
    }
    EXPECT_EQ(folder_.Read(t.file), before);
    EXPECT_EQ(Entries(), entries);
  }
  // A failed write leaves nothing in the way of the next one.
  EXPECT_TRUE(module_->settings().Put("Name", "Maria"));
  EXPECT_EQ(module_->settings().Text("Name"), "Maria");
  const auto boxes = platform_.boxes.shown();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "File not produced: PY2AA.cbr (File too large)");
}

TEST_F(FileFailureTest, ALinkAtTheOldTemporaryNameIsNotFollowed) {
  TempFolder outside;
  fs::current_path(folder_.path());  // the plug-in's folder stays the working one
  const std::string victim = outside.path() + "/victim.txt";
  outside.Write("victim.txt", "not the plug-in's\r\n");
  for (const Target& t : kTargets) {
    SCOPED_TRACE(t.file);
    Prepare(t);
    const std::string before = folder_.Read(t.file);
    const std::string link = folder_.path() + "/" + t.file + ".new";
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    Write(t);
    EXPECT_EQ(outside.Read("victim.txt"), "not the plug-in's\r\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(folder_.Read(t.file), before);
  }
}

TEST_F(FileFailureTest, ALinkAtAGuessedTemporaryNameIsNotFollowed) {
  TempFolder outside;
  fs::current_path(folder_.path());
  outside.Write("victim.txt", "not the plug-in's\r\n");
  folder_.Write("log.txt", "old\r\n");
  const std::string guessed = folder_.path() + "/" + file_io::TempNameFor("log.txt", 11);
  ASSERT_EQ(symlink((outside.path() + "/victim.txt").c_str(), guessed.c_str()), 0);
  uint64_t next = 11;
  ASSERT_TRUE(file_io::ReplaceContents("log.txt", "new\r\n", [&next] { return next++; }));
  EXPECT_EQ(next, 13u);
  EXPECT_EQ(folder_.Read("log.txt"), "new\r\n");
  EXPECT_EQ(outside.Read("victim.txt"), "not the plug-in's\r\n");
  EXPECT_TRUE(fs::is_symlink(guessed));
}

TEST_F(FileFailureTest, AppendingToAFullDiskLosesOnlyTheNewLine) {
  Reset();
  fs::remove(folder_.path() + "/" + kBadQsoFile);
  ASSERT_EQ(symlink("/dev/full", (folder_.path() + "/" + kBadQsoFile).c_str()), 0);
  Qso refused;
  refused.mode = "CW";
  EXPECT_EQ(Add(refused), 0);
  EXPECT_EQ(module_->store().size(), 0u);
}

}  // namespace
