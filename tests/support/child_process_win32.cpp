#include <windows.h>

#include "engine/text.h"
#include "tests/support/child_process.h"

namespace {

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

ChildProcess::~ChildProcess() {
  Kill();
  if (output_ != -1) CloseHandle(AsHandle(output_));
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return false;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string command = text::CommandLineOf(argv);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &info);
  // Only the child may hold the write end, or the output never ends.
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    return false;
  }
  CloseHandle(info.hThread);
  process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  output_ = reinterpret_cast<std::intptr_t>(read_end);
  return true;
}

bool ChildProcess::ReadMore() {
  char buf[4096];
  DWORD n = 0;
  if (!ReadFile(AsHandle(output_), buf, sizeof buf, &n, nullptr) || n == 0) return false;
  pending_.append(buf, n);
  return true;
}

void ChildProcess::Kill() {
  if (process_ == -1) return;
  TerminateProcess(AsHandle(process_), 9);
  WaitForSingleObject(AsHandle(process_), INFINITE);
  CloseHandle(AsHandle(process_));
  process_ = -1;
}
