// The helper on a socket of its own, through the program's client. Its backup and sockets:
// tests/platform/privileged_linux_test.cpp; the blocking rule: blocking_change_test.cpp.
#include "privhelper/helper_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <thread>

#include "privhelper/helper_client.h"
#include "tests/support/running_helper.h"
#include "tests/support/temp_folder.h"

namespace quorlen::helper {
namespace {

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

using testing_support::TempFolder;

const std::string kUserHosts = "127.0.0.1\tlocalhost\n# mine\n10.1.2.3 nas\n";
const std::string kBlocking = "127.0.0.1 ads.example\n127.0.0.1 track.example\n" + kUserHosts;

// The running helper through the program's client.
class HelperUnderTest : public testing_support::RunningHelper {
 public:
  using RunningHelper::RunningHelper;
  Answer Ask(Verb verb, std::string_view body = {}) {
    return AskHelper(Socket(), verb, body, std::chrono::seconds(10));
  }
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
      {"blocking lines written", Verb::kWriteHosts, kBlocking, "", "hosts", kBlocking},
      {"a foreign address refused", Verb::kWriteHosts, kBlocking + "10.0.0.1 bank.example\n",
       "refused", "hosts", kBlocking},
      {"a full copy that is no blocking version refused", Verb::kWriteFullCopy,
       "10.0.0.1 bank.example\n", "refused", "hostsqlf", ""},
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
  EXPECT_THAT(log, HasSubstr("uid " + std::to_string(::getuid()) + " gid " +
                             std::to_string(::getgid()) + " pid " + std::to_string(::getpid())));
  EXPECT_THAT(log, HasSubstr("write-hosts " + std::to_string(kBlocking.size() + 22) +
                             " bytes: refused: not a blocking change"));
}

TEST(Helper, PuttingTheSavedCopyBackKeepsWhatTheUserAddedSince) {
  TempFolder folder;
  const std::string edited = kBlocking + "10.9.9.9 new.home\n";
  folder.Write("hosts", edited);
  folder.Write("hostsqlb", kUserHosts);
  HelperUnderTest helper(folder);
  Answer answer = helper.Ask(Verb::kWriteHosts, kUserHosts);
  EXPECT_EQ(answer.reply.code, "refused");
  EXPECT_THAT(answer.reply.message, HasSubstr("would be lost: \"10.9.9.9 new.home\""));
  EXPECT_EQ(folder.Read("hosts"), edited);
}

int Connect(const std::string& socketPath) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string ReplyOn(int fd) {
  std::string reply;
  char c;
  while (::recv(fd, &c, 1, 0) == 1 && c != '\n') reply += c;
  return reply;
}

// Sends raw bytes as a client would, half-closes and reads the reply line.
std::string RawExchange(const std::string& socketPath, const std::string& bytes) {
  int fd = Connect(socketPath);
  if (fd < 0) return "no helper";
  [[maybe_unused]] auto sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  std::string reply = ReplyOn(fd);
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
      {"truncated body", "QLH1 write-hosts 100\nabc", "error malformed truncated request"},
      {"oversized, refused before its body", "QLH1 write-hosts 999999999\n", "error too-large "},
      {"bytes after the request", "QLH1 listen-port-80 0\nx", "error malformed "},
  };
  // The program's probe whether the helper runs: a connection closed before a byte.
  ::close(Connect(helper.Socket()));
  for (const Row& row : rows) {
    EXPECT_THAT(RawExchange(helper.Socket(), row.bytes), StartsWith(row.replyStart)) << row.name;
  }
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);
  EXPECT_TRUE(helper.Ask(Verb::kWriteHosts, kBlocking).reply.ok) << "still serving";
  // The broken requests are logged, the probes (this one and the start's) are not.
  const std::string log = folder.Read("helper.log");
  EXPECT_THAT(log, HasSubstr("request: malformed: truncated request"));
  EXPECT_THAT(log, Not(HasSubstr("truncated header")));
  EXPECT_THAT(log, Not(HasSubstr("did not reach")));
}

// Another user of the machine is answered with a refusal before a byte of the request is
// read, whatever the request; the helper's own user is served.
TEST(Helper, ServesOnlyWhomItMayAndSaysWhyNot) {
  if (!testing_support::RunningAsRoot()) GTEST_SKIP() << "needs root to ask as another user";
  TempFolder folder;
  ::chmod(folder.Path().c_str(), 0755);  // the other user reaches the socket
  folder.Write("hosts", kUserHosts);
  HelperUnderTest helper(folder);
  for (Verb verb : {Verb::kWriteHosts, Verb::kListenPort80}) {
    pid_t child = ::fork();
    if (child == 0) {
      if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
        ::_exit(3);
      Answer answer = AskHelper(helper.Socket(), verb, verb == Verb::kWriteHosts ? kBlocking : "",
                                std::chrono::seconds(5));
      const bool refused = answer.reached && answer.reply.code == "not-allowed" &&
                           answer.descriptors.empty() &&
                           answer.reply.message.find("uid 65534") != std::string::npos;
      ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << VerbName(verb);
  }
  EXPECT_EQ(folder.Read("hosts"), kUserHosts);
  EXPECT_THAT(folder.Read("helper.log"), HasSubstr("uid 65534 gid 65534"));
  EXPECT_THAT(folder.Read("helper.log"),
              HasSubstr("connection refused before its request: not-allowed"));
  EXPECT_TRUE(helper.Ask(Verb::kWriteHosts, kBlocking).reply.ok);
}

// A client that stalls, or sends a byte now and then, is cut off at one deadline for the
// whole request while the others are served; each user holds only a few connections.
TEST(Helper, NoConnectionKeepsAnotherWaiting) {
  TempFolder folder;
  folder.Write("hosts", kUserHosts);
  const std::string socketPath = folder.File("helper.sock");
  int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 16), 0);
  std::ostringstream log;
  HelperServer server({folder.File("hosts"), testing_support::FreeLoopbackPort()},
                      {::geteuid(), {}, {}}, [] { return LocalSessions{}; }, log,
                      {std::chrono::milliseconds(1500), 2, 64});
  std::atomic<bool> stop{false};
  std::thread serving([&] { server.Serve(listener, 0, stop); });

  int dripping = Connect(socketPath);
  ASSERT_GE(dripping, 0);
  ASSERT_EQ(::send(dripping, "QLH1 ", 5, MSG_NOSIGNAL), 5);
  // The user's second connection is served while the first one waits ...
  Answer served = AskHelper(socketPath, Verb::kWriteHosts, kBlocking, std::chrono::seconds(5));
  EXPECT_TRUE(served.reached && served.reply.ok) << served.failure << served.reply.message;
  EXPECT_EQ(folder.Read("hosts"), kBlocking);
  pollfd waiting{dripping, POLLIN, 0};
  EXPECT_EQ(::poll(&waiting, 1, 0), 0) << "the stalled connection is still open";
  // ... a third one at once is one too many ...
  int second = Connect(socketPath);
  Answer busy = AskHelper(socketPath, Verb::kListenPort80, {}, std::chrono::seconds(5));
  EXPECT_EQ(busy.reply.code, "busy");
  // ... and a byte now and then does not keep the first one alive.
  const char* more = "write-hosts";
  while (::poll(&waiting, 1, 100) == 0 && *more != '\0') {
    ASSERT_EQ(::send(dripping, more++, 1, MSG_NOSIGNAL), 1);
  }
  EXPECT_EQ(ReplyOn(dripping), "error timeout no complete request within 1500 ms");
  EXPECT_EQ(ReplyOn(second), "error timeout no complete request within 1500 ms");

  // A request whose client gave up before the helper came to it is not carried out: it is
  // read before the next one is answered.
  int gone = Connect(socketPath);
  const std::string request =
      EncodeRequest(Verb::kWriteHosts, "127.0.0.1 gone.example\n" + kBlocking);
  ASSERT_EQ(::send(gone, request.data(), request.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(request.size()));
  ::close(gone);
  EXPECT_TRUE(
      AskHelper(socketPath, Verb::kWriteFullCopy, kBlocking, std::chrono::seconds(5)).reached);
  stop = true;
  serving.join();
  EXPECT_EQ(folder.Read("hosts"), kBlocking);
  EXPECT_THAT(log.str(), HasSubstr("not done, the client no longer waits for it"));
  for (int fd : {dripping, second, listener}) ::close(fd);
}

}  // namespace
}  // namespace quorlen::helper
