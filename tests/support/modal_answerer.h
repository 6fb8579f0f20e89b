// ModalAnswerer: answers the plug-in's modal windows while a test drives it
// from its own thread. In the DLL the Cabrillo header dialog and the "Output"
// message box are real and block the calling thread; a background thread
// finds them by title and presses a button. In the headless build nothing is
// modal and the answerer does nothing.
#pragma once

#include <memory>
#include <string>

class ModalAnswerer {
 public:
  enum class HeaderAnswer { kOk, kCancel, kEscape, kCloseBox };

  explicit ModalAnswerer(HeaderAnswer header = HeaderAnswer::kOk);
  ~ModalAnswerer();
  ModalAnswerer(const ModalAnswerer&) = delete;
  ModalAnswerer& operator=(const ModalAnswerer&) = delete;

  // Texts of the message boxes closed so far, oldest first ("caption|text").
  std::string boxes() const;
  int headerDialogs() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
