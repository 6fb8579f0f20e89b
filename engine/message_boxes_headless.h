// RecordingMessageBoxes: the headless build's message boxes. Nothing is
// shown; the latest boxes are kept so that tests and tools can read what the
// user would have seen, and a plug-in that runs for days does not grow with
// every export. Thread-safe.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/platform.h"

class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;  // empty: the platform's default caption
    unsigned style = 0;
    bool ownedByHost = false;
  };

  static constexpr size_t kKept = 16;

  void Show(const std::string& text, const char* caption, unsigned style,
            bool owned_by_host) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (shown_.size() == kKept) shown_.pop_front();
    shown_.push_back(Box{text, caption ? caption : "", style, owned_by_host});
  }

  // The latest boxes (at most kKept), oldest first.
  std::vector<Box> shown() const {
    std::lock_guard<std::mutex> guard(lock_);
    return std::vector<Box>(shown_.begin(), shown_.end());
  }

 private:
  mutable std::mutex lock_;
  std::deque<Box> shown_;
};
