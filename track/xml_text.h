#pragma once

#include <string>

#include "track/text_line.h"
#include "track/track_record.h"

namespace stravener {

// The XML declaration the GPX and KML files begin with, CR LF ended.
inline constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Text for an element's content: "&", "<" and ">" as character references.
std::string XmlEscaped(const std::string& text);

// The stamp as an ISO 8601 time in UTC, "2006-05-17T10:20:30Z", the year 2000 plus the
// year field: the instant of the stamp's second count (StampSeconds), so that a day that
// does not exist in its month counts into the next ("2006-02-30" is "2006-03-02").
void AppendIsoTime(TextLine& line, const TrackStamp& stamp);

// A longitude with six decimals, "21.012200"; one that prints as 180.000000 is written as
// -180.000000, the same meridian, since GPX wants longitudes below 180.
void AppendLongitude(TextLine& line, double longitude);

}  // namespace stravener
