// WorkerProcess and WorkerChannel: the two ends of a helper process that
// talks to the process that started it over one byte channel. The parent
// starts a program with arguments as a WorkerProcess; the child, started
// that way, opens its end as a WorkerChannel. The channel is the child's
// standard input and output; once the child opens it, what the child's code
// writes to standard output goes to standard error, so nothing strays into
// the channel.
// Each object belongs to one thread at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class WorkerProcess {
 public:
  WorkerProcess();
  // Ends the process's input and waits for it.
  ~WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  // Starts `program` with `args` (without the program's name), its standard
  // error shared with this process's.
  bool Start(const std::string& program, const std::vector<std::string>& args, std::string* error);
  bool running() const;
  // False when the process is gone (or never started); a process that died
  // never stops this one.
  bool Send(const std::string& bytes);
  // Exactly `size` bytes; false when the process ended before.
  bool Receive(void* buffer, size_t size);
  // Closes the channel, waits for the process and says how it ended:
  // "exited with status 3", "was killed by signal 11 (Segmentation fault)".
  std::string Finish();

 private:
  struct State;
  State* state_;
};

// A new empty folder for workers' scratch files on a file system kept in
// memory, where creating, renaming and removing files costs no disk
// journal; empty when the platform has none. The caller removes it.
std::string MakeMemoryScratchFolder();

class WorkerChannel {
 public:
  // Takes over standard input and output.
  WorkerChannel();
  ~WorkerChannel();
  WorkerChannel(const WorkerChannel&) = delete;
  WorkerChannel& operator=(const WorkerChannel&) = delete;

  bool Send(const std::string& bytes);
  // Exactly `size` bytes; false at the end of the input.
  bool Receive(void* buffer, size_t size);

 private:
  struct State;
  State* state_;
};
