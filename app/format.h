#pragma once

#include <fmt/printf.h>

#include <string>
#include <type_traits>

// Lets the compiler check printf formats against their arguments, with the C99 rules
// (%zu, %lld, %hhu) also where the C library is Microsoft's: the formatting is {fmt}'s.
#if defined(__clang__)
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument) [[gnu::format(printf, formatIndex, firstArgument)]]
#elif defined(__GNUC__)
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument) [[gnu::format(gnu_printf, formatIndex, firstArgument)]]
#else
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace stravener {

// printf-style formatting that never depends on the C locale ({fmt}'s printf never asks
// it): a desktop toolkit sets the locale from the environment, and under a Polish locale
// the C library's "%f" would write a decimal comma. The result has no length limit. A
// width or precision on "%s" counts characters (UTF-8 code points) where the C library
// counts bytes: the same for the ASCII texts that are given one. A null format gives the
// empty text, and so does a format that does not fit its arguments (which the compiler
// checks for every text pair).
template <typename... Args>
std::string FormatText(const char* format, const Args&... args);

// Does nothing at run time. A text pair's two members are printf formats for the same
// arguments; calling this with each member lets the compiler check both of them, although
// only the one of the current language is used.
STRAVENER_PRINTF_FORMAT(1, 2) inline void CheckFormat(const char*, ...) {}

// PickText, but an empty text instead of nullptr for a language other than 0 and 1.
const char* PickTextOrEmpty(const char* polish, const char* english);

namespace format_detail {

// The argument types whose conversions print as the C library prints them: text, and numbers
// but for char, signed char, short and bool, which {fmt} does not widen as C's varargs do (a
// negative char under "%x" would give two digits instead of eight). Enumerations, other
// pointers and objects are refused as well.
template <typename T>
constexpr bool kPrintsAsInC =
    std::is_same_v<T, const char*> || std::is_same_v<T, char*> ||
    (std::is_array_v<T> && std::is_same_v<std::remove_cv_t<std::remove_extent_t<T>>, char>) ||
    (std::is_arithmetic_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, signed char> &&
     !std::is_same_v<T, short> && !std::is_same_v<T, bool>);

std::string FormatPrintfArgs(const char* format, fmt::printf_args args);

}  // namespace format_detail

template <typename... Args>
std::string FormatText(const char* format, const Args&... args) {
  static_assert((format_detail::kPrintsAsInC<Args> && ...),
                "an argument that printf conversions could print otherwise than the C library");
  return format_detail::FormatPrintfArgs(format, fmt::make_printf_args(args...));
}

}  // namespace stravener

// The current language's member of a pair of printf formats, after the compiler has
// checked both members against the arguments.
#define STRAVENER_CHECK_PAIR(polish, english, ...)                         \
  do {                                                                     \
    if (false) {                                                           \
      ::stravener::CheckFormat(polish __VA_OPT__(, ) __VA_ARGS__);         \
      ::stravener::CheckFormat(english __VA_OPT__(, ) __VA_ARGS__);        \
    }                                                                      \
  } while (0)

// Formats a text pair in the current language into a std::string.
#define FORMAT_PAIR(polish, english, ...)                                          \
  ([&]() {                                                                         \
    STRAVENER_CHECK_PAIR(polish, english __VA_OPT__(, ) __VA_ARGS__);              \
    return ::stravener::FormatText(::stravener::PickTextOrEmpty((polish), (english)) \
                                       __VA_OPT__(, ) __VA_ARGS__);                \
  }())
