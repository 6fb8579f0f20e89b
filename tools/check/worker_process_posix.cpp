#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/check/worker_process.h"

extern char** environ;

namespace {

// A socket rather than two pipes: MSG_NOSIGNAL keeps a write to a worker
// that died from raising SIGPIPE in the whole program.
bool SendAll(int fd, const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::send(fd, data, left, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, void* buffer, size_t size) {
  char* at = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t n = ::read(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

struct WorkerProcess::State {
  pid_t pid = -1;
  int fd = -1;
};

WorkerProcess::WorkerProcess() : state_(new State) {}

WorkerProcess::~WorkerProcess() {
  if (running()) Finish();
  delete state_;
}

bool WorkerProcess::running() const {
  return state_->pid > 0;
}

bool WorkerProcess::Start(const std::string& program, const std::vector<std::string>& args,
                          std::string* error) {
  if (running()) Finish();
  // Close-on-exec on both ends, so that no other worker started meanwhile
  // holds a copy: the parent learns of a death by the end of its input.
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
    *error = std::string("cannot make a channel to a worker process: ") + std::strerror(errno);
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    *error = "cannot start " + program + ": " + std::strerror(spawned);
    return false;
  }
  state_->pid = pid;
  state_->fd = fds[0];
  return true;
}

bool WorkerProcess::Send(const std::string& bytes) {
  return running() && SendAll(state_->fd, bytes);
}

bool WorkerProcess::Receive(void* buffer, size_t size) {
  return running() && ReceiveAll(state_->fd, buffer, size);
}

std::string WorkerProcess::Finish() {
  if (!running()) return "was not running";
  ::close(state_->fd);
  state_->fd = -1;
  int status = 0;
  pid_t waited;
  while ((waited = ::waitpid(state_->pid, &status, 0)) < 0 && errno == EINTR) {
  }
  state_->pid = -1;
  if (waited < 0) return std::string("could not be waited for: ") + std::strerror(errno);
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    return "was killed by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
  }
  return "exited with status " + std::to_string(WEXITSTATUS(status));
}

std::string MakeMemoryScratchFolder() {
  // Linux keeps /dev/shm in memory; elsewhere it may be missing.
  char name[] = "/dev/shm/tzq-check-XXXXXX";
  return ::mkdtemp(name) != nullptr ? std::string(name) : std::string();
}

struct WorkerChannel::State {
  int in = -1, out = -1;
};

WorkerChannel::WorkerChannel() : state_(new State) {
  state_->in = ::dup(STDIN_FILENO);
  state_->out = ::dup(STDOUT_FILENO);
  // From here on, a stray print of the plug-in's lands on standard error.
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::close(null);
  }
}

WorkerChannel::~WorkerChannel() {
  ::close(state_->in);
  ::close(state_->out);
  delete state_;
}

bool WorkerChannel::Send(const std::string& bytes) {
  return SendAll(state_->out, bytes);
}

bool WorkerChannel::Receive(void* buffer, size_t size) {
  return ReceiveAll(state_->in, buffer, size);
}
