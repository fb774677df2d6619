#pragma once

#include <cstddef>
#include <string_view>

namespace stravener::cli {

// Help texts made of pieces at compile time, so that an option's texts are constants like
// the ones written out: a command defined in another file copies them at start-up, in
// whatever order the files' constants are made.

// Where a text's pieces go: counted only, or also copied into `out`.
class TextSink {
 public:
  constexpr explicit TextSink(char* out) : out_(out) {}
  constexpr TextSink& operator<<(std::string_view piece) {
    for (const char c : piece) {
      if (out_ != nullptr) out_[size_] = c;
      ++size_;
    }
    return *this;
  }
  constexpr size_t Size() const { return size_; }

 private:
  char* out_;
  size_t size_ = 0;
};

template <size_t N>
struct ComposedText {
  char text[N];
};

// The text `compose` (a function of a TextSink&, run twice: to count, then to copy) writes,
// zero-ended.
template <auto compose>
constexpr auto ComposeText() {
  constexpr size_t size = [] {
    TextSink counter(nullptr);
    compose(counter);
    return counter.Size();
  }();
  ComposedText<size + 1> composed{};
  TextSink sink(composed.text);
  compose(sink);
  return composed;
}

}  // namespace stravener::cli
