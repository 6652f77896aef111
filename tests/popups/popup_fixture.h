#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <sstream>
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

  // What the user does, as blank-separated steps: "L", "R", "M", "ctrl", "shift" tap that
  // key; "+L" and "-L" press and release the left button at once; a number lets that many
  // ms pass; "pL", "pM", "pShiftL", "pDouble", "pCtrl" are presses the page tells of, and
  // "pL@300" one it tells 300 ms late; "js" follows a script link in a frame; "nav" moves
  // the page on.
  void Do(const std::string& steps) {
    namespace vk = virtual_key;
    using Kind = PageInput::Kind;
    const std::map<std::string, PageInput> told = {
        {"pL", {Kind::kButtonDown, vk::kLeftButton}},
        {"pM", {Kind::kButtonDown, vk::kMiddleButton}},
        {"pShiftL", {Kind::kButtonDown, vk::kLeftButton, true}},
        {"pDouble", {Kind::kDoubleClick, vk::kLeftButton}},
        {"pCtrl", {Kind::kKeyDown, vk::kControl}}};
    const std::map<std::string, int> keys = {{"L", vk::kLeftButton},
                                             {"R", vk::kRightButton},
                                             {"M", vk::kMiddleButton},
                                             {"ctrl", vk::kControl},
                                             {"shift", vk::kShift}};
    std::istringstream words(steps);
    for (std::string step; words >> step;) {
      const size_t at = step.find('@');
      const int late = at == std::string::npos ? 0 : std::stoi(step.substr(at + 1));
      step = step.substr(0, at);
      if (std::isdigit(static_cast<unsigned char>(step[0]))) {
        clock.Advance(std::stoi(step));
      } else if (step == "+L" || step == "-L") {
        step == "+L" ? input.Press(vk::kLeftButton) : input.Release(vk::kLeftButton);
      } else if (step == "js") {
        page->NavigateFrame("JavaScript:window.open('x')");
      } else if (step == "nav") {
        page->Navigate("http://www.example.com/next.html");
      } else if (told.contains(step)) {
        PageInput press = told.at(step);
        press.msAgo = late;
        page->Press(press);
      } else {
        ASSERT_TRUE(keys.contains(step)) << "no such step: " << step;
        Tap(keys.at(step));
      }
    }
  }

  std::shared_ptr<FakeBrowserWindow> page;
};

}  // namespace quorlen::testing_support
