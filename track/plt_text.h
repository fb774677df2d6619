#pragma once

#include <cstdint>
#include <string>

#include "track/text_line.h"
#include "track/track_record.h"

namespace stravener {

// The colour of the track in the header: 0xFFFF00.
constexpr int kPltTrackColour = 16776960;

// The six header lines of an OziExplorer track point file (version 2.1), CR LF ended.
std::string PltHeaderText(const std::string& trackName, uint32_t pointCount);

// Writes one point's line into `line`, CR LF ended, in the current language's month
// abbreviations: the text of "%4.6f,%4.6f,%d,%d,%5.7f,%02d-%s-%02d,%02d:%02d:%02d,%d,%d.%d,%s\r\n" with latitude,
// longitude, segment flag, altitude in feet, day number, day, month, year field, hour,
// minute, second, satellites, HDOP tenths / 10 and % 10, "3D" or "2D". (Both widths are
// below the shortest number the precision gives, so they never pad.)
void WritePltPoint(TextLine& line, const TrackPoint& point, bool segmentStart);

}  // namespace stravener
