#pragma once

#include <atomic>
#include <string>

#include "platform/event_loop.h"
#include "platform/http_fetch.h"

namespace quorlen {

// HTTP through libcurl's easy interface. The transfer runs on a worker thread while the
// calling thread lets its pending events run, so windows repaint and progress bars move
// during a download; the call itself still returns only with the result.
//
// The time-out bounds the wait for the connection and every pause in the answer, not a
// slow but steady download. Without a proxy the connection is direct: the environment's
// proxy variables are not consulted, as the program's only proxy is the one the user set.
//
// An https address is only ever fetched over a connection whose certificate the trusted
// authorities vouch for, for that very name, and a redirect from it may lead to https
// addresses only: nothing on the way can turn it into plain HTTP.
class CurlFetch : public HttpFetch {
 public:
  // The largest body taken; a bigger answer fails rather than filling the memory.
  static constexpr long long kMaxBodyBytes = 64LL * 1024 * 1024;

  // The authorities trusted are the system's (its CA store), unless `authorities` names a
  // file of certificates to trust instead.
  explicit CurlFetch(EventLoop& loop, std::string authorities = {});
  ~CurlFetch() override;
  CurlFetch(const CurlFetch&) = delete;
  CurlFetch& operator=(const CurlFetch&) = delete;

  FetchResult Fetch(const FetchRequest& request) override;
  bool StillExecuting() override { return running_.load() > 0; }
  // Ends every transfer under way (at exit): each fails at once.
  void CancelAll() { cancel_.store(true); }

 private:
  EventLoop& loop_;
  std::string authorities_;
  std::atomic<int> running_{0};
  std::atomic<bool> cancel_{false};
};

}  // namespace quorlen
