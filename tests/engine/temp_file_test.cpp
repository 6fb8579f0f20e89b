// A file is replaced through a temporary file whose name an attacker can
// guess at best. Whatever is planted at a guessed name is left alone: the
// write takes another name. (Links planted there: tests/native natively,
// tests/win32 under Wine.)

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/file_io.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(TempFileTest, TakenNamesAreSkippedAndLeftAlone) {
  TempFolder folder;
  folder.Write("log.txt", "old\r\n");
  // The old fixed name and the first two names the bits below give.
  const std::string planted[] = {"log.txt.new", file_io::TempNameFor("log.txt", 11),
                                 file_io::TempNameFor("log.txt", 12)};
  for (const std::string& name : planted) folder.Write(name, "planted\r\n");
  const std::set<std::string> before = Entries(folder.path());

  uint64_t next = 11;
  ASSERT_TRUE(file_io::ReplaceContents("log.txt", "new\r\n", [&next] { return next++; }));
  EXPECT_EQ(next, 14u);  // two names taken, the third free
  EXPECT_EQ(folder.Read("log.txt"), "new\r\n");
  for (const std::string& name : planted) EXPECT_EQ(folder.Read(name), "planted\r\n") << name;
  EXPECT_EQ(Entries(folder.path()), before);

  // When every name tried is taken the write fails and touches nothing.
  EXPECT_FALSE(file_io::ReplaceContents("log.txt", "newer\r\n", [] { return uint64_t{11}; }));
  EXPECT_EQ(folder.Read("log.txt"), "new\r\n");
  EXPECT_EQ(folder.Read(planted[1]), "planted\r\n");
  EXPECT_EQ(Entries(folder.path()), before);
}

TEST(TempFileTest, NamesAreRandomAndStayBesideTheFile) {
  EXPECT_EQ(file_io::TempNameFor("log.txt", 11), "log.txt.LAAAAA");
  std::set<std::string> names;
  for (int i = 0; i < 100; ++i) {
    names.insert(file_io::TempNameFor("Plugins/TZQ.ini", file_io::SystemRandomBits()));
  }
  EXPECT_EQ(names.size(), 100u);
  for (const std::string& name : names) {
    EXPECT_EQ(name.rfind("Plugins/TZQ.ini.", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("Plugins/TZQ.ini.").size() + 6) << name;
  }
}

}  // namespace

// Every reader of the plug-in's files splits lines with this one helper.
TEST(SplitLinesTest, OneCrDroppedAtEachLineEndTheCutLastLineToo) {
  const struct {
    const char* content;
    std::vector<std::string_view> lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb\n", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\nb\r", {"a", "b"}},
      {"a\r\r\n", {"a\r"}},
      {"\n", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(file_io::SplitLines(c.content), c.lines) << c.content;
}
