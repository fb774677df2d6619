#include "track/track_file_format.h"

namespace stravener {

std::string FileNameExtension(const std::string& path) {
#if defined(_WIN32)
  const size_t separator = path.find_last_of("\\/");
#else
  const size_t separator = path.rfind('/');
#endif
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

TrackFileFormat TrackFileFormatFor(const std::string& path) {
  return FileNameExtension(path) == "plt" ? TrackFileFormat::Plt : TrackFileFormat::Raw;
}

}  // namespace stravener
