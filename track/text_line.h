#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace stravener {

// One line of a track file's text, built without printf: the numbers come from
// std::to_chars, which never looks at the locale. Fixed(value, n) gives the digits of
// printf's "%.nf" in the "C" locale, correctly rounded from the double's exact value, ties
// to even, negative zero as "-0.000000". The fields of a track point are bounded, so a line
// stays far below the capacity; text beyond it is cut off rather than overrun.
class TextLine {
 public:
  static constexpr size_t kCapacity = 512;

  TextLine() = default;
  // A copy would point into the text of the line it was copied from.
  TextLine(const TextLine&) = delete;
  TextLine& operator=(const TextLine&) = delete;

  TextLine& Text(std::string_view text) {
    const size_t room = static_cast<size_t>(text_ + kCapacity - end_);
    const size_t size = text.size() < room ? text.size() : room;
    std::memcpy(end_, text.data(), size);
    end_ += size;
    return *this;
  }
  TextLine& Char(char c) {
    if (end_ < text_ + kCapacity) *end_++ = c;
    return *this;
  }
  TextLine& Fixed(double value, int decimals) {
    const std::to_chars_result result =
        std::to_chars(end_, text_ + kCapacity, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) end_ = result.ptr;
    return *this;
  }
  // printf's "%d".
  TextLine& Int(int64_t value) {
    const std::to_chars_result result = std::to_chars(end_, text_ + kCapacity, value);
    if (result.ec == std::errc()) end_ = result.ptr;
    return *this;
  }
  // printf's "%02d" of a value that is not negative.
  TextLine& TwoDigits(unsigned value) {
    if (value >= 100 || end_ + 2 > text_ + kCapacity) return Int(value);
    *end_++ = static_cast<char>('0' + value / 10);
    *end_++ = static_cast<char>('0' + value % 10);
    return *this;
  }

  const char* data() const { return text_; }
  size_t size() const { return static_cast<size_t>(end_ - text_); }
  std::string_view View() const { return {text_, size()}; }

 private:
  char text_[kCapacity];
  char* end_ = text_;
};

}  // namespace stravener
