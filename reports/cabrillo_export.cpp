#include "reports/cabrillo_export.h"

#include <cerrno>
#include <cstring>

#include "engine/file_io.h"
#include "engine/text.h"
#include "reports/cabrillo_file_name.h"
#include "reports/cabrillo_header_fields.h"
#include "resources/resource.h"

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

using Fields = CabrilloDialogFields;

const CabrilloHeaderField kCabrilloHeaderFields[17] = {
    {&Fields::band, IDC_CAB_BAND, "Band", "ALL", true, nullptr},
    {&Fields::power, 0, "Power", nullptr, true, nullptr},
    {&Fields::operators, IDC_CAB_OPERATORS, "Operators", nullptr, true, "OPERATORS: "},
    {&Fields::name, IDC_CAB_NAME, "Name", nullptr, true, nullptr},
    {&Fields::address, IDC_CAB_ADDRESS, "Address", nullptr, true, nullptr},
    {&Fields::city, IDC_CAB_CITY, "Address-City", nullptr, true, nullptr},
    {&Fields::postalCode, IDC_CAB_POSTALCODE, "Address-PostalCode", nullptr, true, nullptr},
    {&Fields::country, IDC_CAB_COUNTRY, "Address-Country", nullptr, true, nullptr},
    {&Fields::category, IDC_CAB_CATEGORY, "Category", "SINGLE-OP A", true, nullptr},
    {&Fields::contest, IDC_CAB_CONTEST, "Contest", "TZQ", true, nullptr},
    {&Fields::email, IDC_CAB_EMAIL, "Email", nullptr, true, nullptr},
    {&Fields::club, IDC_CAB_CLUB, "Club", nullptr, true, nullptr},
    {&Fields::soapbox, IDC_CAB_SOAPBOX, "SoapBox", nullptr, true, "SOAPBOX: "},
    {&Fields::location, IDC_CAB_LOCATION, "Loc", nullptr, true, nullptr},
    // Shown in the dialog, never taken from it.
    {&Fields::claimed, IDC_CAB_CLAIMED, "Claimed", nullptr, false, nullptr},
    {&Fields::transmitter, IDC_CAB_TRANSMITTER, nullptr, "ONE", false, nullptr},
    // The own call the reset was given.
    {&Fields::callsign, IDC_CAB_CALLSIGN, nullptr, nullptr, false, nullptr},
};

const char* const kCabrilloCategories[7] = {"SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C", "YL",
                                            "LABRE",       "QRP",         "CHECKLOG"};

int CCabrilloExport::PrepareHeader(const std::string& own_call, const COleDateTime& /*start*/,
                                   const COleDateTime& /*end*/, Settings& settings,
                                   HeaderDialog& dialog) {
  fileBaseName = FileBaseNameFor(own_call);
  header = Fields();
  header.callsign = own_call;
  // Header texts are read whole: soapbox and operator lists easily pass the
  // 99 characters of the plug-in's usual settings buffer. The settings keep
  // line breaks as <CR> and <LF>; the dialog shows real ones.
  for (const CabrilloHeaderField& k : kCabrilloHeaderFields) {
    std::string& value = header.*k.field;
    if (k.fixed != nullptr) {
      value = k.fixed;
    } else if (k.key != nullptr) {
      value = settings.WholeText(k.key, k.field == &Fields::operators ? own_call : std::string());
    }
    if (k.continuation != nullptr) {
      value = ReplaceAll(ReplaceAll(value, "<CR>", "\r"), "<LF>", "\n");
    }
  }

  Fields edited = header;
  if (!dialog.Run(&edited)) return 0;
  const std::string claimed = header.claimed;
  header = edited;
  header.claimed = claimed;

  for (const CabrilloHeaderField& k : kCabrilloHeaderFields) {
    std::string& value = header.*k.field;
    if (k.continuation != nullptr) {
      value = ReplaceAll(ReplaceAll(value, "\r", "<CR>"), "\n", "<LF>");
    }
    if (k.written) settings.Put(k.key, value);
  }
  for (const CabrilloHeaderField& k : kCabrilloHeaderFields) {
    if (k.continuation == nullptr) continue;
    std::string& value = header.*k.field;
    value = ReplaceAll(ReplaceAll(value, "<CR>", std::string("\r\n") + k.continuation), "<LF>", "");
  }
  qsoLines.clear();
  return 1;
}

void CCabrilloExport::AddQsoLine(const std::string& call, int freq_khz,
                                 const std::string& mode_code, const COleDateTime& qso_time,
                                 const std::string& rst_sent, const std::string& exch_sent,
                                 const std::string& rst_rcvd, const std::string& exch_rcvd) {
  qsoLines.push_back(text::Format("QSO: %5i %2s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", freq_khz,
                                  mode_code.c_str(), qso_time.Format("%Y-%m-%d %H%M").c_str(),
                                  header.callsign.c_str(), rst_sent.c_str(), exch_sent.c_str(),
                                  call.c_str(), rst_rcvd.c_str(), exch_rcvd.c_str()));
}

std::string CCabrilloExport::Render(int claimed_score, const std::string& host_version) const {
  std::string out;
  auto tag = [&out](const char* tag_name, const std::string& value) {
    out.append(tag_name).append(value).append("\r\n");
  };
  out.append("START-OF-LOG: 3.0\r\n");
  out.append("CONTEST: TZQ\r\n");
  tag("CALLSIGN: ", header.callsign);
  tag("CATEGORY-OPERATOR: ", header.category);
  if (header.category == "MULTI-OP") {
    tag("CATEGORY-TRANSMITTER: ", header.transmitter);
  } else {
    tag("CATEGORY-BAND: ", header.band);
  }
  tag("OPERATORS: ", header.operators);
  tag("LOCATION: ", header.location);
  tag("CLAIMED-SCORE: ", text::Format("%i", claimed_score));
  tag("CLUB: ", header.club);
  tag("CREATED-BY: Kolm ", host_version);
  tag("NAME: ", header.name);
  tag("ADDRESS: ", header.address);
  tag("ADDRESS-CITY: ", header.city);
  tag("ADDRESS-POSTALCODE: ", header.postalCode);
  tag("ADDRESS-COUNTRY: ", header.country);
  tag("E-MAIL: ", header.email);
  tag("SOAPBOX: ", header.soapbox);
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
