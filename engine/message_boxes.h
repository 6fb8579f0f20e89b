// MessageBoxes: the platform's modal message box. The DLL shows a real
// MessageBoxA; the headless build records what would have been shown. Called
// only on the host's thread, inside an exported call.
#pragma once

#include <string>

class MessageBoxes {
 public:
  static constexpr unsigned kIconInformation = 0x40;  // MB_ICONINFORMATION

  virtual ~MessageBoxes() = default;

  // Shows `text` and returns when the user has closed the box. A null
  // caption is the platform's default one. With `owned_by_host`, the box
  // belongs to the host's main window when there is one; otherwise it has
  // no owner.
  virtual void Show(const std::string& text, const char* caption, unsigned style,
                    bool owned_by_host) = 0;
};
