// Both ways of changing the machine keep the same promises: files written whole, the saved
// copy never replaced, sockets on the port, failures told in words, events run meanwhile.
#include "platform/linux/privileged_linux.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <thread>

#include "platform/fake/virtual_clock.h"
#include "tests/support/running_helper.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

using testing_support::RunningHelper;
using testing_support::TempFolder;

const std::string kUserHosts = "127.0.0.1\tlocalhost\n10.1.2.3 nas\n";
const std::string kBlocking = "127.0.0.1 ads.example\n" + kUserHosts;

int PortOf(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
}

TEST(PrivilegedOperations, DirectAndThroughTheHelperKeepTheSamePromises) {
  VirtualClock clock;
  for (bool throughHelper : {false, true}) {
    SCOPED_TRACE(throughHelper ? "through the helper" : "direct");
    TempFolder folder;
    folder.Write("hosts", kUserHosts);
    std::unique_ptr<RunningHelper> helper;
    std::unique_ptr<PrivilegedOperations> operations;
    int port, httpsPort;
    if (throughHelper) {
      helper = std::make_unique<RunningHelper>(folder);
      port = helper->Port();
      httpsPort = helper->HttpsPort();
      operations = std::make_unique<HelperPrivileges>(helper->Socket(), clock);
    } else {
      port = testing_support::FreeLoopbackPort();
      do httpsPort = testing_support::FreeLoopbackPort();
      while (httpsPort == port);
      operations = std::make_unique<DirectPrivileges>(folder.File("hosts"), port, httpsPort);
    }

    EXPECT_TRUE(operations->WriteHostsBackup(kUserHosts).ok);
    PrivilegedOperations::Outcome again = operations->WriteHostsBackup(kBlocking);
    EXPECT_FALSE(again.ok);
    EXPECT_THAT(again.error, HasSubstr(folder.File("hostsqlb") + " exists and is kept"));
    EXPECT_EQ(folder.Read("hostsqlb"), kUserHosts);
    EXPECT_TRUE(operations->WriteHostsFile(kBlocking).ok);
    EXPECT_EQ(folder.Read("hosts"), kBlocking);
    EXPECT_TRUE(operations->WriteHostsFullCopy(kBlocking).ok);
    EXPECT_EQ(folder.Read("hostsqlf"), kBlocking);

    using Listen = PrivilegedOperations::Listeners (PrivilegedOperations::*)();
    for (const auto& [listen, wanted] :
         {std::pair<Listen, int>{&PrivilegedOperations::ListenOnPort80, port},
          std::pair<Listen, int>{&PrivilegedOperations::ListenOnPort443, httpsPort}}) {
      PrivilegedOperations::Listeners listeners = (operations.get()->*listen)();
      ASSERT_FALSE(listeners.descriptors.empty()) << listeners.error;
      for (int fd : listeners.descriptors) EXPECT_EQ(PortOf(fd), wanted);
      PrivilegedOperations::Listeners taken = (operations.get()->*listen)();
      EXPECT_TRUE(taken.descriptors.empty());
      EXPECT_THAT(taken.error,
                  HasSubstr("port " + std::to_string(wanted) + " is in use by another program"));
      for (int fd : listeners.descriptors) ::close(fd);
    }
  }
}

TEST(PrivilegedOperations, FailuresAreToldInWords) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  RunningHelper helper(folder);
  VirtualClock clock;
  HelperPrivileges throughHelper(helper.Socket(), clock);
  PrivilegedOperations::Outcome refused =
      throughHelper.WriteHostsFile(kBlocking + "10.0.0.1 bank.example\n");
  EXPECT_FALSE(refused.ok);
  EXPECT_THAT(refused.error, StartsWith("quorlen-helper: not a blocking change of "));
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);

  HelperPrivileges noHelper(folder.File("no-helper.sock"), clock);
  EXPECT_FALSE(noHelper.Reachable());
  PrivilegedOperations::Outcome unreachable = noHelper.WriteHostsFile(kBlocking);
  EXPECT_FALSE(unreachable.ok);
  EXPECT_THAT(unreachable.error, HasSubstr("is the quorlen package installed"));
  EXPECT_THAT(noHelper.ListenOnPort80().error, HasSubstr("does not answer"));
  EXPECT_THAT(noHelper.ListenOnPort443().error, HasSubstr("does not answer"));

  // A helper that never answers: the program's events run while it waits, the cause is told.
  const std::string silentPath = folder.File("silent.sock");
  int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, silentPath.data(), silentPath.size());
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent, 4), 0);
  HelperPrivileges stalled(silentPath, clock, std::chrono::milliseconds(500));
  const int pumped = clock.DoEventsCalls();
  PrivilegedOperations::Outcome late = stalled.WriteHostsFile(kBlocking);
  EXPECT_EQ(late.error, "quorlen-helper did not answer within 500 ms");
  EXPECT_GT(clock.DoEventsCalls(), pumped);  // events ran while it waited
  // And one that closes the connection without a word.
  ::close(::accept(silent, nullptr, nullptr));
  std::thread closing([silent] { ::close(::accept(silent, nullptr, nullptr)); });
  EXPECT_THAT(stalled.ListenOnPort80().error,
              StartsWith("quorlen-helper ended the connection without an answer"));
  closing.join();
  EXPECT_TRUE(stalled.Reachable());  // however it answers, it takes connections
  ::close(silent);
  // The socket file a killed helper leaves behind takes no connection.
  EXPECT_FALSE(stalled.Reachable());

  DirectPrivileges nowhere(folder.File("missing-folder/hosts"));
  PrivilegedOperations::Outcome failed = nowhere.WriteHostsFile(kBlocking);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, folder.File("missing-folder/hosts") +
                              " could not be written: No such file or directory");
}

}  // namespace
}  // namespace quorlen
