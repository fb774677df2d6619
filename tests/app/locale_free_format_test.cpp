// The locale-free formatter against the C library's own printf in the "C" locale (both
// round correctly, so they must agree byte for byte), and under a Polish locale.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/locale_free_format.h"
#include "support/scoped_locale.h"

using namespace stravener;

namespace {

STRAVENER_PRINTF_FORMAT(1, 2) std::string Ours(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLocaleFree(format, args);
  va_end(args);
  return text;
}

STRAVENER_PRINTF_FORMAT(1, 2) std::string Library(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[2048];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string("(failed)") : std::string(buffer, static_cast<size_t>(n));
}

// The formats are not literals here, so the compiler cannot check them: each takes one double.
std::string OursOne(const std::string& format, double value) { return Ours(format.c_str(), value); }
std::string LibraryOne(const std::string& format, double value) { return Library(format.c_str(), value); }

}  // namespace

TEST(LocaleFreeFormatTest, FloatingConversionsMatchTheCLibraryInTheCLocale) {
  const std::vector<std::string> formats = {
      "%f",     "%.0f",    "%.1f",   "%.2f",  "%.3f",   "%.10f",  "%10.4f", "%-10.2f|", "%+f",   "% f",
      "%010.3f", "%+010.1f", "%#.0f", "%F",    "%e",     "%.0e",   "%.2e",   "%E",       "%12.3e", "%-12.3e|",
      "%#.0e",  "%g",      "%.0g",   "%.1g",  "%.3g",   "%.10g",  "%#g",    "%#.3g",    "%G",     "%12g",
      "%-12g|", "%012g",   "%4.6f",  "%5.7f", "%3.1f"};
  const std::vector<double> values = {0.0,          -0.0,        0.5,        1.5,       2.5,      0.125,
                                      0.375,        -1.05,       52.225,     -151.2152967, 38854.4309028, 1e-5,
                                      0.0001,       0.000123456, 123456.789, 100000.0,  1000000.0, 1e15,
                                      9.9999999,    99.5,        0.05,       5e-324,    1e300,    -2.5e-7,
                                      1.7976931348623157e308};
  for (const std::string& format : formats) {
    for (double value : values) {
      EXPECT_EQ(OursOne(format, value), LibraryOne(format, value)) << format << " of " << value;
    }
  }
}

TEST(LocaleFreeFormatTest, RoundingIsToTheNearestWithTiesToEven) {
  // Exactly representable halves: the even neighbour wins, as in every correct printf.
  EXPECT_EQ(Ours("%.2f %.2f %.0f %.0f %.0f", 0.125, 0.375, 0.5, 1.5, 2.5), "0.12 0.38 0 2 2");
  // Not exactly representable: the binary value decides (1.005 is 1.00499999...).
  EXPECT_EQ(Ours("%.2f %.1f", 1.005, 0.05), "1.00 0.1");
  EXPECT_EQ(Ours("%4.6f,%5.7f", 52.225, 38854.4309028), "52.225000,38854.4309028");
}

TEST(LocaleFreeFormatTest, InfinitiesAndNotANumber) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Ours("%f|%F|%e|%g", inf, inf, -inf, -inf), "inf|INF|-inf|-inf");
  EXPECT_EQ(Ours("%f|%G|%+f", nan, nan, inf), "nan|NAN|+inf");
  // The zero flag does not pad them with zeros.
  EXPECT_EQ(Ours("%06f|%-6f|", inf, -inf), "   inf|-inf  |");
}

TEST(LocaleFreeFormatTest, OtherConversionsTakeTheirArgumentsInOrder) {
  const unsigned char small = 200;
  const long long big = -1234567890123LL;
  const size_t size = 4000000000u;
  EXPECT_EQ(Ours("%hhu|%lld|%s|%zu|%d|%c|%%|%5.2f", small, big, "ab", size, -7, 'x', 3.14159),
            "200|-1234567890123|ab|4000000000|-7|x|%| 3.14");
  EXPECT_EQ(Ours("%hhu %hd %ld %lu %jd %td", 300, 70000, -5L, 7UL, static_cast<intmax_t>(-9), static_cast<ptrdiff_t>(3)),
            Library("%hhu %hd %ld %lu %jd %td", 300, 70000, -5L, 7UL, static_cast<intmax_t>(-9), static_cast<ptrdiff_t>(3)));
  EXPECT_EQ(Ours("[%5d][%-5d][%05d][%+d][% d][%.3d]", 42, 42, -42, 42, 42, 7), "[   42][42   ][-0042][+42][ 42][007]");
  EXPECT_EQ(Ours("[%x][%#x][%08X][%o][%#o][%02X]", 255u, 255u, 0xBEEFu, 8u, 8u, 0x0Au),
            "[ff][0xff][0000BEEF][10][010][0A]");
  EXPECT_EQ(Ours("[%5s][%-5s][%.2s]", "ab", "ab", "abcdef"), "[   ab][ab   ][ab]");
  // Widths and precisions from the arguments; a negative width means left-justified.
  EXPECT_EQ(Ours("[%*d][%*d][%.*f][%*.*f]", 4, 1, -4, 1, 2, 2.0, 7, 1, 0.25), "[   1][1   ][2.00][    0.2]");
  const std::string big1000(1000, 'y');
  EXPECT_EQ(Ours("<%s>", big1000.c_str()), "<" + big1000 + ">");
}

TEST(LocaleFreeFormatTest, NothingIsWrittenThroughPercentN) {
  int target = 12345;
  EXPECT_EQ(Ours("ab%ncd", &target), "abcd");
  EXPECT_EQ(target, 12345);
}

TEST(LocaleFreeFormatTest, APolishLocaleChangesNothing) {
  ScopedLocale polish(kPolishLocale);
  if (!polish.Active()) GTEST_SKIP() << "the locale " << kPolishLocale << " is not there on this machine";
  ASSERT_EQ(Library("%.1f", 1.5), "1,5") << "the locale should write a decimal comma";
  EXPECT_EQ(Ours("%4.6f,%5.7f,%3.1f,%g,%e", 52.225, 38854.4309028, 99.5, 0.5, 1.5),
            "52.225000,38854.4309028,99.5,0.5,1.500000e+00");
  // FormatText itself, whichever way the platform takes.
  EXPECT_EQ(FormatText("%.2f|%5.1f|%g", -0.125, 2.25, 1e-5), "-0.12|  2.2|1e-05");
}
