// WindowThreadControl: starting and stopping the window thread, the part of
// the window layer that both builds share. The host's thread calls it; each
// start makes a WindowSession that the new thread runs, and the session's
// `finished` flag is how the host's thread learns that the thread is done.
//
// Closing only asks (posts), never sends: the window thread may be inside a
// host call that the very thread asking it to close has to serve. While it
// waits, the closing thread keeps serving such calls (WaitStep), and it
// gives up after a time limit rather than hang its caller.
//
// Starting waits, the same way, until the new window has initialised: a
// window thread that is still starting when the library unloads could not
// be stopped (it needs the loader lock to get going at all), and its
// initialisation calls the host, which this thread may have to serve.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/platform.h"

struct WindowSession {
  virtual ~WindowSession() = default;
  // A close routine wants the window gone: a window that comes into
  // existence after the request closes itself at once.
  std::atomic<bool> closeRequested{false};
  // The library is being unloaded: the thread must not call into the host
  // or COM from plug-in code on its way out; what it still holds of the
  // host is let go only once the library is gone.
  std::atomic<bool> unloading{false};
  // The settings window has finished its initialisation.
  std::atomic<bool> ready{false};
  // Set by the window thread as its very last step in plug-in code.
  std::atomic<bool> finished{false};
};

class WindowThreadControl : public WindowLayer {
 public:
  static constexpr std::chrono::milliseconds kPollStep{20};
  static constexpr std::chrono::milliseconds kCloseLimit{10000};
  static constexpr std::chrono::milliseconds kUnloadLimit{5000};

  ~WindowThreadControl() override;

  void StartWindowThread() override;
  void CloseWindows() override;
  bool SettingsWindowExists() const override;
  void PostUpdate() override;

  // Called before the module's stop hook at unload. At process exit the
  // other threads are gone already and nothing is waited for.
  void BeginUnload(bool process_exit);

  // Sessions given up on because their thread did not end in time.
  int abandonedSessions() const { return abandoned_; }
  // How long a start or a close waits for the window thread (tests shorten it).
  void setCloseLimit(std::chrono::milliseconds limit) { close_limit_ = limit; }

 protected:
  // Derived destructors call this while their hooks still work.
  void Shutdown();

  virtual std::unique_ptr<WindowSession> NewSession() = 0;
  // Starts the thread that runs `session`; false when none could be made.
  virtual bool Launch(WindowSession& session) = 0;
  // Asks the session's windows to close. Must not wait for the thread.
  virtual void RequestClose(WindowSession& session) = 0;
  virtual void PostUpdateTo(WindowSession& session) = 0;
  // Waits up to `step`, serving whatever the window thread may be waiting
  // for from this thread; may return early when the session's state moved.
  virtual void WaitStep(WindowSession& session, std::chrono::milliseconds step) = 0;
  // Frees a finished session (its thread has left plug-in code).
  virtual void Reap(std::unique_ptr<WindowSession> session) { session.reset(); }
  // A session whose thread is still running: it must stay valid for that
  // thread, so it is let go without being freed.
  virtual void Abandon(std::unique_ptr<WindowSession> session);

  WindowSession* current() const { return current_.get(); }

 private:
  void ReapFinished();
  enum class WaitResult { kDone, kTimedOut, kReplaced };
  // Waits in steps until `done` holds, `limit` has passed, or a nested call
  // has replaced the session.
  template <typename Done>
  WaitResult WaitFor(WindowSession& session, std::chrono::milliseconds limit, Done done);

  // Gone when finished; true while a given-up thread still runs.
  bool ForgetFinishedStuck();

  std::unique_ptr<WindowSession> current_;
  // Sessions given up on whose thread may still run. They are not freed
  // before their thread has finished, and no new window thread starts while
  // one of them runs: two would race on the windows' shared state.
  std::vector<WindowSession*> stuck_;
  // Changes whenever current_ does; a freed session's address may well
  // come back for the next one.
  uint64_t generation_ = 0;
  std::chrono::milliseconds close_limit_ = kCloseLimit;
  bool unloading_ = false;
  bool process_exit_ = false;
  int abandoned_ = 0;
};
