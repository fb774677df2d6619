#include "track/track_file_format.h"

#include <iterator>

#include "platform/path_separator.h"

namespace stravener {

const TrackFileFormatEntry& TrackFileFormatInfo(TrackFileFormat format) {
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (entry.format == format) return entry;
  }
  // Every format has its entry; the raw image is the last.
  return kTrackFileFormats[std::size(kTrackFileFormats) - 1];
}

size_t FileNameExtensionDot(const std::string& path) {
  const size_t separator = LastPathSeparator(path);
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  return dot == std::string::npos || dot < nameStart ? std::string::npos : dot;
}

std::string FileNameExtension(const std::string& path) {
  const size_t dot = FileNameExtensionDot(path);
  if (dot == std::string::npos) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

TrackFileFormat TrackFileFormatFor(const std::string& path) {
  const std::optional<TrackFileFormat> named = TrackFileFormatNamed(FileNameExtension(path));
  return named ? *named : TrackFileFormat::Raw;
}

std::optional<TrackFileFormat> TrackFileFormatNamed(std::string_view name) {
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (entry.extension == name) return entry.format;
  }
  return std::nullopt;
}

const char* TrackFileFormatExtension(TrackFileFormat format) {
  return TrackFileFormatInfo(format).extension;
}

}  // namespace stravener
