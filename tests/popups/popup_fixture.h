#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/list_and_text_files.h"
#include "tests/forms/program_fixture.h"

namespace quorlen::testing_support {

// The program running with popup blocking on, a browser window open at a page, and the
// debug log on with its detail lines; the start-up click windows are over.
class PopupProgramTest : public ProgramTest {
 protected:
  void SetUp() override {
    StartedBefore();
    Start();
    program->Controls().cmdClear.Click();
    program->Controls().chkDebug.SetTicked(true);
    page = browsers.Open("http://www.example.com/page.html");
    clock.Advance(3000);
  }

  PopupBlocker& Popups() { return program->Popups(); }
  SettingsWindow& Controls() { return program->Controls(); }
  std::string Log() { return Controls().txtStatus.Text(); }
  bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
  int Occurrences(const std::string& text) {
    int count = 0;
    std::string log = Log();
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
  }
  void ClearLog() { Controls().txtStatus.SetText(""); }

  // Writes the white-list file as the editor would and loads it.
  void WriteWhiteList(const std::vector<std::string>& entries) {
    ListBox list;
    for (const auto& entry : entries) list.AddItem(entry);
    SaveListToIni(list, "DomainCount", "Domains", program->getWhiteListFile(), program->Profiles());
    Popups().LoadIEWhiteList();
  }

  // A press held 100 ms, then the poll that sees the release.
  void Tap(int key) {
    input.Press(key);
    clock.Advance(100);
    input.Release(key);
    clock.Advance(50);
  }

  std::shared_ptr<FakeBrowserWindow> page;
};

}  // namespace quorlen::testing_support
