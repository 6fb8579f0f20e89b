#include "engine/qso_check.h"

#include "engine/text.h"

namespace {

using bad_qso_log::Reason;

std::string RejectionLine(const QsoArgs& qso, Reason reason, const std::string* normalised_area) {
  const std::string time_text = qso.qsoTime.Format("%Y-%m-%d %H%M");
  return bad_qso_log::Line(
      {static_cast<int32_t>(qso.freqHz / 1000u), qso.mode, time_text, qso.ownCall, qso.rstSent,
       qso.exchSent, qso.call, qso.rstRcvd, qso.exchRcvd, normalised_area},
      reason);
}

}  // namespace

QsoChecker::QsoChecker() : bands_(contest::MakeBandList()), modes_(contest::MakeModeList()) {}

QsoVerdict QsoChecker::Check(const QsoArgs& qso) const {
  return Judge(qso, true);
}

std::string QsoChecker::LinesOf(const QsoArgs& qso) const {
  return std::move(Judge(qso, false).lines);
}

QsoVerdict QsoChecker::Judge(const QsoArgs& qso, bool make_record) const {
  QsoVerdict verdict;
  if (!bands_.Contains(qso.band)) {
    verdict.refusal = Reason::kWrongBand;
  } else if (!modes_.Contains(qso.mode)) {
    verdict.refusal = Reason::kWrongMode;
  } else if (qso.exchRcvd.empty() || qso.exchSent.empty()) {
    verdict.refusal = Reason::kNoExchange;
  }
  if (!verdict.stored()) {
    verdict.lines = RejectionLine(qso, verdict.refusal, nullptr);
    return verdict;
  }

  QsoRecord& record = verdict.record;
  if (make_record) {
    // Views of the host's texts: the store copies them before AddData returns.
    record.call = qso.call;
    record.band = qso.band;
    record.mode = qso.mode;
    record.rstRcvd = qso.rstRcvd;
    record.rstSent = qso.rstSent;
    record.exchRcvd = qso.exchRcvd;
    record.exchSent = qso.exchSent;
    record.freqKhz = static_cast<int32_t>(qso.freqHz / 1000u);
    record.time = qso.qsoTime;
  }
  // LB, YL and QRP stand where an area would: no multiplier, but no fault.
  if (qso.exchRcvd != "LB" && qso.exchRcvd != "YL" && qso.exchRcvd != "QRP") {
    // Upper case without surrounding blanks. An area code is two letters
    // (every two-letter multiplier is one), so no other text needs a copy
    // until it is refused.
    const std::string_view trimmed = text::Trim(qso.exchRcvd);
    int slot = -1;
    if (trimmed.size() == 2) {
      const char upper[2] = {text::ToUpper(trimmed[0]), text::ToUpper(trimmed[1])};
      slot = contest::MultiplierIndex(std::string_view(upper, 2));
    }
    if (slot >= 0) {
      record.area = contest::MultiplierName(slot);
    } else {
      const std::string normalised = text::ToUpper(trimmed);
      verdict.lines = RejectionLine(qso, Reason::kBadArea, &normalised);
      record.notCounted = 1;
      record.areaRefused = true;
    }
  }
  // An island station is its own multiplier whatever it sent.
  if (qso.dxPrefix == "PY0T") {
    record.area = "PY0T";
  } else if (qso.dxPrefix == "PY0F") {
    record.area = "PY0F";
  } else if (qso.dxPrefix == "PY0S" || qso.dxPrefix == "PY0/s") {
    record.area = "PY0S";
  }
  return verdict;
}

std::string QsoChecker::DupeLines(const QsoArgs& qso, int earlier) const {
  if (earlier <= 0) return {};
  const std::string line = RejectionLine(qso, Reason::kDupe, nullptr);
  std::string lines;
  lines.reserve(line.size() * static_cast<size_t>(earlier));
  for (int i = 0; i < earlier; ++i) lines += line;
  return lines;
}
