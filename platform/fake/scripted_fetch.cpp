#include "platform/fake/scripted_fetch.h"

#include <algorithm>

namespace quorlen {

void ScriptedFetch::Script(const std::string& url, std::vector<Answer> answers) {
  scripts_[url] = std::deque<Answer>(answers.begin(), answers.end());
}

void ScriptedFetch::Serve(const std::string& url, std::string body, std::int64_t ms) {
  Script(url, {Answer{std::move(body), "", ms, false}});
}

void ScriptedFetch::Refuse(const std::string& url, std::int64_t ms) {
  Script(url, {Answer{"", kRefused, ms, false}});
}

void ScriptedFetch::TimeOut(const std::string& url) { Script(url, {Answer{"", "", 0, true}}); }

void ScriptedFetch::Status(const std::string& url, std::string statusLine, std::int64_t ms) {
  Script(url, {Answer{"", std::move(statusLine), ms, false}});
}

int ScriptedFetch::Requests(const std::string& url) const {
  return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                        [&](const FetchRequest& r) { return r.url == url; }));
}

FetchResult ScriptedFetch::Fetch(const FetchRequest& request) {
  requests.push_back(request);
  Answer answer{"", kRefused, 5, false};
  if (auto it = scripts_.find(request.url); it != scripts_.end() && !it->second.empty()) {
    answer = it->second.front();
    if (it->second.size() > 1) it->second.pop_front();
  }
  const std::int64_t ms = answer.timesOut ? request.timeoutSeconds * 1000LL : answer.ms;
  executing_ = true;
  clock_.Advance(ms / 2);
  if (whileWaiting) whileWaiting(request);
  clock_.Advance(ms - ms / 2);
  executing_ = false;
  if (answer.timesOut) return {"", kTimedOut};
  if (request.maxBytes > 0 && answer.body.size() > request.maxBytes) {
    answer.body.resize(request.maxBytes);
  }
  return {answer.body, answer.error};
}

}  // namespace quorlen
