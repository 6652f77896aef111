// The helper program on a socket of its own, driven through the program's client: what it
// writes, what it refuses, the sockets it hands over and its log.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "privhelper/helper_client.h"
#include "privhelper/loopback_port.h"
#include "tests/support/running_helper.h"
#include "tests/support/temp_folder.h"

namespace quorlen::helper {
namespace {

using testing_support::TempFolder;

int LocalPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  if (address.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
}

const std::string kUserHosts = "127.0.0.1\tlocalhost\n# mine\n10.1.2.3 nas\n";
const std::string kBlocking = "127.0.0.1 ads.example\n127.0.0.1 track.example\n" + kUserHosts;

// The running helper through the program's client.
class HelperUnderTest : public testing_support::RunningHelper {
 public:
  using RunningHelper::RunningHelper;
  Answer Ask(Verb verb, std::string_view body = {}) { return AskHelper(Socket(), verb, body, 10); }
};

TEST(Helper, WritesOnlyBlockingChangesAndKeepsTheCopiesByTheRule) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  ::chmod(folder.File("hosts").c_str(), 0640);
  HelperUnderTest helper(folder);

  struct Step {
    const char* name;
    Verb verb;
    std::string body;
    std::string code;  // empty: accepted
    std::string file;  // the file to look at
    std::string expected;
  };
  const std::vector<Step> steps = {
      {"the user's file kept as the backup", Verb::kWriteBackup, kUserHosts, "", "hostsqlb",
       kUserHosts},
      {"the backup is never overwritten", Verb::kWriteBackup, kBlocking, "exists", "hostsqlb",
       kUserHosts},
      {"blocking lines written", Verb::kWriteHosts, kBlocking, "", "hosts", kBlocking},
      {"a foreign address refused", Verb::kWriteHosts, kBlocking + "10.0.0.1 bank.example\n",
       "refused", "hosts", kBlocking},
      {"a user's line changed refused", Verb::kWriteHosts,
       "127.0.0.1 ads.example\n127.0.0.1\tlocalhost\n# mine\n10.6.6.6 nas\n", "refused", "hosts",
       kBlocking},
      {"the blocking version kept", Verb::kWriteFullCopy, kBlocking, "", "hostsqlf", kBlocking},
      {"a full copy that is no blocking version refused", Verb::kWriteFullCopy,
       "10.0.0.1 bank.example\n", "refused", "hostsqlf", kBlocking},
      {"the user's own file put back", Verb::kWriteHosts, kUserHosts, "", "hosts", kUserHosts},
  };
  for (const Step& step : steps) {
    Answer answer = helper.Ask(step.verb, step.body);
    ASSERT_TRUE(answer.reached) << step.name << ": " << answer.failure;
    EXPECT_EQ(answer.reply.ok, step.code.empty()) << step.name << ": " << answer.reply.message;
    EXPECT_EQ(answer.reply.code, step.code) << step.name;
    EXPECT_EQ(folder.Read(step.file), step.expected) << step.name;
  }
  struct stat written {};
  ::stat(folder.File("hosts").c_str(), &written);
  EXPECT_EQ(written.st_mode & 07777, 0640u) << "the hosts file keeps its mode";

  const std::string log = folder.Read("helper.log");
  EXPECT_NE(log.find("uid " + std::to_string(::getuid()) + " gid " + std::to_string(::getgid()) +
                     " pid " + std::to_string(::getpid())),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("write-hosts " + std::to_string(kBlocking.size() + 22) +
                     " bytes: refused: not a blocking change"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("(the saved copy of the user's own file)"), std::string::npos) << log;
}

TEST(Helper, PutsTheBackupBackEvenWhenTheUserChangedTheFileSince) {
  TempFolder folder;
  const std::string edited = kBlocking + "10.9.9.9 new.home\n";
  folder.Write("hosts", edited);
  HelperUnderTest helper(folder);
  // Without a backup the user's older file is no blocking change of the current one.
  EXPECT_EQ(helper.Ask(Verb::kWriteHosts, kUserHosts).reply.code, "refused");
  folder.Write("hostsqlb", kUserHosts);
  EXPECT_TRUE(helper.Ask(Verb::kWriteHosts, kUserHosts).reply.ok);
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);
}

TEST(Helper, HandsOverListeningLoopbackSocketsOnBothPorts) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  HelperUnderTest helper(folder);
  for (const auto& [verb, port] : {std::pair{Verb::kListenPort80, helper.Port()},
                                   std::pair{Verb::kListenPort443, helper.HttpsPort()}}) {
    SCOPED_TRACE(VerbName(verb));
    Answer answer = helper.Ask(verb);
    ASSERT_TRUE(answer.reached && answer.reply.ok) << answer.failure << answer.reply.message;
    ASSERT_GE(answer.descriptors.size(), 1u);
    ASSERT_EQ(answer.reply.descriptors, static_cast<int>(answer.descriptors.size()));
    for (int fd : answer.descriptors) EXPECT_EQ(LocalPort(fd), port);

    // The handed-over socket takes a connection to 127.0.0.1 in this process.
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int accepted = ::accept(answer.descriptors.front(), nullptr, nullptr);
    EXPECT_GE(accepted, 0);
    ::close(accepted);
    ::close(client);

    // While this process holds the port, the helper says so and names it.
    Answer taken = helper.Ask(verb);
    EXPECT_TRUE(taken.reached);
    EXPECT_EQ(taken.reply.code, "port-in-use");
    EXPECT_TRUE(taken.descriptors.empty());
    EXPECT_NE(taken.reply.message.find("port " + std::to_string(port) + " is in use by "),
              std::string::npos)
        << taken.reply.message;
    EXPECT_NE(taken.reply.message.find("(pid " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << taken.reply.message;
    for (int fd : answer.descriptors) ::close(fd);
  }
}

// Sends raw bytes as a client would, half-closes and reads the reply line.
std::string RawExchange(const std::string& socketPath, const std::string& bytes,
                        bool halfClose = true) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return "no helper";
  [[maybe_unused]] auto sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (halfClose) ::shutdown(fd, SHUT_WR);
  std::string reply;
  char c;
  while (::recv(fd, &c, 1, 0) == 1 && c != '\n') reply += c;
  ::close(fd);
  return reply;
}

TEST(Helper, RefusesBrokenRequestsAndKeepsServing) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  HelperUnderTest helper(folder);
  struct Row {
    const char* name;
    std::string bytes;
    std::string replyStart;
  };
  const std::vector<Row> rows = {
      {"garbage", "GET / HTTP/1.0\r\n\r\n", "error malformed "},
      {"truncated body", "QLH1 write-hosts 100\nabc", "error malformed truncated request"},
      {"oversized, refused before its body", "QLH1 write-hosts 999999999\n", "error too-large "},
      {"bytes after the request", "QLH1 listen-port-80 0\nx", "error malformed "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RawExchange(helper.Socket(), row.bytes).rfind(row.replyStart, 0), 0u) << row.name;
  }
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);
  EXPECT_TRUE(helper.Ask(Verb::kWriteHosts, kBlocking).reply.ok) << "still serving";
}

TEST(Helper, ClientTellsWhenNoHelperAnswers) {
  TempFolder folder;
  Answer answer = AskHelper(folder.File("nobody.sock"), Verb::kListenPort80, {}, 2);
  EXPECT_FALSE(answer.reached);
  EXPECT_NE(answer.failure.find("quorlen-helper does not answer on"), std::string::npos)
      << answer.failure;
}

}  // namespace
}  // namespace quorlen::helper
