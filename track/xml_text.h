#pragma once

#include <string>

#include "track/text_line.h"
#include "track/track_record.h"

namespace stravener {

// The XML declaration the GPX and KML files begin with, CR LF ended.
inline constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Text for an element's content: "&", "<" and ">" as character references.
std::string XmlEscaped(const std::string& text);

// The stamp as an ISO 8601 time in UTC, "2006-05-17T10:20:30Z": the date and time fields
// exactly as stored or computed, the year 2000 plus the year field.
void AppendIsoTime(TextLine& line, const TrackStamp& stamp);

}  // namespace stravener
