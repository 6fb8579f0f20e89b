#include "reports/cabrillo_export.h"

#include <cerrno>
#include <cstring>

#include "engine/file_io.h"
#include "engine/text.h"
#include "reports/cabrillo_file_name.h"

std::string CCabrilloExport::ReplaceAll(const std::string& text, const std::string& from,
                                        const std::string& to) {
  if (from.empty() || from == to) return text;
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, pos)) {
    out.append(text, pos, hit - pos).append(to);
    pos = hit + from.size();
  }
  out.append(text, pos, std::string::npos);
  return out;
}

std::string CCabrilloExport::FileBaseNameFor(const std::string& own_call) {
  return cabrillo::FileBaseName(own_call);
}

int CCabrilloExport::PrepareHeader(const std::string& own_call, const COleDateTime& /*start*/,
                                   const COleDateTime& /*end*/, Settings& settings,
                                   HeaderDialog& dialog) {
  callsign = own_call;
  fileBaseName = FileBaseNameFor(own_call);

  // Header texts are read whole: soapbox and operator lists easily pass the
  // 99 characters of the plug-in's usual settings buffer.
  operators = settings.WholeText("Operators", own_call);
  name = settings.WholeText("Name");
  address = settings.WholeText("Address");
  city = settings.WholeText("Address-City");
  postalCode = settings.WholeText("Address-PostalCode");
  country = settings.WholeText("Address-Country");
  claimed = settings.WholeText("Claimed");
  power = settings.WholeText("Power");
  location = settings.WholeText("Loc");
  contest = "TZQ";
  category = "SINGLE-OP A";
  band = "ALL";
  transmitter = "ONE";
  email = settings.WholeText("Email");
  club = settings.WholeText("Club");
  soapbox = settings.WholeText("SoapBox");

  soapbox = ReplaceAll(ReplaceAll(soapbox, "<CR>", "\r"), "<LF>", "\n");
  operators = ReplaceAll(ReplaceAll(operators, "<CR>", "\r"), "<LF>", "\n");

  CabrilloDialogFields f;
  f.callsign = callsign;
  f.operators = operators;
  f.band = band;
  f.power = power;
  f.location = location;
  f.category = category;
  f.name = name;
  f.address = address;
  f.city = city;
  f.postalCode = postalCode;
  f.country = country;
  f.transmitter = transmitter;
  f.claimed = claimed;
  f.contest = contest;
  f.email = email;
  f.club = club;
  f.soapbox = soapbox;
  if (!dialog.Run(&f)) return 0;

  callsign = f.callsign;
  operators = f.operators;
  band = f.band;
  category = f.category;
  name = f.name;
  address = f.address;
  city = f.city;
  postalCode = f.postalCode;
  country = f.country;
  transmitter = f.transmitter;
  power = f.power;
  contest = f.contest;
  email = f.email;
  club = f.club;
  location = f.location;
  soapbox = f.soapbox;

  operators = ReplaceAll(ReplaceAll(operators, "\r", "<CR>"), "\n", "<LF>");
  soapbox = ReplaceAll(ReplaceAll(soapbox, "\r", "<CR>"), "\n", "<LF>");

  settings.Put("Band", band);
  settings.Put("Power", power);
  settings.Put("Operators", operators);
  settings.Put("Name", name);
  settings.Put("Address", address);
  settings.Put("Address-City", city);
  settings.Put("Address-PostalCode", postalCode);
  settings.Put("Address-Country", country);
  settings.Put("Category", category);
  settings.Put("Contest", contest);
  settings.Put("Email", email);
  settings.Put("Club", club);
  settings.Put("SoapBox", soapbox);
  settings.Put("Loc", location);

  operators = ReplaceAll(ReplaceAll(operators, "<CR>", "\r\nOPERATORS: "), "<LF>", "");
  soapbox = ReplaceAll(ReplaceAll(soapbox, "<CR>", "\r\nSOAPBOX: "), "<LF>", "");
  qsoLines.clear();
  return 1;
}

void CCabrilloExport::AddQsoLine(const std::string& call, int freq_khz,
                                 const std::string& mode_code, const COleDateTime& qso_time,
                                 const std::string& rst_sent, const std::string& exch_sent,
                                 const std::string& rst_rcvd, const std::string& exch_rcvd) {
  qsoLines.push_back(text::Format("QSO: %5i %2s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", freq_khz,
                                  mode_code.c_str(), qso_time.Format("%Y-%m-%d %H%M").c_str(),
                                  callsign.c_str(), rst_sent.c_str(), exch_sent.c_str(),
                                  call.c_str(), rst_rcvd.c_str(), exch_rcvd.c_str()));
}

std::string CCabrilloExport::Render(int claimed_score, const std::string& host_version) const {
  std::string out;
  auto tag = [&out](const char* name, const std::string& value) {
    out.append(name).append(value).append("\r\n");
  };
  out.append("START-OF-LOG: 3.0\r\n");
  out.append("CONTEST: TZQ\r\n");
  tag("CALLSIGN: ", callsign);
  tag("CATEGORY-OPERATOR: ", category);
  if (category == "MULTI-OP") {
    tag("CATEGORY-TRANSMITTER: ", transmitter);
  } else {
    tag("CATEGORY-BAND: ", band);
  }
  tag("OPERATORS: ", operators);
  tag("LOCATION: ", location);
  tag("CLAIMED-SCORE: ", text::Format("%i", claimed_score));
  tag("CLUB: ", club);
  tag("CREATED-BY: Kolm ", host_version);
  tag("NAME: ", name);
  tag("ADDRESS: ", address);
  tag("ADDRESS-CITY: ", city);
  tag("ADDRESS-POSTALCODE: ", postalCode);
  tag("ADDRESS-COUNTRY: ", country);
  tag("E-MAIL: ", email);
  tag("SOAPBOX: ", soapbox);
  for (const std::string& line : qsoLines) out.append(line);
  out.append("END-OF-LOG:\r\n");
  return out;
}

std::string CCabrilloExport::WriteLog(int claimed_score, HostExecutables& executables) {
  const std::string content = Render(claimed_score, HostVersionText(executables));
  qsoLines.clear();
  errno = 0;
  if (!file_io::ReplaceContents(FileName(), content)) {
    const int error = errno;
    return "File not produced: " + FileName() + " (" +
           (error != 0 ? std::strerror(error) : "the file could not be replaced") + ")";
  }
  return "File produced: " + FileName();
}
