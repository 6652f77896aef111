#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/private_profile.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/list_file_text.h"
#include "tests/support/temp_folder.h"
#include "titles/popup_titles.h"
#include "titles/title_watcher.h"

namespace quorlen::testing_support {

// A program folder with the two title lists, written as list files.
class TitleListsTest : public ::testing::Test {
 protected:
  // Files written behind the program's back within one cache interval look unchanged to
  // its profile store, so each write here starts the store afresh.
  void WriteFile(const std::string& name, const std::string& text) {
    dir.Write(name, text);
    profiles = ProfileStore();
  }
  void WriteDefaultList(const std::vector<std::string>& entries) {
    WriteFile("qltitles.ini", ListFile(entries));
  }
  // The entries of a list file as a fresh reader sees them.
  std::vector<std::string> ReadList(const std::string& name) {
    ProfileStore fresh;
    std::string path = dir.File(name);
    int n = std::stoi(fresh.GetPrivateProfileString("DomainCount", "N", "0", path));
    std::vector<std::string> entries;
    for (int i = 0; i < n; ++i) {
      entries.push_back(
          fresh.GetPrivateProfileString("Domains", "D" + std::to_string(i), "", path));
    }
    return entries;
  }

  TempFolder dir;
  std::string userList = dir.File("usertitles.ini");
  std::string defaultList = dir.File("qltitles.ini");
  ProfileStore profiles;
  ScriptedDialogs dialogs;
  std::vector<std::string> log;
};

// The watcher over a faked desktop, with what it tells the rest of the program recorded.
class TitleWatcherTest : public TitleListsTest {
 protected:
  TitleWatcherTest() {
    chkIEPops.SetTicked(true);
    mnuTrayLastPop.SetEnabled(false);
    watcher.Timer4().SetEnabled(true);
  }

  void UseFragments(const std::vector<std::string>& fragments) {
    WriteDefaultList(fragments);
    titles.LoadPopupTitles();
    log.clear();
  }
  WindowId Foreground(const std::string& title, const std::string& className = "Navigator") {
    WindowId id = desk.Add(title, className);
    desk.SetForeground(id);
    return id;
  }
  void Tick(int ticks = 1) { clock.Advance(500 * ticks); }

  VirtualClock clock;
  FakeWindowSystem desk;
  CheckBox chkIEPops;
  MenuItem mnuTrayLastPop;
  Label lblLastTitle, lblLastTitle1;
  bool tempAllowed = false, hotKey = false, browserActive = false;
  std::vector<std::string> records, blocked;
  int settingsShown = 0;
  PopupTitles titles{profiles, dialogs, userList, defaultList,
                     [this](const std::string& line) { log.push_back(line); }};
  TitleWatcher watcher{
      clock,
      desk,
      dialogs,
      titles,
      {chkIEPops, mnuTrayLastPop, lblLastTitle, lblLastTitle1},
      {[this] { return tempAllowed; }, [this] { return hotKey; }, [this] { return browserActive; }},
      {[this](const std::string& line) { log.push_back(line); },
       [] { return std::string("14:05:07"); },
       [this](const std::string& record) { records.push_back(record); },
       [this](const std::string& text) { blocked.push_back(text); }, [this] { ++settingsShown; }}};
};

}  // namespace quorlen::testing_support
