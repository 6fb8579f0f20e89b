// The platform: everything the plug-in needs of the operating system and of
// the host program beyond the exported calls, declared together so that the
// core never names the platform. Each interface has a Win32 implementation
// (`*_win32.cpp`, used by the DLL) and a stand-in (`*_headless`, used by the
// Linux build and the tests); the composition root picks one of each and
// hands them to the module in a Platform. Which thread may call each one is
// said at its declaration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// SettingsStore: the platform's profile-file functions, behind an interface so
// that the core never names the platform. The DLL uses the Win32 profile API;
// the Linux build reads and writes the same file format itself (IniFileStore).
// Implementations must be safe to call from the host's thread and the window
// thread at once.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // As GetPrivateProfileStringA: the value of `key` in `section` of `file`
  // (a path relative to the working folder, backslashes as separators), or
  // `fallback` when there is none, cut to capacity - 1 characters. A
  // capacity of 0 returns the whole value however long.
  virtual std::string Read(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& fallback,
                           size_t capacity) = 0;

  // As WritePrivateProfileStringA; false when the file could not be written.
  virtual bool Write(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

// MessageBoxes: the platform's modal message box. The DLL shows a real
// MessageBoxA; the headless build records what would have been shown. Called
// only on the host's thread, inside an exported call.
class MessageBoxes {
 public:
  static constexpr unsigned kIconInformation = 0x40;  // MB_ICONINFORMATION

  virtual ~MessageBoxes() = default;

  // Shows `text` and returns when the user has closed the box. A null
  // caption is the platform's default one. With `owned_by_host`, the box
  // belongs to the host's main window when there is one; otherwise it has
  // no owner.
  virtual void Show(const std::string& text, const char* caption, unsigned style,
                    bool owned_by_host) = 0;
};

// HeaderDialog: the modal Cabrillo header dialog (template 101)
// behind an interface. The DLL runs the real dialog; the headless build
// answers as if OK were pressed without edits unless a test scripts another
// answer. Called on the host's thread inside ResetStats0; blocks until the
// user closes the dialog.
// The values the dialog shows and edits. Soapbox and operators hold plain
// CR LF line breaks while the dialog has them.
struct CabrilloDialogFields {
  std::string callsign, claimed, club, category, contest, email, name, operators, soapbox, address,
      band, power, location, transmitter, city, postalCode, country;
};

class HeaderDialog {
 public:
  virtual ~HeaderDialog() = default;
  // Shows `fields`; true when the user confirmed with OK (then `fields`
  // holds the edited values), false for CANCEL, Escape or the close box
  // (then `fields` is unchanged).
  virtual bool Run(CabrilloDialogFields* fields) = 0;
};

// WindowLayer: what the engine needs of the plug-in's windows, which run on a
// window thread of their own. The engine calls it from the host's thread;
// every method returns promptly and never waits on a host call.
class WindowLayer {
 public:
  virtual ~WindowLayer() = default;

  // Closes the running settings window first (when there is one), then
  // starts a new window thread that opens a fresh settings window.
  virtual void StartWindowThread() = 0;
  // Closes the view windows and the settings window and returns when the
  // settings window is gone (immediately when there is none).
  virtual void CloseWindows() = 0;
  // True while a settings window exists.
  virtual bool SettingsWindowExists() const = 0;
  // Posts the update message (WM_USER+500, wParam 0, lParam 0) to the
  // settings window; nothing when there is none.
  virtual void PostUpdate() = 0;
};

// HostLink: the host program's running automation object as the window
// thread sees it. A settings window attaches it at its initialisation; only
// the window thread calls it; the thread lets go of it when it ends.
class HostLink {
 public:
  virtual ~HostLink() = default;

  // Prepares the calling thread (COM) and looks for the host's running
  // object. False leaves the link unattached; no host call is made then.
  virtual bool Attach() = 0;
  virtual bool attached() const = 0;

  // The host calls. Each answers false when the call failed, and the caller
  // stops what it was doing.
  // The host's frequency in hertz.
  virtual bool Frequency(double* hertz) = 0;
  // The callsign in the host's entry field, in the thread's ANSI code page;
  // empty when there is none or the host answers with something not text.
  virtual bool TypedCall(std::string* call) = 0;
  // Has the host run `macro` ("<MODE:RTTY>", "<SP1>", ...).
  virtual bool RunMacro(const std::string& macro) = 0;

  // Lets go of the host object and of the thread's COM. Ends the link.
  virtual void Release() = 0;
  // Ends the link without calling into the host or COM: at unload either
  // may need the loader lock that the unloading thread holds.
  virtual void Abandon() = 0;
};

// HostExecutables: the executables in the host's working folder and their
// file versions, for the Cabrillo "CREATED-BY" line. The DLL lists with
// FindFirstFileA and reads versions with GetFileVersionInfoA/VerQueryValueA;
// the headless build lists the folder itself and reads the version resource
// out of the PE file (pe_version.h), so both builds write the same line.
// Called on the host's thread.
class HostExecutables {
 public:
  virtual ~HostExecutables() = default;
  // Names (without folder) of the files matching "*.exe" in the working
  // folder, in the order the file system gives them.
  virtual std::vector<std::string> List() = 0;
  // The fixed file information's version words; false when there is none.
  virtual bool FileVersion(const std::string& name, uint32_t* ms, uint32_t* ls) = 0;
};
