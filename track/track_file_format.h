#pragma once

#include <string>

namespace stravener {

// What a saved track file holds.
enum class TrackFileFormat {
  Raw,  // the track memory unchanged, 16-byte records (a binary track file)
  Plt,  // an OziExplorer track point file
};

// The extension of a path's file name: the text after the last dot of the part after the
// last folder separator, lower-cased (ASCII only); empty when the name has no dot or ends
// with one. ".plt" has the extension "plt"; "old.dir/track" has none.
std::string FileNameExtension(const std::string& path);

// The format a track saved at the path is written in, by its extension in any letter
// case: "plt" a PLT file, anything else the raw memory image.
TrackFileFormat TrackFileFormatFor(const std::string& path);

}  // namespace stravener
