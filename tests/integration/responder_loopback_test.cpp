#include <gtest/gtest.h>

#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/fake/recording_sound.h"
#include "platform/qt/loopback_sockets.h"
#include "tests/integration/browser/browser_fixture.h"
#include "tests/support/loopback_port.h"
#include "tests/support/temp_folder.h"
#include "webserver/responder.h"

namespace quorlen {
namespace {

using testing_support::FreeLoopbackPort;
using testing_support::RunFor;
using testing_support::TempFolder;
using testing_support::WaitUntil;

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01", 13) + "\xFF\xD9";
const std::string kJs = "<!-- Java Ad -->";

bool HasIPv6() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

class Loopback : public testing::Test {
 protected:
  Loopback()
      : port_(FreeLoopbackPort()),
        httpsPort_(FreeLoopbackPort()),
        responder_(sockets_, sound_,
                   {lbltype_, lblpage_, lblAllowServer_, lblAllow1_, mnuTrayAllow_, chkBannerSound_,
                    txtBannerWav_},
                   {nullptr, nullptr, nullptr, [this] { ++blocked_; }, nullptr}, folderPath_, port_,
                   httpsPort_) {
    folder_.Write("1by1.jpg", kJpeg);
    responder_.StartWebServers();
  }

  // A raw client: sends the bytes, reads until the server closes.
  std::string RawRequest(const std::string& bytes,
                         const QHostAddress& address = QHostAddress(QHostAddress::LocalHost)) {
    QTcpSocket client;
    client.connectToHost(address, static_cast<quint16>(port_));
    std::string received;
    bool closed = false;
    QObject::connect(&client, &QTcpSocket::connected,
                     [&] { client.write(bytes.data(), static_cast<qint64>(bytes.size())); });
    QObject::connect(&client, &QTcpSocket::readyRead,
                     [&] { received += client.readAll().toStdString(); });
    QObject::connect(&client, &QTcpSocket::disconnected, [&] { closed = true; });
    EXPECT_TRUE(WaitUntil([&] { return closed; })) << "the server did not close";
    return received;
  }

  // Whether a connection to the web server's port at `address` is refused.
  bool Refused(const QHostAddress& address) {
    QTcpSocket client;
    client.connectToHost(address, static_cast<quint16>(port_));
    return WaitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }) &&
           client.error() == QAbstractSocket::ConnectionRefusedError;
  }

  TempFolder folder_;
  const std::string folderPath_ = folder_.Path();
  int port_;
  int httpsPort_;
  LoopbackSocketFactory sockets_;
  RecordingSound sound_;
  Label lbltype_, lblpage_, lblAllowServer_, lblAllow1_;
  MenuItem mnuTrayAllow_;
  CheckBox chkBannerSound_;
  TextBox txtBannerWav_;
  int blocked_ = 0;
  Responder responder_;
};

// A placeholder larger than the send buffer goes out in parts as the client reads; a
// request that arrives after the connection is accepted is read once it is whole.
TEST_F(Loopback, PlaceholderLargerThanTheSendBufferArrivesWhole) {
  std::string picture(24 << 20, '\0');
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 7 % 251);
  folder_.Write("1by1.jpg", picture);
  EXPECT_EQ(RawRequest("GET /big.jpg HTTP/1.0\r\n\r\n"), picture);
  EXPECT_EQ(blocked_, 1);

  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
  ASSERT_TRUE(WaitUntil([&] { return responder_.SlotState(0) == socket_state::kConnected; }));
  RunFor(100);  // time for a first read that finds nothing
  client.write("GET /late.js HTTP/1.0\r\n\r\n");
  std::string received;
  QObject::connect(&client, &QTcpSocket::readyRead,
                   [&] { received += client.readAll().toStdString(); });
  EXPECT_TRUE(WaitUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(received, kJs);
  EXPECT_EQ(blocked_, 2);
}

// Nine held connections push the next onto slot 9: all are closed, and the pool serves on.
TEST_F(Loopback, SlotNineClosesEveryHeldConnectionAndThePoolServesOn) {
  std::vector<std::unique_ptr<QTcpSocket>> held;
  for (int i = 0; i < 9; ++i) {
    held.push_back(std::make_unique<QTcpSocket>());
    held.back()->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
    ASSERT_TRUE(WaitUntil([&] { return responder_.SlotState(i) != socket_state::kClosed; }));
  }
  EXPECT_EQ(RawRequest("GET /a.gif HTTP/1.0\r\nHost: h\r\n\r\n"), "");
  EXPECT_TRUE(WaitUntil([&] {
    return std::all_of(held.begin(), held.end(), [](const auto& client) {
      return client->state() == QAbstractSocket::UnconnectedState;
    });
  }));
  for (const auto& client : held) EXPECT_EQ(client->bytesAvailable(), 0);
  EXPECT_EQ(blocked_, 0);
  // Slots come free after each reply; slot 9's recycle never strands a waiting client.
  int answered = 0;
  for (int i = 0; i < 40; ++i) answered += RawRequest("GET /a.js HTTP/1.0\r\n\r\n") == kJs;
  EXPECT_EQ(answered, 40);
}

TEST_F(Loopback, RestartReopensThePortAndAPortInUseIsTold) {
  responder_.StartWebServers();
  EXPECT_EQ(RawRequest("GET /a.htm HTTP/1.0\r\n\r\n"), "Quorlen Blocked HTM Ad");

  responder_.StopWebServer();
  EXPECT_TRUE(Refused(QHostAddress(QHostAddress::LocalHost))) << "stopped, yet listening";
  // Another program holds the port on both loopback addresses.
  QTcpServer other, otherV6;
  ASSERT_TRUE(other.listen(QHostAddress::LocalHost, static_cast<quint16>(port_)));
  otherV6.listen(QHostAddress::LocalHostIPv6, static_cast<quint16>(port_));
  responder_.StartWebServer();
  EXPECT_EQ(lbltype_.Caption(),
            "Not blocking: port " + std::to_string(port_) + ": Address already in use");
  QTcpSocket client;
  client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
  EXPECT_TRUE(WaitUntil([&] { return other.hasPendingConnections(); }));
  EXPECT_EQ(blocked_, 1);
}

// The web server answers on 127.0.0.1 and ::1 and on no other address of the machine.
TEST_F(Loopback, AnswersOnLoopbackOnly) {
  const std::string request = "GET /a.js HTTP/1.0\r\n\r\n";
  EXPECT_EQ(RawRequest(request), kJs);
  int answered = 1;
  if (HasIPv6()) {
    EXPECT_EQ(RawRequest(request, QHostAddress(QHostAddress::LocalHostIPv6)), kJs);
    ++answered;
  }
  for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
    if (address.isLoopback() || address.protocol() != QAbstractSocket::IPv4Protocol) continue;
    EXPECT_TRUE(Refused(address)) << address.toString().toStdString();
  }
  EXPECT_EQ(blocked_, answered);
}

// A browser that leaves before it asks leaves its slot busy until the recycle at slot 9.
TEST_F(Loopback, BrowserLeavingFirstKeepsItsSlotBusy) {
  {
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
    ASSERT_TRUE(WaitUntil([&] { return responder_.SlotState(0) == socket_state::kConnected; }));
    client.abort();
  }
  EXPECT_TRUE(WaitUntil([&] { return responder_.SlotState(0) == socket_state::kClosing; }));
  EXPECT_EQ(RawRequest("GET /a.js HTTP/1.0\r\n\r\n"), kJs);  // on slot 1
  EXPECT_EQ(responder_.SlotState(0), socket_state::kClosing);
}

}  // namespace
}  // namespace quorlen
