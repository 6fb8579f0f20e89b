// Helpers for a test host that drives the DLL's windows from its main
// thread: pumping (the fake host object is served only while the main
// thread pumps), finding the plug-in's windows by their controls, reading
// them, and a watchdog that ends a hung test instead of letting it hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Pumps the thread's messages for `ms` milliseconds.
void Pump(DWORD ms);
// Pumps until `done` holds or `limit_ms` has passed; the final answer.
bool PumpUntil(const std::function<bool()>& done, DWORD limit_ms = 5000);

enum class PluginWindow { kSettings, kAreaGrid, kPanel, kCabrillo };
// The plug-in's top-level dialog of that kind in this process, or null.
HWND FindPluginWindow(PluginWindow kind);
int CountPluginWindows(PluginWindow kind);
std::string TitleOf(HWND window);
bool IsTopmost(HWND window);
// A key of section "Settings" in Plugins\TZQ.ini below the working folder.
std::string IniValue(const char* key);

// Ends the process (exit code 3) unless disarmed within `ms`. Its thread
// is running when the constructor returns, so it also watches calls that
// hold the loader lock (FreeLibrary); disarming never waits for it.
class Watchdog {
 public:
  Watchdog(DWORD ms, const char* what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  struct Watch;
  static DWORD WINAPI Run(void* watch);
  Watch* watch_;
};
