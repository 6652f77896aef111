#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quorlen::update {

// The vendor site signs each of its list files with Ed25519: beside "zshared/domains.txt"
// lies "zshared/domains.txt.sig", the 64-byte signature of the file's exact bytes. Only the
// site's public key is built into the program, so a list made up by a hostile network or
// server is refused, whatever it says and however it came. The original took whatever
// came over plain HTTP; this knowingly departs from it.
inline constexpr std::string_view kSignatureSuffix = ".sig";

class SiteKey {
 public:
  static constexpr std::size_t kKeyBytes = 32;
  static constexpr std::size_t kSignatureBytes = 64;

  // The public key as 64 hexadecimal digits (as site/make-site.py prints it); nothing for
  // anything else.
  static constexpr std::optional<SiteKey> FromHex(std::string_view hex) {
    if (hex.size() != 2 * kKeyBytes) return std::nullopt;
    SiteKey key;
    for (std::size_t i = 0; i < kKeyBytes; ++i) {
      const int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
      if (high < 0 || low < 0) return std::nullopt;
      key.key_[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return key;
  }

  // True only when `signature` is this key's signature of exactly `text`.
  bool Signed(std::string_view text, std::string_view signature) const;

 private:
  static constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  std::array<unsigned char, kKeyBytes> key_{};
};

}  // namespace quorlen::update
