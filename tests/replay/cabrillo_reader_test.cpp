// Cabrillo logs as input: the QSO line's columns, the optional transmitter
// column, and the faults of a damaged file.

#include "tools/replay/cabrillo_reader.h"

#include <gtest/gtest.h>

#include "tools/replay/input_error.h"

namespace {

std::string Log(const std::string& qso_lines) {
  return "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: PY2AA\r\nSOAPBOX: QSO: not a line\r\n" +
         qso_lines + "END-OF-LOG:\r\n";
}

TEST(CabrilloReader, RecognisedByItsFirstLine) {
  EXPECT_TRUE(LooksLikeCabrillo("START-OF-LOG: 3.0\r\n"));
  EXPECT_TRUE(LooksLikeCabrillo("\r\n  start-of-log: 2.0\n"));
  EXPECT_TRUE(LooksLikeCabrillo("\xEF\xBB\xBFSTART-OF-LOG: 3.0\r\n"));
  EXPECT_FALSE(LooksLikeCabrillo("<CALL:5>PY1ZZ<EOR>"));
  EXPECT_FALSE(LooksLikeCabrillo("Log START-OF-LOG: 3.0"));
  EXPECT_FALSE(LooksLikeCabrillo(""));
}

TEST(CabrilloReader, ColumnsOfTheContestsQsoLine) {
  const std::vector<ReplayQso> qsos = ReadCabrillo(
      Log("QSO:  7035 RY 2017-05-15 0905 PY2AA         599 001    PY1ZZ         599 RJ\r\n"
          "QSO: 14070 PM 2017-05-15 2359 PY2AA 599 SP PY0FF 579 YL 1\r\n"
          "X-QSO: 21070 PS 2017-05-15 1000 PY2AA 599 SP PY3CC 599 RS\r\n"
          "QSO: 21070 CW 2017-05-16 0000 PY2AA SP LU1ABC 001\r\n"
          "QSO:    3580 PO 2017-05-16 0001 PY2AA/P 599 SP PY0SP 599 QRP\n"),
      "log.cbr");
  ASSERT_EQ(qsos.size(), 4u);  // the X-QSO line is not part of the log
  const ReplayQso& a = qsos[0];
  EXPECT_EQ(a.line, 5);
  EXPECT_EQ(a.freqHz, 7035000u);
  EXPECT_EQ(a.band, "40m");
  EXPECT_EQ(a.mode, "RTTY");
  EXPECT_EQ(a.date, 20170515);
  EXPECT_DOUBLE_EQ(a.oleDays, 42870.0 + 545.0 / 1440.0);
  EXPECT_EQ(a.ownCall, "PY2AA");
  EXPECT_EQ(a.rstSent, "599");
  EXPECT_EQ(a.exchSent, "001");
  EXPECT_EQ(a.call, "PY1ZZ");
  EXPECT_EQ(a.rstRcvd, "599");
  EXPECT_EQ(a.exchRcvd, "RJ");
  EXPECT_EQ(a.dxPrefix, "PY");

  const ReplayQso& b = qsos[1];  // with a transmitter column
  EXPECT_EQ(b.band, "20m");
  EXPECT_EQ(b.mode, "BPSK63");
  EXPECT_EQ(b.call, "PY0FF");
  EXPECT_EQ(b.rstRcvd, "579");
  EXPECT_EQ(b.exchRcvd, "YL");
  EXPECT_EQ(b.dxPrefix, "PY0F");

  const ReplayQso& c = qsos[2];  // one exchange column each way, no report
  EXPECT_EQ(c.mode, "CW");
  EXPECT_EQ(c.rstSent, "");
  EXPECT_EQ(c.exchSent, "SP");
  EXPECT_EQ(c.call, "LU1ABC");
  EXPECT_EQ(c.exchRcvd, "001");
  EXPECT_EQ(c.dxPrefix, "DX");

  EXPECT_EQ(qsos[3].mode, "BPSK125");
  EXPECT_EQ(qsos[3].band, "80m");
  EXPECT_EQ(qsos[3].ownCall, "PY2AA/P");
  EXPECT_EQ(qsos[3].dxPrefix, "PY0S");
}

TEST(CabrilloReader, FaultsNameTheLine) {
  struct Case {
    std::string text;
    int line;
    const char* message;
  } cases[] = {
      {Log("QSO: 7035 RY 2017-05-15 0905 PY2AA 599 PY1ZZ\r\n"), 5, "too few columns"},
      {Log("QSO: 7.035 RY 2017-05-15 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n"), 5,
       "'7.035' is not a frequency"},
      {Log("QSO: 7035 RY 15-05-2017 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n"), 5, "unknown date"},
      {Log("QSO: 7035 RY 2017-02-30 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n"), 5, "unknown date"},
      {Log("QSO: 7035 RY 2017-05-15 09:05 PY2AA 599 SP PY1ZZ 599 RJ\r\n"), 5, "unknown time"},
      {Log("QSO: 7035 RY 2017-05-15 090500 PY2AA 599 SP PY1ZZ 599 RJ\r\n"), 5, "unknown time"},
      {"START-OF-LOG: 3.0\r\nQSO: 7035 RY 2017-05-15 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n", 2,
       "ends early"},
      {Log("") + "QSO: 7035 RY 2017-05-15 0905 PY2AA 599 SP PY1ZZ 599 RJ\r\n", 6,
       "after END-OF-LOG"},
  };
  for (const Case& c : cases) {
    try {
      ReadCabrillo(c.text, "log.cbr");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const InputError& e) {
      EXPECT_EQ(e.file(), "log.cbr");
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
