// CCabrilloExport: the Cabrillo header fields, the file base name and the QSO
// lines of the export in progress. PrepareHeader runs the header dialog when
// the host starts an export; AddQsoLine and WriteLog write the log when the
// score is requested. One object per module, used only on the host's thread.
#pragma once

#include <string>
#include <vector>

#include "engine/ole_date.h"
#include "engine/platform.h"
#include "engine/settings.h"
#include "reports/host_version.h"

class CCabrilloExport {
 public:
  // The header, as the dialog edits it. After a confirmed dialog, operators
  // and soapbox carry their extra lines as "\r\nOPERATORS: " and
  // "\r\nSOAPBOX: " runs.
  CabrilloDialogFields header;
  std::string fileBaseName;
  std::vector<std::string> qsoLines;

  // Loads the header from the settings, shows the dialog and, on OK, stores
  // the edits and prepares the fields for the writer. 1 on OK, 0 otherwise.
  int PrepareHeader(const std::string& own_call, const COleDateTime& period_start,
                    const COleDateTime& period_end, Settings& settings, HeaderDialog& dialog);

  // `text` with every occurrence of `from` replaced by `to`, left to right,
  // without searching inserted text again.
  static std::string ReplaceAll(const std::string& text, const std::string& from,
                                const std::string& to);

  // The base name for an own callsign, by the rule the replay tool shares
  // (reports/cabrillo_file_name.h).
  static std::string FileBaseNameFor(const std::string& own_call);

  void AddQsoLine(const std::string& call, int freq_khz, const std::string& mode_code,
                  const COleDateTime& qso_time, const std::string& rst_sent,
                  const std::string& exch_sent, const std::string& rst_rcvd,
                  const std::string& exch_rcvd);

  // Writes "<base>.cbr" in the working folder (through a temporary file, so
  // a failed write leaves any earlier file whole), empties the QSO lines and
  // returns the message for the user.
  std::string WriteLog(int claimed_score, HostExecutables& executables);

  // The whole file as WriteLog writes it.
  std::string Render(int claimed_score, const std::string& host_version) const;
  std::string FileName() const { return fileBaseName + ".cbr"; }
};
