// Arbitrary bytes as requests to the local web server, whole and split in two pieces:
// nothing may crash, and the reply is always one of the placeholders.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fake/fake_sockets.h"
#include "platform/fake/recording_sound.h"
#include "webserver/request.h"
#include "webserver/responder.h"

namespace {

struct Server {
  quorlen::FakeNetwork network;
  quorlen::RecordingSound sound;
  quorlen::Label lbltype, lblpage, lblAllowServer, lblAllow1;
  quorlen::MenuItem mnuTrayAllow;
  quorlen::CheckBox chkBannerSound;
  quorlen::TextBox txtBannerWav;
  const std::string folder = "/nonexistent-quorlen-folder";
  quorlen::Responder responder{
      network,
      sound,
      {lbltype, lblpage, lblAllowServer, lblAllow1, mnuTrayAllow, chkBannerSound, txtBannerWav},
      {nullptr, [] { return std::string("00:00:00"); }, nullptr, nullptr, nullptr},
      folder,
      80};
  Server() { responder.StartWebServers(); }
};

bool IsPlaceholder(const std::string& reply) {
  return reply.empty() || reply == "UNKNOWN" || reply == "<!-- Java Ad -->" ||
         reply == "Quorlen Blocked HTML Ad" || reply == "Quorlen Blocked HTM Ad" ||
         reply == "Blocked by Quorlen";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Server server;
  const std::string request(reinterpret_cast<const char*>(data), size);
  quorlen::ParsedRequest parsed = quorlen::ParseRequest(request);
  if (parsed.path.empty()) std::abort();  // the root becomes "index.html"

  int client = server.network.Connect(80);
  const size_t cut = size / 2;
  server.network.Send(client, request.substr(0, cut));
  server.network.Send(client, request.substr(cut));
  server.network.CompleteSends();
  const std::string reply = server.network.Received(client);
  // Up to two answers, one a piece; each a placeholder.
  bool ok = IsPlaceholder(reply);
  for (size_t split = 0; !ok && split <= reply.size(); ++split) {
    ok = IsPlaceholder(reply.substr(0, split)) && IsPlaceholder(reply.substr(split));
  }
  if (!ok) std::abort();
  // Done with it: the network keeps only connections a slot still holds, at most 11.
  server.network.Forget(client);
  if (server.network.Clients() > quorlen::Responder::kSlots) std::abort();
  return 0;
}
