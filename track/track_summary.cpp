#include "track/track_summary.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"
#include "app/language.h"

namespace stravener {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr size_t kDaysPerYearField = 12 * 31;
constexpr size_t kDayBits = 256 * kDaysPerYearField;
// More days than this are given as their count, the first and the last.
constexpr size_t kDaysListed = 7;

size_t DayBit(const TrackStamp& stamp) {
  return static_cast<size_t>(stamp.year) * kDaysPerYearField + static_cast<size_t>(stamp.month - 1) * 31 +
         static_cast<size_t>(stamp.day - 1);
}

std::string DateText(const TrackStamp& s) { return FormatText("%d-%02d-%02d", 2000 + s.year, s.month, s.day); }

std::string StampText(const TrackStamp& s) {
  return DateText(s) + FormatText(" %02d:%02d:%02d", s.hour, s.minute, s.second);
}

// A decimal number as the language writes it: a decimal comma in Polish.
std::string DecimalText(double value, int decimals) {
  std::string text = FormatText("%.*f", decimals, value);
  if (Language == kPolish) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string DaysText(const std::vector<TrackStamp>& days) {
  if (days.size() > kDaysListed) {
    return FORMAT_PAIR("%zu (od %s do %s)", "%zu (%s to %s)", days.size(), DateText(days.front()).c_str(),
                       DateText(days.back()).c_str());
  }
  std::string text;
  for (const TrackStamp& day : days) {
    if (!text.empty()) text += ", ";
    text += DateText(day);
  }
  return text;
}

}  // namespace

double GreatCircleKm(double latitude1, double longitude1, double latitude2, double longitude2) {
  // The haversine formula, in the arctangent form that stays exact near the antipode.
  const double sinHalfLatitude = std::sin((latitude2 - latitude1) * kRadiansPerDegree / 2);
  const double sinHalfLongitude = std::sin((longitude2 - longitude1) * kRadiansPerDegree / 2);
  double h = sinHalfLatitude * sinHalfLatitude + std::cos(latitude1 * kRadiansPerDegree) *
                                                     std::cos(latitude2 * kRadiansPerDegree) * sinHalfLongitude *
                                                     sinHalfLongitude;
  h = std::clamp(h, 0.0, 1.0);
  return 2 * kEarthRadiusKm * std::atan2(std::sqrt(h), std::sqrt(1 - h));
}

TrackSummary::TrackSummary() : days_(kDayBits) {}

void TrackSummary::AddPoint(const TrackPoint& point, bool segmentStart) {
  const int64_t seconds = StampSeconds(point.stamp);
  if (points_ == 0 || seconds < startSeconds_) start_ = point.stamp, startSeconds_ = seconds;
  if (points_ == 0 || seconds > endSeconds_) end_ = point.stamp, endSeconds_ = seconds;
  if (points_ == 0 || point.altitude < lowest_) lowest_ = point.altitude;
  if (points_ == 0 || point.altitude > highest_) highest_ = point.altitude;
  if (points_ == 0 || segmentStart) {
    ++segments_;
  } else {
    distanceKm_ += GreatCircleKm(lastLatitude_, lastLongitude_, point.latitude, point.longitude);
  }
  lastLatitude_ = point.latitude;
  lastLongitude_ = point.longitude;
  // The validity rule keeps the month within 1-12 and the day within 1-31.
  if (point.stamp.month >= 1 && point.stamp.month <= 12 && point.stamp.day >= 1 && point.stamp.day <= 31) {
    days_[DayBit(point.stamp)] = true;
  }
  ++points_;
}

int64_t TrackSummary::DurationSeconds() const { return endSeconds_ - startSeconds_; }

std::vector<TrackStamp> TrackSummary::Days() const {
  std::vector<TrackStamp> days;
  if (points_ == 0) return days;
  // Only the years between the first and the last point can hold a day.
  for (size_t bit = start_.year * kDaysPerYearField; bit < (end_.year + 1u) * kDaysPerYearField; ++bit) {
    if (!days_[bit]) continue;
    TrackStamp day;
    day.year = static_cast<uint8_t>(bit / kDaysPerYearField);
    day.month = static_cast<uint8_t>(bit % kDaysPerYearField / 31 + 1);
    day.day = static_cast<uint8_t>(bit % 31 + 1);
    days.push_back(day);
  }
  return days;
}

std::vector<std::string> TrackSummaryLines(const TrackSummary& summary, bool withLeftOut) {
  std::vector<std::string> lines;
  lines.push_back(FORMAT_PAIR("Punkty: %u", "Points: %u", summary.Points()));
  lines.push_back(FORMAT_PAIR("Odcinki: %u", "Segments: %u", summary.Segments()));
  if (summary.Points() > 0) {
    const int64_t duration = summary.DurationSeconds();
    lines.push_back(FORMAT_PAIR("Początek: %s", "Start: %s", StampText(summary.Start()).c_str()));
    lines.push_back(FORMAT_PAIR("Koniec: %s", "End: %s", StampText(summary.End()).c_str()));
    lines.push_back(FORMAT_PAIR("Czas: %lld:%02d:%02d", "Duration: %lld:%02d:%02d",
                                static_cast<long long>(duration / 3600), static_cast<int>(duration / 60 % 60),
                                static_cast<int>(duration % 60)));
    lines.push_back(FORMAT_PAIR("Dystans: %s km", "Distance: %s km", DecimalText(summary.DistanceKm(), 2).c_str()));
    lines.push_back(FORMAT_PAIR("Wysokość: od %d do %d m", "Altitude: %d to %d m", summary.LowestAltitude(),
                                summary.HighestAltitude()));
    lines.push_back(FORMAT_PAIR("Dni: %s", "Days: %s", DaysText(summary.Days()).c_str()));
  }
  if (withLeftOut) lines.push_back(FORMAT_PAIR("Pominięto: %u", "Left out: %u", summary.LeftOut()));
  return lines;
}

}  // namespace stravener
