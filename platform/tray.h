#pragma once

#include <functional>
#include <string>

namespace quorlen {

// The tray record as the program fills it. The shell sees the icon key and the tip; the
// other fields keep the values the Windows shell was given, so tests can check them.
struct TrayRecord {
  int cbSize = 88;
  int uID = 1;
  int uFlags = 7;              // message, icon and tip
  int uCallbackMessage = 512;  // the window's mouse-move message
  std::string icon;            // "picOn" or "frmMain": which picture the icon shows
  std::string szTip;           // 64 characters at most
};

// Mouse messages the tray icon reports through its callback.
namespace tray_message {
inline constexpr int kMouseMove = 512;
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kRightButtonUp = 517;
}  // namespace tray_message

// The notification-area icon. Requests answer like Shell_NotifyIcon: true on success. The
// tray menu belongs to the icon, and the tray opens it on a right click by itself.
class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // NIM_ADD. For an icon already shown it answers false but takes the record, as the
  // shells the program was made for did: a hide after a mouse-over shows its stored tip.
  virtual bool Add(const TrayRecord& record) = 0;
  virtual bool Modify(const TrayRecord& record) = 0;  // NIM_MODIFY
  virtual bool Delete() = 0;                          // NIM_DELETE
  // Whether the desktop has a notification area now. One can come later (a panel
  // started, a desktop extension switched on) and go again.
  virtual bool Available() = 0;

  // The icon's callback: one of the tray_message numbers.
  std::function<void(int message)> onMessage;
  // Told when a notification area comes or goes.
  std::function<void()> onAvailabilityChanged;
};

}  // namespace quorlen
