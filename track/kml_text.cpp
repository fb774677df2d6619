// The KML 2.2 text of a track for Google Earth: one placemark named by the track name,
// holding a gx:MultiTrack with one gx:Track per segment, each point a <when> and its
// <gx:coord> (longitude, latitude, altitude in metres above sea level).
//
// The placemark's geometry is a gx:MultiTrack however many segments follow: the file is
// written as the records come, before the number of segments is known. In a gx:Track the
// schema wants every <when> before the first <gx:coord>: the times go to the file as they
// come, the coordinates wait in a spool (memory, then a temporary file) until the segment
// ends.

#include <string>

#include "track/text_line.h"
#include "track/text_spool.h"
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
    if (segmentStart) {
      CloseTrack(out);
      out.Append("        <gx:Track>\r\n          <altitudeMode>absolute</altitudeMode>\r\n");
      trackOpen_ = true;
    }
    TextLine when;
    when.Text("          <when>");
    AppendIsoTime(when, point.stamp);
    when.Text("</when>\r\n");
    out.Append(when.data(), when.size());
    TextLine coord;
    coord.Text("          <gx:coord>");
    AppendLongitude(coord, point.longitude);
    coord.Char(' ').Fixed(point.latitude, 6).Char(' ').Int(point.altitude).Text("</gx:coord>\r\n");
    coordinates_.Append(coord.data(), coord.size());
  }

  void End(TrackOutput& out) override {
    CloseTrack(out);
    out.Append(
        "      </gx:MultiTrack>\r\n"
        "    </Placemark>\r\n"
        "  </Document>\r\n"
        "</kml>\r\n");
  }

 private:
  void CloseTrack(TrackOutput& out) {
    if (!trackOpen_) return;
    coordinates_.MoveTo(out);
    out.Append("        </gx:Track>\r\n");
    trackOpen_ = false;
  }

  bool trackOpen_ = false;
  TextSpool coordinates_;
};

}  // namespace

std::unique_ptr<TrackTextFormat> MakeKmlTextFormat() { return std::make_unique<KmlTextFormat>(); }

}  // namespace stravener
