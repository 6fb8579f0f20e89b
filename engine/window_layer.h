// WindowLayer: what the engine needs of the plug-in's windows, which run on a
// window thread of their own. The engine calls it from the host's thread;
// every method returns promptly and never waits on a host call.
#pragma once

class WindowLayer {
 public:
  virtual ~WindowLayer() = default;

  // Closes the running settings window first (when there is one), then
  // starts a new window thread that opens a fresh settings window.
  virtual void StartWindowThread() = 0;
  // Closes the view windows and the settings window and returns when the
  // settings window is gone (immediately when there is none).
  virtual void CloseWindows() = 0;
  // True while a settings window exists.
  virtual bool SettingsWindowExists() const = 0;
  // Posts the update message (WM_USER+500, wParam 0, lParam 0) to the
  // settings window; nothing when there is none.
  virtual void PostUpdate() = 0;
};
