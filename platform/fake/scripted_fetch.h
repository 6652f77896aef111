#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/virtual_clock.h"
#include "platform/http_fetch.h"

namespace quorlen {

// A web of scripted servers on the virtual clock. Each URL answers from its script in
// order, the last answer standing for every later request; a URL without a script
// refuses at once. A fetch moves virtual time on by the answer's duration, running the
// timers due meanwhile, as the real fetch lets events run while it waits.
class ScriptedFetch : public HttpFetch {
 public:
  static constexpr const char* kRefused = "Couldn't connect to server";
  static constexpr const char* kTimedOut = "Timeout was reached";

  struct Answer {
    std::string body;
    std::string error;
    std::int64_t ms = 20;
    bool timesOut = false;  // waits the whole request time-out, then fails
  };

  explicit ScriptedFetch(VirtualClock& clock) : clock_(clock) {}

  void Script(const std::string& url, std::vector<Answer> answers);
  void Serve(const std::string& url, std::string body, std::int64_t ms = 20);
  void Refuse(const std::string& url, std::int64_t ms = 5);
  void TimeOut(const std::string& url);
  void Status(const std::string& url, std::string statusLine, std::int64_t ms = 20);
  // Drops every script and the record of requests.
  void Forget() {
    scripts_.clear();
    requests.clear();
  }

  FetchResult Fetch(const FetchRequest& request) override;
  bool StillExecuting() override { return executing_; }

  int Requests(const std::string& url) const;
  std::vector<FetchRequest> requests;
  // Runs in the middle of each wait, where the real fetch lets pending events run.
  std::function<void(const FetchRequest&)> whileWaiting;

 private:
  VirtualClock& clock_;
  std::map<std::string, std::deque<Answer>> scripts_;
  bool executing_ = false;
};

}  // namespace quorlen
