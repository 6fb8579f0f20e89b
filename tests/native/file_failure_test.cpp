// Every file the plug-in replaces (the bad-QSO file, the settings file, the
// Cabrillo log) goes through a temporary file. A write that fails half-way
// (a file-size limit stands in for a full disk) must leave the earlier file
// exactly as it was and no temporary file behind; a symbolic link planted
// where a temporary file used to be made must never be written through.
// The bad-QSO file that adds append to holds only whole lines whatever the
// disk does, is never a link's target, and always starts with its header.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "engine/file_io.h"
#include "tests/support/module_fixture.h"
#include "tests/support/small_disk.h"

namespace {

namespace fs = std::filesystem;

// Writes beyond `bytes` fail with EFBIG while the object lives; a write
// that crosses the limit stops short at it, as on a disk that fills.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes = 8) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = bytes;
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

// The refused QSO with call `call`, and the line it writes.
Qso RefusedQso(const std::string& call) {
  Qso q;
  q.mode = "CW";
  q.call = call;
  return q;
}
std::string LineOf(const std::string& call) {
  return "QSO:  7035  CW  2018-06-09 1200  PY2AA  599  SP  " + call +
         "  599  RJ   WRONG MODE !!!\r\n";
}
constexpr const char* kHeader = "TZQ Contest UBN file\r\n";

// A link at the bad-QSO file's name, planted after the reset or between two
// adds, neither receives the lines nor is copied out by a removal.
TEST_F(FileFailureTest, ALinkAtTheBadQsoFileIsNeverFollowed) {
  TempFolder outside;
  fs::current_path(folder_.path());
  const std::string victim = outside.path() + "/victim.txt";
  const std::string name = folder_.path() + "/" + kBadQsoFile;
  for (const bool between_adds : {false, true}) {
    SCOPED_TRACE(between_adds ? "between two adds" : "after the reset");
    outside.Write("victim.txt", "secret\r\nQSO:  7035  PY1AA  1200\r\n");
    Reset();
    if (between_adds) Add(RefusedQso("PY1AA"));  // the file is held open now
    fs::remove(name);
    ASSERT_EQ(symlink(victim.c_str(), name.c_str()), 0);
    EXPECT_EQ(Add(RefusedQso("PY1AB")), 0);
    EXPECT_EQ(outside.Read("victim.txt"), "secret\r\nQSO:  7035  PY1AA  1200\r\n");
    // The count does not read the target either.
    EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Bad QSO\t 0"), std::string::npos);
    Remove(RefusedQso("PY1AA"));
    EXPECT_TRUE(fs::is_symlink(name));
    EXPECT_EQ(outside.Read("victim.txt"), "secret\r\nQSO:  7035  PY1AA  1200\r\n");
    // Any other file type at the name is refused alike, without blocking.
    fs::remove(name);
    ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
    EXPECT_EQ(Add(RefusedQso("PY1AC")), 0);
    Remove(RefusedQso("PY1AC"));
    EXPECT_EQ(fs::status(name).type(), fs::file_type::fifo);
    fs::remove(name);
  }
}

// An add whose write stops short (a limit on the file's size, then a real
// full disk where this test may mount one) leaves the file as it was
// before the add; once there is room the next add's line stands on its own.
TEST_F(FileFailureTest, AShortWriteIsCutBackToWholeLines) {
  const std::string whole = std::string(kHeader) + LineOf("PY1AA");
  {
    Reset();
    Add(RefusedQso("PY1AA"));
    FileSizeLimit limit(whole.size() + 20);
    Add(RefusedQso("PY1AB"));
  }
  EXPECT_EQ(BadQso(), whole);
  Add(RefusedQso("PY1AC"));
  EXPECT_EQ(BadQso(), whole + LineOf("PY1AC"));
  EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Bad QSO\t 2"), std::string::npos);

  SmallDisk disk(folder_.path() + "/disk", 64);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  fs::current_path(folder_.path() + "/disk");
  fs::create_directory("Plugins");
  Reset();
  // Another file takes every free page; the adds then fill what is left of
  // the bad-QSO file's own page.
  const std::string filler(1000, 'x');
  std::FILE* f = std::fopen("filler", "wb");
  ASSERT_NE(f, nullptr);
  while (std::fwrite(filler.data(), 1, filler.size(), f) == filler.size() && std::fflush(f) == 0) {
  }
  std::fclose(f);
  int refused = 0;
  for (int i = 0; i < 400; ++i) refused += Add(RefusedQso("PY" + std::to_string(1000 + i))) == 0;
  EXPECT_EQ(refused, 400);
  const std::string full = folder_.Read("disk/" + std::string(kBadQsoFile));
  ASSERT_EQ(full.rfind(kHeader, 0), 0u);
  // Only whole lines, each of a QSO added in order.
  size_t at = std::string(kHeader).size();
  int lines = 0;
  while (at < full.size() && full.compare(at, LineOf("PY" + std::to_string(1000 + lines)).size(),
                                          LineOf("PY" + std::to_string(1000 + lines))) == 0) {
    at += LineOf("PY" + std::to_string(1000 + lines)).size();
    ++lines;
  }
  EXPECT_EQ(at, full.size()) << full.substr(at);
  EXPECT_LT(lines, 400) << "the disk never filled";
  fs::remove("filler");
  Add(RefusedQso("PY9ZZ"));
  EXPECT_EQ(folder_.Read("disk/" + std::string(kBadQsoFile)), full + LineOf("PY9ZZ"));
  module_->EndAddRun();
  fs::current_path(folder_.path());
}

// The file deleted between two adds comes back with its header, so the
// report counts the refusal in it.
TEST_F(FileFailureTest, AnAddThatCreatesTheFileWritesTheHeaderFirst) {
  Reset();
  Add(RefusedQso("PY1AA"));
  fs::remove(folder_.path() + "/" + kBadQsoFile);
  Add(RefusedQso("PY1AB"));
  EXPECT_EQ(BadQso(), kHeader + LineOf("PY1AB"));
  // An emptied file is taken as new too.
  folder_.Write(kBadQsoFile, "");
  Add(RefusedQso("PY1AC"));
  EXPECT_EQ(BadQso(), kHeader + LineOf("PY1AC"));
  EXPECT_NE(std::string(module_->GetResult(nullptr)).find("Bad QSO\t 1"), std::string::npos);
}

}  // namespace
