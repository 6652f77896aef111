#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/scripted_fetch.h"
#include "tests/support/list_file_text.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_site_key.h"
#include "update/data_update.h"

namespace quorlen::testing_support {

// A scripted web, the dialogs and the fetch over them, on a virtual clock at 12/6/2026.
struct FetchWorld {
  VirtualClock clock;
  ScriptedFetch web{clock};
  ScriptedDialogs dialogs;
  TextBox txtProxyName;
  std::string sProxyName;
  Fetcher fetcher{web, clock, dialogs, txtProxyName, sProxyName};
};

// The updater over a temporary program folder and hosts file, a scripted site signing with
// the test's own key, and a record of what it asked of the rest of the program.
class DataUpdateTest : public ::testing::Test, protected FetchWorld {
 protected:
  static constexpr const char* kBase = "http://vendor.test/";
  DataUpdateTest() { Make(); }

  void Make() {
    updater = std::make_unique<DataUpdater>(
        fetcher, clock, profiles,
        DataUpdateControls{lblStatus, lblDateUpdate, ProgressBar1, mnuUpdate, cmdData, cmdData2,
                           cmdRemoval, chkAuto},
        DataUpdateState{sDateUpdate, bAutoDownload, bBlockAdServers, nBlockedToday},
        DataUpdateFiles{defaultList, removalsList, settingsFile},
        DataUpdateHooks{
            [this] { return loading; }, [this] { calls.push_back("status page"); },
            [this](const std::string& text) { lastUpdateShown = text; },
            [this] { calls.push_back("save " + sDateUpdate); },
            [this](bool report) { calls.push_back(report ? "rebuild(true)" : "rebuild(false)"); },
            [this](bool on) { calls.push_back(on ? "allow(true)" : "allow(false)"); },
            [this] { return ReadTextFile(hostsFile); },
            [this](const std::string& text, std::string_view eol) {
              WriteTextFile(hostsFile, text, eol);
            },
            [this](const std::string& m) { log.push_back(m); },
            [this](bool wait) { calls.push_back(wait ? "hourglass" : "pointer"); },
            [this](const std::string& refusal) { refusals.push_back(refusal); },
            [this] { return ReadTextFile(hostsFile + "qlb"); },
            [] { return std::vector<std::string>{"devbox"}; }},
        kBase, siteKey.Public());
  }

  std::string Url(const std::string& path) { return std::string(kBase) + path; }
  // A file of the site with its signature beside it.
  void Signed(const std::string& path, const std::string& body) {
    web.Serve(Url(path), body);
    web.Serve(Url(path) + ".sig", siteKey.Sign(body));
  }
  void Site(const std::string& date, const std::string& domains, const std::string& removals) {
    Signed("zshared/updatedate.txt", date);
    Signed("zshared/domains.txt", domains);
    Signed("zshared/removals.txt", removals);
  }
  // The program folder's default list, and the hosts file where given.
  void Local(const std::vector<std::string>& list, const std::string& hosts = {}) {
    dir.Write("quorlenhosts.ini", ListFile(list));
    if (!hosts.empty()) dir.Write("hosts", hosts);
  }
  std::vector<std::string> ListOf(const std::string& path) {
    ProfileStore fresh;
    std::vector<std::string> names;
    auto n = ToInt16(fresh.GetPrivateProfileString("DomainCount", "N", "", path));
    for (int i = 0; n && i < *n; ++i) {
      names.push_back(fresh.GetPrivateProfileString("Domains", "D" + std::to_string(i), "", path));
    }
    return names;
  }

  TempFolder dir;
  TestSiteKey siteKey;
  ProfileStore profiles;
  Label lblStatus, lblDateUpdate;
  ProgressBar ProgressBar1;
  MenuItem mnuUpdate;
  Button cmdData, cmdData2, cmdRemoval;
  CheckBox chkAuto;
  std::string sDateUpdate = "1/1/2001";
  bool bAutoDownload = true, bBlockAdServers = true, loading = false;
  std::int32_t nBlockedToday = 0;
  std::string defaultList = dir.File("quorlenhosts.ini");
  std::string removalsList = dir.File("removals.ini");
  std::string settingsFile = dir.File("quorlen.ini");
  std::string hostsFile = dir.File("hosts");
  std::vector<std::string> calls, log, refusals;
  std::string lastUpdateShown;
  std::unique_ptr<DataUpdater> updater;
};

}  // namespace quorlen::testing_support
