#include "tools/check/replay_workers.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "tools/check/worker_process.h"
#include "tools/replay/replay_platform.h"
#include "tools/replay/work_folder.h"

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr const char* kCheckProgram = "tzq-check.exe";
#else
constexpr const char* kCheckProgram = "tzq-check";
#endif

// For the tests only: a worker asked to replay the log of this own call
// dies on the spot, as one would on a plug-in crash.
constexpr const char* kDieOnEnv = "TZQ_CHECK_WORKER_DIES_ON";

// The channel carries messages: a four-byte length, then the body, numbers
// in this machine's byte order (both ends are the same program).
// A file name this long stands for the QSO before's file.
constexpr uint32_t kSameFile = 0xFFFFFFFFu;

// Writes a message into a buffer sized by a first pass of the same code
// through a Sizer: a job is a few ten thousand small fields.
class Sizer {
 public:
  template <typename T>
  void Number(T) {
    size_ += sizeof(T);
  }
  void Text(const std::string& s) { size_ += 4 + s.size(); }
  size_t size() const { return size_; }

 private:
  size_t size_ = 0;
};

class Writer {
 public:
  explicit Writer(size_t body_size) : bytes_(4 + body_size, '\0'), at_(&bytes_[0]) {
    Number(static_cast<uint32_t>(body_size));
  }
  template <typename T>
  void Number(T value) {
    std::memcpy(at_, &value, sizeof value);
    at_ += sizeof value;
  }
  void Text(const std::string& s) {
    Number(static_cast<uint32_t>(s.size()));
    if (!s.empty()) std::memcpy(at_, s.data(), s.size());
    at_ += s.size();
  }
  // The whole message, its length in front.
  std::string Message() { return std::move(bytes_); }

 private:
  std::string bytes_;
  char* at_;
};

class Reader {
 public:
  explicit Reader(const std::string& body) : body_(body) {}
  template <typename T>
  T Number() {
    T value;
    Take(&value, sizeof value);
    return value;
  }
  std::string Text() { return TextOfSize(Number<uint32_t>()); }
  std::string TextOfSize(uint32_t size) {
    if (size > body_.size() - at_) throw std::runtime_error("a message cut short");
    std::string s = body_.substr(at_, size);
    at_ += size;
    return s;
  }

 private:
  void Take(void* out, size_t size) {
    if (size > body_.size() - at_) throw std::runtime_error("a message cut short");
    std::memcpy(out, body_.data() + at_, size);
    at_ += size;
  }
  const std::string& body_;
  size_t at_ = 0;
};

template <typename Channel>
bool ReceiveMessage(Channel* channel, std::string* body) {
  uint32_t size = 0;
  if (!channel->Receive(&size, sizeof size)) return false;
  body->resize(size);
  return size == 0 || channel->Receive(&(*body)[0], size);
}

template <typename Out>
void PutJob(const ReplayJob& job, Out* w) {
  w->Text(job.ownCall);
  w->Number(static_cast<int32_t>(job.periodStart));
  w->Number(static_cast<int32_t>(job.periodEnd));
  w->Number(static_cast<uint8_t>(job.withWarnings ? 1 : 0));
  w->Number(static_cast<uint32_t>(job.qsos.size()));
  const std::string* file = nullptr;
  for (const LogQso* q : job.qsos) {
    if (file != nullptr && *file == q->file) {
      w->Number(kSameFile);
    } else {
      w->Text(q->file);
      file = &q->file;
    }
    w->Number(static_cast<int32_t>(q->line));
    for (const std::string* s : {&q->ownCall, &q->call, &q->mode, &q->rstSent, &q->rstRcvd,
                                 &q->exchSent, &q->exchRcvd, &q->dxPrefix, &q->band}) {
      w->Text(*s);
    }
    w->Number(static_cast<uint32_t>(q->freqHz));
    w->Number(static_cast<int32_t>(q->date));
    w->Number(static_cast<int64_t>(q->stamp));
    w->Number(static_cast<double>(q->oleDays));
  }
}

std::string JobMessage(const ReplayJob& job) {
  Sizer sizer;
  PutJob(job, &sizer);
  Writer w(sizer.size());
  PutJob(job, &w);
  return w.Message();
}

ReplayJob ReadJob(const std::string& body, std::vector<LogQso>* qsos) {
  Reader r(body);
  ReplayJob job;
  job.ownCall = r.Text();
  job.periodStart = r.Number<int32_t>();
  job.periodEnd = r.Number<int32_t>();
  job.withWarnings = r.Number<uint8_t>() != 0;
  qsos->resize(r.Number<uint32_t>());
  for (size_t i = 0; i < qsos->size(); ++i) {
    LogQso& q = (*qsos)[i];
    const uint32_t file_size = r.Number<uint32_t>();
    q.file = file_size == kSameFile && i > 0 ? (*qsos)[i - 1].file : r.TextOfSize(file_size);
    q.line = r.Number<int32_t>();
    for (std::string* s : {&q.ownCall, &q.call, &q.mode, &q.rstSent, &q.rstRcvd, &q.exchSent,
                           &q.exchRcvd, &q.dxPrefix, &q.band}) {
      *s = r.Text();
    }
    q.freqHz = r.Number<uint32_t>();
    q.date = r.Number<int32_t>();
    q.stamp = r.Number<int64_t>();
    q.oleDays = r.Number<double>();
    job.qsos.push_back(&q);
  }
  return job;
}

// A result: 0 and the score, or 1 and why the replay failed.
template <typename Out>
void PutResult(bool replayed, const PluginScore& score, const std::string& error, Out* w) {
  w->Number(static_cast<uint8_t>(replayed ? 0 : 1));
  if (!replayed) {
    w->Text(error);
    return;
  }
  for (int n : {score.qsos, score.points, score.multipliers, score.score, score.dupes}) {
    w->Number(static_cast<int32_t>(n));
  }
  w->Text(score.warnings);
}

// A result: 0 and the score, or 1 and why the replay failed.
std::string ResultMessage(bool replayed, const PluginScore& score, const std::string& error) {
  Sizer sizer;
  PutResult(replayed, score, error, &sizer);
  Writer w(sizer.size());
  PutResult(replayed, score, error, &w);
  return w.Message();
}

bool ReadResult(const std::string& body, PluginScore* score, std::string* error) {
  Reader r(body);
  if (r.Number<uint8_t>() != 0) {
    *error = r.Text();
    return false;
  }
  for (int* n : {&score->qsos, &score->points, &score->multipliers, &score->score, &score->dupes}) {
    *n = r.Number<int32_t>();
  }
  score->warnings = r.Text();
  return true;
}

}  // namespace

struct ReplayWorkers::State {
  std::string plugin, out_folder;
  int workers = 1;
  bool in_memory = true;
  // Where the workers' folders go: a folder in memory when the platform has
  // one (the plug-in rewrites its settings and bad-QSO files on every
  // replay, and on a disk those renames cost more than the replay), else a
  // fresh folder inside the output folder, so that nothing planted there
  // is followed. Made by the first Run, removed with the workers.
  std::string scratch;
  WorkFolder on_disk;
  bool scratch_made = false;
  // Worker processes, kept from one Run to the next.
  std::vector<std::unique_ptr<WorkerProcess>> processes;

  // Starts worker `k` and waits until it has loaded the plug-in.
  bool StartWorker(size_t k, std::string* error) {
    WorkerProcess& p = *processes[k];
    const std::string program = (fs::path(ProgramFolder()) / kCheckProgram).string();
    const std::string folder_k =
        (fs::path(scratch.empty() ? on_disk.path() : scratch) / ("worker-" + std::to_string(k + 1)))
            .string();
    if (!p.Start(program, {kReplayWorkerArgument, plugin, folder_k}, error)) return false;
    std::string body;
    if (!ReceiveMessage(&p, &body)) {
      *error = "the replay worker " + program + " " + p.Finish() + " before it was ready";
      return false;
    }
    PluginScore unused;
    try {
      return ReadResult(body, &unused, error);
    } catch (const std::exception& e) {
      *error = std::string("the replay worker's answer: ") + e.what();
      return false;
    }
  }

  // One job on worker `k`; false with `error` when the run must stop.
  bool Replay(size_t k, const ReplayJob& job, ReplayJobResult* result, std::string* error) {
    WorkerProcess& p = *processes[k];
    if (!p.running() && !StartWorker(k, error)) return false;
    std::string body;
    if (!p.Send(JobMessage(job)) || !ReceiveMessage(&p, &body)) {
      result->died = true;
      result->death = "the replay process " + p.Finish();
      return true;
    }
    try {
      if (!ReadResult(body, &result->score, &result->problem)) result->score = PluginScore();
      return true;
    } catch (const std::exception& e) {
      *error = std::string("the replay worker's answer: ") + e.what();
      return false;
    }
  }
};

ReplayWorkers::ReplayWorkers(const std::string& plugin, const std::string& out_folder, int workers,
                             bool in_memory)
    : state_(std::make_unique<State>()) {
  state_->in_memory = in_memory;
  // Resolved here, as the in-process replayer would: every worker loads the
  // very same file.
  state_->plugin = plugin.empty() ? DefaultPluginPath() : fs::absolute(plugin).string();
  state_->out_folder = out_folder;
  state_->workers =
      workers > 0 ? workers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ReplayWorkers::~ReplayWorkers() {
  state_->processes.clear();  // each waits for its worker
  std::error_code ignored;
  if (!state_->scratch.empty()) fs::remove_all(state_->scratch, ignored);
}

bool ReplayWorkers::Run(const std::vector<ReplayJob>& jobs, std::vector<ReplayJobResult>* results,
                        std::string* error) {
  results->assign(jobs.size(), ReplayJobResult());
  if (jobs.empty()) return true;
  State& s = *state_;

  if (!s.scratch_made) {
    if (s.in_memory) s.scratch = MakeMemoryScratchFolder();
    if (s.scratch.empty() && !s.on_disk.Create(s.out_folder, error)) return false;
    s.scratch_made = true;
  }
  // No more workers than jobs: a worker costs a process start and a load.
  while (s.processes.size() < static_cast<size_t>(s.workers) && s.processes.size() < jobs.size()) {
    s.processes.push_back(std::make_unique<WorkerProcess>());
  }
  // Each thread feeds its worker the next job not yet taken, so a long log
  // holds up one worker only.
  std::atomic<size_t> next{0};
  std::mutex failure_lock;
  std::string failure;
  const auto feed = [&](size_t k) {
    for (size_t i; (i = next++) < jobs.size();) {
      std::string why;
      if (!s.Replay(k, jobs[i], &(*results)[i], &why)) {
        std::lock_guard<std::mutex> guard(failure_lock);
        if (failure.empty()) failure = why;
        next = jobs.size();
        return;
      }
    }
  };
  std::vector<std::thread> threads;
  for (size_t k = 1; k < s.processes.size(); ++k) threads.emplace_back(feed, k);
  feed(0);
  for (std::thread& t : threads) t.join();
  if (!failure.empty()) {
    *error = failure;
    return false;
  }
  return true;
}

int RunReplayWorker(const std::vector<std::string>& args) {
  WorkerChannel channel;
  if (args.size() != 2) {
    channel.Send(
        ResultMessage(false, PluginScore(), "a replay worker needs a plug-in and a folder"));
    return 2;
  }
  PluginReplayer replayer;
  std::string error;
  const bool opened = replayer.Open(args[0], args[1], &error);
  if (!channel.Send(ResultMessage(opened, PluginScore(), error)) || !opened) return 1;
  const char* die_on = std::getenv(kDieOnEnv);
  std::string body;
  std::vector<LogQso> qsos;
  // The parent closing the channel ends the worker.
  while (ReceiveMessage(&channel, &body)) {
    ReplayJob job;
    try {
      job = ReadJob(body, &qsos);
    } catch (const std::exception& e) {
      channel.Send(ResultMessage(false, PluginScore(), std::string("a replay job: ") + e.what()));
      return 1;
    }
    if (die_on != nullptr && job.ownCall == die_on) std::abort();
    PluginScore score;
    const bool replayed = replayer.Replay(job.qsos, job.ownCall, job.periodStart, job.periodEnd,
                                          job.withWarnings, &score, &error);
    if (!channel.Send(ResultMessage(replayed, score, error))) return 1;
  }
  return 0;
}
