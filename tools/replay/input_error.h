// InputError: a fault in the log file or on the command line, found before
// the plug-in is touched. It names where the fault is (file, line, field or
// option) so that the operator can fix the log by hand.
#pragma once

#include <stdexcept>
#include <string>

class InputError : public std::runtime_error {
 public:
  // `file` empty: a command-line fault; `line` 0: no line applies; `field`
  // empty: the fault concerns no single field.
  InputError(std::string file, int line, std::string field, const std::string& message)
      : std::runtime_error(message),
        file_(std::move(file)),
        line_(line),
        field_(std::move(field)) {}

  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& field() const { return field_; }

  // "FILE:LINE: FIELD: message", leaving out the parts that are empty.
  std::string Describe() const {
    std::string text;
    if (!file_.empty()) {
      text = file_;
      if (line_ > 0) text += ":" + std::to_string(line_);
      text += ": ";
    }
    if (!field_.empty()) text += field_ + ": ";
    return text + what();
  }

 private:
  std::string file_;
  int line_;
  std::string field_;
};
