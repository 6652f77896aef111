#include "platform/qt/text_codec.h"

#include "core/text.h"

namespace quorlen {

QString FromSingleByte(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    out.append(QChar(static_cast<char16_t>(SingleByteToUnicode(static_cast<unsigned char>(c)))));
  }
  return out;
}

std::string ToSingleByte(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) out.push_back(UnicodeToSingleByte(ch.unicode()));
  return out;
}

QString PathFromBytes(const std::string& path) { return QString::fromLocal8Bit(path); }

}  // namespace quorlen
