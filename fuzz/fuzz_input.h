#pragma once

// The bytes of one fuzz input, taken from the front as a target needs them. Past the end
// every Take gives zeros or nothing, so any input, even an empty one, is a complete one.
// FuzzSeed writes inputs in the same order for the seed corpora.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace stravener::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Remaining() const { return size_ - at_; }
  bool Empty() const { return at_ == size_; }

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Little-endian.
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
  }
  uint32_t Long() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
  }
  // Up to `count` bytes (fewer at the end).
  std::vector<uint8_t> Bytes(size_t count) {
    count = std::min(count, Remaining());
    std::vector<uint8_t> bytes(data_ + at_, data_ + at_ + count);
    at_ += count;
    return bytes;
  }
  // A block of bytes preceded by its one-byte length.
  std::vector<uint8_t> Chunk() { return Bytes(Byte()); }
  std::vector<uint8_t> Rest() { return Bytes(Remaining()); }
  std::string Text(size_t count) {
    const std::vector<uint8_t> bytes = Bytes(count);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

class FuzzSeed {
 public:
  FuzzSeed& Byte(uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  FuzzSeed& Word(uint16_t value) {
    Byte(static_cast<uint8_t>(value));
    return Byte(static_cast<uint8_t>(value >> 8));
  }
  FuzzSeed& Long(uint32_t value) {
    Word(static_cast<uint16_t>(value));
    return Word(static_cast<uint16_t>(value >> 16));
  }
  template <typename Container>
  FuzzSeed& Bytes(const Container& bytes) {
    bytes_.insert(bytes_.end(), std::begin(bytes), std::end(bytes));
    return *this;
  }
  // A block of at most 255 bytes preceded by its length.
  template <typename Container>
  FuzzSeed& Chunk(const Container& bytes) {
    const size_t count = std::min<size_t>(std::size(bytes), 255);
    Byte(static_cast<uint8_t>(count));
    bytes_.insert(bytes_.end(), std::begin(bytes), std::begin(bytes) + static_cast<std::ptrdiff_t>(count));
    return *this;
  }
  FuzzSeed& Text(const std::string& text) { return Bytes(text); }

  const std::vector<uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace stravener::fuzz
