// Both ways of changing the machine keep the same promises: the hosts file and its
// copies written whole, the user's saved copy never replaced, listening sockets on the
// port or the port's holder named, and every failure told in words.
#include "platform/linux/privileged_linux.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "tests/support/running_helper.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

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
      operations = std::make_unique<HelperPrivileges>(helper->Socket());
    } else {
      port = testing_support::FreeLoopbackPort();
      do httpsPort = testing_support::FreeLoopbackPort();
      while (httpsPort == port);
      operations = std::make_unique<DirectPrivileges>(folder.File("hosts"), port, httpsPort);
    }

    EXPECT_TRUE(operations->WriteHostsBackup(kUserHosts).ok);
    PrivilegedOperations::Outcome again = operations->WriteHostsBackup(kBlocking);
    EXPECT_FALSE(again.ok);
    EXPECT_NE(again.error.find(folder.File("hostsqlb") + " exists and is kept"), std::string::npos)
        << again.error;
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
      EXPECT_NE(taken.error.find("port " + std::to_string(wanted) + " is in use by "),
                std::string::npos)
          << taken.error;
      EXPECT_NE(taken.error.find("(pid " + std::to_string(::getpid()) + ")"), std::string::npos)
          << taken.error;
      for (int fd : listeners.descriptors) ::close(fd);
    }
  }
}

TEST(PrivilegedOperations, FailuresAreToldInWords) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  RunningHelper helper(folder);
  HelperPrivileges throughHelper(helper.Socket());
  PrivilegedOperations::Outcome refused =
      throughHelper.WriteHostsFile(kBlocking + "10.0.0.1 bank.example\n");
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error.rfind("quorlen-helper: not a blocking change of ", 0), 0u)
      << refused.error;
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);

  HelperPrivileges noHelper(folder.File("no-helper.sock"));
  PrivilegedOperations::Outcome unreachable = noHelper.WriteHostsFile(kBlocking);
  EXPECT_FALSE(unreachable.ok);
  EXPECT_NE(unreachable.error.find("is the quorlen package installed"), std::string::npos)
      << unreachable.error;
  EXPECT_NE(noHelper.ListenOnPort80().error.find("does not answer"), std::string::npos);
  EXPECT_NE(noHelper.ListenOnPort443().error.find("does not answer"), std::string::npos);

  DirectPrivileges nowhere(folder.File("missing-folder/hosts"));
  PrivilegedOperations::Outcome failed = nowhere.WriteHostsFile(kBlocking);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, folder.File("missing-folder/hosts") +
                              " could not be written: No such file or directory");
}

}  // namespace
}  // namespace quorlen
