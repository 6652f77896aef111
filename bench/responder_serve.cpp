// The program's web server alone, on a port of the benchmark's choosing, answering from
// a program folder: the subject of the load benchmark.
//   responder_serve <port> <program folder>
#include <QCoreApplication>
#include <cstdlib>

#include "platform/qt/loopback_sockets.h"
#include "webserver/responder.h"

namespace {

class Silent : public quorlen::Sound {
 public:
  void PlayAsync(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  quorlen::LoopbackSocketFactory sockets;
  Silent sound;
  quorlen::Label lbltype, lblpage, lblAllowServer, lblAllow1;
  quorlen::MenuItem mnuTrayAllow;
  quorlen::CheckBox chkBannerSound;
  quorlen::TextBox txtBannerWav;
  const std::string folder = argv[2];
  long blocked = 0;
  quorlen::Responder responder(sockets, sound,
                               {lbltype, lblpage, lblAllowServer, lblAllow1, mnuTrayAllow,
                                chkBannerSound, txtBannerWav},
                               {nullptr, [] { return std::string("00:00:00"); }, nullptr,
                                [&blocked] { ++blocked; }, nullptr},
                               folder, std::atoi(argv[1]));
  responder.StartWebServers();
  return QCoreApplication::exec();
}
