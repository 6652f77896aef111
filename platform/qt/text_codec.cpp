#include "platform/qt/text_codec.h"

#include <array>

namespace quorlen {

namespace {

// The characters of Windows-1252 in the range 0x80 to 0x9F; the rest is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString FromSingleByte(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0x9F) {
      out.append(QChar(kHighControls[b - 0x80]));
    } else {
      out.append(QChar(static_cast<char16_t>(b)));
    }
  }
  return out;
}

std::string ToSingleByte(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (size_t i = 0; i < kHighControls.size(); ++i) {
      if (kHighControls[i] == u) mapped = static_cast<char>(0x80 + i);
    }
    out.push_back(mapped);
  }
  return out;
}

QString PathFromBytes(const std::string& path) { return QString::fromLocal8Bit(path); }

}  // namespace quorlen
