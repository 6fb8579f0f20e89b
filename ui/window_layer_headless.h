// HeadlessWindowLayer: the window layer without a screen, for the Linux
// build and for tests. It runs the very same window logic as the DLL
// (SettingsWindowLogic and the view windows' placement and drawing plan) on a real
// thread with a message queue; the windows are stand-ins that remember what
// a screen would show. Tests post clicks, close boxes and pointer moves to
// the window thread as a user would, and read the windows back.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/platform.h"
#include "ui/panel_layout.h"
#include "ui/window_context.h"
#include "ui/window_surfaces.h"
#include "ui/window_thread_control.h"

enum class WindowKind { kSettings, kAreaGrid, kPanel };

// What reaches the headless window thread: the update message, a close
// request, or something the user did.
struct HeadlessMessage {
  enum Kind { kUpdate, kClose, kClick, kCloseBox, kDrag, kBarrier } kind;
  int control = 0;
  WindowKind window = WindowKind::kSettings;
  int x = 0, y = 0;
};

// What one headless window shows.
struct HeadlessWindowState {
  bool open = false;  // created and not yet destroyed
  bool visible = false;
  bool topmost = false;
  std::string title;
  ScreenRect rect;
  std::map<int, bool> checks;  // check box control -> checked
  int repaints = 0;
  PanelPicture picture;  // the panel's last drawing
};

struct HeadlessScreen {
  HeadlessWindowState settings, areaGrid, panel;
  int settingsWindowsOpened = 0;

  HeadlessWindowState& Of(WindowKind kind);
  const HeadlessWindowState& Of(WindowKind kind) const {
    return const_cast<HeadlessScreen*>(this)->Of(kind);
  }
};

class HeadlessWindowLayer : public WindowThreadControl {
 public:
  using LinkFactory = std::function<std::unique_ptr<HostLink>()>;
  // Waits up to the given time, serving host calls that wait on the
  // closing thread; plain sleeping when nothing is given.
  using WaitHook = std::function<void(std::chrono::milliseconds)>;

  explicit HeadlessWindowLayer(LinkFactory links, WaitHook wait = nullptr);
  ~HeadlessWindowLayer() override;

  // The state the windows show; before the first start.
  void Bind(WindowModel* model) { context_.model = model; }
  WindowContext& context() { return context_; }

  // A user at the (imagined) screen. Each posts to the window thread and
  // answers false when no settings window is running.
  bool Click(int control);
  bool UserClose(WindowKind kind);
  // Drags the window so its top-left corner is at (x, y), then moves the
  // pointer over it.
  bool Drag(WindowKind kind, int x, int y);

  // Waits until the window thread has handled everything posted so far;
  // false when it did not within `limit` or no settings window runs.
  bool Sync(std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

  HeadlessScreen Screen() const;

  // For the stand-in windows: their state, under the screen's lock.
  template <typename Fn>
  void Change(WindowKind kind, Fn&& change) {
    std::lock_guard<std::mutex> guard(screen_mutex_);
    change(screen_.Of(kind));
  }
  HeadlessWindowState Read(WindowKind kind) const;

 protected:
  std::unique_ptr<WindowSession> NewSession() override;
  bool Launch(WindowSession& session) override;
  void RequestClose(WindowSession& session) override;
  void PostUpdateTo(WindowSession& session) override;
  void WaitStep(WindowSession& session, std::chrono::milliseconds step) override;
  void Reap(std::unique_ptr<WindowSession> session) override;
  void Abandon(std::unique_ptr<WindowSession> session) override;

 private:
  bool Post(const HeadlessMessage& message);
  // The window thread: one settings window from creation to its end.
  void Run(WindowSession& session);

  LinkFactory links_;
  WaitHook wait_;
  WindowContext context_;
  mutable std::mutex screen_mutex_;
  HeadlessScreen screen_;
};
