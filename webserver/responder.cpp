#include "webserver/responder.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "core/text.h"
#include "platform/read_file.h"
#include "webserver/recent_blocked.h"

namespace quorlen {

namespace {

constexpr int kExtraSlots = Responder::kSlots - 1;

}  // namespace

Responder::Responder(SocketFactory& sockets, Sound& sound, ResponderControls controls,
                     ResponderHooks hooks, const std::string& programFolder, int port,
                     int httpsPort)
    : sockets_(sockets),
      sound_(sound),
      controls_(controls),
      hooks_(std::move(hooks)),
      programFolder_(programFolder),
      port_(port),
      https_(sockets,
             {[this](const std::string& name, const HttpsResponder::Send& send) {
                AnswerBlocked(HttpsRequest(name), send);
              },
              hooks_.debugLog, hooks_.nowMs},
             httpsPort) {
  Pimp_ = sockets_.CreateListener();
  Pimp_->onConnectionRequest = [this](std::int32_t id) { Pimp_ConnectionRequest(id); };
  CreateSlot(0);
}

void Responder::CreateSlot(int index) {
  auto& slot = Hoe_[static_cast<size_t>(index)];
  if (slot) return;  // creating a slot that exists fails, and is ignored
  slot = sockets_.CreateConnection();
  slot->onDataArrival = [this, index](std::int32_t) { Hoe_DataArrival(index); };
  slot->onSendComplete = [this, index] { Hoe_SendComplete(index); };
}

int Responder::SlotState(int index) const {
  const auto& slot = Hoe_[static_cast<size_t>(index)];
  return slot ? slot->State() : socket_state::kClosed;
}

void Responder::StartWebServers() {
  for (int i = 1; i <= kExtraSlots; ++i) CreateSlot(i);
  StartWebServer();
}

void Responder::StartWebServer() {
  Pimp_->Close();
  Pimp_->SetLocalPort(port_);
  if (!Pimp_->Listen()) {
    // Said here, where the program once kept silent: no request would ever come.
    const std::string reason = Pimp_->FailureReason();
    controls_.lbltype.SetCaption("Not blocking: " + reason);
    if (hooks_.debugLog) hooks_.debugLog("Web server not started: " + reason);
    if (hooks_.listenFailed) hooks_.listenFailed(reason);
    return;
  }
  controls_.lbltype.SetCaption("Started blocking..." + std::to_string(kExtraSlots) + " " +
                               std::to_string(kExtraSlots));
  if (hooks_.debugLog) hooks_.debugLog("Started " + std::to_string(kExtraSlots) + " web servers.");
  if (!https_.Listen()) {
    const std::string reason = https_.FailureReason();
    if (hooks_.debugLog) hooks_.debugLog("HTTPS web server not started: " + reason);
    if (hooks_.httpsListenFailed) hooks_.httpsListenFailed(reason);
  }
}

void Responder::StopWebServer() {
  Pimp_->Close();
  https_.Close();
  controls_.lbltype.SetCaption("Stopped blocking...");
  if (hooks_.debugLog) hooks_.debugLog("Stopped Web Server.");
}

void Responder::Pimp_ConnectionRequest(std::int32_t requestId) {
  int taken = -1;
  for (int i = 0; i < kSlots; ++i) {
    auto& slot = Hoe_[static_cast<size_t>(i)];
    if (slot && slot->State() == socket_state::kClosed) {
      slot->Close();
      slot->Accept(requestId);
      taken = i;
      break;
    }
  }
  if (taken != kRecycleSlot) return;
  // The pool is nearly used up, usually by connections browsers never closed: free every
  // slot, this new connection's too, which stays unanswered.
  for (auto& slot : Hoe_) {
    if (!slot) continue;
    slot->Close();
    slot->Accept(requestId);  // the connection has one owner: this fails quietly
  }
}

void Responder::Hoe_DataArrival(int index) {
  auto& slot = Hoe_[static_cast<size_t>(index)];
  AnswerRequest(slot->GetData(), [&slot](const std::string& body) { slot->SendData(body); });
}

void Responder::AnswerRequest(const std::string& request,
                              const std::function<void(const std::string& body)>& send) {
  if (hooks_.debugLog) hooks_.debugLog("# Web Server request: " + request);
  if (request.compare(0, 3, "GET") != 0) {
    if (hooks_.debugLog) hooks_.debugLog("Responded to http request with text 'UNKNOWN'");
    send("UNKNOWN");
    return;
  }
  AnswerBlocked(ParseRequest(request), send);
}

void Responder::AnswerBlocked(const ParsedRequest& parsed,
                              const std::function<void(const std::string& body)>& send) {
  controls_.lbltype.SetCaption(parsed.kind);
  const std::string body = parsed.body == ReplyBody::kImage
                               ? ReadBlockFile(programFolder_ + "/" + "1by1.jpg")
                               : std::string(ReplyText(parsed.body));
  controls_.lblpage.SetCaption("Blocking " + parsed.host + std::string(kCrLf) + parsed.display);
  sLastBlockedServer_ = parsed.host;
  if (hooks_.putRecord) {
    hooks_.putRecord(AdServerRecord(hooks_.timeStamp ? hooks_.timeStamp() : std::string(),
                                    parsed.host, parsed.referer, parsed.agent));
  }
  controls_.mnuTrayAllow.SetCaption("&Click here to allow content from " + parsed.host +
                                    " (the last blocked ad server)...");
  controls_.lblAllowServer.SetCaption("Un-Block '" + parsed.host + "'");
  controls_.lblAllow1.SetCaption("Last blocked ad content from server: '" + parsed.host + "'");
  send(body);
  if (controls_.chkBannerSound.Ticked()) sound_.PlayAsync(controls_.txtBannerWav.Text());
  if (hooks_.addBlockedAd) hooks_.addBlockedAd();
  if (hooks_.afterBlock) hooks_.afterBlock();
}

void Responder::Hoe_SendComplete(int index) { Hoe_[static_cast<size_t>(index)]->Close(); }

std::string Responder::ReadBlockFile(const std::string& path) {
  // It is read at every request, as the user may change it, in the fewest calls to the
  // system; read only, so a program folder the user cannot write to still serves the
  // image. The folder is looked at only when the file cannot be opened.
  if (std::optional<std::string> bytes = ReadWholeFile(path)) return std::move(*bytes);
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_directory(file.parent_path(), error)) return "Blocked by Quorlen";
  std::ofstream(path, std::ios::binary | std::ios::app);  // left empty, as it always was
  return {};
}

}  // namespace quorlen
