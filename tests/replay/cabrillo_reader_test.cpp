// Cabrillo logs as input: the QSO line's columns, the optional transmitter
// column, and the faults of a damaged file.

#include "tools/replay/cabrillo_reader.h"

#include <gtest/gtest.h>

#include <map>

#include "tools/replay/input_error.h"

namespace {

using namespace std::string_literals;

std::string Log(const std::string& qso_lines) {
  return "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: PY2AA\r\nSOAPBOX: QSO: not a line\r\n" +
         qso_lines + "END-OF-LOG:\r\n";
}

TEST(CabrilloReader, RecognisedByItsFirstLine) {
  EXPECT_TRUE(LooksLikeCabrillo("START-OF-LOG: 3.0\r\n"));
  EXPECT_TRUE(LooksLikeCabrillo("\r\n  start-of-log: 2.0\n"));
  EXPECT_TRUE(LooksLikeCabrillo("\xEF\xBB\xBFSTART-OF-LOG: 3.0\r\n"));
  // Blank is white space as every reader has it, form feed and VT included.
  EXPECT_TRUE(LooksLikeCabrillo("\f\v\r\nSTART-OF-LOG: 3.0\r\n"));
  EXPECT_FALSE(LooksLikeCabrillo("<CALL:5>PY1ZZ<EOR>"));
  EXPECT_FALSE(LooksLikeCabrillo("Log START-OF-LOG: 3.0"));
  EXPECT_FALSE(LooksLikeCabrillo(""));
}

// The QSOs of a log holding `qso_lines`, with the reading's notes.
std::vector<ReplayQso> Read(const std::string& qso_lines, LogNotes* notes,
                            const std::string& dg_mode = "") {
  MappingRules rules;
  rules.dgMode = dg_mode;
  return ReadCabrillo(Log(qso_lines), "log.cbr", rules, notes);
}

TEST(CabrilloReader, ColumnsOfTheContestsQsoLine) {
  LogNotes notes;
  const std::vector<ReplayQso> qsos = Read(
      "QSO:  7035 RY 2017-05-15 0905 PY2AA         599 001    PY1ZZ         599 RJ\r\n"
      "X-QSO: 21070 PS 2017-05-15 1000 PY2AA 599 SP PY3CC 599 RS\r\n"
      "QSO:    3580 po 2017-05-16 0001 py2aa/p 599 SP py0sp 599 qrp\n",
      &notes);
  ASSERT_EQ(qsos.size(), 2u);  // the X-QSO line is not part of the log
  EXPECT_TRUE(notes.warnings.empty());
  const ReplayQso& a = qsos[0];
  EXPECT_EQ(a.file, "log.cbr");
  EXPECT_EQ(a.line, 5);
  EXPECT_EQ(a.freqHz, 7035000u);
  EXPECT_EQ(a.band, "40m");
  EXPECT_EQ(a.mode, "RTTY");
  EXPECT_EQ(a.date, 20170515);
  EXPECT_EQ(a.stamp, 20170515090500);
  EXPECT_DOUBLE_EQ(a.oleDays, 42870.0 + 545.0 / 1440.0);
  EXPECT_EQ(a.ownCall + a.rstSent + a.exchSent, "PY2AA599001");
  EXPECT_EQ(a.call + a.rstRcvd + a.exchRcvd, "PY1ZZ599RJ");
  EXPECT_EQ(a.dxPrefix, "PY");

  const ReplayQso& b = qsos[1];  // calls upper-cased, the exchange as received
  EXPECT_EQ(b.mode, "BPSK125");
  EXPECT_EQ(b.band, "80m");
  EXPECT_EQ(b.ownCall, "PY2AA/P");
  EXPECT_EQ(b.call, "PY0SP");
  EXPECT_EQ(b.exchRcvd, "qrp");
  EXPECT_EQ(b.dxPrefix, "PY0S");
}

TEST(CabrilloReader, OtherLayoutsReadWhenEveryLineHasThem) {
  struct Case {
    const char* line;
    const char *rstRcvd, *call, *exchRcvd;
  } cases[] = {
      {"QSO: 14070 PM 2017-05-15 2359 PY2AA 599 SP PY0FF 579 YL 1\r\n", "579", "PY0FF", "YL"},
      {"QSO: 21070 CW 2017-05-16 0000 PY2AA SP LU1ABC 001\r\n", "", "LU1ABC", "001"},
      {"QSO: 21070 RY 2017-05-16 0000 PY2AA 599 SP 7 LU1ABC 599 RS 9\r\n", "599", "LU1ABC", "RS 9"},
  };
  for (const Case& c : cases) {
    LogNotes notes;
    const std::vector<ReplayQso> qsos = Read(std::string(c.line) + c.line, &notes);
    ASSERT_EQ(qsos.size(), 2u) << c.line;
    EXPECT_EQ(qsos[1].rstRcvd + "|" + qsos[1].call + "|" + qsos[1].exchRcvd,
              std::string(c.rstRcvd) + "|" + c.call + "|" + c.exchRcvd);
  }
}

TEST(CabrilloReader, LinesThatCannotBeScoredAreSkippedWithTheirReason) {
  const std::string good = "QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ\r\n";
  struct Case {
    std::string line;
    const char* reason;
    const char* message;
  } cases[] = {
      {"QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599\r\n", "wrong columns",
       "too few columns (9, where this log's QSO lines have 10)"},
      {"QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ 1 2\r\n", "wrong columns",
       "too many columns"},
      {"QSO: 4308968 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ\r\n", "bad frequency",
       "above what the host can pass"},
      {"QSO: 7.035 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ\r\n", "bad frequency",
       "not a frequency in kHz"},
      {"QSO: 14080 RY 2017-02-30 1200 PY2XB 599 SP PY2AD 599 RJ\r\n", "bad date", "no such date"},
      {"QSO: 14080 RY 15-05-2017 1200 PY2XB 599 SP PY2AD 599 RJ\r\n", "bad date", "no such date"},
      {"QSO: 14080 RY 2024-06-08 12:00 PY2XB 599 SP PY2AD 599 RJ\r\n", "bad time", "no such time"},
      {"QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2A\0D 599 RJ\r\n"s, "NUL byte", "NUL"},
      {"QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ\rEND-OF-LOG:\r\n", "line break",
       "line break"},
  };
  for (const Case& c : cases) {
    LogNotes notes;
    const std::vector<ReplayQso> qsos = Read(good + c.line + good, &notes);
    EXPECT_EQ(qsos.size(), 2u) << c.line;
    ASSERT_EQ(notes.warnings.size(), 1u) << c.line;
    EXPECT_EQ(notes.warnings[0].line, 6);
    EXPECT_TRUE(notes.warnings[0].skipped);
    EXPECT_NE(notes.warnings[0].message.find(c.message), std::string::npos)
        << notes.warnings[0].message;
    EXPECT_EQ(notes.skipped, (std::map<std::string, int>{{c.reason, 1}}));
  }

  // Alone in its log, the line with a missing column sets the layout; the
  // worked call's column then holds no callsign.
  LogNotes notes;
  EXPECT_TRUE(Read("QSO: 14080 RY 2024-06-08 1200 PY2XB 599 SP PY2AD 599\r\n", &notes).empty());
  EXPECT_EQ(notes.DescribeSkipped(), "1 wrong columns");

  // Two layouts with one line each: the earlier one is the log's.
  LogNotes tie;
  const std::vector<ReplayQso> tied =
      Read("QSO: 14070 PM 2017-05-15 2359 PY2AA 599 SP PY0FF 579 YL 1\r\n" + good, &tie);
  ASSERT_EQ(tied.size(), 1u);
  EXPECT_EQ(tied[0].call, "PY0FF");
  EXPECT_EQ(tie.DescribeSkipped(), "1 wrong columns");
}

TEST(CabrilloReader, HeaderAndQsoLinesAgreeOnBlanks) {
  const std::string log =
      "\f START-OF-LOG: 3.0\r\n callsign :\t py2aa \r\nCATEGORY-OPERATOR: QRP\r\n"
      "\vQSO: 14080\vRY\f2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ \r\r\n"
      "X-AFTER: no\r\nEND-OF-LOG:\r\n";
  const std::map<std::string, std::string> header = ReadCabrilloHeader(log);
  EXPECT_EQ(header.at("CALLSIGN"), "py2aa");
  EXPECT_EQ(header.at("CATEGORY-OPERATOR"), "QRP");
  EXPECT_EQ(header.count("X-AFTER"), 0u);
  EXPECT_TRUE(ReadCabrilloHeader("<CALL:5>PY1ZZ<EOR>").empty());
  LogNotes notes;
  const std::vector<ReplayQso> qsos = ReadCabrillo(log, "log.cbr", MappingRules(), &notes);
  ASSERT_EQ(qsos.size(), 1u) << notes.DescribeSkipped();
  EXPECT_EQ(qsos[0].mode + "|" + qsos[0].exchRcvd, "RTTY|RJ");
}

TEST(CabrilloReader, GenericDigitalModeMappedOnlyWhenAsked) {
  const std::string line = "QSO: 14080 DG 2024-06-08 1200 PY2XB 599 SP PY2AD 599 RJ\r\n";
  LogNotes notes;
  EXPECT_EQ(Read(line, &notes).at(0).mode, "DG");
  EXPECT_EQ(notes.genericDigital, 1);
  LogNotes mapped;
  EXPECT_EQ(Read(line, &mapped, "BPSK63").at(0).mode, "BPSK63");
  EXPECT_EQ(mapped.genericDigital, 0);
}

TEST(CabrilloReader, DamagedFilesNameTheLine) {
  struct Case {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {"START-OF-LOG: 3.0\r\nQSO: 7035 RY 2017-05-15 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n", 2,
       "ends early"},
      {Log("") + "QSO: 7035 RY 2017-05-15 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n", 6,
       "after END-OF-LOG"},
  };
  for (const Case& c : cases) {
    try {
      LogNotes notes;
      ReadCabrillo(c.text, "log.cbr", MappingRules(), &notes);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const InputError& e) {
      EXPECT_EQ(e.file(), "log.cbr");
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
