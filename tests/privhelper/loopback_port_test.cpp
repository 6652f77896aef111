#include "privhelper/loopback_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace quorlen::helper {
namespace {

TEST(ListeningInodes, PicksListenersOnThePortFromTheKernelTable) {
  // Shaped as /proc/net/tcp and tcp6 print them.
  const std::string tcp =
      "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
      "timeout inode\n"
      "   0: 0100007F:0050 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        "
      "0 41001 1 0000000000000000 100 0 0 10 0\n"
      "   1: 00000000:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000        "
      "0 41002 1 0000000000000000 100 0 0 10 0\n"
      "   2: 0100007F:0050 0100007F:D2F0 01 00000000:00000000 00:00000000 00000000     0        "
      "0 41003 1 0000000000000000 20 4 30 10 -1\n"
      "   3: 00000000:0050 00000000:0000 0A 00000000:00000000 00:00000000 00000000    33        "
      "0 41004 1 0000000000000000 100 0 0 10 0\n";
  const std::string tcp6 =
      "  sl  local_address                         remote_address                        st "
      "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
      "   0: 00000000000000000000000001000000:0050 00000000000000000000000000000000:0000 0A "
      "00000000:00000000 00:00000000 00000000     0        0 52001 1 0000000000000000 100 0 0 "
      "10 0\n"
      "   1: garbage line\n";
  EXPECT_EQ(ListeningInodes(tcp, 80), (std::vector<unsigned long>{41001, 41004}));
  EXPECT_EQ(ListeningInodes(tcp, 8080), (std::vector<unsigned long>{41002}));
  EXPECT_EQ(ListeningInodes(tcp6, 80), (std::vector<unsigned long>{52001}));
  EXPECT_TRUE(ListeningInodes(tcp, 443).empty());
  EXPECT_TRUE(ListeningInodes("", 80).empty());
}

TEST(LoopbackListeners, BothAddressesOnOnePortAndTheHolderNamedWhenTaken) {
  // Port 0 would give each address another port; take a free one and ask for it.
  LoopbackListeners first = ListenOnLoopback(0);
  ASSERT_FALSE(first.descriptors.empty()) << first.reason;
  for (int fd : first.descriptors) ::close(fd);

  LoopbackListeners held;
  int port = 0;
  for (int candidate = 20080; candidate < 20180 && held.descriptors.empty(); ++candidate) {
    held = ListenOnLoopback(candidate);
    port = candidate;
  }
  ASSERT_FALSE(held.descriptors.empty());
  LoopbackListeners again = ListenOnLoopback(port);
  EXPECT_TRUE(again.descriptors.empty());
  EXPECT_EQ(again.error, EADDRINUSE);
  EXPECT_EQ(again.reason, "port " + std::to_string(port) + " is in use by " + PortHolder(port));
  EXPECT_NE(PortHolder(port).find("(pid " + std::to_string(::getpid()) + ")"), std::string::npos)
      << PortHolder(port);
  for (int fd : held.descriptors) ::close(fd);
  EXPECT_EQ(PortHolder(port), "");
}

}  // namespace
}  // namespace quorlen::helper
