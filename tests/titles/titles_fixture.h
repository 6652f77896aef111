#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/private_profile.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// A program folder with the two title lists, written as list files.
class TitleListsTest : public ::testing::Test {
 protected:
  static std::string ListFile(const std::vector<std::string>& entries) {
    std::string text = "[DomainCount]\r\nN=" + std::to_string(entries.size()) + "\r\n[Domains]\r\n";
    for (size_t i = 0; i < entries.size(); ++i) {
      text += "D" + std::to_string(i) + "=" + entries[i] + "\r\n";
    }
    return text;
  }
  // Files written behind the program's back within one cache interval look unchanged to
  // its profile store, so each write here starts the store afresh.
  void WriteFile(const std::string& name, const std::string& text) {
    dir.Write(name, text);
    profiles = ProfileStore();
  }
  void WriteDefaultList(const std::vector<std::string>& entries) {
    WriteFile("qltitles.ini", ListFile(entries));
  }
  void WriteUserList(const std::vector<std::string>& entries) {
    WriteFile("usertitles.ini", ListFile(entries));
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

}  // namespace quorlen::testing_support
