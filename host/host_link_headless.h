// ScriptedHost: the host program's automation object for builds and tests
// without one. Tests set what it answers (frequency, typed call, which calls
// fail, whether it is running at all) and read back what it was asked; the
// Linux plug-in uses one that is never running, so its windows behave as
// the DLL's do when the host has no automation object.
//
// In served mode a call waits until the owning thread serves it, as a call
// into an object that lives in the host's single-threaded apartment waits
// until the host's thread pumps its messages. A call that nobody serves
// within the give-up time fails instead of waiting for ever.
//
// Thread-safe; links may be made and used on any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/platform.h"

enum class HostCall { kFrequency, kTypedCall, kMacro };

class ScriptedHost {
 public:
  static constexpr std::chrono::milliseconds kGiveUp{10000};

  void SetRunning(bool running);
  void SetFrequency(double hertz);
  void SetTypedCall(const std::string& call);
  void SetFailing(HostCall call, bool failing);
  void SetServedByOwner(bool served);
  // Every answer takes this long (a slow host).
  void SetDelay(std::chrono::milliseconds delay);

  // Owner thread, served mode: answers the calls that are waiting, or that
  // arrive within `wait`. Returns how many were answered.
  int Serve(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
  // Calls that wait for the owner now.
  int Waiting() const;

  std::vector<std::string> Macros() const;
  int Count(HostCall call) const;
  // Links ended by Release() and by Abandon().
  int Released() const;
  int Abandoned() const;
  // Forgets the recorded macros and counts.
  void ClearRecords();

  // A link for one window thread.
  std::unique_ptr<HostLink> NewLink();

 private:
  friend class ScriptedHostLink;
  struct Request {
    explicit Request(HostCall c, std::string m = std::string()) : call(c), macro(std::move(m)) {}
    HostCall call;
    std::string macro;
    bool done = false;
    bool ok = false;
    double hertz = 0.0;
    std::string typed;
  };

  bool Running() const;
  void Ended(bool released);
  // Makes one call; false when it failed.
  bool Call(Request* request);
  void Answer(Request* request);  // under mutex_

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request*> waiting_;
  bool running_ = false;
  bool served_ = false;
  double hertz_ = 0.0;
  std::string typed_;
  bool failing_[3] = {false, false, false};
  std::chrono::milliseconds delay_{0};
  std::vector<std::string> macros_;
  int counts_[3] = {0, 0, 0};
  int released_ = 0, abandoned_ = 0;
};
