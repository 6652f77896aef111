#include "platform/linux/curl_fetch.h"

#include <curl/curl.h>
#include <strings.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorlen {

namespace {

struct Transfer {
  std::string body;
  std::string statusLine;
  std::size_t maxBytes = 0;
  bool tooLarge = false;
  bool cut = false;  // ended on purpose once `maxBytes` had come
  const std::atomic<bool>* cancel = nullptr;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (transfer->maxBytes > 0 && transfer->body.size() + bytes >= transfer->maxBytes) {
    transfer->body.append(data, transfer->maxBytes - transfer->body.size());
    transfer->cut = true;
    return 0;  // the rest is never read
  }
  if (transfer->body.size() + bytes > static_cast<size_t>(CurlFetch::kMaxBodyBytes)) {
    transfer->tooLarge = true;
    return 0;  // curl ends the transfer with a write error
  }
  transfer->body.append(data, bytes);
  return bytes;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  // The status line of the last answer counts (after a redirect or "100 Continue").
  if (line.substr(0, 5) == "HTTP/") {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    transfer->statusLine = std::string(line);
  }
  return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  return transfer->cancel->load() ? 1 : 0;
}

bool IsHttps(const std::string& url) {
  return url.size() >= 8 && strncasecmp(url.c_str(), "https://", 8) == 0;
}

FetchResult Perform(const FetchRequest& request, const std::string& authorities,
                    const std::atomic<bool>& cancel) {
  Transfer transfer;
  transfer.cancel = &cancel;
  transfer.maxBytes = request.maxBytes;
  CURL* curl = curl_easy_init();
  if (!curl) return {"", "The transfer could not be set up"};
  char errorBuffer[CURL_ERROR_SIZE] = {};
  const long timeout = request.timeoutSeconds;
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_DEFAULT_PROTOCOL, "http");
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR,
                   IsHttps(request.url) ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!authorities.empty()) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, authorities.c_str());
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
  }
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quorlen");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeout);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, timeout);
  curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);

  if (transfer.tooLarge) return {"", "The answer was larger than the program takes"};
  if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && transfer.cut)) {
    return {"", errorBuffer[0] != '\0' ? std::string(errorBuffer) : curl_easy_strerror(code)};
  }
  // An error page (of the server or of a proxy) is a failure, never data.
  if (status >= 400) {
    return {"", transfer.statusLine.empty() ? "HTTP status " + std::to_string(status)
                                            : transfer.statusLine};
  }
  return {std::move(transfer.body), ""};
}

}  // namespace

CurlFetch::CurlFetch(EventLoop& loop, std::string authorities)
    : loop_(loop), authorities_(std::move(authorities)) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlFetch::~CurlFetch() { curl_global_cleanup(); }

FetchResult CurlFetch::Fetch(const FetchRequest& request) {
  if (cancel_.load()) return {"", "The program is ending"};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  FetchResult result;
  ++running_;
  std::thread worker([&] {
    FetchResult got = Perform(request, authorities_, cancel_);
    std::lock_guard<std::mutex> lock(mutex);
    result = std::move(got);
    done = true;
    finished.notify_one();
  });
  // The user interface goes on while the transfer runs: events are let through about
  // every 10 ms until the worker is done.
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (finished.wait_for(lock, std::chrono::milliseconds(10), [&] { return done; })) break;
    }
    loop_.DoEvents();
  }
  worker.join();
  --running_;
  return result;
}

}  // namespace quorlen
