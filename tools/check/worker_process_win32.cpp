#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <mutex>

#include "engine/text.h"
#include "tools/check/worker_process.h"

namespace {

std::string LastError() {
  return "error " + std::to_string(GetLastError());
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD n = 0;
    const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
    if (!WriteFile(h, data, chunk, &n, nullptr) || n == 0) return false;
    data += n;
    left -= n;
  }
  return true;
}

// A pipe whose writer is gone answers ERROR_BROKEN_PIPE: the end of input.
bool ReadAll(HANDLE h, void* buffer, size_t size) {
  char* at = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD n = 0;
    const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    if (!ReadFile(h, at, chunk, &n, nullptr) || n == 0) return false;
    at += n;
    size -= n;
  }
  return true;
}

// A child inherits every inheritable handle of the moment: the child's pipe
// ends are inheritable only while it starts, one start at a time, so that
// no worker holds another's pipe open and hides its death.
std::mutex& StartLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

struct WorkerProcess::State {
  HANDLE process = nullptr;
  HANDLE in = nullptr;   // the child's standard input, written here
  HANDLE out = nullptr;  // the child's standard output, read here
};

WorkerProcess::WorkerProcess() : state_(new State) {}

WorkerProcess::~WorkerProcess() {
  if (running()) Finish();
  delete state_;
}

bool WorkerProcess::running() const {
  return state_->process != nullptr;
}

bool WorkerProcess::Start(const std::string& program, const std::vector<std::string>& args,
                          std::string* error) {
  if (running()) Finish();
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string command = text::CommandLineOf(argv);
  std::lock_guard<std::mutex> guard(StartLock());
  HANDLE child_in = nullptr, parent_in = nullptr, parent_out = nullptr, child_out = nullptr;
  if (!CreatePipe(&child_in, &parent_in, nullptr, 0)) {
    *error = "cannot make a pipe to a worker process: " + LastError();
    return false;
  }
  if (!CreatePipe(&parent_out, &child_out, nullptr, 0)) {
    *error = "cannot make a pipe to a worker process: " + LastError();
    CloseHandle(child_in);
    CloseHandle(parent_in);
    return false;
  }
  SetHandleInformation(child_in, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(child_out, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  const std::string why = started ? std::string() : LastError();
  // Only the child may hold its ends, or its death would go unnoticed.
  CloseHandle(child_in);
  CloseHandle(child_out);
  if (!started) {
    CloseHandle(parent_in);
    CloseHandle(parent_out);
    *error = "cannot start " + program + ": " + why;
    return false;
  }
  CloseHandle(info.hThread);
  state_->process = info.hProcess;
  state_->in = parent_in;
  state_->out = parent_out;
  return true;
}

bool WorkerProcess::Send(const std::string& bytes) {
  return running() && WriteAll(state_->in, bytes);
}

bool WorkerProcess::Receive(void* buffer, size_t size) {
  return running() && ReadAll(state_->out, buffer, size);
}

std::string WorkerProcess::Finish() {
  if (!running()) return "was not running";
  CloseHandle(state_->in);
  CloseHandle(state_->out);
  WaitForSingleObject(state_->process, INFINITE);
  DWORD code = 0;
  const BOOL known = GetExitCodeProcess(state_->process, &code);
  CloseHandle(state_->process);
  *state_ = State();
  if (!known) return "ended in an unknown way (" + LastError() + ")";
  // Exception codes (an access violation is 0xC0000005) have the top bits set.
  if ((code & 0xC0000000u) == 0xC0000000u) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return std::string("ended with exception ") + hex;
  }
  return "exited with status " + std::to_string(code);
}

std::string MakeMemoryScratchFolder() {
  return std::string();
}

struct WorkerChannel::State {
  HANDLE in = nullptr, out = nullptr;
};

WorkerChannel::WorkerChannel() : state_(new State) {
  const HANDLE self = GetCurrentProcess();
  DuplicateHandle(self, GetStdHandle(STD_INPUT_HANDLE), self, &state_->in, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &state_->out, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  // From here on, a stray print lands on standard error, through the C
  // library's descriptor and through the handle alike.
  std::fflush(stdout);
  _dup2(_fileno(stderr), _fileno(stdout));
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
}

WorkerChannel::~WorkerChannel() {
  CloseHandle(state_->in);
  CloseHandle(state_->out);
  delete state_;
}

bool WorkerChannel::Send(const std::string& bytes) {
  return WriteAll(state_->out, bytes);
}

bool WorkerChannel::Receive(void* buffer, size_t size) {
  return ReadAll(state_->in, buffer, size);
}
