// The translation of a log's spelling into the host's QSO argument list:
// modes, bands, prefixes, frequencies, dates, and which field wins when a
// log carries several candidates.

#include "tools/replay/qso_mapping.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/ole_date.h"

namespace {

using namespace std::string_literals;

// clang-format off
TEST(ModeMapping, ContestModesInEveryAdifSpellingOthersAsWritten) {
  struct Case { const char *mode, *submode, *host; } cases[] = {
      {"RTTY", "", "RTTY"},       {"rtty", "", "RTTY"},        {"RTTY", "ASCI", "RTTY"},
      {"PSK", "PSK31", "BPSK31"}, {"psk", "psk63", "BPSK63"},  {"PSK", "PSK125", "BPSK125"},
      {"PSK31", "", "BPSK31"},    {"PSK63", "", "BPSK63"},     {"PSK125", "", "BPSK125"},
      {"BPSK31", "", "BPSK31"},   {"bpsk63", "", "BPSK63"},    {"BPSK125", "", "BPSK125"},
      {"PSK", "QPSK31", "QPSK31"},{"PSK", "PSK250", "PSK250"}, {"PSK", "", "PSK"},
      {"CW", "", "CW"},           {"MFSK", "FT4", "FT4"},      {"ft8", "", "ft8"}};
  for (const Case& c : cases) {
    EXPECT_EQ(HostModeOfAdif(c.mode, c.submode), c.host) << c.mode << "/" << c.submode;
  }
  const char* cabrillo[][2] = {{"RY", "RTTY"}, {"PS", "BPSK31"}, {"PM", "BPSK63"},
                               {"po", "BPSK125"}, {"DG", "DG"}, {"??", "??"}};
  for (const auto& c : cabrillo) EXPECT_EQ(HostModeOfCabrillo(c[0]), c[1]) << c[0];
  for (const char* m : {"DG", "dg", "DIGI", "Digital", "DATA"}) EXPECT_TRUE(IsGenericDigital(m));
  for (const char* m : {"RTTY", "DIGITALVOICE", "D"}) EXPECT_FALSE(IsGenericDigital(m)) << m;
}

TEST(BandMapping, BandEdgesAreInsideTheBand) {
  struct Case { uint64_t hz; const char* band; } cases[] = {
      {1799999, ""},     {1800000, "160m"}, {3500000, "80m"},  {4000000, "80m"},  {4000001, ""},
      {6999999, ""},     {7000000, "40m"},  {7300000, "40m"},  {10142000, "30m"}, {14070000, "20m"},
      {14350001, ""},    {18100000, "17m"}, {21450000, "15m"}, {24900000, "12m"}, {28000000, "10m"},
      {29700000, "10m"}, {29700001, ""},    {50313000, "6m"},  {145000000, "2m"}, {0, ""}};
  for (const Case& c : cases) EXPECT_EQ(BandOfFrequency(c.hz), c.band) << c.hz;
  const char* spelled[][2] = {{"20M", "20m"}, {" 40m\r\n", "40m"}, {"70CM", "70cm"},
                              {"11M", "11M"}, {"", ""}};
  for (const auto& b : spelled) EXPECT_EQ(HostBand(b[0]), b[1]) << b[0];
}

TEST(FrequencyMapping, MegahertzToHertzRoundedToTheNearest) {
  struct Case { const char* text; bool ok; uint64_t hz; } cases[] = {
      {"7.035", true, 7035000},       {"14.0705", true, 14070500},   {"7", true, 7000000},
      {"7.", true, 7000000},          {".5", true, 500000},          {" 3.5803 ", true, 3580300},
      {"14.0700005", true, 14070001}, {"14.07000049", true, 14070000},
      {"28.1234564999", true, 28123456}, {"10368.1", true, 10368100000ull},
      {"", false, 0},  {".", false, 0},  {"7,035", false, 0},  {"-7.0", false, 0},
      {"7.0.3", false, 0},  {"7 MHz", false, 0},  {"1234567", false, 0}};
  for (const Case& c : cases) {
    uint64_t hz = 99;
    EXPECT_EQ(ParseMegahertz(c.text, &hz), c.ok) << c.text;
    if (c.ok) { EXPECT_EQ(hz, c.hz) << c.text; }
  }
}

TEST(PrefixMapping, IslandsBrazilAndTheRest) {
  const char* by_call[][2] = {
      {"PY0FF", "PY0F"},  {"PY0SP", "PY0S"},      {"PY0TI", "PY0T"},   {"py0ff", "PY0F"},
      {"PP0F", "PY0F"},   {"PQ0SA", "PY0S"},      {"PX0TT", "PY0T"},   {"ZV0F", "PY0F"},
      {"ZZ0TX", "PY0T"},  {"PY0ZZ", "PY"},        {"PY2AA", "PY"},     {"PU2ABC", "PY"},
      {"ZV9OX", "PY"},    {"PZ1AA", "DX"},        {"PO2AA", "DX"},     {"ZU1AA", "DX"},
      {"LU1ABC", "DX"},   {"PY2AA/P", "PY"},      {"PY2AA/QRP", "PY"}, {"PY2AA/3", "PY"},
      {"PY0F/PY2AA", "PY0F"}, {"PY2AA/PY0T", "PY0T"}, {"LU1ABC/PY", "PY"}, {"PY2AA/LU", "DX"},
      {"PY0F/ZW5B", "PY0F"},  {"ZW5B/PY0F", "PY"},  // equally short: the first part
      {"", "DX"},         {"P", "DX"},            {"/", "DX"}};
  for (const auto& c : by_call) EXPECT_EQ(PrefixOfCall(c[0]), c[1]) << c[0];
  const std::pair<int, const char*> by_dxcc[] = {
      {108, "PY"}, {56, "PY0F"}, {253, "PY0S"}, {273, "PY0T"}, {100, "LU"}, {0, "DX"}, {999, "DX"}};
  for (const auto& [entity, prefix] : by_dxcc) EXPECT_EQ(PrefixOfDxcc(entity), prefix) << entity;
  for (const char* p : {"PY", "PY0F", "PY0S", "PY0T"}) EXPECT_TRUE(IsBrazilianPrefix(p)) << p;
  for (const char* p : {"DX", "LU", "py", "PY0", "PY0/s"}) EXPECT_FALSE(IsBrazilianPrefix(p)) << p;
}
// clang-format on

TEST(DateMapping, CalendarDatesTimesAndOleDayCounts) {
  int y, m, d, h, mi, s;
  ASSERT_TRUE(ParseAdifDate("20240229", &y, &m, &d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  for (const char* bad : {"20230229", "20241301", "20240100", "20240631", "2024061", "2024-06-08",
                          "00990101", "2024060a", ""}) {
    EXPECT_FALSE(ParseAdifDate(bad, &y, &m, &d)) << bad;
  }
  ASSERT_TRUE(ParseAdifTime("0905", &h, &mi, &s));
  EXPECT_EQ(h * 10000 + mi * 100 + s, 90500);
  ASSERT_TRUE(ParseAdifTime("235959", &h, &mi, &s));
  EXPECT_EQ(h * 10000 + mi * 100 + s, 235959);
  for (const char* bad : {"2400", "1260", "120060", "905", "12345", "09:05", ""}) {
    EXPECT_FALSE(ParseAdifTime(bad, &h, &mi, &s)) << bad;
  }

  // The day count is the plug-in's own, so it reads back as the same day
  // and hour, before 1899-12-30 too.
  struct Stamp {
    int y, m, d, h, mi;
    const char* text;
  } stamps[] = {{1899, 12, 29, 18, 0, "1899-12-29 1800"},
                {1899, 12, 30, 0, 0, "1899-12-30 0000"},
                {1800, 1, 1, 23, 59, "1800-01-01 2359"},
                {2024, 2, 29, 12, 5, "2024-02-29 1205"}};
  for (const Stamp& t : stamps) {
    ReplayQso q;
    SetQsoTime(&q, t.y, t.m, t.d, t.h, t.mi, 0);
    EXPECT_EQ(COleDateTime(q.oleDays, COleDateTime::kValid).Format("%Y-%m-%d %H%M"), t.text);
    EXPECT_EQ(q.stamp, (t.y * 10000LL + t.m * 100 + t.d) * 1000000 + t.h * 10000 + t.mi * 100);
  }
}

// A record from "NAME=value;NAME=value"; field i lies on line 7 + i.
AdifRecord Record(const std::string& text) {
  AdifRecord record;
  record.line = 7;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(';', pos);
    if (end == std::string::npos) end = text.size();
    const std::string field = text.substr(pos, end - pos);
    const size_t equals = field.find('=');
    record.fields.push_back(AdifField{field.substr(0, equals), field.substr(equals + 1),
                                      7 + static_cast<int>(record.fields.size())});
    pos = end + 1;
  }
  return record;
}

const std::string kBasic = "CALL=PY1ZZ;QSO_DATE=20240608;TIME_ON=1200;MODE=RTTY;";
const std::string kFull =
    "CALL=PY1ZZ;QSO_DATE=20170515;TIME_ON=090530;BAND=40m;FREQ=7.0355;MODE=PSK;SUBMODE=PSK63;"
    "RST_SENT=599;RST_RCVD=579;STX=7;STX_STRING=SP;SRX=12;SRX_STRING=RJ;STATE=ES;DXCC=56;"
    "OPERATOR=PY2BB;STATION_CALLSIGN=PY2AA";

// The record mapped with fallback own call PY9ZZ; fails the test when it is
// skipped.
ReplayQso Map(const std::string& fields, LogNotes* notes = nullptr,
              const std::string& dg_mode = "") {
  LogNotes ignored;
  ReplayQso qso;
  MappingRules rules{"PY9ZZ", dg_mode};
  EXPECT_TRUE(MapAdifRecord(Record(fields), "log.adi", rules, &qso, notes ? notes : &ignored))
      << fields;
  return qso;
}

TEST(RecordMapping, EveryArgumentFromItsFirstChoiceField) {
  const ReplayQso q = Map(kFull);
  EXPECT_EQ(q.file, "log.adi");
  EXPECT_EQ(q.line, 7);
  EXPECT_EQ(q.call, "PY1ZZ");
  EXPECT_EQ(q.ownCall, "PY2AA");
  EXPECT_EQ(q.date, 20170515);
  EXPECT_DOUBLE_EQ(q.oleDays, 42870.0 + (9 * 3600 + 5 * 60 + 30) / 86400.0);
  EXPECT_EQ(q.freqHz, 7035500u);
  EXPECT_EQ(q.band, "40m");
  EXPECT_EQ(q.mode, "BPSK63");
  EXPECT_EQ(q.rstSent + q.rstRcvd, "599579");
  EXPECT_EQ(q.exchSent, "SP");
  EXPECT_EQ(q.exchRcvd, "RJ");
  EXPECT_EQ(q.dxPrefix, "PY0F");  // DXCC wins over the callsign
}

TEST(RecordMapping, FallbacksWhenTheFirstChoiceIsAbsent) {
  ReplayQso q = Map(kBasic + "FREQ=14.0705;OPERATOR=PY2BB;STX=001;SRX=5;STATE=RJ");
  EXPECT_EQ(q.ownCall, "PY2BB");
  EXPECT_EQ(q.band, "20m");  // from FREQ
  EXPECT_EQ(q.exchSent, "001");
  EXPECT_EQ(q.exchRcvd, "5");   // SRX before STATE
  EXPECT_EQ(q.dxPrefix, "PY");  // from the callsign

  LogNotes notes;
  q = Map(kBasic + "BAND=80M;STATE=RJ", &notes);
  EXPECT_EQ(q.ownCall, "PY9ZZ");
  EXPECT_EQ(q.band, "80m");       // the host's spelling
  EXPECT_EQ(q.freqHz, 3500000u);  // the band's edge, which Cabrillo takes for the band
  EXPECT_EQ(notes.bandEdgeFrequencies, 1);
  EXPECT_EQ(q.exchSent, "");
  EXPECT_EQ(q.exchRcvd, "RJ");  // a Brazilian station's state

  // A foreign station's state is no area, by callsign or by DXCC.
  EXPECT_EQ(Map("CALL=LU1ABC;QSO_DATE=20240608;TIME_ON=1200;MODE=RTTY;BAND=40m;STATE=BA").exchRcvd,
            "");
  EXPECT_EQ(Map(kBasic + "BAND=40m;STATE=BA;DXCC=291").exchRcvd, "");
}

TEST(RecordMapping, SpellingsLoggersVaryOnBecomeTheHosts) {
  LogNotes notes;
  const ReplayQso q =
      Map("CALL= py2aa ;QSO_DATE=20240608\r\n;TIME_ON=1200;MODE= bpsk31;BAND=20M\r\n;"
          "SRX_STRING= sp \n;STX_STRING=RJ ;STATION_CALLSIGN=py2xb\r\n;RST_SENT=599\n;CALL=PY1ZZ;"
          "DXCC=x",
          &notes);
  EXPECT_EQ(q.call, "PY2AA");  // the first CALL, with a warning about the second
  EXPECT_EQ(q.ownCall, "PY2XB");
  EXPECT_EQ(q.band, "20m");
  EXPECT_EQ(q.mode, "BPSK31");
  EXPECT_EQ(q.exchRcvd, "sp");  // trimmed, letter case as received
  EXPECT_EQ(q.exchSent + q.rstSent, "RJ599");
  EXPECT_EQ(q.dxPrefix, "PY");  // the call decides when DXCC is no number
  ASSERT_EQ(notes.warnings.size(), 2u);
  EXPECT_EQ(notes.warnings[0].Describe(),
            "log.adi:16: CALL: given twice in one record; the first value is kept");
  EXPECT_EQ(notes.warnings[1].field, "DXCC");
  EXPECT_EQ(notes.SkippedCount(), 0);

  // "Digital" without a contest mode: counted, or mapped when asked.
  LogNotes digital;
  EXPECT_EQ(Map(kBasic + "BAND=20m;MODE=DIGI", &digital).mode, "RTTY");  // first MODE wins
  EXPECT_EQ(Map("CALL=PY1ZZ;QSO_DATE=20240608;TIME_ON=1200;BAND=20m;MODE=DATA", &digital).mode,
            "DATA");
  EXPECT_EQ(digital.genericDigital, 1);
  EXPECT_EQ(Map("CALL=PY1ZZ;QSO_DATE=20240608;TIME_ON=1200;BAND=20m;MODE=DG", nullptr, "RTTY").mode,
            "RTTY");
}

TEST(RecordMapping, RecordsThatCannotBeScoredAreSkippedNamingTheirLine) {
  struct Case {
    std::string fields;
    const char* field;
    int line;
    const char* reason;
    const char* message;
  } cases[] = {
      {"QSO_DATE=20240608;TIME_ON=1200;BAND=40m;MODE=RTTY", "CALL", 7, "no CALL", "missing"},
      {"CALL= ;QSO_DATE=20240608;TIME_ON=1200;BAND=40m;MODE=RTTY", "CALL", 7, "no CALL", "empty"},
      {"CALL=PY1ZZ;TIME_ON=1200;BAND=40m;MODE=RTTY", "QSO_DATE", 7, "no QSO_DATE", "missing"},
      {"CALL=PY1ZZ;QSO_DATE=20240608;BAND=40m;TIME_ON=1200", "MODE", 7, "no MODE", "missing"},
      {"CALL=PY1ZZ;QSO_DATE=20240631;TIME_ON=1200;BAND=40m;MODE=RTTY", "QSO_DATE", 8, "bad date",
       "no such date '20240631'"},
      {"CALL=PY1ZZ;QSO_DATE=20240608;TIME_ON=2460;BAND=40m;MODE=RTTY", "TIME_ON", 9, "bad time",
       "no such time '2460'"},
      {kBasic, "BAND", 7, "no BAND or FREQ", "missing"},
      {kBasic + "FREQ=7,035", "FREQ", 11, "bad frequency", "not a frequency"},
      {kBasic + "FREQ=10368.1", "FREQ", 11, "bad frequency", "above what the host can pass"},
      {"CALL=PY1\0ZZ;QSO_DATE=20240608;TIME_ON=1200;BAND=40m;MODE=RTTY"s, "CALL", 7, "NUL byte",
       "NUL byte"},
      // A line break inside a value would forge lines in the files written
      // from it; around the value it is trimmed like any blank.
      {kBasic + "BAND=40m;SRX_STRING=RJ\r\nQSO: 7035 RY 2024-06-08 1200 X 599 SP Y 599 RJ",
       "SRX_STRING", 12, "line break", "line break"},
      {"CALL=PY1ZZ\rX;QSO_DATE=20240608;TIME_ON=1200;BAND=40m;MODE=RTTY", "CALL", 7, "line break",
       "line break"},
  };
  for (const Case& c : cases) {
    LogNotes notes;
    ReplayQso qso;
    EXPECT_FALSE(MapAdifRecord(Record(c.fields), "log.adi", MappingRules(), &qso, &notes))
        << c.fields;
    ASSERT_EQ(notes.warnings.size(), 1u) << c.fields;
    const LogWarning& w = notes.warnings[0];
    EXPECT_EQ(w.file + "|" + w.field + "|" + std::to_string(w.line),
              "log.adi|" + std::string(c.field) + "|" + std::to_string(c.line));
    EXPECT_TRUE(w.skipped);
    EXPECT_NE(w.message.find(c.message), std::string::npos) << w.message;
    EXPECT_EQ(notes.skipped, (std::map<std::string, int>{{c.reason, 1}}));
  }
}

}  // namespace
