#include "update/fetcher.h"

namespace quorlen {

Fetcher::Fetcher(HttpFetch& http, EventLoop& loop, Dialogs& dialogs, const TextBox& txtProxyName,
                 const std::string& sProxyName)
    : http_(http),
      loop_(loop),
      dialogs_(dialogs),
      txtProxyName_(txtProxyName),
      sProxyName_(sProxyName) {}

std::string Fetcher::DownloadURL(const std::string& url, std::int16_t timeout,
                                 std::string& errorText, std::size_t maxBytes) {
  if (busy_) {
    errorText = kBusy;
    return {};
  }
  busy_ = true;
  FetchRequest request;
  request.url = url;
  request.timeoutSeconds = timeout >= 1 ? timeout : kDefaultTimeoutSeconds;
  request.maxBytes = maxBytes;
  if (!txtProxyName_.Text().empty()) {
    namedProxy_ = true;
    proxy_ = sProxyName_;
  }
  if (namedProxy_) request.proxy = proxy_;

  dialogs_.SetWaitCursor(true);
  std::string text;
  std::string lastError;
  int attempts = 0;
  std::int64_t lastMs = 0;
  // A quick failure (refused at once, no route) is tried again at once; one that took
  // half a second or more, such as a time-out, is not.
  while (text.empty() && lastMs < kQuickFailureMs) {
    if (attempts >= kMaxAttempts) break;
    ++attempts;
    const std::int64_t start = loop_.NowMs();
    FetchResult result = http_.Fetch(request);
    lastMs = loop_.NowMs() - start;
    text = std::move(result.body);
    if (!result.error.empty()) lastError = std::move(result.error);
  }
  dialogs_.SetWaitCursor(false);

  // An error of an earlier attempt stays reported even when a later one succeeded.
  if (!lastError.empty()) {
    errorText = lastError;
  } else if (text.empty()) {
    errorText = kNoResponse;
  }
  busy_ = false;
  return text;
}

}  // namespace quorlen
