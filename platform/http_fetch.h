#pragma once

#include <cstddef>
#include <string>

namespace quorlen {

// One HTTP GET of a whole body, the stand-in for the Internet Transfer control.
struct FetchRequest {
  std::string url;
  int timeoutSeconds = 30;  // how long to wait for the server to answer or go on sending
  std::string proxy;        // "http://host:port"; empty for a direct connection
  // Takes only the first this many bytes of the body and ends the transfer there, so a
  // huge answer costs neither time nor memory; 0 takes the whole body.
  std::size_t maxBytes = 0;
};

struct FetchResult {
  std::string body;   // the whole body as bytes; empty on failure
  std::string error;  // why it failed: the transfer's own words, or the status line
};

// Fetches one URL and returns only once the transfer is over. A caller on the user
// interface thread keeps its windows alive meanwhile: the transfer runs elsewhere and
// pending events run while the call waits. A server that answers with an error status
// (404, 407, 500) fails with its status line; its error page is never taken as data.
class HttpFetch {
 public:
  virtual ~HttpFetch() = default;
  virtual FetchResult Fetch(const FetchRequest& request) = 0;
  // True while a transfer is under way (a caller that let events run may ask).
  virtual bool StillExecuting() = 0;
};

}  // namespace quorlen
