// A small host for pictures of the plug-in's windows: loads the DLL beside
// it, plays a sample log into it with a fake Kolm2.Application answering,
// sets up one scene, writes the rectangle of the window to photograph to
// <folder>\<scene>.rect ("x y width height") and keeps the windows up until
// <folder>\<scene>.done appears. tools/screenshots.sh drives it.
//
//   tzq_screenshot_host.exe settings|area-grid|previous-qso|idle-panel|cabrillo FOLDER

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "tools/plugin_loader/host_calls.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/fake_kolm_win32.h"
#include "tests/ui/win32_test_host.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

FakeKolm g_kolm;
std::string g_folder, g_scene;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  const std::string path = g_folder + "/" + g_scene + ".rect";
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return;
  std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fclose(f);
}

// Keeps pumping (the fake host is served here) until the picture is taken.
bool WaitForShot() {
  return PumpUntil([] { return Exists(g_folder + "/" + g_scene + ".done"); }, 60000);
}

struct Qso {
  const char* call;
  const char* band;
  const char* mode;
  const char* exch;
  const char* prefix;
  int hour, minute;
};

// A short contest on 40 m and 20 m.
const Qso kLog[] = {
    {"PY1ZZ", "40m", "RTTY", "RJ", "PY", 12, 3},    {"PY2BB", "40m", "RTTY", "SP", "PY", 12, 7},
    {"PY3CC", "40m", "BPSK31", "RS", "PY", 12, 15}, {"PY4DD", "40m", "BPSK63", "MG", "PY", 12, 22},
    {"PY6EE", "40m", "RTTY", "BA", "PY", 12, 30},   {"PY0FF", "40m", "RTTY", "YL", "PY0F", 12, 41},
    {"PY7GG", "40m", "RTTY", "PE", "PY", 12, 48},   {"PY5HH", "40m", "BPSK31", "PR", "PY", 13, 2},
    {"PY8II", "40m", "RTTY", "PA", "PY", 13, 9},    {"PY1ZZ", "20m", "BPSK63", "RJ", "PY", 14, 26},
    {"PY2KK", "20m", "RTTY", "SP", "PY", 14, 31},   {"PY1ZZ", "40m", "BPSK31", "RJ", "PY", 15, 44},
};

int Run(PluginApi& api, TempFolder& folder) {
  const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
  const bool cabrillo = g_scene == "cabrillo";
  std::string ini =
      "[Settings]\r\nStart=1\r\narea_x=20\r\narea_y=20\r\noblast_x=250\r\n"
      "oblast_y=20\r\ndxcc_x=20\r\ndxcc_y=300\r\nsetup_mode_bpsk63=1\r\n";
  if (g_scene == "area-grid" || g_scene == "settings") ini += "setup_view_area=1\r\n";
  if (g_scene != "area-grid" && !cabrillo) ini += "setup_view_call=1\r\n";
  if (cabrillo) {
    ini +=
        "Name=Joao da Silva\r\nAddress=Rua das Flores 10\r\nAddress-City=Campinas\r\n"
        "Address-PostalCode=13000-000\r\nAddress-Country=Brazil\r\nLoc=SP\r\n"
        "Email=py2aa@example.com\r\nClub=LABRE-SP\r\nOperators=PY2AA\r\n"
        "SoapBox=Good conditions on 40 m<CR><LF>73 de PY2AA\r\n";
  }
  folder.Write("Plugins/TZQ.ini", ini);

  if (cabrillo) {
    // The header dialog is modal on this thread: photograph it from another.
    std::thread shooter([] {
      HWND dialog = nullptr;
      for (int i = 0; i < 500 && dialog == nullptr; ++i) {
        Sleep(20);
        dialog = FindPluginWindow(PluginWindow::kCabrillo);
      }
      if (dialog == nullptr) return;
      Sleep(300);
      WriteRect(dialog);
      for (int i = 0; i < 3000 && !Exists(g_folder + "/" + g_scene + ".done"); ++i) Sleep(20);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    CallReset(api.ResetStats0, 1, "PY2AA", &start, &end);
    shooter.join();
    return 0;
  }

  CallReset(api.ResetStats0, 0, "PY2AA", &start, &end);
  for (const Qso& q : kLog) {
    HostQso qso;
    HostDate when = HostDate::At(2018, 6, 9, q.hour, q.minute);
    qso.time = &when;
    qso.call = q.call;
    qso.band = q.band;
    qso.mode = q.mode;
    qso.exchRcvd = q.exch;
    qso.dxPrefix = q.prefix;
    CallQso(api.AddData0, qso);
  }
  api.GetResult0(nullptr);
  api.RunCommand0(0, "SHOWINFO");

  g_kolm.SetFrequency(7035000);
  g_kolm.SetTypedCall(g_scene == "idle-panel" ? L"" : L"PY1ZZ");
  const int reads = g_kolm.Count(2);
  HostCallCheck check;
  CallCheck(api.CheckCall0, check);
  PumpUntil([&] { return g_kolm.Count(2) > reads; });
  Pump(500);

  PluginWindow kind = PluginWindow::kSettings;
  if (g_scene == "area-grid") kind = PluginWindow::kAreaGrid;
  if (g_scene == "previous-qso" || g_scene == "idle-panel") kind = PluginWindow::kPanel;
  HWND window = FindPluginWindow(kind);
  if (window == nullptr) {
    std::fprintf(stderr, "no window for %s\n", g_scene.c_str());
    return 1;
  }
  WriteRect(window);
  return WaitForShot() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SCENE FOLDER\n", argv[0]);
    return 2;
  }
  g_scene = argv[1];
  g_folder = argv[2];
  const std::string plugin =
      (std::filesystem::path(argv[0]).parent_path() / PluginLibrary::DefaultFileName()).string();
  CoInitialize(nullptr);
  std::string error;
  if (!g_kolm.Register(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  int status = 1;
  {
    TempFolder folder;
    PluginLibrary library;
    PluginApi api;
    if (library.Open(plugin, &error) && api.Resolve(library, &error)) {
      status = Run(api, folder);
    } else {
      std::fprintf(stderr, "%s\n", error.c_str());
    }
    library.Close();
    Pump(50);
  }
  g_kolm.Revoke();
  CoUninitialize();
  return status;
}
