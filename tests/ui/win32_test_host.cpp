#include "tests/ui/win32_test_host.h"

#include <cstdio>

#include "resources/resource.h"

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms - spent, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= limit_ms) return done();
    Pump(5);
  }
  return true;
}

namespace {

bool IsKind(HWND window, PluginWindow kind) {
  const bool has_setup = GetDlgItem(window, IDC_SETUP_RTTY) != nullptr;
  switch (kind) {
    case PluginWindow::kSettings:
      return has_setup;
    case PluginWindow::kAreaGrid:
      return !has_setup && GetDlgItem(window, IDC_AREA_UF) != nullptr;
    case PluginWindow::kPanel:
      return GetDlgItem(window, IDC_INFO_BUTTON) != nullptr &&
             GetDlgItem(window, IDC_CAB_SOAPBOX) == nullptr;
    case PluginWindow::kCabrillo:
      return GetDlgItem(window, IDC_CAB_SOAPBOX) != nullptr;
  }
  return false;
}

struct Search {
  PluginWindow kind;
  HWND first = nullptr;
  int count = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[32] = "";
  GetClassNameA(window, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && lstrcmpA(cls, "#32770") == 0 &&
      IsKind(window, search->kind)) {
    if (search->first == nullptr) search->first = window;
    ++search->count;
  }
  return TRUE;
}

Search Find(PluginWindow kind) {
  Search search{kind};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search;
}

}  // namespace

HWND FindPluginWindow(PluginWindow kind) {
  return Find(kind).first;
}
int CountPluginWindows(PluginWindow kind) {
  return Find(kind).count;
}

std::string TitleOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool IsTopmost(HWND window) {
  return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::string IniValue(const char* key) {
  char value[256] = "";
  GetPrivateProfileStringA("Settings", key, "(none)", value, sizeof value, "Plugins\\TZQ.ini");
  return value;
}

struct Watchdog::Watch {
  HANDLE started;
  HANDLE disarmed;
  DWORD ms;
  const char* what;
};

Watchdog::Watchdog(DWORD ms, const char* what)
    : watch_(new Watch{CreateEventA(nullptr, TRUE, FALSE, nullptr),
                       CreateEventA(nullptr, TRUE, FALSE, nullptr), ms, what}) {
  HANDLE started = watch_->started;
  HANDLE thread = CreateThread(nullptr, 0, Run, watch_, 0, nullptr);
  // Pumping: a thread that is still leaving the plug-in may hold the loader
  // lock, which the new thread needs, until this thread serves its COM calls.
  while (MsgWaitForMultipleObjectsEx(1, &started, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
         WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  CloseHandle(thread);
}

// The thread frees the watch: a thread that has to finish its exit while
// something else holds the loader lock must not be waited for here.
Watchdog::~Watchdog() {
  SetEvent(watch_->disarmed);
}

DWORD WINAPI Watchdog::Run(void* param) {
  Watch* watch = static_cast<Watch*>(param);
  SetEvent(watch->started);
  if (WaitForSingleObject(watch->disarmed, watch->ms) == WAIT_TIMEOUT) {
    std::fprintf(stderr, "HUNG: %s did not return within %lu ms\n", watch->what,
                 static_cast<unsigned long>(watch->ms));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  CloseHandle(watch->started);
  CloseHandle(watch->disarmed);
  delete watch;
  return 0;
}
