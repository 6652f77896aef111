#include "platform/fake/fake_sockets.h"

#include <algorithm>
#include <utility>

namespace quorlen {

class FakeListener : public ListenSocket {
 public:
  explicit FakeListener(FakeNetwork& network) : network_(network) {
    network_.listeners_.push_back(this);
  }
  ~FakeListener() override {
    auto& all = network_.listeners_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
  }
  void Close() override { listening_ = false; }
  void SetLocalPort(int port) override { port_ = port; }
  bool Listen() override {
    failure_ = Failure();
    listening_ = port_ > 0 && failure_.empty();
    return listening_;
  }
  std::string FailureReason() const override { return failure_; }
  int State() const override {
    return listening_ ? socket_state::kListening : socket_state::kClosed;
  }
  bool ListensOn(int port) const { return listening_ && port_ == port; }

 private:
  std::string Failure() const {
    if (network_.privileged != nullptr && (port_ == 80 || port_ == 443)) {
      auto had = port_ == 80 ? network_.privileged->ListenOnPort80()
                             : network_.privileged->ListenOnPort443();
      if (!had.error.empty()) return had.error;
    }
    bool fails = !network_.listenFailure.empty() &&
                 (network_.listenFailurePort == 0 || network_.listenFailurePort == port_);
    return fails ? network_.listenFailure : "";
  }
  FakeNetwork& network_;
  int port_ = 0;
  bool listening_ = false;
  std::string failure_;
};

class FakeConnection : public ConnectionSocket {
 public:
  explicit FakeConnection(FakeNetwork& network) : network_(network) {
    network_.connections_.push_back(this);
  }
  ~FakeConnection() override {
    Close();
    auto& all = network_.connections_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
  }
  int State() const override {
    if (client_ < 0) return socket_state::kClosed;
    return network_.clients_.at(client_).closedByBrowser ? socket_state::kClosing
                                                         : socket_state::kConnected;
  }
  void Close() override {
    if (client_ < 0) return;
    auto it = network_.clients_.find(client_);
    it->second.closedByServer = true;
    it->second.server = nullptr;
    if (it->second.forgotten) network_.clients_.erase(it);
    client_ = -1;
    inbox_.clear();
    sending_ = false;
  }
  bool Accept(std::int32_t requestId) override {
    auto it = network_.clients_.find(requestId);
    if (requestId != network_.pending_ || it == network_.clients_.end() || it->second.server ||
        it->second.closedByServer) {
      return false;
    }
    Close();
    client_ = requestId;
    it->second.server = this;
    return true;
  }
  std::string GetData() override { return std::exchange(inbox_, {}); }
  void SendData(const std::string& bytes) override {
    if (client_ < 0) return;
    network_.clients_.at(client_).received += bytes;
    sending_ = true;
  }

  void Deliver(const std::string& bytes) {
    inbox_ += bytes;
    if (onDataArrival) onDataArrival(static_cast<std::int32_t>(inbox_.size()));
  }
  bool TakeSendCompletion() { return std::exchange(sending_, false); }

 private:
  FakeNetwork& network_;
  int client_ = -1;
  std::string inbox_;
  bool sending_ = false;
};

std::unique_ptr<ListenSocket> FakeNetwork::CreateListener() {
  return std::make_unique<FakeListener>(*this);
}

std::unique_ptr<ConnectionSocket> FakeNetwork::CreateConnection() {
  return std::make_unique<FakeConnection>(*this);
}

int FakeNetwork::Listeners() const {
  return static_cast<int>(std::count_if(listeners_.begin(), listeners_.end(), [](auto* l) {
    return l->State() == socket_state::kListening;
  }));
}

int FakeNetwork::Connect(int port) {
  auto listener = std::find_if(listeners_.begin(), listeners_.end(),
                               [port](auto* l) { return l->ListensOn(port); });
  if (listener == listeners_.end()) return -1;
  const int id = nextClient_++;
  clients_[id] = {};
  pending_ = id;
  if ((*listener)->onConnectionRequest) (*listener)->onConnectionRequest(id);
  pending_ = -1;
  // A request nobody accepted is dropped, as the socket control drops it.
  if (!clients_[id].server) clients_[id].closedByServer = true;
  return id;
}

void FakeNetwork::Send(int client, const std::string& bytes) {
  auto& c = clients_.at(client);
  if (c.server && !bytes.empty()) c.server->Deliver(bytes);
}

void FakeNetwork::CompleteSends() {
  // Copied: a completion closes its slot, which may change the list.
  std::vector<FakeConnection*> all = connections_;
  for (auto* connection : all) {
    if (std::find(connections_.begin(), connections_.end(), connection) == connections_.end())
      continue;
    if (connection->TakeSendCompletion() && connection->onSendComplete)
      connection->onSendComplete();
  }
}

void FakeNetwork::CloseFromBrowser(int client) { clients_.at(client).closedByBrowser = true; }

void FakeNetwork::Forget(int client) {
  auto it = clients_.find(client);
  if (it == clients_.end()) return;
  it->second.closedByBrowser = true;
  it->second.forgotten = true;
  if (!it->second.server) clients_.erase(it);
}

}  // namespace quorlen
