#include "update/data_update.h"

#include <functional>
#include <limits>
#include <vector>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "hosts/hosts_text.h"
#include "hosts/protected_names.h"
#include "update/download_format.h"

namespace quorlen {

namespace {

const std::string kLine(kCrLf);
const std::string kTwoLines = kLine + kLine;
constexpr std::int16_t kListTimeout = 20;
constexpr std::int16_t kDateTimeout = 12;
constexpr int kProgressStep = 20;
constexpr const char* kNeverUpdated = "1/1/2001";
// The date file is a date and nothing else; a longer answer is no date of the site's.
constexpr std::size_t kDateMaxBytes = 1024;

}  // namespace

// Marks an update as running and its triggers as unavailable until it ends, so a click
// that arrives while the lists are processed cannot start a second one.
class DataUpdater::Running {
 public:
  explicit Running(DataUpdater& updater) : updater_(updater), entered_(!updater.updating_) {
    if (!entered_) return;
    updater_.updating_ = true;
    Enable(false);
  }
  ~Running() {
    if (!entered_) return;
    updater_.updating_ = false;
    Enable(true);
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
  bool Entered() const { return entered_; }

 private:
  void Enable(bool enabled) {
    auto& c = updater_.controls_;
    c.mnuUpdate.SetEnabled(enabled);
    c.cmdData.SetEnabled(enabled);
    c.cmdData2.SetEnabled(enabled);
    c.cmdRemoval.SetEnabled(enabled);
  }
  DataUpdater& updater_;
  bool entered_;
};

DataUpdater::DataUpdater(Fetcher& fetcher, EventLoop& loop, ProfileStore& profiles,
                         DataUpdateControls controls, DataUpdateState state, DataUpdateFiles files,
                         DataUpdateHooks hooks, std::string baseUrl, update::SiteKey siteKey)
    : fetcher_(fetcher),
      loop_(loop),
      profiles_(profiles),
      controls_(controls),
      state_(state),
      files_(files),
      hooks_(std::move(hooks)),
      baseUrl_(std::move(baseUrl)),
      siteKey_(siteKey) {
  controls_.mnuUpdate.onClick = [this] { mnuUpdate_Click(); };
  controls_.cmdData.onClick = [this] { cmdData_Click(); };
  controls_.cmdData2.onClick = [this] { cmdData2_Click(); };
  controls_.cmdRemoval.onClick = [this] { cmdRemoval_Click(); };
  controls_.chkAuto.onClick = [this] { chkAuto_Click(); };
}

void DataUpdater::Log(const std::string& message) {
  if (hooks_.debugLog) hooks_.debugLog(message);
}

bool DataUpdater::SignedBySite(const std::string& path, std::string_view text, std::int16_t timeout,
                               std::string& errorText) {
  std::string fetchError;
  // One byte more than a signature has, so that a longer file shows as one.
  const std::string signature =
      fetcher_.DownloadURL(baseUrl_ + path + std::string(update::kSignatureSuffix), timeout,
                           fetchError, update::SiteKey::kSignatureBytes + 1);
  if (!signature.empty() && siteKey_.Signed(text, signature)) return true;
  errorText = signature.empty()
                  ? "Quorlen refused " + path + ": the Quorlen site sent no signature for it (" +
                        fetchError + "). Nothing was changed."
                  : "Quorlen refused " + path +
                        ": it does not carry the Quorlen site's signature, so it may not come "
                        "from the site. Nothing was changed.";
  Log(errorText);
  if (hooks_.refused) hooks_.refused(errorText);
  return false;
}

void DataUpdater::Breathe(bool first) {
  const std::int64_t now = loop_.NowMs();
  if (!first && now - lastBreath_ < kBreatheMs) return;
  lastBreath_ = now;
  loop_.DoEvents();
}

void DataUpdater::ShowProgress(int max) {
  controls_.ProgressBar1.SetRange(0, max);
  controls_.ProgressBar1.SetValue(0);
  controls_.ProgressBar1.SetVisible(true);
  nextProgress_ = 0;
  paced_ = false;
}

void DataUpdater::Pace(std::size_t piece) {
  if (piece >= nextProgress_) {
    const std::size_t step = piece - piece % kProgressStep;
    controls_.ProgressBar1.SetValue(static_cast<int>(step));
    nextProgress_ = step + kProgressStep;
  }
  Breathe(!paced_);
  paced_ = true;
}

void DataUpdater::HideProgress() {
  controls_.ProgressBar1.SetVisible(false);
  controls_.ProgressBar1.SetValue(0);
}

// The two lists of the site: what a failure to get each tells the user, and how its
// entries are told in the debug log.
struct DataUpdater::SiteList {
  const char* path;
  bool popupMarks;
  std::string noConnection;  // shown only when the update shows its messages
  const char* connectFailed;
  const char* incomplete;
  const char* incompleteReason;
  const char* skipped;  // the log's word for an entry that is no host name
  const char* full;     // logged when the list holds more than a list file can; may be empty
};

const DataUpdater::SiteList& DataUpdater::AdServerList() {
  static const SiteList list{
      "zshared/domains.txt",
      true,
      "Failed to connect to the Quorlen Server.  Make sure you have a valid internet "
      "connection. " +
          kTwoLines + "If your company uses a proxy server, make sure you type it in below." +
          kTwoLines +
          "If you're connected and the proxy settings are correct, and it still doesn't "
          "work, please try again later.",
      "config connect failed.",
      "Internet download of the Quorlen Active Ad blocking Serve configuration data "
      "failed or didn't complete.  Please try again later.",
      "The downloaded list of ad servers was incomplete.",
      "ad server",
      "The downloaded list holds more ad servers than a list file can: the rest is left out."};
  return list;
}

const DataUpdater::SiteList& DataUpdater::RemovalList() {
  static const SiteList list{
      "zshared/removals.txt",
      false,
      "Failed to connect to the Quorlen Server to process inactive ad servers "
      "(removals).Make sure you have a valid internet connection. " +
          kTwoLines +
          "If your company uses a proxy server, make sure you see the 'Other' tab and fill "
          "in that information." +
          kTwoLines +
          "If you're connected and the proxy settings are correct, and it still doesn't "
          "work, please try again later.",
      "removal config connect failed.",
      "Internet download of the Quorlen Inactive Ad Servers configuration data failed or "
      "didn't complete.  Please try again later.",
      "The downloaded list of inactive ad servers was incomplete.",
      "inactive server",
      ""};
  return list;
}

std::optional<update::ServerList> DataUpdater::FetchList(const SiteList& list, bool showMessages,
                                                         std::string& text,
                                                         std::string& errorText) {
  text = fetcher_.DownloadURL(baseUrl_ + list.path, kListTimeout, errorText);
  if (text.empty()) {
    if (showMessages) SetStatus(list.noConnection);
    SetStatus(list.connectFailed);
    return std::nullopt;
  }
  if (!SignedBySite(list.path, text, kListTimeout, errorText)) {
    SetStatus(errorText);
    return std::nullopt;
  }
  std::optional<update::ServerList> parsed = update::ParseServerList(text, list.popupMarks);
  if (!parsed) {
    SetStatus(list.incomplete);
    errorText = list.incompleteReason;
  }
  return parsed;
}

std::size_t DataUpdater::RecordList(
    const SiteList& site, const update::ServerList& list, const std::string& file,
    const std::function<std::string(const update::ListEntry&)>& status,
    const std::function<void(const update::ListEntry&)>& recorded) {
  ShowProgress(static_cast<int>(std::min<std::size_t>(list.lastPiece, INT16_MAX)));
  ProfileEdits edits;
  std::size_t count = 0;
  for (const update::ListEntry& entry : list.entries) {
    Pace(entry.piece);
    if (!entry.hostName) {
      Log(std::string("Skipped a downloaded ") + site.skipped + " that is no host name: '" +
          entry.line + "'");
      continue;
    }
    if (count == static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
      if (*site.full) Log(site.full);
      break;
    }
    SetStatus(status(entry));
    edits.Set("Domains", "D" + std::to_string(count++), entry.name);
    if (recorded) recorded(entry);
  }
  edits.Set("DomainCount", "N", std::to_string(count));
  if (!profiles_.Apply(file, edits)) Log("Could not write " + file);
  return count;
}

std::string DataUpdater::DownloadAdServers(bool showMessages, std::string& errorText) {
  std::string text;
  std::optional<update::ServerList> list = FetchList(AdServerList(), showMessages, text, errorText);
  if (!list) return {};
  RecordList(AdServerList(), *list, files_.defaultList, [](const update::ListEntry& entry) {
    return std::string(entry.popup ? "Configure Popup Ad Server '"
                                   : "Configure Banner Ad Server '") +
           entry.line + "'";
  });
  HideProgress();
  return text;
}

void DataUpdater::DownloadRemovals(bool showMessages) {
  std::string text;
  std::string errorText;
  std::optional<update::ServerList> list = FetchList(RemovalList(), showMessages, text, errorText);
  if (!list) return;

  const std::string hostsText = hooks_.readHosts ? hooks_.readHosts() : std::string();
  if (hostsText.empty()) {
    // Without a hosts file there is nothing to strike, and the removals are not recorded.
    Log("No hosts file to take inactive ad servers out of.");
    return;
  }
  // Whatever the list says, the user's own lines stay, and so do the names the machine
  // itself needs: a hostile or mistaken list cannot strike the "127.0.0.1 printer.lan" the
  // user wrote. The original rules struck every listed line; this knowingly departs.
  const hosts::NameSet own =
      hosts::OwnBlockedNames(hooks_.readOwnHosts ? hooks_.readOwnHosts() : std::string());
  const hosts::ProtectedNames machine(
      hostsText, hooks_.machineNames ? hooks_.machineNames() : std::vector<std::string>{});
  std::vector<std::string> names;
  RecordList(
      RemovalList(), *list, files_.removalsList,
      [](const update::ListEntry& entry) {
        return "Removing Inactive Server '" + entry.line + "'";
      },
      [&](const update::ListEntry& entry) {
        if (own.Contains(entry.name)) {
          Log("Kept the user's own hosts line of the inactive server '" + entry.name + "'");
        } else {
          names.push_back(entry.name);
        }
      });

  // Every line in exactly the form the program writes, with the file's own line end.
  const std::string_view eol = hosts::DetectLineEnd(hostsText);
  const std::string kept = hosts::RemoveServerLines(
      hostsText, eol, names, {}, [](hosts::Stage, int) {}, [this](const std::string& m) { Log(m); },
      &machine);
  if (hooks_.writeHosts) hooks_.writeHosts(kept, eol);
  HideProgress();
}

void DataUpdater::CheckForDataUpdate(bool showMessages) {
  Running running(*this);
  if (!running.Entered()) return;
  if (hooks_.setLastUpdate) hooks_.setLastUpdate("Last Updated " + state_.sDateUpdate);

  std::string errorText;
  if (!FileExists(files_.defaultList)) {
    std::string text = DownloadAdServers(showMessages, errorText);
    SetStatus("got config because it wasn't there " + text);
    return;
  }

  const std::string siteDate = fetcher_.DownloadURL(baseUrl_ + "zshared/updatedate.txt",
                                                    kDateTimeout, errorText, kDateMaxBytes);
  const std::string problems =
      "Problems checking ad server database.  Please check your internet connection and try "
      "again in a few minutes. Error=";
  if (siteDate.empty() ||
      !SignedBySite("zshared/updatedate.txt", siteDate, kDateTimeout, errorText)) {
    if (showMessages) SetStatus(problems + errorText);
    return;
  }
  if (state_.sDateUpdate == "Never") state_.sDateUpdate = kNeverUpdated;

  std::optional<update::UpdateDate> site = update::ParseUpdateDate(siteDate);
  if (!site && !bForceDownload_) {
    // Something that is not a date (a captive portal's page, say) says nothing about the
    // data; only the Download buttons fetch it then.
    if (showMessages) {
      SetStatus("The Quorlen site's date could not be read: '" + siteDate.substr(0, 40) +
                "'. The Download button downloads the ad blocking data anyway.");
    }
    return;
  }
  // A local date that cannot be read counts as older than any data.
  std::optional<update::UpdateDate> local = update::ParseUpdateDate(state_.sDateUpdate);
  if (bForceDownload_ || !local || *local < *site) {
    if (DownloadAdServers(showMessages, errorText).empty()) {
      if (showMessages)
        SetStatus("Tried and failed to downloaded ad config data. Error=" + errorText);
      return;
    }
    DownloadRemovals(true);
    const LocalTime today = loop_.LocalNow();
    state_.sDateUpdate = update::FormatUpdateDate({today.year, today.month, today.day});
    controls_.lblDateUpdate.SetCaption("Last Updated today!");
    if (hooks_.setLastUpdate) hooks_.setLastUpdate("Last Updated today!");
    if (hooks_.save) hooks_.save();
    if (state_.bBlockAdServers) {
      if (hooks_.rebuildHosts) hooks_.rebuildHosts(showMessages);
      if (hooks_.setAllowControls) hooks_.setAllowControls(true);
    } else {
      SetStatus(
          "WARNING: You have unchecked the 'Block Ad Servers...' checkbox so no ad servers "
          "are being blocked." +
          controls_.lblStatus.Caption());
      if (hooks_.setAllowControls) hooks_.setAllowControls(false);
    }
    return;
  }
  if (showMessages) {
    SetStatus("Quorlen data is Current. " + kTwoLines + "Quorlen was last updated on " +
              state_.sDateUpdate + "." + kTwoLines +
              "The latest updates from the Quorlen Server were available on " + siteDate + ".");
  }
}

void DataUpdater::mnuUpdate_Click() {
  if (updating_) return;
  if (hooks_.waitCursor) hooks_.waitCursor(true);
  if (hooks_.showStatusPage) hooks_.showStatusPage();
  CheckForDataUpdate(true);
  if (hooks_.waitCursor) hooks_.waitCursor(false);
}

void DataUpdater::cmdData_Click() {
  if (hooks_.loading && hooks_.loading()) return;
  bForceDownload_ = true;
  mnuUpdate_Click();
}

void DataUpdater::cmdData2_Click() {
  bForceDownload_ = true;
  cmdData_Click();
}

void DataUpdater::cmdRemoval_Click() {
  Running running(*this);
  if (!running.Entered()) return;
  DownloadRemovals(true);
}

void DataUpdater::chkAuto_Click() {
  if (hooks_.loading && hooks_.loading()) return;
  state_.bAutoDownload = controls_.chkAuto.Ticked();
}

void DataUpdater::CountStart() {
  auto stored = ToInt32(
      profiles_.GetPrivateProfileString("Settings", "nStartCount", "0", files_.settingsFile));
  startCount_ = stored && *stored >= 0 && *stored < std::numeric_limits<std::int32_t>::max()
                    ? *stored + 1
                    : 1;
  profiles_.WritePrivateProfileString("Settings", "nStartCount", std::to_string(startCount_),
                                      files_.settingsFile);
}

void DataUpdater::AfterBlockedAd() {
  if (automaticDone_ || updating_) return;
  if (state_.nBlockedToday != kAutomaticAtAd || !state_.bAutoDownload) return;
  if (startCount_ <= 0 || startCount_ % kAutomaticEveryStarts != 0) return;
  automaticDone_ = true;
  if (hooks_.showStatusPage) hooks_.showStatusPage();
  CheckForDataUpdate(true);
}

}  // namespace quorlen
