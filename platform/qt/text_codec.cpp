#include "platform/qt/text_codec.h"

#include "core/text.h"

namespace quorlen {

QString FromSingleByte(const std::string& text) {
  // Written in place: status texts can run to megabytes.
  QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  char16_t* to = reinterpret_cast<char16_t*>(out.data());
  for (char c : text)
    *to++ = static_cast<char16_t>(SingleByteToUnicode(static_cast<unsigned char>(c)));
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
