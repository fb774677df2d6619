#pragma once

#include <cstdarg>
#include <string>

namespace stravener {

// printf formatting in the "C" locale whatever the process's locale is: every floating
// conversion (%f %F %e %E %g %G %a %A) is written with std::to_chars and its flags, width
// and precision applied here; every other conversion goes through the C library one at a
// time (integers, characters and strings do not depend on the locale there). Used where
// the C library has no per-thread locale to switch to (Windows); the results are those of
// the standard rules: correctly rounded, ties to even. A long double is written with the
// precision of a double; %n writes nothing.
std::string FormatLocaleFree(const char* format, va_list args);

}  // namespace stravener
