#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stravener {

// What a saved track file holds.
enum class TrackFileFormat {
  Raw,  // the track memory unchanged, 16-byte records (a binary track file)
  Plt,  // an OziExplorer track point file
  Gpx,  // a GPX 1.1 document with one track
  Kml,  // a KML 2.2 document with the track as one placemark, for Google Earth
  Svg,  // an SVG picture of the track, its altitude profile and its summary
};

// The extension of a path's file name: the text after the last dot of the part after the
// last folder separator, lower-cased (ASCII only); empty when the name has no dot or ends
// with one. ".plt" has the extension "plt"; "old.dir/track" has none.
std::string FileNameExtension(const std::string& path);
// Where that extension's dot is in the path; std::string::npos when the name has none.
size_t FileNameExtensionDot(const std::string& path);

// The format a track saved at the path is written in, by its extension in any letter
// case: "plt" PLT, "gpx" GPX, "kml" KML, "svg" SVG, anything else the raw memory image.
TrackFileFormat TrackFileFormatFor(const std::string& path);

// The format of a name as the command line takes it: "plt", "gpx", "kml", "svg" or "bin"
// (raw).
std::optional<TrackFileFormat> TrackFileFormatNamed(std::string_view name);

// The extension a file of the format gets when its name has none: "plt", "gpx", "kml",
// "svg", "bin".
const char* TrackFileFormatExtension(TrackFileFormat format);

}  // namespace stravener
