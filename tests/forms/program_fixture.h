#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/frm_main.h"
#include "hosts/ad_server_blocker.h"
#include "platform/fake/fake_browser.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_privileges.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_tray.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/recording_sound.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// Ad-server blocking that only records what the program asks of it.
class RecordingAdServers : public AdServerService {
 public:
  void LoadExclusions() override { calls.push_back("LoadExclusions"); }
  void StartWebServers() override { calls.push_back("StartWebServers"); }
  void StopWebServer() override { calls.push_back("StopWebServer"); }
  void SetAllowControls(bool enabled) override {
    calls.push_back(enabled ? "SetAllowControls(true)" : "SetAllowControls(false)");
  }
  bool IsHostsFullySet() override { return hostsFullySet; }
  void ReadLocalBanListAndUpdateHostsFile(bool) override { calls.push_back("Build"); }
  void RestoreHostsAtExit() override { calls.push_back("RestoreHostsAtExit"); }
  void chkAdServers_Click() override { calls.push_back("chkAdServers_Click"); }
  bool Suspend() override {
    calls.push_back("Suspend");
    return true;
  }

  int Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

  std::vector<std::string> calls;
  bool hostsFullySet = true;
};

// One machine with the program folder and a hosts file in a temporary folder, and every
// platform service faked.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    std::filesystem::create_directories(dir.File("program"));
    std::filesystem::create_directories(dir.File("etc"));
    system.programFile = dir.File("program/quorlen");
    system.hostsFile = dir.File("etc/hosts");
    std::filesystem::create_directories(dir.File("tmp"));
    system.tempFolder = dir.File("tmp");
    dir.Write("program/1by1.jpg", "\xFF\xD8\xFF\xD9");
  }

  frmMain& Start() {
    program = std::make_unique<frmMain>(
        Platform{clock, dialogs, system, firstStart, singleInstance, tray, sound, shell, input,
                 browsers, desk, privileged, desktop},
        programHooks);
    program->SetAdServerService(adServers);
    if (wire) wire(*program);
    started = program->Form_Load();
    return *program;
  }

  // The hosts-file blocking as the program wires it, over `main`'s controls, options and
  // files; loading and saving go to `main` unless `hooks` says otherwise.
  std::unique_ptr<AdServerBlocker> ProgramBlocker(frmMain& main, AdServerHooks hooks = {}) {
    auto& w = main.Controls();
    auto& o = main.Options();
    const auto& p = main.Paths();
    if (!hooks.loading) hooks.loading = [&main] { return main.bLoading(); };
    if (!hooks.save) hooks.save = [&main] { main.Save(); };
    return std::make_unique<AdServerBlocker>(
        clock, dialogs, main.Profiles(), main.Hosts(),
        AdServerControls{w.lblStatus, w.lblTotHosts, w.lbltype, w.ProgressBar1, w.cmdAllow,
                         w.cmdAddSites, w.mnuTrayAllow, w.chkAdServers},
        AdServerFiles{p.sHostsFile, p.sDefaultHostsList, p.sUserHostsList, p.sExclusionsList},
        AdServerState{o.bHostsFullySet, o.bBlockAdServers, o.nTotHosts, o.nDefaultCount,
                      o.nUserCount},
        std::move(hooks));
  }

  // The first start is over and the user has been asked: what a later start sees.
  void StartedBefore() { firstStart.startedBefore = true; }

  std::string Settings() const { return dir.Read("program/quorlen.ini"); }
  std::string SettingsValue(const std::string& key) {
    ProfileStore fresh;
    return fresh.GetPrivateProfileString("Settings", key, "<missing>",
                                         dir.File("program/quorlen.ini"));
  }

  TempFolder dir;
  VirtualClock clock;
  ScriptedDialogs dialogs;
  FakeSystemInfo system;
  FakePrivileges privileged{system.hostsFile};
  FakeFirstStartRecord firstStart;
  FakeSingleInstance singleInstance;
  FakeTrayIcon tray;
  RecordingSound sound;
  FakeShell shell;
  FakeInput input;
  FakeBrowserShell browsers;
  FakeWindowSystem desk;
  FakeDesktop desktop;
  RecordingAdServers recording;
  AdServerService* adServers = &recording;
  // Runs once the main window exists, before it loads: to wire real components to it.
  std::function<void(frmMain&)> wire;
  ProgramHooks programHooks{.onQuit = [this] { ++quits; }};
  std::unique_ptr<frmMain> program;
  bool started = false;
  int quits = 0;
};

}  // namespace quorlen::testing_support
