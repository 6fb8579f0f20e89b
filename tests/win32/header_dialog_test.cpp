// The real Cabrillo header dialog of the DLL, opened by an export reset and
// driven from a second thread as a user would: read what it shows, type into
// it, press OK or leave it by CANCEL, Escape or the close box.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "tests/support/cabrillo_checks.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/temp_folder.h"
#include "tools/plugin_loader/host_calls.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

namespace fs = std::filesystem;

const std::string kPluginPath = (fs::current_path() / PluginLibrary::DefaultFileName()).string();

std::string Text(HWND dialog, int id) {
  char buffer[1024] = "";
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;
}

// Runs `act` on the header dialog from another thread once it is up.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> act)
      : worker_([this, act] {
          for (int i = 0; i < 3000 && !stop_; ++i) {
            HWND dialog = FindWindowA(nullptr, "TZQ");
            DWORD pid = 0;
            if (dialog != nullptr) GetWindowThreadProcessId(dialog, &pid);
            if (dialog != nullptr && pid == GetCurrentProcessId() &&
                GetDlgItem(dialog, IDOK) != nullptr && Text(dialog, 1009) == "TZQ") {
              act(dialog);
              found_ = true;
              return;
            }
            Sleep(10);
          }
        }) {}
  ~DialogDriver() {
    stop_ = true;
    worker_.join();
  }
  bool found() const { return found_; }

 private:
  std::atomic<bool> stop_{false}, found_{false};
  std::thread worker_;
};

class HeaderDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(library_.Open(kPluginPath, &error)) << error;
    ASSERT_TRUE(api_.Resolve(library_, &error)) << error;
  }
  void ExportReset() {
    const HostDate start = HostDate::At(2018, 6, 9), end = HostDate::At(2018, 6, 10);
    ASSERT_EQ(CallReset(api_.ResetStats0, 1, "PY2AA", &start, &end), 1);
  }

  TempFolder folder_;
  PluginLibrary library_;
  PluginApi api_;
};

TEST_F(HeaderDialogTest, ShowsThePresetsAndTakesTheEdits) {
  folder_.Write("Plugins/TZQ.ini", "[Settings]\r\nClub=LABRE\r\nClaimed=63\r\n");
  std::string shown;
  DialogDriver driver([&shown](HWND dialog) {
    for (int id : {1009, 1010, 1008, 1013, 1118, 1122, 1006, 1005, 1007}) {
      shown += Text(dialog, id) + "|";
    }
    shown += std::to_string(SendDlgItemMessageA(dialog, 1013, CB_GETCOUNT, 0, 0));
    shown += std::to_string(SendDlgItemMessageA(dialog, 1118, CB_GETCOUNT, 0, 0));
    shown += std::to_string(SendDlgItemMessageA(dialog, 1122, CB_GETCOUNT, 0, 0));
    // The template's dialog units, converted as the system does.
    RECT expected = {55, 23, 55 + 88, 23 + 12};
    MapDialogRect(dialog, &expected);
    RECT actual;
    GetWindowRect(GetDlgItem(dialog, 1010), &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    shown += EqualRect(&expected, &actual) ? "|rect ok" : "|rect differs";
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    shown += (style & wanted) == wanted ? "|style ok" : "|style differs";

    SetDlgItemTextA(dialog, 1007, "Maria");
    SetDlgItemTextA(dialog, 1001, "Good luck\r\n73");
    SetDlgItemTextA(dialog, 1013, "MULTI-OP");
    SetDlgItemTextA(dialog, 1008, "999");
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  });
  ExportReset();
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(shown, "TZQ|PY2AA|63|SINGLE-OP A|ALL|ONE|PY2AA|LABRE||763|rect ok|style ok");
  const std::string ini = folder_.Read("Plugins/TZQ.ini");
  EXPECT_NE(ini.find("Name=Maria\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("SoapBox=Good luck<CR><LF>73\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Category=MULTI-OP\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Claimed=63\r\n"), std::string::npos) << ini;

  ModalAnswerer answerer;  // the "Output" box
  int out = 0;
  api_.GetResult0(&out);
  EXPECT_EQ(out, -1);
  EXPECT_EQ(answerer.boxes(), "Output|File produced: PY2AA.cbr\n");
  const std::string file = folder_.Read("PY2AA.cbr");
  EXPECT_EQ(CabrilloStructureProblem(file), "");
  EXPECT_NE(file.find("CATEGORY-TRANSMITTER: ONE\r\n"), std::string::npos);
  EXPECT_NE(file.find("SOAPBOX: Good luck\r\nSOAPBOX: 73\r\n"), std::string::npos);
}

class HeaderDialogCancelTest : public HeaderDialogTest,
                               public ::testing::WithParamInterface<int> {};

TEST_P(HeaderDialogCancelTest, LeavesTheSettingsUntouchedAndExportsNothing) {
  const std::string ini = "[Settings]\r\nName=Joao\r\nStart=0\r\n";
  folder_.Write("Plugins/TZQ.ini", ini);
  const int how = GetParam();
  DialogDriver driver([how](HWND dialog) {
    SetDlgItemTextA(dialog, 1007, "changed");
    if (how == 0) SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    if (how == 1) PostMessageA(GetDlgItem(dialog, 1007), WM_KEYDOWN, VK_ESCAPE, 0);
    if (how == 2) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  ExportReset();
  ASSERT_TRUE(driver.found());
  EXPECT_EQ(folder_.Read("Plugins/TZQ.ini"), ini);
  ModalAnswerer answerer;
  int out = 4;
  api_.GetResult0(&out);
  EXPECT_EQ(out, 4);
  EXPECT_EQ(answerer.boxes(), "");
  EXPECT_FALSE(folder_.Exists("PY2AA.cbr"));
}

INSTANTIATE_TEST_SUITE_P(CancelButtonEscapeAndCloseBox, HeaderDialogCancelTest,
                         ::testing::Values(0, 1, 2));

}  // namespace
