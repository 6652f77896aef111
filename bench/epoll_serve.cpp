// The floor of the load benchmark: a bare epoll loop that accepts, reads one request and
// sends the placeholder bytes held in memory, then closes. No parsing, no accounting.
//   epoll_serve <port> <file to send>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[2], std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string body = bytes.str();

  int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int on = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[1])));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 128) != 0) {
    return 1;
  }
  int poll = ::epoll_create1(EPOLL_CLOEXEC);
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = listener;
  ::epoll_ctl(poll, EPOLL_CTL_ADD, listener, &event);
  epoll_event ready[64];
  char buffer[16384];
  for (;;) {
    int n = ::epoll_wait(poll, ready, 64, -1);
    for (int i = 0; i < n; ++i) {
      int fd = ready[i].data.fd;
      if (fd == listener) {
        for (int c;
             (c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
          epoll_event client{};
          client.events = EPOLLIN;
          client.data.fd = c;
          ::epoll_ctl(poll, EPOLL_CTL_ADD, c, &client);
        }
        continue;
      }
      ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
      if (got > 0) ::send(fd, body.data(), body.size(), MSG_NOSIGNAL);
      ::epoll_ctl(poll, EPOLL_CTL_DEL, fd, nullptr);
      ::close(fd);
    }
  }
}
