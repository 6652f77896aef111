#pragma once

#include <cstdint>
#include <string>

#include "core/controls.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/http_fetch.h"

namespace quorlen {

// Every network access of the program: the whole body of one URL as text, through the
// proxy the user saved, with a request time-out and a quick retry. The caller waits for
// the result while its windows keep repainting.
class Fetcher {
 public:
  static constexpr int kDefaultTimeoutSeconds = 30;
  static constexpr int kMaxAttempts = 11;
  // An attempt that took this long is not repeated: it ran into the server, not past it.
  static constexpr std::int64_t kQuickFailureMs = 500;
  static constexpr const char* kNoResponse = "No Response Returned";
  static constexpr const char* kBusy = "Another download is still under way.";

  // `txtProxyName` decides whether a proxy is used, `sProxyName` (the saved setting)
  // which one: a proxy typed but not yet saved is not used.
  Fetcher(HttpFetch& http, EventLoop& loop, Dialogs& dialogs, const TextBox& txtProxyName,
          const std::string& sProxyName);

  // The body, or empty with `errorText` saying why. A timeout below 1 means 30 seconds.
  // A call made while another fetch waits (from an event that ran meanwhile) fails at
  // once with kBusy instead of cutting the first one off. `maxBytes` above 0 takes only
  // the body's first bytes.
  std::string DownloadURL(const std::string& url, std::int16_t timeout, std::string& errorText,
                          std::size_t maxBytes = 0);

  // The proxy the transfer uses: set by the first fetch with a proxy in the box, and kept
  // until the program ends even when the box is emptied later.
  const std::string& Proxy() const { return proxy_; }
  bool UsesProxy() const { return namedProxy_; }
  bool Busy() const { return busy_; }

 private:
  HttpFetch& http_;
  EventLoop& loop_;
  Dialogs& dialogs_;
  const TextBox& txtProxyName_;
  const std::string& sProxyName_;
  bool namedProxy_ = false;
  std::string proxy_;
  bool busy_ = false;
};

}  // namespace quorlen
