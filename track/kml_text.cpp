// The KML 2.2 text of a track for Google Earth: one placemark named by the track name,
// holding a gx:MultiTrack with one gx:Track per segment, each point a <when> and its
// <gx:coord> (longitude, latitude, altitude in metres above sea level).
//
// The placemark's geometry is a gx:MultiTrack however many segments follow: the file is
// written as the records come, before the number of segments is known.

#include <string>

#include "track/text_line.h"
#include "track/track_text_format.h"
#include "track/xml_text.h"

namespace stravener {

namespace {

class KmlTextFormat : public TrackTextFormat {
 public:
  void Begin(TrackOutput& out, const std::string& trackName, uint32_t) override {
    const std::string name = XmlEscaped(trackName);
    out.Append(kXmlDeclaration);
    out.Append(
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\r\n"
        "  <Document>\r\n"
        "    <name>");
    out.Append(name);
    out.Append("</name>\r\n    <Placemark>\r\n      <name>");
    out.Append(name);
    out.Append(
        "</name>\r\n"
        "      <gx:MultiTrack>\r\n"
        "        <altitudeMode>absolute</altitudeMode>\r\n"
        "        <gx:interpolate>0</gx:interpolate>\r\n");
  }

  void Point(TrackOutput& out, const TrackPoint& point, bool segmentStart) override {
    TextLine line;
    if (segmentStart) {
      if (trackOpen_) line.Text("        </gx:Track>\r\n");
      line.Text("        <gx:Track>\r\n          <altitudeMode>absolute</altitudeMode>\r\n");
      trackOpen_ = true;
    }
    line.Text("          <when>");
    AppendIsoTime(line, point.stamp);
    line.Text("</when>\r\n          <gx:coord>").Fixed(point.longitude, 6).Char(' ').Fixed(point.latitude, 6);
    line.Char(' ').Int(point.altitude).Text("</gx:coord>\r\n");
    out.Append(line.data(), line.size());
  }

  void End(TrackOutput& out) override {
    if (trackOpen_) out.Append("        </gx:Track>\r\n");
    out.Append(
        "      </gx:MultiTrack>\r\n"
        "    </Placemark>\r\n"
        "  </Document>\r\n"
        "</kml>\r\n");
  }

 private:
  bool trackOpen_ = false;
};

}  // namespace

std::unique_ptr<TrackTextFormat> MakeKmlTextFormat() { return std::make_unique<KmlTextFormat>(); }

}  // namespace stravener
