#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/child_process.h"

ChildProcess::~ChildProcess() {
  Kill();
  if (output_ >= 0) close(static_cast<int>(output_));
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  process_ = pid;
  output_ = fds[0];
  return true;
}

bool ChildProcess::ReadMore() {
  char buf[4096];
  for (;;) {
    const ssize_t n = read(static_cast<int>(output_), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    pending_.append(buf, static_cast<size_t>(n));
    return true;
  }
}

void ChildProcess::Kill() {
  if (process_ < 0) return;
  const pid_t pid = static_cast<pid_t>(process_);
  kill(pid, SIGKILL);
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  process_ = -1;
}
