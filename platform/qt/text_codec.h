#pragma once

#include <QString>
#include <string>

namespace quorlen {

// The logic's text is Windows-1252 bytes; Qt's is Unicode. These convert at the border.
QString FromSingleByte(const std::string& text);
std::string ToSingleByte(const QString& text);
// File paths are the bytes the file system uses, so they pass through as local 8-bit.
QString PathFromBytes(const std::string& path);

}  // namespace quorlen
