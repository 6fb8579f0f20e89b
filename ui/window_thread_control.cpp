#include "ui/window_thread_control.h"

#include <algorithm>
#include <thread>

WindowThreadControl::~WindowThreadControl() = default;

void WindowThreadControl::Shutdown() {
  if (!current_) return;
  if (current_->finished.load()) {
    Reap(std::move(current_));
  } else {
    Abandon(std::move(current_));
  }
}

void WindowThreadControl::Abandon(std::unique_ptr<WindowSession> session) {
  ++abandoned_;
  // Still the running thread's: kept, unowned, until it has finished (and
  // for ever when the library goes first).
  stuck_.push_back(session.release());
}

bool WindowThreadControl::ForgetFinishedStuck() {
  for (auto it = stuck_.begin(); it != stuck_.end();) {
    if ((*it)->finished.load()) {
      Reap(std::unique_ptr<WindowSession>(*it));
      it = stuck_.erase(it);
    } else {
      ++it;
    }
  }
  return !stuck_.empty();
}

void WindowThreadControl::ReapFinished() {
  if (current_ && current_->finished.load()) {
    ++generation_;
    Reap(std::move(current_));
  }
}

bool WindowThreadControl::SettingsWindowExists() const {
  // From the start routine on: a close that comes before the window exists
  // must still find something to close.
  return current_ && !current_->finished.load();
}

void WindowThreadControl::PostUpdate() {
  if (SettingsWindowExists()) PostUpdateTo(*current_);
}

template <typename Done>
WindowThreadControl::WaitResult WindowThreadControl::WaitFor(WindowSession& session,
                                                             std::chrono::milliseconds limit,
                                                             Done done) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const uint64_t generation = generation_;
  for (;;) {
    // Serving the host can run the host's code, and the host may call in
    // again: a nested start or close that replaced the session ends this
    // wait, and the session is no longer ours to touch.
    if (generation_ != generation) return WaitResult::kReplaced;
    if (done()) return WaitResult::kDone;
    if (std::chrono::steady_clock::now() >= deadline) return WaitResult::kTimedOut;
    WaitStep(session, kPollStep);
  }
}

void WindowThreadControl::StartWindowThread() {
  if (process_exit_ || unloading_) return;
  if (SettingsWindowExists()) CloseWindows();
  ReapFinished();
  if (ForgetFinishedStuck()) return;
  std::unique_ptr<WindowSession> session = NewSession();
  if (!session || !Launch(*session)) return;
  current_ = std::move(session);
  ++generation_;
  WindowSession& started = *current_;
  WaitFor(started, close_limit_, [&] { return started.ready.load() || started.finished.load(); });
}

void WindowThreadControl::CloseWindows() {
  if (process_exit_) return;
  // At unload the window thread has still to step out of the library's
  // code after it has said it is done; the stop hook always allows it that.
  struct UnloadPause {
    bool on;
    ~UnloadPause() {
      if (on) std::this_thread::sleep_for(kPollStep);
    }
  } pause{unloading_};
  if (!SettingsWindowExists()) {
    ReapFinished();
    return;
  }
  WindowSession& session = *current_;
  session.unloading.store(unloading_);
  session.closeRequested.store(true);
  RequestClose(session);

  const auto limit = unloading_ ? std::min(kUnloadLimit, close_limit_) : close_limit_;
  switch (WaitFor(session, limit, [&] { return session.finished.load(); })) {
    case WaitResult::kReplaced:
      return;
    case WaitResult::kTimedOut:
      ++generation_;
      Abandon(std::move(current_));
      return;
    case WaitResult::kDone:
      ++generation_;
      Reap(std::move(current_));
      break;
  }
}

void WindowThreadControl::BeginUnload(bool process_exit) {
  unloading_ = true;
  process_exit_ = process_exit;
}
