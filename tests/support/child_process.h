// ChildProcess: another program started by a test, whose standard output the
// test reads line by line and which the test can kill without warning
// (SIGKILL, TerminateProcess), as the system kills a hung host. One per
// child; the test's thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::string& program, const std::vector<std::string>& args);
  // The next line of the child's output without its line end; false once
  // the output has ended and nothing is left.
  bool ReadLine(std::string* line);
  // Kills the child at once and waits until it is gone; output it wrote
  // before stays readable.
  void Kill();

 private:
  bool ReadMore();

  std::string pending_;
  std::intptr_t process_ = -1;
  std::intptr_t output_ = -1;
};
