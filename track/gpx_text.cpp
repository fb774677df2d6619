// The GPX 1.1 text of a track: one <trk> named by the track name, one <trkseg> per segment.

#include <string>

#include "track/text_line.h"
#include "track/track_text_format.h"
#include "track/xml_text.h"

namespace stravener {

namespace {

class GpxTextFormat : public TrackTextFormat {
 public:
  void Begin(TrackOutput& out, const std::string& trackName, uint32_t) override {
    out.Append(kXmlDeclaration);
    out.Append("<gpx version=\"1.1\" creator=\"Stravener Tool " STRAVENER_VERSION_TEXT
               "\" xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
               "  <trk>\r\n"
               "    <name>");
    out.Append(XmlEscaped(trackName));
    out.Append("</name>\r\n");
  }

  void Point(TrackOutput& out, const TrackPoint& point, bool segmentStart) override {
    TextLine line;
    if (segmentStart) {
      if (segmentOpen_) line.Text("    </trkseg>\r\n");
      line.Text("    <trkseg>\r\n");
      segmentOpen_ = true;
    }
    // The children in the order the schema gives them.
    line.Text("      <trkpt lat=\"").Fixed(point.latitude, 6).Text("\" lon=\"");
    AppendLongitude(line, point.longitude);
    line.Text("\"><ele>").Int(point.altitude).Text("</ele><time>");
    AppendIsoTime(line, point.stamp);
    line.Text("</time><fix>").Text(point.fix3d ? "3d" : "2d").Text("</fix><sat>").Int(point.satellites);
    line.Text("</sat><hdop>").Int(point.hdop / 10).Char('.').Int(point.hdop % 10).Text("</hdop></trkpt>\r\n");
    out.Append(line.data(), line.size());
  }

  void End(TrackOutput& out) override {
    if (segmentOpen_) out.Append("    </trkseg>\r\n");
    out.Append("  </trk>\r\n</gpx>\r\n");
  }

 private:
  bool segmentOpen_ = false;
};

}  // namespace

std::unique_ptr<TrackTextFormat> MakeGpxTextFormat() { return std::make_unique<GpxTextFormat>(); }

}  // namespace stravener
