#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/controls.h"
#include "platform/sockets.h"
#include "platform/sound.h"
#include "webserver/https_responder.h"
#include "webserver/request.h"

namespace quorlen {

// The controls of the settings window and the tray menu the web server writes.
struct ResponderControls {
  Label& lbltype;
  Label& lblpage;
  Label& lblAllowServer;
  Label& lblAllow1;
  MenuItem& mnuTrayAllow;
  CheckBox& chkBannerSound;
  TextBox& txtBannerWav;
};

// What the web server tells the rest of the program about each blocked request.
struct ResponderHooks {
  std::function<void(const std::string&)> debugLog;
  std::function<std::string()> timeStamp;
  std::function<void(const std::string&)> putRecord;  // into the recent ad-server buffer
  std::function<void()> addBlockedAd;
  std::function<void()> afterBlock;  // the update check that keys on the day's count
  // The port could not be had, and why.
  std::function<void(const std::string&)> listenFailed = nullptr;
  // The HTTPS port could not be had, and why: those requests still fail, uncounted.
  std::function<void(const std::string&)> httpsListenFailed = nullptr;
  // The time in milliseconds: an HTTPS request tried again at once counts once.
  std::function<std::int64_t()> nowMs = nullptr;
};

// The local web server the hosts file sends every blocked ad server to. It answers each
// request with a harmless placeholder and no headers at all, closing the connection once
// the bytes are out, so the browser takes the whole stream as the body. The listener
// `Pimp` feeds 11 connection slots `Hoe`. Beside it the HTTPS port refuses every
// handshake and tells each server name it was asked for as a blocked request, through the
// same step as port 80. All of it runs on the user-interface thread.
class Responder {
 public:
  static constexpr int kSlots = 11;
  static constexpr int kRecycleSlot = 9;

  Responder(SocketFactory& sockets, Sound& sound, ResponderControls controls, ResponderHooks hooks,
            const std::string& programFolder, int port = 80, int httpsPort = 443);

  void StartWebServers();
  // Listens on the port and on the HTTPS port, each anew.
  void StartWebServer();
  // Stops listening on both ports; open connections are still answered.
  void StopWebServer();
  // The file's bytes; "Blocked by Quorlen" when its folder does not exist. A missing file
  // is created empty.
  std::string ReadBlockFile(const std::string& path);
  // Everything one blocked request causes, by whichever road it reached the program: the
  // kind and page labels, the last blocked server, the record, the allow captions, the
  // sound, the count and the update check that follows a block. The placeholder of the
  // request's kind goes to `send` before the block is counted, as the browser waits for it.
  void AnswerBlocked(const ParsedRequest& request,
                     const std::function<void(const std::string& body)>& send);
  // One request's text, as it arrived on port 80 or as a joined browser held it: a GET is
  // answered and counted as above, anything else gets "UNKNOWN" and is not counted.
  void AnswerRequest(const std::string& request,
                     const std::function<void(const std::string& body)>& send);

  const std::string& sLastBlockedServer() const { return sLastBlockedServer_; }
  bool SlotExists(int index) const { return Hoe_[static_cast<size_t>(index)] != nullptr; }
  int SlotState(int index) const;

 private:
  void Pimp_ConnectionRequest(std::int32_t requestId);
  void Hoe_DataArrival(int index);
  void Hoe_SendComplete(int index);
  void CreateSlot(int index);

  SocketFactory& sockets_;
  Sound& sound_;
  ResponderControls controls_;
  ResponderHooks hooks_;
  const std::string& programFolder_;  // known once the program has loaded
  int port_;
  std::unique_ptr<ListenSocket> Pimp_;
  std::array<std::unique_ptr<ConnectionSocket>, kSlots> Hoe_;
  HttpsResponder https_;
  std::string sLastBlockedServer_;
};

}  // namespace quorlen
