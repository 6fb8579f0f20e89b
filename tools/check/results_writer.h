// The committee's outputs of one check: results.txt, results.csv and
// results.html (one table per operator category, by checked score) and one
// <call>.ubn.txt per scored station. Each file is replaced in one step, so a
// failed run never leaves half a table. Any thread; no state.
#pragma once

#include <string>
#include <vector>

#include "tools/check/check_run.h"

// "YYYY-MM-DD HHMM" of an OLE day count.
std::string QsoTimeText(double ole_days);

// Writes every output into `folder`, each station's report under a name of
// its own (UniqueReportNames). A file that cannot be written is skipped
// with its reason in `errors` and the others are still written; `written`
// receives the names of the files written. False when any failed.
// Text from the logs is shown escaped everywhere (VisibleText); a CSV field
// that a spreadsheet would run as a formula starts with an apostrophe.
bool WriteResults(const CheckOutcome& outcome, const std::string& folder,
                  std::vector<std::string>* written, std::vector<std::string>* errors);
