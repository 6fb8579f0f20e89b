// The translation of a log's spelling into the host's QSO argument list:
// modes, bands, prefixes, frequencies, dates, and which field wins when a
// log carries several candidates.

#include "tools/replay/qso_mapping.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tools/replay/input_error.h"

namespace {

TEST(ModeMapping, ContestModesInEveryAdifSpellingOthersAsWritten) {
  struct Case {
    const char *mode, *submode, *host;
  } cases[] = {
      {"RTTY", "", "RTTY"},        {"rtty", "", "RTTY"},
      {"RTTY", "ASCI", "RTTY"},    {"PSK", "PSK31", "BPSK31"},
      {"psk", "psk63", "BPSK63"},  {"PSK", "PSK125", "BPSK125"},
      {"PSK31", "", "BPSK31"},     {"PSK63", "", "BPSK63"},
      {"PSK125", "", "BPSK125"},   {"BPSK31", "", "BPSK31"},
      {"bpsk63", "", "BPSK63"},    {"BPSK125", "", "BPSK125"},
      {"PSK", "QPSK31", "QPSK31"}, {"PSK", "PSK250", "PSK250"},
      {"PSK", "", "PSK"},          {"CW", "", "CW"},
      {"MFSK", "FT4", "FT4"},      {"ft8", "", "ft8"},
      {"SSB", "USB", "USB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HostModeOfAdif(c.mode, c.submode), c.host) << c.mode << "/" << c.submode;
  }
  EXPECT_EQ(HostModeOfCabrillo("RY"), "RTTY");
  EXPECT_EQ(HostModeOfCabrillo("PS"), "BPSK31");
  EXPECT_EQ(HostModeOfCabrillo("PM"), "BPSK63");
  EXPECT_EQ(HostModeOfCabrillo("po"), "BPSK125");
  EXPECT_EQ(HostModeOfCabrillo("DG"), "DG");
  EXPECT_EQ(HostModeOfCabrillo("??"), "??");
}

TEST(BandMapping, BandEdgesAreInsideTheBand) {
  struct Case {
    uint64_t hz;
    const char* band;
  } cases[] = {
      {1799999, ""},     {1800000, "160m"}, {3500000, "80m"},  {3580250, "80m"},  {4000000, "80m"},
      {4000001, ""},     {6999999, ""},     {7000000, "40m"},  {7300000, "40m"},  {10142000, "30m"},
      {14070000, "20m"}, {14350001, ""},    {18100000, "17m"}, {21000000, "15m"}, {21450000, "15m"},
      {24900000, "12m"}, {28000000, "10m"}, {29700000, "10m"}, {29700001, ""},    {50313000, "6m"},
      {145000000, "2m"}, {0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(BandOfFrequency(c.hz), c.band) << c.hz;
}

TEST(FrequencyMapping, MegahertzToHertzRoundedToTheNearest) {
  struct Case {
    const char* text;
    bool ok;
    uint64_t hz;
  } cases[] = {
      {"7.035", true, 7035000},
      {"14.0705", true, 14070500},
      {"7", true, 7000000},
      {"7.", true, 7000000},
      {".5", true, 500000},
      {" 3.5803 ", true, 3580300},
      {"14.0700005", true, 14070001},
      {"14.07000049", true, 14070000},
      {"28.1234564999", true, 28123456},
      {"0.0000004", true, 0},
      {"10368.1", true, 10368100000ull},
      {"", false, 0},
      {".", false, 0},
      {"7,035", false, 0},
      {"-7.0", false, 0},
      {"7.0.3", false, 0},
      {"7 MHz", false, 0},
      {"1234567", false, 0},
  };
  for (const Case& c : cases) {
    uint64_t hz = 99;
    EXPECT_EQ(ParseMegahertz(c.text, &hz), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(hz, c.hz) << c.text;
    }
  }
}

TEST(PrefixMapping, IslandsBrazilAndTheRestByCallsign) {
  struct Case {
    const char *call, *prefix;
  } cases[] = {
      {"PY0FF", "PY0F"},
      {"PY0SP", "PY0S"},
      {"PY0TI", "PY0T"},
      {"py0ff", "PY0F"},
      {"PP0F", "PY0F"},
      {"PQ0SA", "PY0S"},
      {"PX0TT", "PY0T"},
      {"ZV0F", "PY0F"},
      {"ZZ0TX", "PY0T"},
      {"PY0ZZ", "PY"},
      {"PY2AA", "PY"},
      {"PP5XX", "PY"},
      {"PU2ABC", "PY"},
      {"ZV9OX", "PY"},
      {"ZZ2A", "PY"},
      {"PZ1AA", "DX"},
      {"PO2AA", "DX"},
      {"ZU1AA", "DX"},
      {"LU1ABC", "DX"},
      {"K1AA", "DX"},
      {"PY2AA/P", "PY"},
      {"PY2AA/QRP", "PY"},
      {"PY2AA/3", "PY"},
      {"PY0F/PY2AA", "PY0F"},
      {"PY2AA/PY0T", "PY0T"},
      {"LU1ABC/PY", "PY"},
      {"PY2AA/LU", "DX"},
      {"", "DX"},
      {"P", "DX"},
      {"/", "DX"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrefixOfCall(c.call), c.prefix) << c.call;

  EXPECT_EQ(PrefixOfDxcc(108), "PY");
  EXPECT_EQ(PrefixOfDxcc(56), "PY0F");
  EXPECT_EQ(PrefixOfDxcc(253), "PY0S");
  EXPECT_EQ(PrefixOfDxcc(273), "PY0T");
  EXPECT_EQ(PrefixOfDxcc(100), "LU");
  EXPECT_EQ(PrefixOfDxcc(291), "K");
  EXPECT_EQ(PrefixOfDxcc(0), "DX");
  EXPECT_EQ(PrefixOfDxcc(999), "DX");
  for (const char* p : {"PY", "PY0F", "PY0S", "PY0T"}) EXPECT_TRUE(IsBrazilianPrefix(p)) << p;
  for (const char* p : {"DX", "LU", "py", "PY0", "PY0/s"}) EXPECT_FALSE(IsBrazilianPrefix(p)) << p;
}

TEST(DateMapping, CalendarDatesAndTimesOfDay) {
  int y, m, d, h, mi, s;
  EXPECT_TRUE(ParseAdifDate("20240229", &y, &m, &d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  for (const char* bad : {"20230229", "20241301", "20240100", "20240631", "2024061", "2024-06-08",
                          "00990101", "2024060a", ""}) {
    EXPECT_FALSE(ParseAdifDate(bad, &y, &m, &d)) << bad;
  }
  EXPECT_TRUE(ParseAdifTime("0905", &h, &mi, &s));
  EXPECT_EQ(h * 10000 + mi * 100 + s, 90500);
  EXPECT_TRUE(ParseAdifTime("235959", &h, &mi, &s));
  EXPECT_EQ(h * 10000 + mi * 100 + s, 235959);
  for (const char* bad : {"2400", "1260", "120060", "905", "12345", "09:05", "1234567", ""}) {
    EXPECT_FALSE(ParseAdifTime(bad, &h, &mi, &s)) << bad;
  }
}

TEST(DateMapping, OleDayCountsFromTheHostEpoch) {
  EXPECT_EQ(OleDayNumber(1899, 12, 30), 0);
  EXPECT_EQ(OleDayNumber(1899, 12, 29), -1);
  EXPECT_EQ(OleDayNumber(1900, 1, 1), 2);
  EXPECT_EQ(OleDayNumber(2000, 1, 1), 36526);
  EXPECT_EQ(OleDayNumber(2017, 5, 15), 42870);
  EXPECT_EQ(OleDayNumber(2024, 3, 1) - OleDayNumber(2024, 2, 28), 2);  // leap year
  EXPECT_EQ(OleDayNumber(2100, 3, 1) - OleDayNumber(2100, 2, 28), 1);  // not one
  EXPECT_DOUBLE_EQ(OleDays(2017, 5, 15, 9, 5, 0), 42870.0 + 545.0 / 1440.0);
  EXPECT_DOUBLE_EQ(OleDays(2024, 6, 8, 23, 59, 59), OleDayNumber(2024, 6, 8) + 86399.0 / 86400.0);
}

// A complete record; tests remove or change fields from it.
AdifRecord Record(std::initializer_list<std::pair<const char*, const char*>> fields) {
  AdifRecord record;
  record.line = 7;
  int line = 7;
  for (const auto& [name, value] : fields) record.fields.push_back({name, value, line++});
  return record;
}

const std::initializer_list<std::pair<const char*, const char*>> kFull = {
    {"CALL", "PY1ZZ"},
    {"QSO_DATE", "20170515"},
    {"TIME_ON", "090530"},
    {"BAND", "40m"},
    {"FREQ", "7.0355"},
    {"MODE", "PSK"},
    {"SUBMODE", "PSK63"},
    {"RST_SENT", "599"},
    {"RST_RCVD", "579"},
    {"STX", "7"},
    {"STX_STRING", "SP"},
    {"SRX", "12"},
    {"SRX_STRING", "RJ"},
    {"STATE", "ES"},
    {"DXCC", "56"},
    {"OPERATOR", "PY2BB"},
    {"STATION_CALLSIGN", "PY2AA"},
};

TEST(RecordMapping, EveryArgumentFromItsField) {
  const ReplayQso q = MapAdifRecord(Record(kFull), "log.adi", "PY9ZZ");
  EXPECT_EQ(q.line, 7);
  EXPECT_EQ(q.call, "PY1ZZ");
  EXPECT_EQ(q.ownCall, "PY2AA");
  EXPECT_EQ(q.date, 20170515);
  EXPECT_DOUBLE_EQ(q.oleDays, 42870.0 + (9 * 3600 + 5 * 60 + 30) / 86400.0);
  EXPECT_EQ(q.freqHz, 7035500u);
  EXPECT_EQ(q.band, "40m");
  EXPECT_EQ(q.mode, "BPSK63");
  EXPECT_EQ(q.rstSent, "599");
  EXPECT_EQ(q.rstRcvd, "579");
  EXPECT_EQ(q.exchSent, "SP");
  EXPECT_EQ(q.exchRcvd, "RJ");
  EXPECT_EQ(q.dxPrefix, "PY0F");  // DXCC wins over the callsign
}

TEST(RecordMapping, FallbacksWhenTheFirstChoiceIsAbsent) {
  // No STATION_CALLSIGN: OPERATOR; neither: the fallback.
  AdifRecord r = Record({{"CALL", "PY1ZZ"},
                         {"QSO_DATE", "20240608"},
                         {"TIME_ON", "1200"},
                         {"FREQ", "14.0705"},
                         {"MODE", "RTTY"},
                         {"OPERATOR", "PY2BB"},
                         {"STX", "001"},
                         {"SRX", "5"},
                         {"STATE", "RJ"}});
  ReplayQso q = MapAdifRecord(r, "x", "PY9ZZ");
  EXPECT_EQ(q.ownCall, "PY2BB");
  EXPECT_EQ(q.band, "20m");  // from FREQ
  EXPECT_EQ(q.exchSent, "001");
  EXPECT_EQ(q.exchRcvd, "5");   // SRX before STATE
  EXPECT_EQ(q.dxPrefix, "PY");  // from the callsign

  r = Record({{"CALL", "PY1ZZ"},
              {"QSO_DATE", "20240608"},
              {"TIME_ON", "1200"},
              {"BAND", "80M"},
              {"MODE", "RTTY"},
              {"STATE", "RJ"}});
  q = MapAdifRecord(r, "x", "PY9ZZ");
  EXPECT_EQ(q.ownCall, "PY9ZZ");
  EXPECT_EQ(q.band, "80M");  // as written: the plug-in decides
  EXPECT_EQ(q.freqHz, 0u);
  EXPECT_EQ(q.exchSent, "");
  EXPECT_EQ(q.exchRcvd, "RJ");  // a Brazilian station's state

  r = Record({{"CALL", "LU1ABC"},
              {"QSO_DATE", "20240608"},
              {"TIME_ON", "1200"},
              {"BAND", "40m"},
              {"MODE", "RTTY"},
              {"STATE", "BA"}});
  EXPECT_EQ(MapAdifRecord(r, "x", "").exchRcvd, "");  // a foreign station's state is no area
  r = Record({{"CALL", "PY1ZZ"},
              {"QSO_DATE", "20240608"},
              {"TIME_ON", "1200"},
              {"BAND", "40m"},
              {"MODE", "RTTY"},
              {"STATE", "BA"},
              {"DXCC", "291"}});
  EXPECT_EQ(MapAdifRecord(r, "x", "").exchRcvd, "");  // DXCC says it is not in Brazil

  // Above the 32 bits of the host's argument the frequency is left out.
  r = Record({{"CALL", "PY1ZZ"},
              {"QSO_DATE", "20240608"},
              {"TIME_ON", "1200"},
              {"FREQ", "10368.1"},
              {"MODE", "RTTY"}});
  q = MapAdifRecord(r, "x", "");
  EXPECT_EQ(q.freqHz, 0u);
  EXPECT_EQ(q.band, "");
}

TEST(RecordMapping, MissingOrMalformedFieldsNameTheirLine) {
  struct Case {
    const char* field;
    const char* value;  // null: remove the field
    int line;
    const char* message;
  } cases[] = {
      {"CALL", nullptr, 7, "missing"},
      {"CALL", "", 7, "empty"},
      {"QSO_DATE", nullptr, 7, "missing"},
      {"QSO_DATE", "20240631", 8, "unknown date '20240631'"},
      {"TIME_ON", nullptr, 7, "missing"},
      {"TIME_ON", "2460", 9, "unknown time '2460'"},
      {"MODE", nullptr, 7, "missing"},
      {"FREQ", "7,035", 11, "not a frequency"},
      {"DXCC", "PY", 21, "not a DXCC entity number"},
  };
  for (const Case& c : cases) {
    AdifRecord r = Record(kFull);
    for (auto it = r.fields.begin(); it != r.fields.end(); ++it) {
      if (it->name != c.field) continue;
      if (c.value == nullptr) {
        r.fields.erase(it);
      } else {
        it->value = c.value;
      }
      break;
    }
    try {
      MapAdifRecord(r, "log.adi", "");
      ADD_FAILURE() << c.field << " accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(e.file(), "log.adi");
      EXPECT_EQ(e.field(), c.field);
      EXPECT_EQ(e.line(), c.line) << c.field;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  // Neither BAND nor FREQ.
  AdifRecord r =
      Record({{"CALL", "PY1ZZ"}, {"QSO_DATE", "20240608"}, {"TIME_ON", "1200"}, {"MODE", "RTTY"}});
  EXPECT_THROW(MapAdifRecord(r, "x", ""), InputError);
}

}  // namespace
