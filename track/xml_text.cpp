#include "track/xml_text.h"

namespace stravener {

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

void AppendIsoTime(TextLine& line, const TrackStamp& stamp) {
  line.Int(2000 + stamp.year).Char('-').TwoDigits(stamp.month).Char('-').TwoDigits(stamp.day).Char('T');
  line.TwoDigits(stamp.hour).Char(':').TwoDigits(stamp.minute).Char(':').TwoDigits(stamp.second).Char('Z');
}

}  // namespace stravener
