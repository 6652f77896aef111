#include "webserver/variant.h"

#include <charconv>

namespace quorlen {

bool Variant::EqualsEmpty() const {
  if (IsEmpty()) return true;
  if (const auto* text = std::get_if<std::string>(&value_)) return text->empty();
  return std::get<double>(value_) == 0.0;
}

std::string Variant::ToString() const {
  if (const auto* text = std::get_if<std::string>(&value_)) return *text;
  if (IsEmpty()) return {};
  char digits[32];
  auto result = std::to_chars(digits, digits + sizeof digits, std::get<double>(value_));
  return std::string(digits, result.ptr);
}

}  // namespace quorlen
