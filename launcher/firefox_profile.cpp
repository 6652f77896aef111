#include "launcher/firefox_profile.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace quorlen {

namespace {

const char kPreferences[] = R"(// Written by quorlen-browser at every start.
// Quorlen decides which windows a page may open, so Firefox's own popup blocker is off.
user_pref("dom.disable_open_during_load", false);
// A browser with a remote-control port would otherwise take the settings meant for tests.
user_pref("remote.prefs.recommended", false);
// A new profile opens on the page asked for: no welcome, default-browser or policy tabs.
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("startup.homepage_welcome_url", "");
user_pref("startup.homepage_welcome_url.additional", "");
user_pref("datareporting.policy.firstRunURL", "");
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("browser.uitour.enabled", false);
// No early connection ahead of each request: Quorlen refuses a blocked server's handshake,
// and a speculative one would be counted as a second blocked ad.
user_pref("network.http.speculative-parallel-limit", 0);
)";

}  // namespace

void WriteFirefoxPreferences(const std::string& profile) {
  QString folder = QString::fromStdString(profile);
  QDir().mkpath(folder);
  // Firefox guards the local network against public sites, and would ask the user about
  // every ad server the hosts file sends to Quorlen's web server: the servers Quorlen
  // blocks (kept by Quorlen in blocked-servers.txt, one a line) are let through, and only
  // they.
  QFile blocked(folder + "/blocked-servers.txt");
  QByteArray names;
  if (blocked.open(QIODevice::ReadOnly)) {
    names = blocked.readAll().trimmed().replace('\n', ',');
  }
  QFile file(folder + "/user.js");
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(kPreferences);
  file.write("user_pref(\"network.lna.skip-domains\", \"" + names + "\");\n");
}

}  // namespace quorlen
