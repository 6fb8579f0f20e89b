// QsoChecker: the contest's verdict on one QSO as the host logs it, all but
// the duplicate test, which needs the log so far: refused (and why) or
// stored, the record to store with its area fields, and the rejection lines
// it earns. The plug-in's AddData stores and writes what it decides; the
// replay tool asks it which lines of the bad-QSO file each QSO wrote.
// Built once, read-only afterwards: any thread may call it.
#pragma once

#include <string>
#include <string_view>

#include "engine/bad_qso_log.h"
#include "engine/contest_rules.h"
#include "engine/ole_date.h"
#include "engine/qso_store.h"

// The positions of the host's QSO argument list that the plug-in reads.
struct QsoArgs {
  std::string_view ownCall, call, mode, rstSent, rstRcvd, exchSent, exchRcvd, dxPrefix, band;
  COleDateTime qsoTime = COleDateTime::Null();
  unsigned freqHz = 0;
};

struct QsoVerdict {
  // kWrongBand, kWrongMode or kNoExchange for a refused QSO; kNone for one
  // to store.
  bad_qso_log::Reason refusal = bad_qso_log::Reason::kNone;
  // The record to store, area, notCounted and areaRefused set, its texts
  // viewing the checked QsoArgs; empty for a refused QSO.
  QsoRecord record;
  // The refusal's line, or the area line of a stored QSO whose exchange
  // names no area; the duplicate lines come after them.
  std::string lines;

  bool stored() const { return refusal == bad_qso_log::Reason::kNone; }
};

class QsoChecker {
 public:
  QsoChecker();

  QsoVerdict Check(const QsoArgs& qso) const;
  // The verdict's lines alone, for a reader of the bad-QSO file: no record.
  std::string LinesOf(const QsoArgs& qso) const;
  // The lines of a stored QSO that `earlier` stored records share call,
  // band and mode with: one DUPE line for each.
  std::string DupeLines(const QsoArgs& qso, int earlier) const;

 private:
  QsoVerdict Judge(const QsoArgs& qso, bool make_record) const;

  CaseInsensitiveSet bands_, modes_;
};
