// The Windows build starts no worker processes: tzq-check.exe replays its
// logs in its own process, one after the other.

#include "tools/check/worker_process.h"

struct WorkerProcess::State {};
struct WorkerChannel::State {};

bool WorkerProcess::Supported() {
  return false;
}

WorkerProcess::WorkerProcess() : state_(new State) {}
WorkerProcess::~WorkerProcess() {
  delete state_;
}

bool WorkerProcess::Start(const std::string&, const std::vector<std::string>&, std::string* error) {
  *error = "worker processes are not supported here";
  return false;
}
bool WorkerProcess::running() const {
  return false;
}
bool WorkerProcess::Send(const std::string&) {
  return false;
}
bool WorkerProcess::Receive(void*, size_t) {
  return false;
}
std::string WorkerProcess::Finish() {
  return "was not running";
}

std::string MakeMemoryScratchFolder() {
  return std::string();
}

WorkerChannel::WorkerChannel() : state_(new State) {}
WorkerChannel::~WorkerChannel() {
  delete state_;
}
bool WorkerChannel::Send(const std::string&) {
  return false;
}
bool WorkerChannel::Receive(void*, size_t) {
  return false;
}
