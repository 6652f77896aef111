// A bounded load client for one-request-per-connection servers: each of C workers opens
// a connection, sends one request (a GET, or the bytes of a file such as a TLS
// ClientHello), reads until the server closes, and starts over, for the given number of
// seconds. Prints connections per second, latency percentiles and failures. The same client
// drives the program's web server and its peers. With "refused" for the expected bytes a
// connection counts when the port refuses it, the floor of a port where nothing listens.
//   load_client <port> <concurrency> <seconds> <expected body bytes|refused> [request file]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
  std::vector<double> latenciesUs;
  long failures = 0;
};

constexpr long kRefused = -2;

// One request; the reply's size, kRefused when the port refused the connection, or -1 on
// another failure.
long OneRequest(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    const bool refused = errno == ECONNREFUSED;
    ::close(fd);
    return refused ? kRefused : -1;
  }
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    ::close(fd);
    return -1;
  }
  long total = 0;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got == 0) break;
    if (got < 0) {
      total = -1;
      break;
    }
    total += got;
  }
  ::close(fd);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr,
                 "usage: load_client <port> <concurrency> <seconds> <body bytes|refused> "
                 "[request file]\n");
    return 2;
  }
  std::string request =
      "GET /ads/banner.gif HTTP/1.1\r\nHost: ads.example\r\nConnection: close\r\n"
      "User-Agent: load\r\n\r\n";
  if (argc == 6) {
    std::ifstream in(argv[5], std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    request = bytes.str();
  }
  const bool expectRefusal = std::string(argv[4]) == "refused";
  const int port = std::atoi(argv[1]);
  const int concurrency = std::atoi(argv[2]);
  const double seconds = std::atof(argv[3]);
  const long minimumBytes = std::atol(argv[4]);
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(seconds));
  std::vector<Result> results(static_cast<size_t>(concurrency));
  std::vector<std::thread> workers;
  for (int w = 0; w < concurrency; ++w) {
    workers.emplace_back([&, w] {
      Result& mine = results[static_cast<size_t>(w)];
      while (Clock::now() < end) {
        auto start = Clock::now();
        long bytes = OneRequest(port, request);
        auto us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (expectRefusal ? bytes != kRefused : bytes < minimumBytes) {
          ++mine.failures;
        } else {
          mine.latenciesUs.push_back(us);
        }
      }
    });
  }
  for (auto& worker : workers) worker.join();
  std::vector<double> all;
  long failures = 0;
  for (auto& r : results) {
    all.insert(all.end(), r.latenciesUs.begin(), r.latenciesUs.end());
    failures += r.failures;
  }
  std::sort(all.begin(), all.end());
  auto percentile = [&](double p) {
    return all.empty() ? 0.0 : all[std::min(all.size() - 1, static_cast<size_t>(p * all.size()))];
  };
  std::printf("concurrency %d: %.0f connections/s, p50 %.0f us, p99 %.0f us, %ld failures\n",
              concurrency, static_cast<double>(all.size()) / seconds, percentile(0.50),
              percentile(0.99), failures);
  return 0;
}
