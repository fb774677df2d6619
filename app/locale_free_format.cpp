#include "app/locale_free_format.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <vector>

namespace stravener {

namespace {

// One conversion directive: %[flags][width][.precision][length]conversion.
struct Spec {
  bool left = false;     // '-'
  bool plus = false;     // '+'
  bool space = false;    // ' '
  bool alternate = false;  // '#'
  bool zero = false;     // '0'
  int width = 0;
  int precision = -1;    // -1: none given
  std::string_view length;  // "", "hh", "h", "l", "ll", "j", "z", "t", "L" (in the format)
  char conversion = 0;
};

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a directive that begins after '%'; `p` is left after its conversion
// character. Widths and precisions given as '*' are taken from the arguments.
bool ParseSpec(const char*& p, va_list& args, Spec& spec) {
  for (; IsFlag(*p); ++p) {
    switch (*p) {
      case '-': spec.left = true; break;
      case '+': spec.plus = true; break;
      case ' ': spec.space = true; break;
      case '#': spec.alternate = true; break;
      default: spec.zero = true; break;
    }
  }
  if (*p == '*') {
    const int width = va_arg(args, int);
    if (width < 0) {
      spec.left = true;
      spec.width = width == INT_MIN ? 0 : -width;
    } else {
      spec.width = width;
    }
    ++p;
  } else {
    for (; IsDigit(*p); ++p) {
      if (spec.width > 100000000) return false;
      spec.width = spec.width * 10 + (*p - '0');
    }
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      const int precision = va_arg(args, int);
      spec.precision = precision < 0 ? -1 : precision;
      ++p;
    } else {
      spec.precision = 0;
      for (; IsDigit(*p); ++p) {
        if (spec.precision > 100000000) return false;
        spec.precision = spec.precision * 10 + (*p - '0');
      }
    }
  }
  if ((p[0] == 'h' && p[1] == 'h') || (p[0] == 'l' && p[1] == 'l')) {
    spec.length = std::string_view(p, 2);
    p += 2;
  } else if (*p == 'h' || *p == 'l' || *p == 'j' || *p == 'z' || *p == 't' || *p == 'L') {
    spec.length = std::string_view(p, 1);
    ++p;
  }
  spec.conversion = *p;
  if (spec.conversion == '\0') return false;
  ++p;
  return true;
}

// The directive again as text, with the '*' values written in, for the C library.
std::string SpecText(const Spec& spec) {
  std::string text = "%";
  if (spec.left) text += '-';
  if (spec.plus) text += '+';
  if (spec.space) text += ' ';
  if (spec.alternate) text += '#';
  if (spec.zero) text += '0';
  if (spec.width > 0) text += std::to_string(spec.width);
  if (spec.precision >= 0) text += '.' + std::to_string(spec.precision);
  text += spec.length;
  text += spec.conversion;
  return text;
}

template <typename T>
void AppendOne(std::string& out, const Spec& spec, T value) {
  const std::string format = SpecText(spec);
  char small[128];
  const int needed = std::snprintf(small, sizeof small, format.c_str(), value);
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    out.append(small, static_cast<size_t>(needed));
    return;
  }
  std::vector<char> big(static_cast<size_t>(needed) + 1);
  std::snprintf(big.data(), big.size(), format.c_str(), value);
  out.append(big.data(), static_cast<size_t>(needed));
}

void AppendInteger(std::string& out, const Spec& spec, va_list& args) {
  const bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
  const std::string_view l = spec.length;
  if (isSigned) {
    if (l == "l") return AppendOne(out, spec, va_arg(args, long));
    if (l == "ll") return AppendOne(out, spec, va_arg(args, long long));
    if (l == "j") return AppendOne(out, spec, va_arg(args, intmax_t));
    if (l == "z") return AppendOne(out, spec, va_arg(args, ptrdiff_t));  // signed size_t
    if (l == "t") return AppendOne(out, spec, va_arg(args, ptrdiff_t));
    return AppendOne(out, spec, va_arg(args, int));  // also hh and h, promoted to int
  }
  if (l == "l") return AppendOne(out, spec, va_arg(args, unsigned long));
  if (l == "ll") return AppendOne(out, spec, va_arg(args, unsigned long long));
  if (l == "j") return AppendOne(out, spec, va_arg(args, uintmax_t));
  if (l == "z") return AppendOne(out, spec, va_arg(args, size_t));
  if (l == "t") return AppendOne(out, spec, va_arg(args, size_t));
  return AppendOne(out, spec, va_arg(args, unsigned int));
}

// The digits of a finite, non-negative value by the rules of %f, %e, %g or %a (without
// the sign, before width and flags); `alternate` is the '#' flag.
std::string FloatDigits(double value, char conversion, int precision, bool alternate) {
  const char lower = static_cast<char>(conversion | 0x20);
  std::vector<char> buffer(static_cast<size_t>(precision > 0 ? precision : 0) + 5000);
  auto write = [&](std::chars_format form, int digits) {
    const auto result = digits < 0 ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, form)
                                   : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, form, digits);
    return result.ec == std::errc() ? std::string(buffer.data(), result.ptr) : std::string();
  };
  // Where a point that '#' asks for goes: before the exponent, if there is one.
  auto insertPoint = [](std::string& text, char exponentMark) {
    if (text.find('.') != std::string::npos) return;
    const size_t mark = text.find(exponentMark);
    text.insert(mark == std::string::npos ? text.size() : mark, 1, '.');
  };
  std::string text;
  if (lower == 'a') {
    text = "0x" + write(std::chars_format::hex, precision);
    if (alternate) insertPoint(text, 'p');
  } else if (lower == 'f') {
    text = write(std::chars_format::fixed, precision < 0 ? 6 : precision);
    if (alternate) insertPoint(text, 'e');
  } else if (lower == 'e') {
    text = write(std::chars_format::scientific, precision < 0 ? 6 : precision);
    if (alternate) insertPoint(text, 'e');
  } else {
    // %g: P significant digits; the exponent X of the %e form chooses between the two
    // forms, and trailing zeros of the fraction go unless '#' keeps them.
    const int significant = precision < 0 ? 6 : (precision == 0 ? 1 : precision);
    const std::string scientific = write(std::chars_format::scientific, significant - 1);
    const size_t mark = scientific.find('e');
    const int exponent = mark == std::string::npos ? 0 : std::atoi(scientific.c_str() + mark + 1);
    text = exponent < significant && exponent >= -4 ? write(std::chars_format::fixed, significant - 1 - exponent)
                                                   : scientific;
    if (alternate) {
      insertPoint(text, 'e');
    } else {
      const size_t e = text.find('e');
      std::string mantissa = text.substr(0, e);
      const std::string tail = e == std::string::npos ? std::string() : text.substr(e);
      if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
      }
      text = mantissa + tail;
    }
  }
  if (conversion != lower) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

void AppendFloat(std::string& out, const Spec& spec, va_list& args) {
  // A long double is written with the precision of a double: to_chars would hand it to the
  // locale-dependent printf on some platforms.
  const double value =
      spec.length == "L" ? static_cast<double>(va_arg(args, long double)) : va_arg(args, double);
  const bool upper = spec.conversion >= 'A' && spec.conversion <= 'Z';
  std::string sign;
  if (std::signbit(value)) {
    sign = "-";
  } else if (spec.plus) {
    sign = "+";
  } else if (spec.space) {
    sign = " ";
  }
  const bool finite = std::isfinite(value);
  std::string body;
  if (finite) {
    body = FloatDigits(std::fabs(value), spec.conversion, spec.precision, spec.alternate);
  } else if (std::isnan(value)) {
    body = upper ? "NAN" : "nan";
  } else {
    body = upper ? "INF" : "inf";
  }
  const size_t length = sign.size() + body.size();
  const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
  if (length >= width) {
    out += sign;
    out += body;
  } else if (spec.left) {
    out += sign;
    out += body;
    out.append(width - length, ' ');
  } else if (spec.zero && finite) {
    // Zeros go between the sign (and a 0x prefix) and the digits.
    out += sign;
    const size_t prefix = body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X') ? 2 : 0;
    out.append(body, 0, prefix);
    out.append(width - length, '0');
    out.append(body, prefix, std::string::npos);
  } else {
    out.append(width - length, ' ');
    out += sign;
    out += body;
  }
}

}  // namespace

std::string FormatLocaleFree(const char* format, va_list args) {
  std::string out;
  if (format == nullptr) return out;
  va_list ap;
  va_copy(ap, args);
  const char* p = format;
  while (*p != '\0') {
    const char* percent = std::strchr(p, '%');
    if (percent == nullptr) {
      out.append(p);
      break;
    }
    out.append(p, static_cast<size_t>(percent - p));
    p = percent + 1;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    Spec spec;
    const char* start = percent;
    if (!ParseSpec(p, ap, spec)) {
      // A directive cut short or out of range is written as it stands.
      out.append(start);
      break;
    }
    switch (spec.conversion) {
      case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
        AppendInteger(out, spec, ap);
        break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        AppendFloat(out, spec, ap);
        break;
      case 'c':
        if (spec.length == "l") {
          AppendOne(out, spec, static_cast<wint_t>(va_arg(ap, int)));  // wint_t is promoted
        } else {
          AppendOne(out, spec, va_arg(ap, int));
        }
        break;
      case 's':
        if (spec.length == "l") {
          AppendOne(out, spec, va_arg(ap, const wchar_t*));
        } else {
          const char* text = va_arg(ap, const char*);
          AppendOne(out, spec, text != nullptr ? text : "(null)");
        }
        break;
      case 'p':
        AppendOne(out, spec, va_arg(ap, void*));
        break;
      case 'n':
        // Writing through a pointer from a format is never wanted here.
        (void)va_arg(ap, void*);
        break;
      default:
        // Not a conversion: written as it stands, and the rest with it.
        out.append(start);
        va_end(ap);
        return out;
    }
  }
  va_end(ap);
  return out;
}

}  // namespace stravener
