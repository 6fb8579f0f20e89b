#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "resources/resource.h"
#include "tools/plugin_loader/plugin_library.h"
#include "tools/replay/replay_platform.h"

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  std::string program(path, n);
  const size_t slash = program.find_last_of("\\/");
  return slash == std::string::npos ? "." : program.substr(0, slash);
}

std::string DefaultPluginPath() {
  return ProgramFolder() + "\\" + PluginLibrary::DefaultFileName();
}

void UseBinaryStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool FinishStandardOutput() {
  // The descriptor, not the stream, is closed: the C++ streams flush
  // stdout once more at exit, which then has nothing left to write.
  const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  return _close(_fileno(stdout)) == 0 && flushed;
}

struct ModalWindowAnswerer::State {
  std::string category;  // picked in the header dialog before OK; "" none
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  HWND last = nullptr;  // the window answered most recently, not to be answered twice
  DWORD pressedAt = 0;
  std::thread watcher;
};

namespace {

struct Search {
  DWORD process;
  HWND found;
};

// A dialog of this process (class "#32770") titled "TZQ" or "Output".
BOOL CALLBACK FindModal(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  char class_name[16] = {0}, title[16] = {0};
  GetClassNameA(window, class_name, sizeof class_name);
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(class_name, "#32770") != 0) return TRUE;
  if (std::strcmp(title, "TZQ") != 0 && std::strcmp(title, "Output") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The header dialog fills its boxes while it initialises; a category typed
// in before that would be overwritten by the preset, which is never empty.
bool CategoryBoxFilled(HWND dialog) {
  char category[8] = "";
  GetDlgItemTextA(dialog, IDC_CAB_CATEGORY, category, sizeof category);
  return category[0] != '\0';
}

bool IsHeaderDialog(HWND dialog) {
  char title[16] = "";
  GetWindowTextA(dialog, title, sizeof title);
  return std::strcmp(title, "TZQ") == 0;
}

}  // namespace

ModalWindowAnswerer::ModalWindowAnswerer(const std::string& category) : state_(new State) {
  State* state = state_.get();
  state->category = category;
  state->watcher = std::thread([state] {
    while (!state->stop.load()) {
      Search search{GetCurrentProcessId(), nullptr};
      EnumWindows(FindModal, reinterpret_cast<LPARAM>(&search));
      const bool header = search.found != nullptr && IsHeaderDialog(search.found);
      if (header && search.found != state->last && !state->category.empty() &&
          !CategoryBoxFilled(search.found)) {
        // Not filled yet: look again on the next round.
      } else if (search.found != nullptr && search.found != state->last) {
        // The category box is an editable drop-down: its text is the value
        // the dialog takes on OK, as if the operator had picked the entry.
        if (header && !state->category.empty()) {
          SetDlgItemTextA(search.found, IDC_CAB_CATEGORY, state->category.c_str());
        }
        // Pressing the dialog's own OK button runs its OK handler exactly as
        // a click does (the header dialog then stores its fields).
        HWND ok = GetDlgItem(search.found, IDOK);
        if (ok != nullptr) {
          SendMessageA(ok, BM_CLICK, 0, 0);
        } else {
          PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        state->last = search.found;
        state->pressedAt = GetTickCount();
        state->answered.fetch_add(1);
      } else if (search.found != nullptr && GetTickCount() - state->pressedAt > 1000) {
        // Still open a second later: the click went nowhere (the button was
        // not ready yet); send the command itself.
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        state->pressedAt = GetTickCount();
      }
      Sleep(20);
    }
  });
}

ModalWindowAnswerer::~ModalWindowAnswerer() {
  state_->stop.store(true);
  state_->watcher.join();
}

int ModalWindowAnswerer::answered() const {
  return state_->answered.load();
}
