// ScriptedHeaderDialog: the headless build's Cabrillo header dialog. By
// default it answers as if OK were pressed without edits; tests queue other
// answers (edits, CANCEL). Records the fields each run was shown. Used on
// the host's thread only.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "reports/header_dialog.h"

class ScriptedHeaderDialog : public HeaderDialog {
 public:
  struct Answer {
    bool ok = true;
    std::function<void(CabrilloDialogFields*)> edit;  // applied before OK
  };

  void Queue(Answer answer) { answers_.push_back(std::move(answer)); }

  bool Run(CabrilloDialogFields* fields) override {
    shown_.push_back(*fields);
    if (answers_.empty()) return true;
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer.ok) return false;
    if (answer.edit) answer.edit(fields);
    return true;
  }

  const std::vector<CabrilloDialogFields>& shown() const { return shown_; }

 private:
  std::deque<Answer> answers_;
  std::vector<CabrilloDialogFields> shown_;
};
