#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "core/private_profile.h"
#include "platform/event_loop.h"
#include "update/download_format.h"
#include "update/fetcher.h"
#include "update/site_signature.h"

namespace quorlen {

// The settings window's controls the data download writes or answers.
struct DataUpdateControls {
  Label& lblStatus;
  Label& lblDateUpdate;
  ProgressBar& ProgressBar1;
  MenuItem& mnuUpdate;
  Button& cmdData;
  Button& cmdData2;
  Button& cmdRemoval;
  CheckBox& chkAuto;
};

// The main window's members it reads and writes.
struct DataUpdateState {
  std::string& sDateUpdate;
  bool& bAutoDownload;
  const bool& bBlockAdServers;
  const std::int32_t& nBlockedToday;
};

// The files it reads and writes; the paths are known once the program has loaded.
struct DataUpdateFiles {
  const std::string& defaultList;   // quorlenhosts.ini
  const std::string& removalsList;  // removals.ini
  const std::string& settingsFile;  // quorlen.ini, which also keeps the start count
};

// What it asks of the rest of the program.
struct DataUpdateHooks {
  std::function<bool()> loading;
  std::function<void()> showStatusPage;
  std::function<void(const std::string&)> setLastUpdate;  // the statistics window
  std::function<void()> save;
  std::function<void(bool report)> rebuildHosts;
  std::function<void(bool enabled)> setAllowControls;
  std::function<std::string()> readHosts;
  std::function<void(const std::string& text, std::string_view lineEnd)> writeHosts;
  std::function<void(const std::string&)> debugLog;
  std::function<void(bool wait)> waitCursor;  // the hourglass pointer
  // A file of the site refused for its signature, in words: beyond the status line, for the
  // debug log and the program's error output.
  std::function<void(const std::string&)> refused = nullptr;
  // The user's own hosts file from before blocking ("qlb") and this machine's names: the
  // removals never take out the user's own lines or the names the machine needs.
  std::function<std::string()> readOwnHosts = nullptr;
  std::function<std::vector<std::string>()> machineNames = nullptr;
};

// Keeps the ad-server list current from the vendor site: compares the site's date with
// the last update, downloads the active list into "quorlenhosts.ini" and the inactive
// one into "removals.ini", strikes the inactive servers out of the hosts file and has it
// rebuilt. Started from the menu, the Download buttons, or by itself at the tenth
// blocked ad of every third start. One update runs at a time: its triggers are disabled
// until it is over. Each of the site's three files is used only when its signature by
// `siteKey` verifies; any other is refused and changes nothing.
class DataUpdater {
 public:
  DataUpdater(Fetcher& fetcher, EventLoop& loop, ProfileStore& profiles,
              DataUpdateControls controls, DataUpdateState state, DataUpdateFiles files,
              DataUpdateHooks hooks, std::string baseUrl, update::SiteKey siteKey);

  void CheckForDataUpdate(bool showMessages);
  // The downloaded text of the active list; empty on failure, `errorText` saying why.
  std::string DownloadAdServers(bool showMessages, std::string& errorText);
  void DownloadRemovals(bool showMessages);

  void mnuUpdate_Click();
  void cmdData_Click();
  void cmdData2_Click();
  void cmdRemoval_Click();
  void chkAuto_Click();

  // Counts this start of the program in the settings file, where it survives restarts.
  void CountStart();
  // The web server's word after each blocked ad-server request it counted.
  void AfterBlockedAd();

  int StartCount() const { return startCount_; }
  bool bForceDownload() const { return bForceDownload_; }
  bool Updating() const { return updating_; }

  static constexpr int kAutomaticAtAd = 10;
  static constexpr int kAutomaticEveryStarts = 3;
  // Long loops let events run at most this often, so the window stays responsive and the
  // status line and progress bar repaint without a repaint for every single entry.
  static constexpr std::int64_t kBreatheMs = 10;

 private:
  class Running;
  void SetStatus(const std::string& text) { controls_.lblStatus.SetCaption(text); }
  void Breathe(bool first = false);
  void ShowProgress(int max);
  // Before each entry of the list being read: moves the progress bar every few pieces of
  // the download and lets events run, always before the first entry.
  void Pace(std::size_t piece);
  void HideProgress();
  void Log(const std::string& message);
  // Whether `text`, fetched from `path` of the site, comes with the site's signature; when
  // not, `errorText` says so and the refusal is told.
  bool SignedBySite(const std::string& path, std::string_view text, std::int16_t timeout,
                    std::string& errorText);
  struct SiteList;
  static const SiteList& AdServerList();
  static const SiteList& RemovalList();
  // One list of the site, fetched, its signature checked and read; nothing, with the
  // status area told why, when any of that fails.
  std::optional<update::ServerList> FetchList(const SiteList& list, bool showMessages,
                                              std::string& text, std::string& errorText);
  // Writes the list's host names to `file` as a list file, each told in the status area
  // as `status` words it and then handed to `recorded`, the progress bar moving along.
  std::size_t RecordList(const SiteList& site, const update::ServerList& list,
                         const std::string& file,
                         const std::function<std::string(const update::ListEntry&)>& status,
                         const std::function<void(const update::ListEntry&)>& recorded = {});

  Fetcher& fetcher_;
  EventLoop& loop_;
  ProfileStore& profiles_;
  DataUpdateControls controls_;
  DataUpdateState state_;
  DataUpdateFiles files_;
  DataUpdateHooks hooks_;
  std::string baseUrl_;
  update::SiteKey siteKey_;
  bool bForceDownload_ = false;
  bool updating_ = false;
  bool automaticDone_ = false;
  int startCount_ = 0;
  std::int64_t lastBreath_ = 0;
  std::size_t nextProgress_ = 0;  // the piece at which the progress bar next moves
  bool paced_ = false;
};

}  // namespace quorlen
