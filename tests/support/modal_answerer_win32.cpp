#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/support/modal_answerer.h"

namespace {

struct TitleSearch {
  const char* title;
  HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM param) {
  TitleSearch* s = reinterpret_cast<TitleSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (pid == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(text, s->title) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

struct ModalAnswerer::State {
  HeaderAnswer header;
  std::atomic<bool> stop{false};
  std::atomic<int> dialogs{0};
  mutable std::mutex lock;
  std::string boxes;
  std::thread worker;

  // Top-level windows of this process with the given title.
  static HWND FindOwn(const char* title) {
    TitleSearch s{title, nullptr};
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }

  void AnswerHeader(HWND dialog) {
    ++dialogs;
    switch (header) {
      case HeaderAnswer::kOk:
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        break;
      case HeaderAnswer::kCancel:
        SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
      case HeaderAnswer::kEscape:
        PostMessageA(GetDlgItem(dialog, 1009), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case HeaderAnswer::kCloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
  }

  void AnswerBox(HWND box, const char* caption) {
    // The box's text is its static control (id 0xFFFF).
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    {
      std::lock_guard<std::mutex> guard(lock);
      boxes += std::string(caption) + "|" + text + "\n";
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }

  void Run() {
    HWND answered_dialog = nullptr, answered_box = nullptr, answered_error = nullptr;
    while (!stop) {
      if (HWND d = FindOwn("TZQ"); d != nullptr && d != answered_dialog) {
        // The title comes before WM_INITDIALOG has filled the fields: wait
        // for the contest name, however slow the machine.
        for (int i = 0; i < 3000 && !stop && GetWindowTextLengthA(GetDlgItem(d, 1009)) == 0; ++i)
          Sleep(10);
        AnswerHeader(d);
        answered_dialog = d;
      }
      if (HWND b = FindOwn("Output"); b != nullptr && b != answered_box) {
        Sleep(20);
        AnswerBox(b, "Output");
        answered_box = b;
      }
      if (HWND e = FindOwn("Error"); e != nullptr && e != answered_error) {
        Sleep(20);
        AnswerBox(e, "Error");
        answered_error = e;
      }
      Sleep(10);
    }
  }
};

ModalAnswerer::ModalAnswerer(HeaderAnswer header) : state_(new State) {
  state_->header = header;
  state_->worker = std::thread([s = state_.get()] { s->Run(); });
}

ModalAnswerer::~ModalAnswerer() {
  state_->stop = true;
  state_->worker.join();
}

std::string ModalAnswerer::boxes() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->boxes;
}

int ModalAnswerer::headerDialogs() const {
  return state_->dialogs;
}
