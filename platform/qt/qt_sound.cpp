#include "platform/qt/qt_sound.h"

#include <QFileInfo>
#include <QUrl>

#include "platform/qt/text_codec.h"

namespace quorlen {

void QtSound::PlayAsync(const std::string& file) {
  QString path = PathFromBytes(file);
  if (!QFileInfo(path).isFile()) return;
  effect_.stop();
  effect_.setSource(QUrl::fromLocalFile(path));
  effect_.play();
}

}  // namespace quorlen
