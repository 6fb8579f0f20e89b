#include "ui/window_thread_control.h"

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
  session.release();  // still the running thread's; it outlives us on purpose
}

void WindowThreadControl::ReapFinished() {
  if (current_ && current_->finished.load()) Reap(std::move(current_));
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
bool WindowThreadControl::WaitFor(WindowSession& session, std::chrono::milliseconds limit,
                                  Done done) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    WaitStep(session, kPollStep);
  }
  return true;
}

void WindowThreadControl::StartWindowThread() {
  if (process_exit_ || unloading_) return;
  if (SettingsWindowExists()) CloseWindows();
  ReapFinished();
  std::unique_ptr<WindowSession> session = NewSession();
  if (!session || !Launch(*session)) return;
  current_ = std::move(session);
  WindowSession& started = *current_;
  WaitFor(started, kCloseLimit, [&] { return started.ready.load() || started.finished.load(); });
}

void WindowThreadControl::CloseWindows() {
  if (!SettingsWindowExists()) {
    ReapFinished();
    return;
  }
  WindowSession& session = *current_;
  if (process_exit_) return;
  session.unloading.store(unloading_);
  session.closeRequested.store(true);
  RequestClose(session);

  const auto limit = unloading_ ? kUnloadLimit : kCloseLimit;
  if (!WaitFor(session, limit, [&] { return session.finished.load(); })) {
    Abandon(std::move(current_));
    return;
  }
  Reap(std::move(current_));
  // The thread has still to step out of the library's code.
  if (unloading_) std::this_thread::sleep_for(kPollStep);
}

void WindowThreadControl::BeginUnload(bool process_exit) {
  unloading_ = true;
  process_exit_ = process_exit;
}
