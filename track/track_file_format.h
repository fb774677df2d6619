#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace stravener {

class TrackTextFormat;

// What a saved track file holds.
enum class TrackFileFormat {
  Raw,  // the track memory unchanged, 16-byte records (a binary track file)
  Plt,  // an OziExplorer track point file
  Gpx,  // a GPX 1.1 document with one track
  Kml,  // a KML 2.2 document with the track as one placemark, for Google Earth
  Svg,  // an SVG picture of the track, its altitude profile and its summary
};

// The writers of the text formats, each in its own file.
std::unique_ptr<TrackTextFormat> MakePltTextFormat();
std::unique_ptr<TrackTextFormat> MakeGpxTextFormat();
std::unique_ptr<TrackTextFormat> MakeKmlTextFormat();
std::unique_ptr<TrackTextFormat> MakeSvgTextFormat();

// Everything the program knows of one track file format. The command line's help, its
// --format word and usage errors, and the save dialogs' file types are all made from these
// entries, in their order.
struct TrackFileFormatEntry {
  TrackFileFormat format;
  // The format's name in the messages, and the English article before it: "a PLT".
  const char* name;
  const char* englishArticle;
  // The lower-case extension (without the dot) that makes a saved file this format in any
  // letter case, and that a name without one gets; also the command line's --format word.
  const char* extension;
  // The file type the save dialogs offer, before its "(*.ext)": Polish, English.
  const char* filterPolish;
  const char* filterEnglish;
  // What the format is, as --format's help lists it: Polish, English.
  const char* helpPolish;
  const char* helpEnglish;
  // The writer of the format's text; nullptr for the records unchanged.
  std::unique_ptr<TrackTextFormat> (*makeText)();
  // What tells a file of the format given in place of a binary track file: the text it
  // begins with, or (beginning with '<') the root element of an XML document; nullptr for
  // the records unchanged.
  const char* mark;
  // Whether a run without a single record leaves the file empty where the caller asks for
  // that (the conversion of an empty binary file); a format that stays a whole document
  // without points writes it all the same.
  bool mayStayEmpty;
};

inline constexpr TrackFileFormatEntry kTrackFileFormats[] = {
    {TrackFileFormat::Plt, "PLT", "a", "plt", "Pliki śladu", "Track files", "PLT", "PLT", MakePltTextFormat,
     "OziExplorer Track Point File", true},
    {TrackFileFormat::Gpx, "GPX", "a", "gpx", "Pliki GPX", "GPX files", "GPX 1.1", "GPX 1.1", MakeGpxTextFormat, "<gpx",
     false},
    {TrackFileFormat::Kml, "KML", "a", "kml", "Pliki KML", "KML files", "KML 2.2", "KML 2.2", MakeKmlTextFormat, "<kml",
     false},
    {TrackFileFormat::Svg, "SVG", "an", "svg", "Obraz SVG", "SVG picture", "obraz SVG", "an SVG picture",
     MakeSvgTextFormat, "<svg", false},
    {TrackFileFormat::Raw, "binary", "a", "bin", "Pliki binarne", "Binary files", "rekordy bez zmian",
     "the records unchanged", nullptr, nullptr, true},
};

// Whether the format writes the records as text (every format but the records unchanged).
// Asked at compile time too, where a writer's address may not be compared.
constexpr bool WritesText(const TrackFileFormatEntry& entry) { return entry.format != TrackFileFormat::Raw; }

// The entry of a format.
const TrackFileFormatEntry& TrackFileFormatInfo(TrackFileFormat format);

// The text format a file's first bytes show (a UTF-8 byte order mark skipped), by the
// formats' marks; nullptr when they show none (a binary track file's records never begin
// so).
const TrackFileFormatEntry* TextTrackFormatOf(std::string_view head);

// The extension of a path's file name: the text after the last dot of the part after the
// last folder separator, lower-cased (ASCII only); empty when the name has no dot or ends
// with one. ".plt" has the extension "plt"; "old.dir/track" has none.
std::string FileNameExtension(const std::string& path);
// Where that extension's dot is in the path; std::string::npos when the name has none.
size_t FileNameExtensionDot(const std::string& path);

// The format a track saved at the path is written in, by its extension in any letter
// case; an extension no format has gives the raw memory image.
TrackFileFormat TrackFileFormatFor(const std::string& path);

// The format of a --format word of the command line (its extension).
std::optional<TrackFileFormat> TrackFileFormatNamed(std::string_view name);

// The extension a file of the format gets when its name has none.
const char* TrackFileFormatExtension(TrackFileFormat format);

}  // namespace stravener
