// RecordingMessageBoxes: the headless build's message boxes. Nothing is
// shown; every box is recorded so that tests and tools can read what the
// user would have seen. Thread-safe.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "engine/message_boxes.h"

class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;  // empty: the platform's default caption
    unsigned style = 0;
    bool ownedByHost = false;
  };

  void Show(const std::string& text, const char* caption, unsigned style,
            bool owned_by_host) override {
    std::lock_guard<std::mutex> guard(lock_);
    shown_.push_back(Box{text, caption ? caption : "", style, owned_by_host});
  }

  std::vector<Box> shown() const {
    std::lock_guard<std::mutex> guard(lock_);
    return shown_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<Box> shown_;
};
