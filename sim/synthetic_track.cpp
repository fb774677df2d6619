#include "sim/synthetic_track.h"

#include <algorithm>
#include <cmath>

namespace stravener::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Days from 1970-01-01 to 1980-01-06.
constexpr int64_t kGpsEpochDays = 3657;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

// A small, fully specified generator, so the track is the same on every platform.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [0, 1).
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
  double Range(double low, double high) { return low + (high - low) * Unit(); }

 private:
  uint32_t state_;
};

void PutLittle16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void PutBig32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value >> 24);
  out[1] = static_cast<uint8_t>(value >> 16);
  out[2] = static_cast<uint8_t>(value >> 8);
  out[3] = static_cast<uint8_t>(value);
}

// Degrees, whole minutes and the 0.0001-minute fraction with the sign in bit 15.
void PutLayout1Coordinate(uint8_t* out, double value) {
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  int64_t tenThousandths = std::llround(magnitude * 60.0 * 10000.0);
  const int degrees = static_cast<int>(tenThousandths / (60 * 10000));
  tenThousandths -= static_cast<int64_t>(degrees) * 60 * 10000;
  const int minutes = static_cast<int>(tenThousandths / 10000);
  const int fraction = static_cast<int>(tenThousandths % 10000);
  out[0] = static_cast<uint8_t>(degrees);
  out[1] = static_cast<uint8_t>(minutes);
  PutLittle16(out + 2, static_cast<uint16_t>(fraction | (negative ? 0x8000 : 0)));
}

uint32_t Layout2Units(double degrees) {
  const double units = std::round(degrees * (2147483648.0 / 180.0));
  const double clamped = std::clamp(units, -2147483648.0, 2147483647.0);
  return static_cast<uint32_t>(static_cast<int32_t>(clamped));
}

}  // namespace

CivilTime CivilFromGpsSeconds(uint32_t gpsSeconds) {
  CivilTime t{};
  const int64_t days = gpsSeconds / 86400 + kGpsEpochDays;
  const uint32_t ofDay = gpsSeconds % 86400;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(ofDay / 3600);
  t.minute = static_cast<int>(ofDay % 3600 / 60);
  t.second = static_cast<int>(ofDay % 60);
  return t;
}

uint32_t GpsSecondsFromCivil(const CivilTime& t) {
  const int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
                       kGpsEpochDays;
  return static_cast<uint32_t>(days * 86400 + t.hour * 3600 + t.minute * 60 + t.second);
}

std::array<uint8_t, 16> EncodeLayout1(const SyntheticPoint& point) {
  std::array<uint8_t, 16> r{};
  const CivilTime t = CivilFromGpsSeconds(point.gpsSeconds);
  r[0] = static_cast<uint8_t>((point.satellites & 0x0F) | (point.fix3d ? 0x10 : 0));
  r[1] = point.hdop;
  PutLittle16(&r[2], static_cast<uint16_t>((t.day & 0x1F) | ((t.month & 0x0F) << 5) | (((t.year - 2000) & 0x7F) << 9)));
  PutLittle16(&r[4], static_cast<uint16_t>((t.hour & 0x1F) | ((t.minute & 0x3F) << 5) | (((t.second / 2) & 0x1F) << 11)));
  PutLayout1Coordinate(&r[6], point.latitude);
  PutLayout1Coordinate(&r[10], point.longitude);
  PutLittle16(&r[14], static_cast<uint16_t>(static_cast<int16_t>(point.altitude)));
  return r;
}

std::array<uint8_t, 16> EncodeLayout2(const SyntheticPoint& point) {
  std::array<uint8_t, 16> r{};
  r[0] = static_cast<uint8_t>((point.segmentStart ? 0x01 : 0) | (point.fix3d ? 0x02 : 0) |
                              ((point.satellites & 0x0F) << 4));
  r[1] = point.hdop;
  PutBig32(&r[2], point.gpsSeconds);
  PutBig32(&r[6], Layout2Units(point.latitude));
  PutBig32(&r[10], Layout2Units(point.longitude));
  PutLittle16(&r[14], static_cast<uint16_t>(static_cast<int16_t>(point.altitude)));
  return r;
}

std::vector<SyntheticPoint> MakeSyntheticPoints(const SyntheticTrackOptions& options) {
  Random random(options.seed);
  std::vector<SyntheticPoint> points;
  points.reserve(options.points);
  uint32_t seconds = options.startGpsSeconds != 0 ? options.startGpsSeconds
                                                  : GpsSecondsFromCivil(CivilTime{2026, 6, 20, 6, 0, 0});
  double latitude = options.startLatitude;
  double longitude = options.startLongitude;
  double heading = random.Range(0, 2 * kPi);
  double speed = 8.0;  // metres per second
  double targetSpeed = 8.0;
  double altitude = 35.0;
  double climb = -0.02;  // metres per metre travelled
  int satellites = 8;
  int hdop = 12;
  uint32_t untilBreak = 600 + random.Next() % 900;
  bool segmentStart = true;

  for (uint32_t i = 0; i < options.points; ++i) {
    SyntheticPoint p;
    p.latitude = latitude;
    p.longitude = longitude;
    p.altitude = static_cast<int>(std::lround(altitude));
    p.gpsSeconds = seconds;
    p.satellites = static_cast<uint8_t>(satellites);
    p.hdop = static_cast<uint8_t>(hdop);
    p.fix3d = satellites >= 5;
    p.segmentStart = segmentStart;
    points.push_back(p);
    segmentStart = false;

    // The logger stores a fix every 2 s (layout 1 keeps only even seconds); now and then
    // the receiver loses the sky or the user pauses, and a new segment starts.
    uint32_t step = 2;
    if (--untilBreak == 0) {
      step = 2 * (90 + random.Next() % 600);
      untilBreak = 400 + random.Next() % 1200;
      segmentStart = true;
      targetSpeed = random.Range(1.2, 30.0);
    }
    seconds += step;

    if (random.Unit() < 0.01) targetSpeed = random.Range(1.2, 30.0);
    speed += (targetSpeed - speed) * 0.05;
    heading += random.Range(-0.08, 0.08);
    const double distance = speed * (step == 2 ? 2.0 : random.Range(0.0, 60.0));
    latitude += distance * std::cos(heading) / 111320.0;
    longitude += distance * std::sin(heading) / (111320.0 * std::cos(latitude * kPi / 180.0));
    latitude = std::clamp(latitude, -89.9, 89.9);
    if (longitude > 180.0) longitude -= 360.0;
    if (longitude < -180.0) longitude += 360.0;

    // Hills and a depression below sea level.
    if (random.Unit() < 0.004) climb = random.Range(-0.03, 0.03);
    altitude += climb * distance;
    if (altitude < -45.0) climb = std::fabs(climb);
    if (altitude > 1800.0) climb = -std::fabs(climb);

    if (random.Unit() < 0.05) satellites = std::clamp(satellites + (random.Next() % 3 == 0 ? -1 : 1) *
                                                                    (random.Unit() < 0.5 ? 1 : -1),
                                                      3, 12);
    hdop = std::clamp(8 + (12 - satellites) * 4 + static_cast<int>(random.Next() % 5), 6, 99);
  }
  return points;
}

std::vector<uint8_t> MakeSyntheticTrack(const SyntheticTrackOptions& options) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(options.points) * 16);
  for (const SyntheticPoint& p : MakeSyntheticPoints(options)) {
    const std::array<uint8_t, 16> record = options.layout == 1 ? EncodeLayout1(p) : EncodeLayout2(p);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

}  // namespace stravener::sim
