// The view windows' screen-free parts: which boxes the area grid marks and
// where the previous-QSO panel puts its fills and texts.

#include <gtest/gtest.h>

#include <set>

#include "engine/contest_rules.h"
#include "ui/area_marks.h"
#include "ui/panel_layout.h"

namespace {

int ControlOf(const std::string& code) {
  for (const AreaBox& box : kAreaBoxes) {
    if (code == box.code) return box.control;
  }
  return -1;
}

std::set<int> MarkedControls(const AreaMarks& marks) {
  std::set<int> controls;
  for (size_t i = 0; i < marks.size(); ++i) {
    if (marks[i]) controls.insert(kAreaBoxes[i].control);
  }
  return controls;
}

TEST(AreaMarksTest, EveryMultiplierHasItsOwnBox) {
  std::set<std::string> codes;
  std::set<int> controls;
  for (const AreaBox& box : kAreaBoxes) {
    codes.insert(box.code);
    controls.insert(box.control);
    EXPECT_GE(box.control, 1106) << box.code;
    EXPECT_LE(box.control, 1136) << box.code;
  }
  EXPECT_EQ(controls.size(), 31u);
  std::set<std::string> multipliers(std::begin(contest::kAreaCodes), std::end(contest::kAreaCodes));
  multipliers.insert(std::begin(contest::kIslandPrefixes), std::end(contest::kIslandPrefixes));
  EXPECT_EQ(codes, multipliers);
}

TEST(AreaMarksTest, MarksFollowTheWorkedListExactly) {
  EXPECT_TRUE(MarkedControls(MarksFor({})).empty());
  // The islands sit in the middle row; a text named twice marks once;
  // lower case and unknown texts mark nothing.
  const AreaMarks marks = MarksFor({"PY0F", "PY0S", "PY0T", "SP", "SP", "sp", "XX", "", "MT"});
  EXPECT_EQ(MarkedControls(marks), (std::set<int>{1134, 1135, 1136, ControlOf("SP"), 1116}));
  EXPECT_EQ(ControlOf("MS"), 1117);
  EXPECT_EQ(ControlOf("DF"), 1112);
}

PanelSnapshot SampleState(const std::string& call, int band) {
  PanelSnapshot state;
  state.typedCall = call;
  state.currentBand = band;
  for (const char* label : {"80m", "80m", "40m", "20m", "15m", "10m"}) {
    state.rows.push_back({label, "   -", "   -", " -", "-"});
  }
  state.rows[2] = {"40m", "12:00", "RTTY", "RJ", "-"};
  return state;
}

TEST(PanelLayoutTest, WorkedStationWithCurrentBandHighlighted) {
  const ScreenRect item{0, 0, 400, 210};  // row height 30
  const PanelPicture picture = LayoutPanel(SampleState("PY1ZZ", 2), item);
  ASSERT_EQ(picture.fills.size(), 2u);
  EXPECT_EQ(picture.fills[0].colour, Rgb(255, 255, 198));
  EXPECT_EQ(picture.fills[0].rect.right, 400);
  EXPECT_EQ(picture.fills[0].rect.bottom, 210);
  // Band 2's row runs from 3 x 30 to 10 pixels above the next row.
  const ScreenRect highlight = picture.fills[1].rect;
  EXPECT_EQ(picture.fills[1].colour, Rgb(198, 255, 255));
  EXPECT_EQ(highlight.left, 0);
  EXPECT_EQ(highlight.top, 90);
  EXPECT_EQ(highlight.right, 400);
  EXPECT_EQ(highlight.bottom, 110);

  EXPECT_TRUE(picture.transparentText);
  ASSERT_EQ(picture.texts.size(), 4u + 6u * 4u);
  EXPECT_EQ(picture.texts[0].text, "PY1ZZ");
  EXPECT_EQ(picture.texts[0].x, 160);
  EXPECT_EQ(picture.texts[0].y, 0);
  EXPECT_EQ(picture.texts[3].text, "Area");
  EXPECT_EQ(picture.texts[3].x, 260);
  // The 1.8 MHz row is labelled by its slot, not by the band list's "80m".
  EXPECT_EQ(picture.texts[4].text, "160m");
  EXPECT_EQ(picture.texts[8].text, "80m");
  // Row of band 2 (the third row) at y = 3 x 30: label, time, mode, area.
  const PanelText* row = &picture.texts[4 + 2 * 4];
  EXPECT_EQ(row[0].text, "40m");
  EXPECT_EQ(row[1].text, "12:00");
  EXPECT_EQ(row[2].text, "RTTY");
  EXPECT_EQ(row[3].text, "RJ");
  for (int t = 0; t < 4; ++t) EXPECT_EQ(row[t].y, 90);
  EXPECT_EQ(row[0].x, 20);
  EXPECT_EQ(row[1].x, 100);
  EXPECT_EQ(row[2].x, 180);
  EXPECT_EQ(row[3].x, 270);
}

TEST(PanelLayoutTest, NoBandYetMeansNoHighlight) {
  const PanelPicture picture = LayoutPanel(SampleState("PY1ZZ", -1), ScreenRect{0, 0, 400, 210});
  ASSERT_EQ(picture.fills.size(), 1u);
  // Rows before the first reset are empty: the header still shows.
  PanelSnapshot bare;
  bare.typedCall = "PY1ZZ";
  EXPECT_EQ(LayoutPanel(bare, ScreenRect{0, 0, 400, 210}).texts.size(), 4u);
}

TEST(PanelLayoutTest, IdlePanelListsMissingAreasInRows) {
  PanelSnapshot idle = SampleState("", -1);
  idle.missingAreas = {"AC", "AL", "AM", "AP", "BA", "CE"};
  // No band known: only the background.
  PanelPicture picture = LayoutPanel(idle, ScreenRect{0, 0, 200, 100});
  ASSERT_EQ(picture.fills.size(), 1u);
  EXPECT_EQ(picture.fills[0].colour, Rgb(255, 250, 198));
  EXPECT_TRUE(picture.texts.empty());

  // With a band: 40-pixel cells from (5, 15); a 200-pixel panel holds four
  // in a line, since a fifth would start beyond 200 - 40.
  idle.currentBand = 2;
  picture = LayoutPanel(idle, ScreenRect{0, 0, 200, 100});
  ASSERT_EQ(picture.fills.size(), 1u);
  ASSERT_EQ(picture.texts.size(), 6u);
  EXPECT_TRUE(picture.transparentText);
  const int expected[6][2] = {{5, 15}, {45, 15}, {85, 15}, {125, 15}, {5, 30}, {45, 30}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(picture.texts[i].x, expected[i][0]) << i;
    EXPECT_EQ(picture.texts[i].y, expected[i][1]) << i;
    EXPECT_EQ(picture.texts[i].text, idle.missingAreas[i]);
  }
}

}  // namespace
