#include "host/host_link_headless.h"

#include <thread>

class ScriptedHostLink : public HostLink {
 public:
  explicit ScriptedHostLink(ScriptedHost& host) : host_(host) {}

  bool Attach() override {
    attached_ = host_.Running();
    return attached_;
  }
  bool attached() const override { return attached_; }

  bool Frequency(double* hertz) override {
    ScriptedHost::Request request(HostCall::kFrequency);
    if (!Make(&request)) return false;
    *hertz = request.hertz;
    return true;
  }
  bool TypedCall(std::string* call) override {
    ScriptedHost::Request request(HostCall::kTypedCall);
    if (!Make(&request)) return false;
    *call = request.typed;
    return true;
  }
  bool RunMacro(const std::string& macro) override {
    ScriptedHost::Request request(HostCall::kMacro, macro);
    return Make(&request);
  }
  void Release() override {
    attached_ = false;
    host_.Ended(true);
  }
  void Abandon() override {
    attached_ = false;
    host_.Ended(false);
  }

 private:
  bool Make(ScriptedHost::Request* request) { return attached_ && host_.Call(request); }

  ScriptedHost& host_;
  bool attached_ = false;
};

namespace {
int Slot(HostCall call) {
  return static_cast<int>(call);
}
}  // namespace

void ScriptedHost::SetRunning(bool running) {
  std::lock_guard<std::mutex> guard(mutex_);
  running_ = running;
}

void ScriptedHost::SetFrequency(double hertz) {
  std::lock_guard<std::mutex> guard(mutex_);
  hertz_ = hertz;
}

void ScriptedHost::SetTypedCall(const std::string& call) {
  std::lock_guard<std::mutex> guard(mutex_);
  typed_ = call;
}

void ScriptedHost::SetFailing(HostCall call, bool failing) {
  std::lock_guard<std::mutex> guard(mutex_);
  failing_[Slot(call)] = failing;
}

void ScriptedHost::SetServedByOwner(bool served) {
  std::lock_guard<std::mutex> guard(mutex_);
  served_ = served;
}

void ScriptedHost::SetDelay(std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> guard(mutex_);
  delay_ = delay;
}

bool ScriptedHost::Running() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return running_;
}

void ScriptedHost::Answer(Request* request) {
  const int slot = Slot(request->call);
  ++counts_[slot];
  request->ok = !failing_[slot];
  if (request->ok) {
    request->hertz = hertz_;
    request->typed = typed_;
    if (request->call == HostCall::kMacro) macros_.push_back(request->macro);
  }
  request->done = true;
}

bool ScriptedHost::Call(Request* request) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (delay_.count() > 0) {
    const auto delay = delay_;
    lock.unlock();
    std::this_thread::sleep_for(delay);
    lock.lock();
  }
  if (!served_) {
    Answer(request);
    return request->ok;
  }
  waiting_.push_back(request);
  changed_.notify_all();
  if (!changed_.wait_for(lock, kGiveUp, [request] { return request->done; })) {
    // Nobody served it: withdraw the call so that a late Serve() cannot
    // touch it, and report the failure.
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (*it == request) {
        waiting_.erase(it);
        break;
      }
    }
    return false;
  }
  return request->ok;
}

int ScriptedHost::Serve(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (waiting_.empty() && wait.count() > 0) {
    changed_.wait_for(lock, wait, [this] { return !waiting_.empty(); });
  }
  int answered = 0;
  while (!waiting_.empty()) {
    Request* request = waiting_.front();
    waiting_.pop_front();
    Answer(request);
    ++answered;
  }
  if (answered > 0) changed_.notify_all();
  return answered;
}

void ScriptedHost::Ended(bool released) {
  std::lock_guard<std::mutex> guard(mutex_);
  ++(released ? released_ : abandoned_);
}

int ScriptedHost::Released() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return released_;
}

int ScriptedHost::Abandoned() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return abandoned_;
}

int ScriptedHost::Waiting() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return static_cast<int>(waiting_.size());
}

std::vector<std::string> ScriptedHost::Macros() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return macros_;
}

int ScriptedHost::Count(HostCall call) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return counts_[Slot(call)];
}

void ScriptedHost::ClearRecords() {
  std::lock_guard<std::mutex> guard(mutex_);
  macros_.clear();
  for (int& c : counts_) c = 0;
  released_ = abandoned_ = 0;
}

std::unique_ptr<HostLink> ScriptedHost::NewLink() {
  return std::make_unique<ScriptedHostLink>(*this);
}
