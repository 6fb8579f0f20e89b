// What the window logic needs of a window, whatever draws it: the Win32
// dialogs in the DLL, the headless stand-ins elsewhere. All calls come from
// the window thread that owns the window.
#pragma once

#include <array>
#include <memory>
#include <string>

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// One box per multiplier of the area grid, in the order of kAreaBoxes.
using AreaMarks = std::array<bool, 31>;

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;
  // The window's rectangle in screen coordinates.
  virtual ScreenRect WindowRect() const = 0;
  // Moves the top-left corner; size and z-order stay.
  virtual void MoveTo(int x, int y) = 0;
  // Above all non-topmost windows, without moving or activating it.
  virtual void MakeTopmost() = 0;
  virtual void SetTitle(const std::string& title) = 0;
};

// The area grid window. Destroying the object closes the window.
class AreaGridView : public WindowSurface {
 public:
  virtual void ShowMarks(const AreaMarks& marks) = 0;
};

// The previous-QSO window. Destroying the object closes the window.
class PanelView : public WindowSurface {
 public:
  // Redraws the panel from the shared state, without erasing first.
  virtual void Repaint() = 0;
};

// The check boxes of the settings window, by mode and view.
struct SettingsFlags {
  bool bpsk63 = false;
  bool bpsk125 = false;
  bool viewArea = false;
  bool viewCall = false;
  bool bpsk31 = false;
  bool rtty = false;
  bool onTop = false;
};

// The settings window, which also makes the two view windows.
class SettingsSurface : public WindowSurface {
 public:
  // Copies the seven flags into their check boxes.
  virtual void PushFlags(const SettingsFlags& flags) = 0;
  // Posts the update message to this window.
  virtual void PostUpdate() = 0;
  // Creates and shows a view window, parentless, on this thread.
  virtual std::unique_ptr<AreaGridView> OpenAreaGrid() = 0;
  virtual std::unique_ptr<PanelView> OpenPanel() = 0;
};
