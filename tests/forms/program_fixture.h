#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/frm_main.h"
#include "platform/fake/fake_browser.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_privileges.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_sockets.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_tray.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/recording_sound.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/scripted_fetch.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/list_file_text.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// One machine with the program folder and a hosts file in a temporary folder, and every
// platform service faked.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    for (const char* folder : {"program", "etc", "tmp"}) {
      std::filesystem::create_directories(dir.File(folder));
    }
    system.programFile = dir.File("program/quorlen");
    system.hostsFile = dir.File("etc/hosts");
    system.tempFolder = dir.File("tmp");
    dir.Write("program/1by1.jpg", "\xFF\xD8\xFF\xD9");
    network.privileged = &privileged;
  }

  frmMain& Start() {
    program = std::make_unique<frmMain>(
        Platform{clock, dialogs, system, firstStart, singleInstance, tray, sound, shell, input,
                 browsers, desk, privileged, desktop, network, fetch},
        programHooks,
        ProgramSites{.addresses = {}, .listKey = {}, .packageSources = dir.File("apt")});
    started = program->Form_Load();
    return *program;
  }

  // A later start past its delayed step: what the user finds running.
  frmMain& Running() {
    StartedBefore();
    frmMain& main = Start();
    clock.Advance(2500);
    return main;
  }

  // The web server listens for the listed servers' requests.
  bool Listening() const { return network.Listeners() > 0; }

  // The first start is over and the user has been asked: what a later start sees.
  void StartedBefore() { firstStart.startedBefore = true; }

  // The shipped list of blocked servers and the settings file's one section.
  void Servers(const std::vector<std::string>& names) {
    dir.Write("program/quorlenhosts.ini", ListFile(names));
  }
  void WriteSettings(const std::string& lines) {
    dir.Write("program/quorlen.ini", "[Settings]\r\n" + lines);
  }

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
  FakeNetwork network;
  ScriptedFetch fetch{clock};
  ProgramHooks programHooks{.onQuit = [this] { ++quits; }};
  std::unique_ptr<frmMain> program;
  bool started = false;
  int quits = 0;
};

}  // namespace quorlen::testing_support
