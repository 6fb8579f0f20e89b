#include "tests/support/child_process.h"

bool ChildProcess::ReadLine(std::string* line) {
  if (output_ == -1) return false;
  size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (!ReadMore()) return false;
  }
  line->assign(pending_, 0, end);
  if (!line->empty() && line->back() == '\r') line->pop_back();
  pending_.erase(0, end + 1);
  return true;
}
