// The committee's outputs of one check: results.txt, results.csv and
// results.html (one table per operator category, by checked score, equal
// scores sharing a place) and per scored station its report twice, as
// <stem>.ubn.txt and as the page <stem>.html that results.html links to.
// Each file is replaced in one step, so a failed run never leaves half a
// table. Any thread; no state.
#pragma once

#include <string>
#include <vector>

#include "tools/check/check_run.h"

// "YYYY-MM-DD HHMM" of an OLE day count.
std::string QsoTimeText(double ole_days);

// The digits of `n` in groups of three from the right, parted by
// `separator`: 199251 with " " gives "199 251".
std::string GroupedDigits(long long n, const std::string& separator);

// Writes every output into `folder`, each station's reports under a stem of
// its own (UniqueReportStems). A file that cannot be written is skipped
// with its reason in `errors` and the others are still written; `written`
// receives the names of the files written. The folder's list of reports
// (written_list.h) then says which reports this run made; a listed report
// of an earlier run that this run did not write again is removed, when it
// still holds our report, and named in `removed`. False when anything
// failed.
// Text from the logs is shown escaped everywhere (text::Visible, and HTML
// escaping in the pages); a CSV field that a spreadsheet would run as a
// formula starts with an apostrophe.
bool WriteResults(const CheckOutcome& outcome, const std::string& folder,
                  std::vector<std::string>* written, std::vector<std::string>* removed,
                  std::vector<std::string>* errors);
