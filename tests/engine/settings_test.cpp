#include "engine/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/settings_store_headless.h"
#include "tests/support/temp_folder.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  IniFileStore store_;
  Settings settings_{store_};
};

TEST_F(SettingsTest, MissingFileKeyOrNumberReadsAsDefaults) {
  EXPECT_EQ(settings_.Text("Start"), "");
  EXPECT_EQ(settings_.Text("Operators", "PY2AA"), "PY2AA");
  EXPECT_EQ(settings_.Text("Operators", "PY2AA  "), "PY2AA");
  EXPECT_EQ(settings_.Text("Operators", "   "), " ");
  EXPECT_EQ(settings_.Number("Start"), 0);
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nStart=abc\r\narea_x=-1280\r\narea_y=12px\r\n");
  EXPECT_EQ(settings_.Number("Start"), 0);
  EXPECT_EQ(settings_.Number("area_x"), -1280);
  EXPECT_EQ(settings_.Number("area_y"), 12);
  EXPECT_EQ(settings_.Number("Missing"), 0);
}

TEST_F(SettingsTest, ValuesComeBackCutToNinetyNineCharactersUnlessReadWhole) {
  const std::string long_value(250, 'x');
  ASSERT_TRUE(settings_.Put("SoapBox", long_value));
  EXPECT_EQ(settings_.Text("SoapBox"), std::string(99, 'x'));
  EXPECT_EQ(settings_.WholeText("SoapBox"), long_value);
}

TEST_F(SettingsTest, FileFormatMatchesTheWindowsProfileFunctions) {
  folder_.Write("Plugins/TZQ.ini",
                "[Other]\r\nStart=5\r\n\r\n[settings]\r\n  Name =  Joao Silva  \r\n"
                "Email=\"py2aa@example.com\"\r\nClub=\"\"\r\n; comment\r\n");
  // Section and key names ignore case; values are trimmed and lose one
  // level of matching quotes; other sections do not leak in.
  EXPECT_EQ(settings_.Text("name"), "Joao Silva");
  EXPECT_EQ(settings_.Text("Email"), "py2aa@example.com");
  EXPECT_EQ(settings_.Text("Club", "LABRE"), "");
  EXPECT_EQ(settings_.Number("Start"), 0);

  ASSERT_TRUE(settings_.PutFlag("Start", true));
  ASSERT_TRUE(settings_.Put("NAME", "Maria"));
  EXPECT_EQ(folder_.Read("Plugins/TZQ.ini"),
            "[Other]\r\nStart=5\r\n\r\n[settings]\r\nNAME=Maria\r\n"
            "Email=\"py2aa@example.com\"\r\nClub=\"\"\r\n; comment\r\nStart=1\r\n");
}

TEST_F(SettingsTest, NewFileGetsTheSectionAndCrLfLines) {
  ASSERT_TRUE(settings_.PutFlag("Start", false));
  ASSERT_TRUE(settings_.PutNumber("area_x", -1280));
  EXPECT_EQ(folder_.Read("Plugins/TZQ.ini"), "[Settings]\r\nStart=0\r\narea_x=-1280\r\n");
}

TEST_F(SettingsTest, BytesAboveSeventyFHexPassThrough) {
  ASSERT_TRUE(settings_.Put("Name", "Jo\xE3o"));
  EXPECT_EQ(settings_.Text("Name"), "Jo\xE3o");
}

TEST(SettingsNoFolderTest, WriteWithoutPluginsFolderFailsAndCreatesNothing) {
  TempFolder folder;
  IniFileStore store(folder.path() + "/missing");
  Settings settings(store);
  EXPECT_FALSE(settings.Put("Start", "1"));
  EXPECT_EQ(settings.Text("Start"), "");
}

}  // namespace
