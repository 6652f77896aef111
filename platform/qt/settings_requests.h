#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace quorlen {

// How a second start reaches the running program: the running copy listens on a local
// socket in the user's runtime folder, and a copy that finds the program running asks
// there for the settings window, as users of tray programs expect, instead of ending
// without a word. Only the user's own processes can reach the socket.
class SettingsRequests {
 public:
  explicit SettingsRequests(std::function<void()> showSettings);

  // Starts listening, taking over a socket a crashed copy left behind; false when that
  // is impossible. Only the one running copy may call it.
  bool Listen();
  // Asks the running copy to show its settings window; false when no copy answers.
  static bool AskRunningCopy();

 private:
  // "$XDG_RUNTIME_DIR/quorlen-settings", else a name of the user's own in the temp folder.
  static QString SocketName();

  QLocalServer server_;
  std::function<void()> showSettings_;
};

}  // namespace quorlen
