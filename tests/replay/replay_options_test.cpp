// The command line and the settings-file keys it turns into.

#include "tools/replay/replay_options.h"

#include <gtest/gtest.h>

#include "tools/replay/input_error.h"

namespace {

TEST(ReplayOptions, DefaultsAndEveryOption) {
  ReplayOptions o = ParseReplayOptions({"log.adi"});
  EXPECT_EQ(o.logFiles, std::vector<std::string>{"log.adi"});
  EXPECT_EQ(o.outDir, "out");
  EXPECT_EQ(o.periodStart, 0);
  EXPECT_FALSE(o.html || o.cabrillo || o.help || o.strict);
  EXPECT_TRUE(o.plugin.empty() && o.ownCall.empty() && o.headerKeys.empty() && o.dgMode.empty() &&
              o.settingsFile.empty());

  // clang-format off
  o = ParseReplayOptions({"--html", "--cabrillo", "--out", "o", "--plugin=p.so", "--call", "py2aa",
                          "--period", "2024-06-08", "2024-06-09T12:30", "log.adi", "--name=Ana",
                          "--strict", "--dg-mode", "psk63", "--settings", "my.ini", "-",
                          "--club", "LABRE", "--email", "a@b", "--location", "SP",
                          "--address", "Rua 1", "--city", "Campinas", "--postcode", "13000",
                          "--country", "Brasil", "--operators", "PY2AA PY2BB",
                          "--category", "single-op b"});
  // clang-format on
  EXPECT_TRUE(o.html && o.cabrillo);
  EXPECT_EQ(o.outDir, "o");
  EXPECT_EQ(o.plugin, "p.so");
  EXPECT_EQ(o.ownCall, "PY2AA");
  EXPECT_EQ(o.periodStart, 20240608000000);
  EXPECT_EQ(o.periodEnd, 20240609123059);  // a time without seconds ends with its minute
  EXPECT_EQ(o.logFiles, (std::vector<std::string>{"log.adi", "-"}));
  EXPECT_TRUE(o.strict);
  EXPECT_EQ(o.dgMode, "BPSK63");
  EXPECT_EQ(o.settingsFile, "my.ini");
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Name", "Ana"}, {"Club", "LABRE"}, {"Email", "a@b"}, {"Loc", "SP"}, {"Address", "Rua 1"},
      {"Address-City", "Campinas"}, {"Address-PostalCode", "13000"},
      {"Address-Country", "Brasil"}, {"Operators", "PY2AA PY2BB"}, {"Category", "SINGLE-OP B"}};
  // clang-format on
  EXPECT_EQ(o.headerKeys, expected);

  EXPECT_TRUE(ParseReplayOptions({"--help"}).help);  // no log needed
  EXPECT_TRUE(ParseReplayOptions({"x.adi", "-h"}).help);
  EXPECT_EQ(ParseReplayOptions({"--", "--odd-name.adi"}).logFiles.at(0), "--odd-name.adi");
  EXPECT_EQ(ParseReplayOptions({"a.adi", "--period", "2024-06-08T00:00:30", "2024-06-08T23:00:00"})
                .periodEnd,
            20240608230000);
}

TEST(ReplayOptions, RepeatedHeaderOptionsAddLinesOthersReplace) {
  const ReplayOptions o =
      ParseReplayOptions({"log.adi", "--soapbox", "Good luck", "--name", "A", "--soapbox", "73",
                          "--name", "B", "--operators", "PY2AA"});
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"SoapBox", "Good luck<CR><LF>73"}, {"Name", "B"}, {"Operators", "PY2AA"}};
  EXPECT_EQ(o.headerKeys, expected);
}

TEST(ReplayOptions, FaultsNameTheOption) {
  struct Case {
    std::vector<std::string> args;
    const char* field;
    const char* message;
  } cases[] = {
      {{"log.adi", "--colour"}, "--colour", "unknown option"},
      {{"log.adi", "-x"}, "-x", "unknown option"},
      {{"log.adi", "--out"}, "--out", "needs a folder"},
      {{"log.adi", "--out="}, "--out", "needs a folder"},
      {{"log.adi", "--period", "2024-06-08"}, "--period", "two dates"},
      {{"log.adi", "--period=2024-06-08", "2024-06-09"}, "--period", "two dates"},
      {{"log.adi", "--period", "2024-06-08", "9.6.2024"}, "--period", "'9.6.2024' is not a date"},
      {{"log.adi", "--period", "2024-02-30", "2024-03-01"}, "--period", "not a date"},
      {{"log.adi", "--period", "2024-06-09", "2024-06-08"}, "--period", "ends (2024-06-08) before"},
      {{"log.adi", "--html=yes"}, "--html", "takes no value"},
      {{"-", "b.adi", "-"}, "-", "standard input can be read only once"},
      {{"log.adi", "--period", "2024-06-08T25:00", "2024-06-09"}, "--period", "not a date"},
      {{"log.adi", "--period", "2024-06-08 12:00", "2024-06-09"}, "--period", "not a date"},
      {{"log.adi", "--call", "PY2AA\r\nX"}, "--call", "not a callsign"},
      {{"log.adi", "--call", "PY2 AA"}, "--call", "not a callsign"},
      {{"log.adi", "--call", std::string(33, 'A')}, "--call", "not a callsign"},
      {{"log.adi", "--dg-mode", "CW"}, "--dg-mode", "not a contest mode"},
      // Only the dialog's own choices, though its box takes any text.
      {{"log.adi", "--category", "MULTI-OP"}, "--category", "not a category of the header dialog"},
      {{"log.adi", "--category", "SINGLE-OP"}, "--category", "(SINGLE-OP A, SINGLE-OP B"},
      {{"log.adi", "--category"}, "--category", "needs a category: SINGLE-OP A, "},
      {{"log.adi", "--name", "Ana\nMaria"}, "--name", "control character"},
      {{"log.adi", "--soapbox", "tab\there"}, "--soapbox", "control character"},
      {{}, "", "no log file given"},
      {{"--html"}, "", "no log file given"},
      {{"log.adi", "--name", std::string(100, 'x')}, "--name", "99 characters"},
      // 13 one-letter lines: 13 letters and 12 line breaks of 8 = 109.
      {{"log.adi",   "--soapbox", "a",         "--soapbox", "b",         "--soapbox", "c",
        "--soapbox", "d",         "--soapbox", "e",         "--soapbox", "f",         "--soapbox",
        "g",         "--soapbox", "h",         "--soapbox", "i",         "--soapbox", "j",
        "--soapbox", "k",         "--soapbox", "l",         "--soapbox", "m"},
       "--soapbox",
       "line break counts 8"},
  };
  for (const Case& c : cases) {
    try {
      ParseReplayOptions(c.args);
      ADD_FAILURE() << "accepted: " << (c.args.empty() ? "" : c.args.back());
    } catch (const InputError& e) {
      EXPECT_EQ(e.file(), "");
      EXPECT_EQ(e.field(), c.field);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(ParseReplayOptions({"log.adi", "--name", std::string(99, 'x')}));
}

TEST(ReplayOptions, HelpNamesEveryOptionAndExitStatus) {
  const std::string help = ReplayHelpText();
  for (const char* option :
       {"--out",       "--period",   "--call",           "--html",    "--cabrillo",  "--name",
        "--strict",    "--dg-mode",  "--settings",       "--club",    "--email",     "--location",
        "--address",   "--city",     "--postcode",       "--country", "--operators", "--soapbox",
        "--plugin",    "--help",     "STATION_CALLSIGN", "SUBMODE",   "SRX_STRING",  "DXCC",
        "Exit status", "--category", "--version"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  // Every option the help names is one the parser knows.
  size_t pos = 0;
  while ((pos = help.find("--", pos)) != std::string::npos) {
    size_t end = help.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", pos + 2);
    const std::string option = help.substr(pos, end - pos);
    pos = end;
    if (option == "--option") continue;   // "--option=VALUE", the general form
    if (option == "--version") continue;  // answered before the parser runs
    std::vector<std::string> args = {"log.adi", option};
    if (option == "--period")
      args = {"log.adi", option, "2024-01-01", "2024-01-02"};
    else if (option == "--dg-mode")
      args.push_back("RTTY");
    else if (option == "--category")
      args.push_back("QRP");
    else if (option != "--html" && option != "--cabrillo" && option != "--help" &&
             option != "--strict")
      args.push_back("v");
    EXPECT_NO_THROW(ParseReplayOptions(args)) << option;
  }
}

}  // namespace
