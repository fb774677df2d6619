#pragma once

#include <cstdarg>
#include <string>

// Lets the compiler check printf formats against their arguments, with the C99 rules
// (%zu, %lld, %hhu) also where the C library is Microsoft's: the formatting is ours.
#if defined(__clang__)
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument) [[gnu::format(printf, formatIndex, firstArgument)]]
#elif defined(__GNUC__)
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument) [[gnu::format(gnu_printf, formatIndex, firstArgument)]]
#else
#define STRAVENER_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace stravener {

// printf-style formatting that never depends on the C locale: a desktop toolkit sets the
// locale from the environment, and under a Polish locale "%f" would write a decimal comma.
// The result has no length limit.
STRAVENER_PRINTF_FORMAT(1, 2) std::string FormatText(const char* format, ...);
std::string FormatTextV(const char* format, va_list args);

// Does nothing at run time. A text pair's two members are printf formats for the same
// arguments; calling this with each member lets the compiler check both of them, although
// only the one of the current language is used.
STRAVENER_PRINTF_FORMAT(1, 2) inline void CheckFormat(const char*, ...) {}

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

namespace stravener {
// PickText, but an empty text instead of nullptr for a language other than 0 and 1.
const char* PickTextOrEmpty(const char* polish, const char* english);
}  // namespace stravener
