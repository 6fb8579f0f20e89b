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

// The station's per-QSO report file name: the call with characters that no
// file name may hold replaced by "_".
std::string UbnFileName(const std::string& call);

// Writes every output into `folder`; `written` receives the file names.
bool WriteResults(const CheckOutcome& outcome, const std::string& folder,
                  std::vector<std::string>* written, std::string* error);
