#pragma once

#include <QIcon>
#include <string>

namespace quorlen {

// The program's own 16 x 16 menu images, drawn once under their keys ("save", "stop",
// "sendinfo", "palette", "network", "help", "checklist", "quorlen", "gear", "graph",
// "block"). Light grey (C0C0C0) is the transparent colour, as in the image list.
QIcon MenuImage(const std::string& key);

// The program's icon: the tray, the windows and the "blocking is on" picture.
QIcon ProgramIcon();

}  // namespace quorlen
