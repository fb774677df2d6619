// format_bench: how fast FormatText ({fmt}'s printf) writes a PLT point line, beside the
// C library's vsnprintf under a per-thread "C" locale (the engine FormatText had before) and
// the PLT writer's own line builder, in the same run on the same points.
//
//   build/bench/format_bench [--points N] [--rounds R]

#include <locale.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/language.h"
#include "track/plt_text.h"
#include "track/track_record.h"

namespace {

using namespace stravener;

constexpr char kPointFormat[] = "%4.6f,%4.6f,%d,%d,%5.7f,%02d-%s-%02d,%02d:%02d:%02d,%d,%d.%d,%s\r\n";
constexpr char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The engine FormatText had before: vsnprintf with the calling thread switched to "C".
std::string FormatWithCLibrary(const char* format, ...) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(c);
  char small[256];
  va_list args;
  va_start(args, format);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  uselocale(previous);
  return needed < 0 ? std::string() : std::string(small, static_cast<size_t>(needed));
}

std::vector<TrackPoint> SamplePoints(size_t count) {
  std::vector<TrackPoint> points(count);
  for (size_t i = 0; i < count; ++i) {
    TrackPoint& p = points[i];
    p.latitude = 52.2 + 0.00001 * static_cast<double>(i % 100000);
    p.longitude = 21.0 - 0.000013 * static_cast<double>(i % 70000);
    p.altitude = static_cast<int32_t>(80 + i % 300);
    p.stamp = TrackStamp{static_cast<uint8_t>(24 + i / 5000000), static_cast<uint8_t>(1 + i / 400000 % 12),
                         static_cast<uint8_t>(1 + i / 86400 % 28), static_cast<uint8_t>(i / 3600 % 24),
                         static_cast<uint8_t>(i / 60 % 60), static_cast<uint8_t>(i % 60)};
    p.satellites = static_cast<uint8_t>(4 + i % 9);
    p.hdop = static_cast<uint8_t>(8 + i % 40);
    p.fix3d = i % 7 != 0;
  }
  return points;
}

template <typename Line>
double SecondsFor(const std::vector<TrackPoint>& points, size_t& bytes, Line line) {
  const auto start = std::chrono::steady_clock::now();
  for (const TrackPoint& p : points) bytes += line(p);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 400000;
  int rounds = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--points") == 0) count = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
  }
  Language = kEnglish;
  const std::vector<TrackPoint> points = SamplePoints(count);
  const auto printfLine = [](auto format) {
    return [format](const TrackPoint& p) {
      const TrackStamp& s = p.stamp;
      return format(kPointFormat, p.latitude, p.longitude, p.segmentStart ? 1 : 0,
                    static_cast<int>(p.altitude * 3.2808399), DayNumber(s), s.day, kMonths[s.month - 1], s.year,
                    s.hour, s.minute, s.second, static_cast<int>(p.satellites), p.hdop / 10, p.hdop % 10,
                    p.fix3d ? "3D" : "2D")
          .size();
    };
  };
  const auto viaCLibrary = printfLine([](auto... a) { return FormatWithCLibrary(a...); });
  const auto viaFmt = printfLine([](auto... a) { return FormatText(a...); });
  const auto viaWriter = [](const TrackPoint& p) {
    TextLine line;
    WritePltPoint(line, p, p.segmentStart);
    return line.size();
  };
  // The three must write the same lines.
  for (size_t i = 0; i < std::min<size_t>(count, 1000); ++i) {
    TextLine line;
    WritePltPoint(line, points[i], points[i].segmentStart);
    const TrackPoint& p = points[i];
    const TrackStamp& s = p.stamp;
    const std::string a = FormatText(kPointFormat, p.latitude, p.longitude, 0, static_cast<int>(p.altitude * 3.2808399),
                                     DayNumber(s), s.day, kMonths[s.month - 1], s.year, s.hour, s.minute, s.second,
                                     static_cast<int>(p.satellites), p.hdop / 10, p.hdop % 10, p.fix3d ? "3D" : "2D");
    const std::string b = FormatWithCLibrary(kPointFormat, p.latitude, p.longitude, 0,
                                             static_cast<int>(p.altitude * 3.2808399), DayNumber(s), s.day,
                                             kMonths[s.month - 1], s.year, s.hour, s.minute, s.second,
                                             static_cast<int>(p.satellites), p.hdop / 10, p.hdop % 10,
                                             p.fix3d ? "3D" : "2D");
    if (a != b || a != std::string(line.data(), line.size())) {
      std::fprintf(stderr, "point %zu differs:\n  fmt     %s  C       %s  writer  %.*s", i, a.c_str(), b.c_str(),
                   static_cast<int>(line.size()), line.data());
      return 1;
    }
  }
  std::printf("%zu PLT point lines, %d rounds (best round of each; rounds interleaved)\n", count, rounds);
  double best[3] = {1e9, 1e9, 1e9};
  size_t bytes = 0;
  for (int r = 0; r < rounds; ++r) {
    best[0] = std::min(best[0], SecondsFor(points, bytes, viaCLibrary));
    best[1] = std::min(best[1], SecondsFor(points, bytes, viaFmt));
    best[2] = std::min(best[2], SecondsFor(points, bytes, viaWriter));
  }
  std::printf("vsnprintf, C locale (old FormatText)  %8.3f s  %6.0f ns/line\n", best[0], best[0] / count * 1e9);
  std::printf("fmt::sprintf (FormatText)             %8.3f s  %6.0f ns/line  ratio to old %.2f\n", best[1],
              best[1] / count * 1e9, best[1] / best[0]);
  std::printf("PLT writer's line builder             %8.3f s  %6.0f ns/line  ratio to old %.2f\n", best[2],
              best[2] / count * 1e9, best[2] / best[0]);
  std::printf("(%zu bytes)\n", bytes);
  return 0;
}
