// The ADIF reader against the ways real files differ: headers, letter case,
// byte lengths with multi-byte text, and the faults of a damaged file.

#include "tools/replay/adif_reader.h"

#include <gtest/gtest.h>

#include "tools/replay/input_error.h"

namespace {

std::string ValueOf(const AdifRecord& record, const char* name) {
  const AdifField* field = record.Find(name);
  return field != nullptr ? field->value : "(missing)";
}

TEST(AdifReader, HeaderFieldsEndAtEohAndAreDropped) {
  const AdifLog log = ReadAdif(
      "Log of PY2AA, 2024\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:3>abc\r\n<eoh>\r\n"
      "<CALL:5>PY1ZZ<EOR>\r\n",
      "log.adi");
  ASSERT_TRUE(log.hasHeader);
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].fields.size(), 1u);
  EXPECT_EQ(ValueOf(log.records[0], "CALL"), "PY1ZZ");
  EXPECT_EQ(log.records[0].Find("ADIF_VER"), nullptr);
}

TEST(AdifReader, FileWithoutHeaderStartsWithItsFirstRecord) {
  const AdifLog log = ReadAdif("<CALL:5>PY1ZZ<EOR><EOR>\n<CALL:5>PY2AA <MODE:4>RTTY\n<EOR>", "x");
  EXPECT_FALSE(log.hasHeader);
  ASSERT_EQ(log.records.size(), 2u);  // the empty record between is skipped
  EXPECT_EQ(ValueOf(log.records[1], "CALL"), "PY2AA");
  EXPECT_EQ(ValueOf(log.records[1], "MODE"), "RTTY");
  EXPECT_TRUE(ReadAdif("", "x").records.empty());
  EXPECT_TRUE(ReadAdif("only text, no tags\n", "x").records.empty());
}

TEST(AdifReader, FieldNamesInAnyCaseValuesAsWritten) {
  const AdifLog log = ReadAdif("<call:5>py1zz<Qso_Date:8:D>20240608<MoDe:4:S>rtty<eOr>", "x");
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(ValueOf(log.records[0], "CALL"), "py1zz");
  EXPECT_EQ(ValueOf(log.records[0], "QSO_DATE"), "20240608");
  EXPECT_EQ(ValueOf(log.records[0], "MODE"), "rtty");
}

TEST(AdifReader, LengthsCountBytesWhateverTheirValue) {
  // "João" is five bytes in UTF-8 and four in Latin-1; data may hold '<',
  // '>' and a whole tag, which the length keeps inside the value.
  const std::string bytes =
      "<NAME:5>Jo\xC3\xA3o<CALL:5>PY1ZZ<EOR>"
      "<NAME:4>Jo\xE3o<CALL:5>PY2AA<EOR>"
      "<COMMENT:13>a <EOR> b > c<CALL:5>PY3BB<EOR>"
      "<NAME:0><CALL:3>\xFF\x80" +
      std::string(1, '\0') + "<EOR>";
  const AdifLog log = ReadAdif(bytes, "x");
  ASSERT_EQ(log.records.size(), 4u);
  EXPECT_EQ(ValueOf(log.records[0], "NAME"), "Jo\xC3\xA3o");
  EXPECT_EQ(ValueOf(log.records[0], "CALL"), "PY1ZZ");
  EXPECT_EQ(ValueOf(log.records[1], "NAME"), "Jo\xE3o");
  EXPECT_EQ(ValueOf(log.records[1], "CALL"), "PY2AA");
  EXPECT_EQ(ValueOf(log.records[2], "COMMENT"), "a <EOR> b > c");
  EXPECT_EQ(ValueOf(log.records[2], "CALL"), "PY3BB");
  EXPECT_EQ(ValueOf(log.records[3], "NAME"), "");
  EXPECT_EQ(ValueOf(log.records[3], "CALL"), std::string("\xFF\x80\x00", 3));
}

TEST(AdifReader, FindAndValueOfRepeatedAndEmptyFields) {
  const AdifLog log = ReadAdif("<SRX:2>RJ<STX:0><SRX:2>SP<EOR>", "x");
  const AdifRecord& r = log.records.at(0);
  EXPECT_EQ(r.Find("SRX")->value, "RJ");  // the first one; the mapping warns
  ASSERT_NE(r.Find("STX"), nullptr);
  EXPECT_EQ(r.Value("STX"), nullptr);  // present but empty
  EXPECT_EQ(r.Value("MODE"), nullptr);
}

TEST(AdifReader, EndMarkersWithoutALengthEndTheLog) {
  for (const char* end : {"<EOF>", "<APP_LoTW_EOF>", "<app_lotw_eof>", "<XYZ_EOF>"}) {
    const AdifLog log =
        ReadAdif(std::string("<CALL:5>PY1ZZ<EOR>\n") + end + "\n<CALL>garbage after the end", "x");
    ASSERT_EQ(log.records.size(), 1u) << end;
  }
  EXPECT_THROW(ReadAdif("<CALL:5>PY1ZZ<EOR><EOFX>", "x"), InputError);
  EXPECT_THROW(ReadAdif("<CALL:5>PY1ZZ<EOF>", "x"), InputError);  // inside a record
}

TEST(AdifReader, LinesOfRecordsAndFieldsCountEveryLineEnd) {
  const AdifLog log = ReadAdif(
      "header\r\n<EOH>\r\n\r\n<CALL:5>PY1ZZ\r\n<NOTES:8>one\r\ntwo <MODE:4>RTTY<EOR>\n"
      "<CALL:5>PY2AA<EOR>",
      "x");
  ASSERT_EQ(log.records.size(), 2u);
  EXPECT_EQ(log.records[0].line, 4);
  EXPECT_EQ(log.records[0].Find("NOTES")->line, 5);
  EXPECT_EQ(log.records[0].Find("MODE")->line, 6);  // after the line end inside NOTES
  EXPECT_EQ(log.records[1].line, 7);
}

TEST(AdifReader, DamagedFilesNameFileLineAndField) {
  struct Case {
    const char* bytes;
    int line;
    const char* field;
    const char* message;
  } cases[] = {
      {"<CALL:5>PY1ZZ<EOR>\n<CALL:x>PY2AA<EOR>", 2, "CALL", "bad length 'x'"},
      {"<CALL:>PY1ZZ<EOR>", 1, "CALL", "bad length ''"},
      {"<CALL:-5>PY1ZZ<EOR>", 1, "CALL", "bad length '-5'"},
      {"<CALL:5 PY1ZZ <MODE:4>RTTY<EOR>", 1, "CALL", "no closing '>'"},
      {"<CALL:5>PY1ZZ<EOR>\n\n<call:4", 3, "CALL", "no closing '>'"},
      {"\n\n<CALL:5>PY1ZZ<EOR><MODE:4>RT", 3, "MODE", "declares 4 bytes but the file ends after 2"},
      {"<CALL:5>PY1ZZ<EOR>\n<CALL:5>PY2AA<MODE:4>RTTY", 2, "", "no <EOR>"},
      {"<CALL>PY1ZZ<EOR>", 1, "CALL", "has no length"},
      {"<CALL:5>PY1ZZ<EOR>\n<EOH>", 2, "EOH", "after the first record"},
      {"<:5>PY1ZZ<EOR>", 1, "", "without a name"},
      {"<CALL:99999999999>PY1ZZ<EOR>", 1, "CALL", "bad length"},
  };
  for (const Case& c : cases) {
    try {
      ReadAdif(c.bytes, "logs/bad.adi");
      ADD_FAILURE() << "accepted: " << c.bytes;
    } catch (const InputError& e) {
      EXPECT_EQ(e.file(), "logs/bad.adi");
      EXPECT_EQ(e.line(), c.line) << c.bytes;
      EXPECT_EQ(e.field(), c.field) << c.bytes;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.bytes << " -> " << e.what();
    }
  }
}

TEST(AdifReader, VisitHandsOverEachRecordOnceInOrder) {
  std::vector<std::string> calls;
  const bool header = VisitAdif("<EOH><CALL:1>A<X:1>1<EOR><CALL:1>B<EOR><CALL:1>C<X:1>3<EOR>", "x",
                                [&](const AdifRecord& r) {
                                  calls.push_back(r.Find("CALL")->value);
                                  // A reused record holds no field of the one before.
                                  if (calls.size() == 2) {
                                    EXPECT_EQ(r.Find("X"), nullptr);
                                  }
                                });
  EXPECT_TRUE(header);
  EXPECT_EQ(calls, (std::vector<std::string>{"A", "B", "C"}));
}

}  // namespace
