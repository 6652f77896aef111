#include "popups/browser_window_tracker.h"

#include <utility>

#include "core/text.h"

namespace quorlen {

namespace {
const char* TrueFalse(bool value) { return value ? "True" : "False"; }
}  // namespace

IE_Class::IE_Class(BrowserTracking& tracking) : tracking_(tracking) {
  Log("# IE_Class Initialize:");
}

IE_Class::~IE_Class() {
  if (IE_) IE_->Connect(nullptr);
}

void IE_Class::IEctl(std::shared_ptr<BrowserWindow> browser) {
  if (IE_) IE_->Connect(nullptr);
  IE_ = std::move(browser);
  if (!IE_) return;
  IE_->Connect(this);
  BrowserWindowProperties p = IE_->Properties();
  Log("# ---------");
  if (p.application) Log("# app " + *p.application);
  if (p.addressBar) Log(std::string("# addbar ") + TrueFalse(*p.addressBar));
  if (p.fullName) Log("# fname " + *p.fullName);
  if (p.locationName) Log("# locname " + *p.locationName);
  if (p.locationUrl) Log("# url " + *p.locationUrl);
  if (p.path) Log("# path " + *p.path);
  if (p.type) Log("# type " + *p.type);
  Log("# ---------");
}

void IE_Class::BeforeNavigate2(const std::string& url, bool /*topFrame*/) {
  tracking_.activity.TimerIEActive.SetEnabled(true);
  bNavJava_ = LowerCase(url).find("javascript:") != std::string::npos;
  tracking_.input.ResetClicks(false, "reset: about to navigate");
  Log("nav begin (click reset) to " + url + ".");
  bDownloading_ = true;
}

void IE_Class::DownloadBegin() {
  auto& activity = tracking_.activity;
  activity.TimerIEActive.SetEnabled(true);
  tracking_.input.ResetClicks(false, "reset: download begin");
  if (auto location = IE_ ? IE_->PageAddress() : std::nullopt) {
    // Coming back to the page that last completed is no move: there is no previous page.
    activity.setLastURL(*location == sLastCompleteURL_ ? std::string() : activity.getCurURL());
    activity.setCurURL(*location);
  }
  bDownloading_ = true;
}

void IE_Class::NavigateComplete2(const std::string& url, bool /*topFrame*/) {
  auto& activity = tracking_.activity;
  activity.MoveTo(url);
  tracking_.input.ResetClicks(false, "reset: nav complete");
  Log("-Nav Complete (click reset) from '" + activity.getLastURL() + "' to \r\n    '" + url + "'");
}

void IE_Class::DocumentComplete(const std::string& url, bool topFrame) {
  // A frame's document changes nothing: only the window's own page completes it.
  if (!topFrame) return;
  tracking_.input.ResetClicks(false, "reset: doc complete");
  Log("-doc complete (reset click) to " + url);
  bDownloading_ = false;
}

void IE_Class::DownloadComplete() {
  tracking_.input.ResetClicks(false, "reset: download complete");
  auto location = IE_ ? IE_->PageAddress() : std::nullopt;
  Log("download Complete (reset click) to " + location.value_or(""));
  if (location) {
    tracking_.activity.MoveTo(*location);
    sLastCompleteURL_ = *location;
  }
  bDownloading_ = false;
}

bool IE_Class::NewWindow2(int msSinceAsked) {
  OpenerWindow opener;
  opener.msSinceAsked = msSinceAsked;
  if (IE_) opener.url = IE_->PageAddress().value_or("");
  opener.bNavJava = bNavJava_;
  opener.bDownloading = bDownloading_;
  return tracking_.decision.IE_NewWindow2(opener);
}

void IE_Class::OnQuit() { tracking_.activity.WindowQuit(); }

// The window's pages see presses on Wayland, where the input monitor's poll sees none.
void IE_Class::InputSeen(const PageInput& input) { tracking_.input.PageInputSeen(input); }

cIEWindows::cIEWindows(BrowserShell& shell, EventLoop& loop, BrowserTracking& tracking)
    : shell_(shell), loop_(loop), tracking_(tracking) {
  RefreshCol();
}

cIEWindows::~cIEWindows() {
  colIE_.clear();
  if (bHooked_) shell_.Connect(nullptr);
}

void cIEWindows::RefreshCol() {
  bRefreshing_ = true;
  colIE_.clear();
  for (auto& browser : shell_.Windows()) Add(std::move(browser));
  if (!bHooked_) {
    shell_.Connect(this);
    bHooked_ = true;
  }
  bRefreshing_ = false;
  Log("# cIEWindows Init: RefreshCol");
}

void cIEWindows::Add(std::shared_ptr<BrowserWindow> browser) {
  Log("# cIEWindows Add");
  auto listener = std::make_unique<IE_Class>(tracking_);
  listener->IEctl(std::move(browser));
  colIE_.push_back(std::move(listener));
}

void cIEWindows::WaitForRefresh() {
  while (bRefreshing_) loop_.DoEvents();
}

IE_Class& cIEWindows::IE(int index) {
  Log("# cIEWindows Get IE");
  WaitForRefresh();
  return *colIE_.at(static_cast<size_t>(index));
}

const std::vector<std::unique_ptr<IE_Class>>& cIEWindows::NewEnum() {
  Log("# cIEWindows NewEnum as iUnkown");
  return colIE_;
}

void cIEWindows::WindowRegistered(std::int32_t cookie) {
  Log("# winShell_Window registered cookie=" + std::to_string(cookie));
  RefreshCol();
  WaitForRefresh();
}

void cIEWindows::WindowRevoked(std::int32_t /*cookie*/) {
  RefreshCol();
  WaitForRefresh();
}

}  // namespace quorlen
