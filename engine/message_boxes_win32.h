// Win32MessageBoxes: MessageBoxA on the calling (host) thread.
#pragma once

#include "engine/platform.h"

class Win32MessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text, const char* caption, unsigned style,
            bool owned_by_host) override;
};
