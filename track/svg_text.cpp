// The SVG picture of a track: each segment as a line in an equirectangular projection
// scaled by the cosine of the mean latitude (so that the shape is true), start and end
// marks, a scale bar, below it the altitude profile against the distance along the track,
// and the summary's lines in the current language.
//
// The picture can only be drawn once the whole track is known, so the points are kept:
// all of them up to kKeptPoints (a logger holds at most 32,768); beyond that every other
// one is dropped each time the store fills up, and only every second, fourth, ... point
// that comes is taken, so that memory stays bounded whatever the file's size. The first
// and the last point of every segment are kept before any other. At most kDrawnPoints
// are drawn.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/format.h"
#include "app/language.h"
#include "track/text_line.h"
#include "track/track_summary.h"
#include "track/track_text_format.h"
#include "track/xml_text.h"

namespace stravener {

namespace {

constexpr size_t kKeptPoints = 32768;
constexpr size_t kDrawnPoints = 20000;

constexpr double kKmPerDegree = kEarthRadiusKm * 0.017453292519943295;

// The picture's layout, in pixels.
constexpr double kWidth = 800;
constexpr double kMargin = 20;
constexpr double kMapTop = 50;
constexpr double kMapWidth = kWidth - 2 * kMargin;
constexpr double kMapMaxHeight = 560;
constexpr double kMapMinHeight = 160;
// The smallest extent a map shows, in kilometres: a track standing still is not blown up.
constexpr double kSmallestExtentKm = 0.05;
constexpr double kProfileLeft = 70;
constexpr double kProfileWidth = kWidth - kMargin - kProfileLeft;
constexpr double kProfileHeight = 150;
constexpr double kLineHeight = 20;

constexpr char kFont[] = "DejaVu Sans, Verdana, Arial, sans-serif";
constexpr char kTrackColour[] = "#1565c0";
constexpr char kStartColour[] = "#2e7d32";
constexpr char kEndColour[] = "#c62828";

// A point as it is kept for drawing. The position is kept as the difference from the
// first point's, where a float is exact to well under a metre.
struct KeptPoint {
  float longitude;   // degrees east of the first point, unwrapped: each point within 180
                     // degrees of the one before
  float latitude;    // degrees north of the first point
  float distanceKm;  // along the track from its first point
  int32_t altitude;  // metres
  uint32_t segment;
};

// Whether the point at i is the first or the last kept point of its segment.
bool IsSegmentEnd(const std::vector<KeptPoint>& points, size_t i) {
  return i == 0 || i + 1 == points.size() || points[i - 1].segment != points[i].segment ||
         points[i + 1].segment != points[i].segment;
}

// Leaves at most `limit` of the points, in order: the first and last of each segment and
// an even choice of the others; when those ends alone are more than half the limit, an
// even choice of all.
void Thin(std::vector<KeptPoint>& points, size_t limit) {
  if (points.size() <= limit) return;
  std::vector<bool> end(points.size());
  size_t ends = 0;
  for (size_t i = 0; i < points.size(); ++i) ends += (end[i] = IsSegmentEnd(points, i)) ? 1 : 0;
  size_t kept = 0;
  if (ends <= limit / 2) {
    const size_t others = points.size() - ends;
    const size_t room = limit - ends;
    const size_t step = (others + room - 1) / room;
    size_t other = 0;
    for (size_t i = 0; i < points.size(); ++i) {
      if (end[i] || other++ % step == 0) points[kept++] = points[i];
    }
  } else {
    const size_t step = (points.size() + limit - 1) / limit;
    for (size_t i = 0; i < points.size(); i += step) points[kept++] = points[i];
  }
  points.resize(kept);
}

// A length for a scale bar: 1, 2 or 5 times a power of ten, at most `km`.
double RoundLengthKm(double km) {
  const double power = std::pow(10.0, std::floor(std::log10(km)));
  for (double factor : {5.0, 2.0, 1.0}) {
    if (factor * power <= km) return factor * power;
  }
  return power;
}

// A length as the scale bar and the profile label it: "500 m", "2 km", "42.31 km".
std::string LengthText(double km, int decimals) {
  if (km < 1 && decimals == 0) return FormatText("%.0f m", km * 1000);
  std::string text = FormatText("%.*f km", decimals, km);
  if (Language == kPolish) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

class SvgTextFormat : public TrackTextFormat {
 public:
  void ShowSummary(const TrackSummary& summary, bool withLeftOut) override {
    summary_ = &summary;
    withLeftOut_ = withLeftOut;
  }

  void Begin(TrackOutput&, const std::string& trackName, uint32_t) override { name_ = trackName; }

  void Point(TrackOutput&, const TrackPoint& point, bool segmentStart) override {
    double longitude = point.longitude;
    if (seen_ > 0) {
      double step = point.longitude - lastRawLongitude_;
      step -= 360 * std::round(step / 360);
      longitude = lastLongitude_ + step;
      if (!segmentStart) distanceKm_ += GreatCircleKm(lastLatitude_, lastRawLongitude_, point.latitude, point.longitude);
    }
    if (segmentStart) {
      if (hasPending_) Keep(pending_);
      ++segment_;
    }
    if (seen_ == 0) {
      west_ = east_ = firstLongitude_ = longitude;
      south_ = north_ = firstLatitude_ = point.latitude;
    }
    const KeptPoint kept{static_cast<float>(longitude - firstLongitude_),
                         static_cast<float>(point.latitude - firstLatitude_), static_cast<float>(distanceKm_),
                         point.altitude, segment_};
    west_ = std::min(west_, longitude), east_ = std::max(east_, longitude);
    south_ = std::min(south_, point.latitude), north_ = std::max(north_, point.latitude);
    latitudeSum_ += point.latitude;
    ++seen_;
    lastLatitude_ = point.latitude;
    lastRawLongitude_ = point.longitude;
    lastLongitude_ = longitude;

    if (segmentStart || ++sinceKept_ >= stride_) {
      Keep(kept);
      hasPending_ = false;
    } else {
      pending_ = kept;
      hasPending_ = true;
    }
  }

  void End(TrackOutput& out) override {
    if (hasPending_) Keep(pending_);
    hasPending_ = false;
    Thin(points_, kDrawnPoints);
    Draw(out);
  }

 private:
  void Keep(const KeptPoint& point) {
    if (points_.size() >= kKeptPoints) {
      Thin(points_, kKeptPoints / 2);
      stride_ *= 2;
    }
    // The whole store at once: it never grows beyond it, and never by copying itself.
    if (points_.empty()) points_.reserve(kKeptPoints);
    points_.push_back(point);
    sinceKept_ = 0;
  }

  void Draw(TrackOutput& out) {
    // The map: kilometres east and south of the north-west corner, at one scale.
    const double meanLatitude = seen_ > 0 ? latitudeSum_ / static_cast<double>(seen_) : 0;
    const double kmPerDegreeEast = kKmPerDegree * std::cos(meanLatitude * 0.017453292519943295);
    const double widthKm = (east_ - west_) * kmPerDegreeEast;
    const double heightKm = (north_ - south_) * kKmPerDegree;
    const double scale = std::min(kMapWidth / std::max(widthKm, kSmallestExtentKm),
                                  kMapMaxHeight / std::max(heightKm, kSmallestExtentKm));
    const double mapHeight = std::clamp(heightKm * scale, kMapMinHeight, kMapMaxHeight);
    const double left = kMargin + (kMapWidth - widthKm * scale) / 2;
    const double top = kMapTop + (mapHeight - heightKm * scale) / 2;
    const double west = west_ - firstLongitude_, north = north_ - firstLatitude_;
    const auto x = [&](const KeptPoint& p) { return left + (p.longitude - west) * kmPerDegreeEast * scale; };
    const auto y = [&](const KeptPoint& p) { return top + (north - p.latitude) * kKmPerDegree * scale; };

    const double scaleBarTop = kMapTop + mapHeight + 20;
    const double profileTop = scaleBarTop + 45;
    const double summaryTop = profileTop + kProfileHeight + 45;
    const std::vector<std::string> lines =
        summary_ != nullptr ? TrackSummaryLines(*summary_, withLeftOut_) : std::vector<std::string>{};
    const double height = summaryTop + static_cast<double>(lines.size()) * kLineHeight + kMargin;

    TextLine line;
    out.Append(kXmlDeclaration);
    line.Text("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"").Int(static_cast<int>(kWidth));
    line.Text("\" height=\"").Int(static_cast<int>(std::ceil(height))).Text("\" viewBox=\"0 0 ");
    line.Int(static_cast<int>(kWidth)).Char(' ').Int(static_cast<int>(std::ceil(height))).Text("\" font-family=\"");
    line.Text(kFont).Text("\">\r\n");
    out.Append(line.View());
    out.Append("  <title>");
    out.Append(XmlEscaped(name_));
    out.Append("</title>\r\n  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\r\n");
    AppendText(out, kMargin, 32, 18, name_, " font-weight=\"bold\"");

    // One line per segment.
    out.Append("  <g id=\"track\" fill=\"none\" stroke=\"");
    out.Append(kTrackColour);
    out.Append("\" stroke-width=\"2.5\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\r\n");
    AppendSegments(out, x, y);
    out.Append("  </g>\r\n");
    if (!points_.empty()) {
      AppendMark(out, "start", x(points_.front()), y(points_.front()), kStartColour, true);
      AppendMark(out, "end", x(points_.back()), y(points_.back()), kEndColour, false);

      // The scale bar: a round length of about a quarter of the map's width.
      const double barKm = RoundLengthKm(kMapWidth / 4 / scale);
      const double barEnd = kMargin + barKm * scale;
      TextLine bar;
      bar.Text("  <g id=\"scale\" stroke=\"#000000\" stroke-width=\"2\" fill=\"none\"><polyline points=\"");
      bar.Fixed(kMargin, 1).Char(',').Fixed(scaleBarTop - 6, 1).Char(' ').Fixed(kMargin, 1).Char(',');
      bar.Fixed(scaleBarTop, 1).Char(' ').Fixed(barEnd, 1).Char(',').Fixed(scaleBarTop, 1).Char(' ');
      bar.Fixed(barEnd, 1).Char(',').Fixed(scaleBarTop - 6, 1).Text("\"/></g>\r\n");
      out.Append(bar.View());
      AppendText(out, barEnd + 8, scaleBarTop, 13, LengthText(barKm, 0));
    }

    AppendProfile(out, profileTop);

    out.Append("  <g id=\"summary\" fill=\"#000000\">\r\n");
    for (size_t i = 0; i < lines.size(); ++i) {
      AppendText(out, kMargin, summaryTop + static_cast<double>(i) * kLineHeight, 14, lines[i]);
    }
    out.Append("  </g>\r\n</svg>\r\n");
  }

  // The kept points of each segment as one polyline, through the projection given; a
  // segment of one point is a line of no length, which the round caps show as a dot.
  template <typename X, typename Y>
  void AppendSegments(TrackOutput& out, const X& x, const Y& y) {
    for (size_t i = 0; i < points_.size();) {
      size_t end = i;
      while (end < points_.size() && points_[end].segment == points_[i].segment) ++end;
      out.Append("    <polyline points=\"");
      for (size_t p = i; p < end; ++p) AppendPoint(out, x(points_[p]), y(points_[p]));
      if (end - i == 1) AppendPoint(out, x(points_[i]), y(points_[i]));
      out.Append("\"/>\r\n");
      i = end;
    }
  }

  // The altitude against the distance along the track, in a frame, with the lowest and
  // highest altitude and the whole distance written beside it.
  void AppendProfile(TrackOutput& out, double top) {
    const double bottom = top + kProfileHeight;
    TextLine frame;
    frame.Text("  <rect x=\"").Fixed(kProfileLeft, 1).Text("\" y=\"").Fixed(top, 1).Text("\" width=\"");
    frame.Fixed(kProfileWidth, 1).Text("\" height=\"").Fixed(kProfileHeight, 1);
    frame.Text("\" fill=\"#f5f5f5\" stroke=\"#9e9e9e\" stroke-width=\"1\"/>\r\n");
    out.Append(frame.View());
    if (points_.empty()) return;
    int32_t lowest = points_.front().altitude, highest = lowest;
    for (const KeptPoint& p : points_) lowest = std::min(lowest, p.altitude), highest = std::max(highest, p.altitude);
    if (summary_ != nullptr && summary_->Points() > 0) {
      // The points dropped from the drawing count for the extremes all the same.
      lowest = summary_->LowestAltitude(), highest = summary_->HighestAltitude();
    }
    const double totalKm = distanceKm_;
    // A track that never moved is spread over the profile's width by its points.
    const double count = static_cast<double>(points_.size() > 1 ? points_.size() - 1 : 1);
    const auto x = [&](const KeptPoint& p) {
      const double share = totalKm > 0 ? p.distanceKm / totalKm : static_cast<double>(&p - points_.data()) / count;
      return kProfileLeft + std::min(share, 1.0) * kProfileWidth;
    };
    const auto y = [&](const KeptPoint& p) {
      if (highest == lowest) return top + kProfileHeight / 2;
      return bottom - static_cast<double>(p.altitude - lowest) / static_cast<double>(highest - lowest) * kProfileHeight;
    };
    out.Append("  <g id=\"profile\" fill=\"none\" stroke=\"#6d4c41\" stroke-width=\"1.5\" stroke-linejoin=\"round\">\r\n");
    AppendSegments(out, x, y);
    out.Append("  </g>\r\n");
    AppendText(out, kMargin, top + 12, 12, FormatText("%d m", highest));
    AppendText(out, kMargin, bottom, 12, FormatText("%d m", lowest));
    AppendText(out, kProfileLeft, bottom + 16, 12, "0 km");
    AppendText(out, kProfileLeft + kProfileWidth, bottom + 16, 12, LengthText(totalKm, 2), " text-anchor=\"end\"");
  }

  static void AppendPoint(TrackOutput& out, double x, double y) {
    TextLine line;
    line.Fixed(x, 1).Char(',').Fixed(y, 1).Char(' ');
    out.Append(line.View());
  }

  static void AppendMark(TrackOutput& out, const char* id, double x, double y, const char* colour, bool round) {
    TextLine line;
    line.Text("  <").Text(round ? "circle" : "rect").Text(" id=\"").Text(id);
    if (round) {
      line.Text("\" cx=\"").Fixed(x, 1).Text("\" cy=\"").Fixed(y, 1).Text("\" r=\"6");
    } else {
      line.Text("\" x=\"").Fixed(x - 5.5, 1).Text("\" y=\"").Fixed(y - 5.5, 1).Text("\" width=\"11\" height=\"11");
    }
    line.Text("\" fill=\"").Text(colour).Text("\" stroke=\"#ffffff\" stroke-width=\"2\"/>\r\n");
    out.Append(line.View());
  }

  // A line of text whose baseline begins at x, y (or ends there, with text-anchor="end"
  // among the further attributes).
  static void AppendText(TrackOutput& out, double x, double y, int fontSize, const std::string& text,
                         const char* attributes = "") {
    TextLine line;
    line.Text("  <text x=\"").Fixed(x, 1).Text("\" y=\"").Fixed(y, 1).Text("\" font-size=\"").Int(fontSize);
    line.Char('"').Text(attributes).Char('>');
    out.Append(line.View());
    out.Append(XmlEscaped(text));
    out.Append("</text>\r\n");
  }

  const TrackSummary* summary_ = nullptr;
  bool withLeftOut_ = false;
  std::string name_;
  std::vector<KeptPoint> points_;
  KeptPoint pending_{};  // the last point that came, when it was not kept (hasPending_)
  bool hasPending_ = false;
  size_t stride_ = 1;  // every stride-th point that comes is kept
  size_t sinceKept_ = 0;
  uint32_t segment_ = 0;
  uint64_t seen_ = 0;
  double distanceKm_ = 0;
  double latitudeSum_ = 0;
  double lastLatitude_ = 0;
  double lastRawLongitude_ = 0;
  double lastLongitude_ = 0;
  double firstLatitude_ = 0, firstLongitude_ = 0;
  double west_ = 0, east_ = 0, south_ = 0, north_ = 0;  // the bounds, longitudes unwrapped
};

}  // namespace

std::unique_ptr<TrackTextFormat> MakeSvgTextFormat() { return std::make_unique<SvgTextFormat>(); }

}  // namespace stravener
