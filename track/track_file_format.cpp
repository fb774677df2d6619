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

const TrackFileFormatEntry* TextTrackFormatOf(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a UTF-8 byte order mark
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (entry.mark != nullptr && entry.mark[0] != '<' && text.starts_with(entry.mark)) return &entry;
  }
  while (!text.empty() && std::string_view(" \t\r\n").find(text.front()) != std::string_view::npos) {
    text.remove_prefix(1);
  }
  bool xml = text.starts_with("<?xml");
  const auto xmlRoot = [](const TrackFileFormatEntry& entry) { return entry.mark != nullptr && entry.mark[0] == '<'; };
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (xmlRoot(entry) && text.starts_with(entry.mark)) xml = true;
  }
  if (!xml) return nullptr;
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (xmlRoot(entry) && text.find(entry.mark) != std::string_view::npos) return &entry;
  }
  return nullptr;
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
