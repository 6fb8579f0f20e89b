// HostLink: the host program's running automation object as the window
// thread sees it. A settings window attaches it at its initialisation; only
// the window thread calls it; the thread lets go of it when it ends.
#pragma once

#include <string>

class HostLink {
 public:
  virtual ~HostLink() = default;

  // Prepares the calling thread (COM) and looks for the host's running
  // object. False leaves the link unattached; no host call is made then.
  virtual bool Attach() = 0;
  virtual bool attached() const = 0;

  // The host calls. Each answers false when the call failed, and the caller
  // stops what it was doing.
  // The host's frequency in hertz.
  virtual bool Frequency(double* hertz) = 0;
  // The callsign in the host's entry field, in the thread's ANSI code page;
  // empty when there is none or the host answers with something not text.
  virtual bool TypedCall(std::string* call) = 0;
  // Has the host run `macro` ("<MODE:RTTY>", "<SP1>", ...).
  virtual bool RunMacro(const std::string& macro) = 0;

  // Lets go of the host object and of the thread's COM. Ends the link.
  virtual void Release() = 0;
  // Ends the link without calling into the host or COM: at unload either
  // may need the loader lock that the unloading thread holds.
  virtual void Abandon() = 0;
};
