#include "reports/cabrillo_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cabrillo_checks.h"
#include "tests/support/module_fixture.h"

namespace {

TEST(CabrilloLineTest, ColumnsAndWidths) {
  CCabrilloExport cab;
  cab.header.callsign = "PY2AA";
  cab.AddQsoLine("PY1ZZ", 7035, "RY", COleDateTime::FromCalendar(2017, 5, 15, 9, 5, 0), "599",
                 "001", "599", "RJ");
  cab.AddQsoLine("PY1ZZ", 14085, "??", COleDateTime::Null(), "5999", "0012345", "599", "");
  cab.AddQsoLine("A-VERY-LONG-CALLSIGN", 7035, "PS", COleDateTime(1.0, COleDateTime::kInvalid), "",
                 "", "", "SP");
  ASSERT_EQ(cab.qsoLines.size(), 3u);
  EXPECT_EQ(cab.qsoLines[0],
            "QSO:  7035 RY 2017-05-15 0905 PY2AA         599 001    PY1ZZ         599 RJ\r\n");
  EXPECT_EQ(cab.qsoLines[0].size(), 75u + 2);
  EXPECT_EQ(cab.qsoLines[1], "QSO: 14085 ??  PY2AA         5999 0012345 PY1ZZ         599 \r\n");
  EXPECT_EQ(
      cab.qsoLines[2],
      "QSO:  7035 PS Invalid DateTime PY2AA                    A-VERY-LONG-CALLSIGN     SP\r\n");
}

TEST(CabrilloNamesTest, ReplaceAllAndFileBaseNames) {
  EXPECT_EQ(CCabrilloExport::ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(CCabrilloExport::ReplaceAll("x-x", "x", "xx"), "xx-xx");
  EXPECT_EQ(CCabrilloExport::ReplaceAll("abc", "b", "b"), "abc");
  EXPECT_EQ(CCabrilloExport::ReplaceAll("a<CR>b<CR>", "<CR>", "\r"), "a\rb\r");

  struct Case {
    const char* call;
    const char* base;
  } cases[] = {{"PY2AA/P", "PY2AA_P"},
               {"PY2AA", "PY2AA"},
               {"   ", "KVTZ"},
               {"", "KVTZ"},
               {" \tPY2AA\r\n", "PY2AA"},
               {"..\\..\\x", ".._.._x"},
               {"a:b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h"},
               {"PY\x01"
                "2",
                "PY_2"},
               {"con", "con_"},
               {"NUL", "NUL_"},
               {"Com1", "Com1_"},
               {"LPT9", "LPT9_"},
               {"COM0", "COM0"},
               {"CONSOLE", "CONSOLE"},
               {"PY2\xC7", "PY2\xC7"},
               {"COM1.X", "COM1_.X"},
               {"nul.py", "nul_.py"},
               {"CON .X", "CON_ .X"},
               {"PY2\x7F", "PY2\x7F"},
               {"CONSOLE.X", "CONSOLE.X"}};
  for (const Case& c : cases) EXPECT_EQ(CCabrilloExport::FileBaseNameFor(c.call), c.base) << c.call;
}

class CabrilloExportTest : public ModuleTest {
 protected:
  void AddTwo() {
    Qso a;
    a.time = COleDateTime::FromCalendar(2018, 6, 9, 12, 5, 0);
    Add(a);
    Qso b = a;
    b.call = "PY3QR";
    b.exchRcvd = "QRP";
    b.mode = "BPSK63";
    b.band = "20m";
    b.freqHz = 14080500;
    Add(b);
    Add(b);  // a duplicate is exported like any other QSO
  }
  std::string Cabrillo(const std::string& name = "PY2AA.cbr") const { return folder_.Read(name); }
};

TEST_F(CabrilloExportTest, FreshSettingsOpenTheDialogWithPresets) {
  Reset(1, "PY2AA");
  ASSERT_EQ(platform_.headerDialog.shown().size(), 1u);
  const CabrilloDialogFields& f = platform_.headerDialog.shown()[0];
  EXPECT_EQ(f.contest, "TZQ");
  EXPECT_EQ(f.callsign, "PY2AA");
  EXPECT_EQ(f.operators, "PY2AA");
  EXPECT_EQ(f.category, "SINGLE-OP A");
  EXPECT_EQ(f.band, "ALL");
  EXPECT_EQ(f.transmitter, "ONE");
  for (const std::string* empty :
       {&f.name, &f.address, &f.city, &f.postalCode, &f.country, &f.claimed, &f.power, &f.location,
        &f.email, &f.club, &f.soapbox}) {
    EXPECT_EQ(*empty, "");
  }
}

TEST_F(CabrilloExportTest, ExportWritesTheWholeFileAndTellsTheUser) {
  folder_.Write("Plugins/TZQ.ini",
                "[Settings]\r\nName=Joao\r\nAddress=Rua 1\r\nAddress-City=Campinas\r\n"
                "Address-PostalCode=13000\r\nAddress-Country=Brazil\r\nLoc=SP\r\n"
                "Email=py2aa@example.com\r\nClub=LABRE\r\nCategory=QRP\r\nBand=20M\r\n");
  Reset(1, "PY2AA");
  AddTwo();
  int out = 0;
  module_->GetResult(&out);
  EXPECT_EQ(out, -1);
  const std::string expected =
      "START-OF-LOG: 3.0\r\nCONTEST: TZQ\r\nCALLSIGN: PY2AA\r\n"
      "CATEGORY-OPERATOR: SINGLE-OP A\r\nCATEGORY-BAND: ALL\r\nOPERATORS: PY2AA\r\n"
      "LOCATION: SP\r\nCLAIMED-SCORE: 7\r\nCLUB: LABRE\r\nCREATED-BY: Kolm \r\n"
      "NAME: Joao\r\nADDRESS: Rua 1\r\nADDRESS-CITY: Campinas\r\nADDRESS-POSTALCODE: 13000\r\n"
      "ADDRESS-COUNTRY: Brazil\r\nE-MAIL: py2aa@example.com\r\nSOAPBOX: \r\n"
      "QSO:  7035 RY 2018-06-09 1205 PY2AA         599 SP     PY1ZZ         599 RJ\r\n"
      "QSO: 14080 PM 2018-06-09 1205 PY2AA         599 SP     PY3QR         599 QRP\r\n"
      "QSO: 14080 PM 2018-06-09 1205 PY2AA         599 SP     PY3QR         599 QRP\r\n"
      "END-OF-LOG:\r\n";
  EXPECT_EQ(Cabrillo(), expected);
  EXPECT_EQ(CabrilloStructureProblem(Cabrillo()), "");
  const auto boxes = platform_.boxes.shown();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "File produced: PY2AA.cbr");
  EXPECT_EQ(boxes[0].caption, "Output");
  EXPECT_EQ(boxes[0].style, 0x40u);
  EXPECT_TRUE(boxes[0].ownedByHost);

  // Every later score request writes the same file again, each QSO once.
  module_->GetResult(nullptr);
  EXPECT_EQ(Cabrillo(), expected);
  EXPECT_EQ(platform_.boxes.shown().size(), 2u);
  // A plain reset ends the export mode.
  Reset(0);
  out = 3;
  module_->GetResult(&out);
  EXPECT_EQ(out, 3);
  EXPECT_EQ(platform_.boxes.shown().size(), 2u);
  // However many exports run, only the latest boxes and dialogs are kept.
  for (size_t i = 0; i < RecordingMessageBoxes::kKept + 4; ++i) {
    Reset(1, "PY2AA");
    module_->GetResult(nullptr);
  }
  EXPECT_EQ(platform_.boxes.shown().size(), RecordingMessageBoxes::kKept);
  EXPECT_EQ(platform_.headerDialog.shown().size(), ScriptedHeaderDialog::kKept);
}

TEST_F(CabrilloExportTest, EmptyLogGivesHeaderAndEndOnly) {
  Reset(1, "  ");
  module_->GetResult(nullptr);
  const std::string file = Cabrillo("KVTZ.cbr");
  EXPECT_EQ(CabrilloStructureProblem(file), "");
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 18);
  EXPECT_NE(file.find("SOAPBOX: \r\nEND-OF-LOG:\r\n"), std::string::npos);
}

TEST_F(CabrilloExportTest, MultiOpNeedsTheExactWord) {
  struct Case {
    const char* category;
    bool transmitter_line;
  } cases[] = {{"MULTI-OP", true}, {"multi-op", false}, {"MULTI-OP ", false}};
  for (const Case& c : cases) {
    platform_.headerDialog.Queue({true, [&c](CabrilloDialogFields* f) {
                                    f->category = c.category;
                                    f->transmitter = "TWO";
                                    f->band = "40M";
                                  }});
    Reset(1, "PY2AA");
    module_->GetResult(nullptr);
    const std::string file = Cabrillo();
    EXPECT_EQ(file.find("CATEGORY-TRANSMITTER: TWO\r\n") != std::string::npos, c.transmitter_line)
        << c.category;
    EXPECT_EQ(file.find("CATEGORY-BAND: 40M\r\n") != std::string::npos, !c.transmitter_line)
        << c.category;
    EXPECT_EQ(CabrilloStructureProblem(file), "") << c.category;
  }
}

TEST_F(CabrilloExportTest, MultiLineOperatorsAndSoapbox) {
  platform_.headerDialog.Queue({true, [](CabrilloDialogFields* f) {
                                  f->operators = "PY2AA\r\nPY2BB";
                                  f->soapbox = "Good luck\r\n73";
                                  f->callsign = "PY2AA/M";  // not the file name
                                }});
  Reset(1, "PY2AA");
  AddTwo();
  module_->GetResult(nullptr);
  EXPECT_EQ(module_->settings().Text("Operators"), "PY2AA<CR><LF>PY2BB");
  EXPECT_EQ(module_->settings().Text("SoapBox"), "Good luck<CR><LF>73");
  const std::string file = Cabrillo();
  EXPECT_NE(file.find("OPERATORS: PY2AA\r\nOPERATORS: PY2BB\r\nLOCATION: "), std::string::npos);
  EXPECT_NE(file.find("SOAPBOX: Good luck\r\nSOAPBOX: 73\r\nQSO: "), std::string::npos);
  EXPECT_NE(file.find("CALLSIGN: PY2AA/M\r\n"), std::string::npos);
  EXPECT_NE(file.find("PY2AA/M       599 SP     PY1ZZ"), std::string::npos);
  EXPECT_EQ(CabrilloStructureProblem(file), "");

  // Shown again on two lines the next time.
  Reset(1, "PY2AA");
  EXPECT_EQ(platform_.headerDialog.shown().back().operators, "PY2AA\r\nPY2BB");
  EXPECT_EQ(platform_.headerDialog.shown().back().soapbox, "Good luck\r\n73");
}

TEST_F(CabrilloExportTest, LongHeaderValuesAreReadWhole) {
  const std::string soapbox(40, 's');
  std::string stored;
  for (int i = 0; i < 6; ++i) stored += (i ? "<CR><LF>" : "") + soapbox;
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nSoapBox=" + stored + "\r\n");
  Reset(1, "PY2AA");
  EXPECT_EQ(platform_.headerDialog.shown().back().soapbox.size(), 6 * 40 + 5 * 2u);
  module_->GetResult(nullptr);
  const std::string file = Cabrillo();
  size_t tags = 0;
  for (size_t at = file.find("SOAPBOX: " + soapbox + "\r\n"); at != std::string::npos;
       at = file.find("SOAPBOX: " + soapbox + "\r\n", at + 1)) {
    ++tags;
  }
  EXPECT_EQ(tags, 6u) << file;
}

TEST_F(CabrilloExportTest, CancelKeepsTheSettingsAndSkipsTheExport) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nName=Joao\r\nStart=0\r\n");
  platform_.headerDialog.Queue({false, nullptr});
  Reset(1, "PY2AA");
  EXPECT_EQ(Ini(), "[Settings]\r\nName=Joao\r\nStart=0\r\n");
  AddTwo();
  int out = 9;
  module_->GetResult(&out);
  EXPECT_EQ(out, 9);
  EXPECT_FALSE(folder_.Exists("PY2AA.cbr"));
  EXPECT_TRUE(platform_.boxes.shown().empty());
}

TEST_F(CabrilloExportTest, ConfirmationStoresTheHeaderKeys) {
  platform_.headerDialog.Queue({true, [](CabrilloDialogFields* f) {
                                  f->name = "Maria";
                                  f->claimed = "999999";  // shown only
                                  f->power = "LOW";
                                }});
  Reset(1, "PY2AA");
  Settings& s = module_->settings();
  EXPECT_EQ(s.Text("Name"), "Maria");
  EXPECT_EQ(s.Text("Power"), "LOW");
  EXPECT_EQ(s.Text("Band"), "ALL");
  EXPECT_EQ(s.Text("Category"), "SINGLE-OP A");
  EXPECT_EQ(s.Text("Contest"), "TZQ");
  EXPECT_EQ(s.Text("Operators"), "PY2AA");
  EXPECT_EQ(s.Text("Claimed"), "");
  EXPECT_EQ(module_->cabrillo().header.claimed, "");
}

TEST_F(CabrilloExportTest, AFailedWriteIsReportedAndLeavesNoTemporaryFile) {
  Reset(1, "PY2AA");
  // A folder in the log's place cannot be replaced by a file.
  std::filesystem::create_directory(folder_.path() + "/PY2AA.cbr");
  folder_.Write("PY2AA.cbr/earlier.cbr", "earlier log\r\n");
  AddTwo();
  module_->GetResult(nullptr);
  EXPECT_EQ(Cabrillo("PY2AA.cbr/earlier.cbr"), "earlier log\r\n");
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder_.path())) {
    EXPECT_EQ(e.path().filename().string().rfind("PY2AA.cbr.", 0), std::string::npos)
        << e.path().string();
    ++entries;
  }
  EXPECT_EQ(entries, 3u);  // Plugins, the bad-QSO file, the folder
  ASSERT_EQ(platform_.boxes.shown().size(), 1u);
  EXPECT_EQ(platform_.boxes.shown()[0].text.rfind("File not produced: PY2AA.cbr (", 0), 0u)
      << platform_.boxes.shown()[0].text;
}

}  // namespace
