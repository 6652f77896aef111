// The program's web server alone, on ports of the benchmark's choosing, answering from
// a program folder: the subject of the load benchmarks.
//   responder_serve <port> <program folder> [HTTPS port, else any free one]
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
  if (argc != 3 && argc != 4) return 2;
  quorlen::LoopbackSocketFactory sockets;
  Silent sound;
  quorlen::Label lbltype, lblpage, lblAllowServer, lblAllow1;
  quorlen::MenuItem mnuTrayAllow;
  quorlen::CheckBox chkBannerSound;
  quorlen::TextBox txtBannerWav;
  const std::string folder = argv[2];
  long blocked = 0;
  quorlen::Responder responder(
      sockets, sound,
      {lbltype, lblpage, lblAllowServer, lblAllow1, mnuTrayAllow, chkBannerSound, txtBannerWav},
      {nullptr, [] { return std::string("00:00:00"); }, nullptr, [&blocked] { ++blocked; },
       nullptr},
      folder, std::atoi(argv[1]), argc == 4 ? std::atoi(argv[3]) : 0);
  responder.StartWebServers();
  return QCoreApplication::exec();
}
