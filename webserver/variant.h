#pragma once

#include <string>
#include <variant>

namespace quorlen {

// A value of the ring buffers: empty, a text or a number. The records the program keeps
// are texts; the other kinds exist because the buffer takes any value.
class Variant {
 public:
  Variant() = default;
  Variant(std::string text) : value_(std::move(text)) {}    // NOLINT: converts like the language
  Variant(const char* text) : value_(std::string(text)) {}  // NOLINT
  Variant(double number) : value_(number) {}                // NOLINT

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  // Compared with the empty value, an empty text and the number zero are equal to it.
  bool EqualsEmpty() const;
  // The value as text: empty for the empty value, numbers in their shortest form.
  std::string ToString() const;

  bool operator==(const Variant& other) const { return value_ == other.value_; }

 private:
  std::variant<std::monostate, std::string, double> value_;
};

}  // namespace quorlen
