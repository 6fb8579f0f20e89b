// ScriptedHeaderDialog: the headless build's Cabrillo header dialog. By
// default it answers as if OK were pressed after the standing edit (none
// unless one is set: no edits); tests queue other answers (edits, CANCEL).
// Keeps the fields the latest runs were shown (a bounded number, so a
// long-running plug-in does not grow). Used on the host's thread only.
#pragma once

#include <deque>
#include <functional>

#include "engine/platform.h"

// The Linux plug-in has no operator to pick a category from the dialog's
// list. A host that stands in for one (tzq-replay) names the category in
// this environment variable; the plug-in's dialog picks it on every run
// that no test scripted (plugin/plugin_main_posix.cpp).
constexpr char kHeaderDialogCategoryVariable[] = "TZQ_HEADER_DIALOG_CATEGORY";

class ScriptedHeaderDialog : public HeaderDialog {
 public:
  struct Answer {
    bool ok = true;
    std::function<void(CabrilloDialogFields*)> edit;  // applied before OK
  };

  void Queue(Answer answer) { answers_.push_back(std::move(answer)); }
  // Applied before OK whenever no answer is queued.
  void SetStandingEdit(std::function<void(CabrilloDialogFields*)> edit) {
    standing_ = std::move(edit);
  }

  static constexpr size_t kKept = 16;

  bool Run(CabrilloDialogFields* fields) override {
    if (shown_.size() == kKept) shown_.pop_front();
    shown_.push_back(*fields);
    if (answers_.empty()) {
      if (standing_) standing_(fields);
      return true;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer.ok) return false;
    if (answer.edit) answer.edit(fields);
    return true;
  }

  // The latest runs (at most kKept), oldest first.
  const std::deque<CabrilloDialogFields>& shown() const { return shown_; }

 private:
  std::deque<Answer> answers_;
  std::function<void(CabrilloDialogFields*)> standing_;
  std::deque<CabrilloDialogFields> shown_;
};
