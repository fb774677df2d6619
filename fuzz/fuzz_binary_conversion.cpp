// The offline conversion of a binary track file of any content.
//
// Input: flags (bit 0 Polish), then the whole file.
//
// Promises checked: the conversion reports success exactly when every whole record of the
// file is a valid layout-2 point, and then with the number of records and a PLT file of
// one line per record (no file content at all for a file without a whole record); a
// refused file leaves nothing under the chosen name, keeps the header and the lines
// before the refused record as NAME.partial.EXT and says so after its Error line. A file
// that begins as a PLT, GPX, KML or SVG file may instead be refused as such, before anything
// is created. The summary of the file counts exactly the points the PLT file got, and
// is whole exactly when the conversion succeeded with at least one record. The same file
// drawn as an SVG picture is always a whole document, text without a zero byte. Split by
// local day, it succeeds exactly when the conversion does (but for more days than a split
// writes), its day files together hold the PLT file's points, each file whole, and
// nothing is written under the chosen name.

#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "track/binary_conversion.h"
#include "track/binary_track_summary.h"
#include "track/track_record.h"

using namespace stravener;
using namespace stravener::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  Language = (in.Byte() & 1) != 0 ? kPolish : kEnglish;
  const std::vector<uint8_t> content = in.Rest();

  const std::string input = FuzzFile("track.bin");
  const std::string output = FuzzFile("track.plt");
  const std::string partial = FuzzFile("track.partial.plt");
  WriteFileBytes(input, content);
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  std::filesystem::remove(partial, ignored);

  // What the conversion should find: the records up to the first invalid one.
  const size_t records = content.size() / 16;
  size_t validBefore = 0;
  while (validBefore < records && IsValidTrackPoint(DecodeTrackRecord(content.data() + 16 * validBefore, 2))) {
    ++validBefore;
  }
  const bool allValid = validBefore == records;

  TestHost host;
  RunAtOnce(host);
  const FuzzContextScope context([&host] { PrintLog(host.log); });
  const bool converted = ConvertBinaryTrackFile(host, input, output);
  const std::vector<uint8_t> plt = ReadFileBytes(converted ? output : partial);

  // Refused as a text track file: only what begins as one, and nothing was created.
  const std::string head(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(content.size(), 1024)));
  if (!converted && host.LastLine().find(PickTextOrEmpty("a nie binarnym plikiem śladu (.bin).",
                                                         "not a raw track file (.bin).")) != std::string::npos) {
    FUZZ_CHECK(head.rfind("OziExplorer Track Point File", 0) != std::string::npos ||
                   head.find("<gpx") != std::string::npos || head.find("<kml") != std::string::npos ||
                   head.find("<svg") != std::string::npos,
               "refused as a text track file: " + host.LastLine());
    FUZZ_CHECK(!std::filesystem::exists(output) && !std::filesystem::exists(partial), "a file made for a text track file");
    return 0;
  }

  FUZZ_CHECK(converted == allValid, "success differs from the records' validity");
  if (converted) {
    const std::string success = FormatText(PickTextOrEmpty("OK, zapisano %u punktów.", "OK, %u points written."),
                                           static_cast<unsigned>(records));
    FUZZ_CHECK(host.LastLine() == success, "last line " + host.LastLine());
    FUZZ_CHECK(!host.HasError(), "success with an Error line");
    FUZZ_CHECK(CountLines(plt) == (records == 0 ? 0 : 6 + records), "PLT lines of a converted file");
  } else {
    const auto& entries = host.log.Entries();
    FUZZ_CHECK(entries.size() >= 2 && entries[entries.size() - 2].kind == LogKind::Error,
               "a refusal without an Error line before the partial file's");
    FUZZ_CHECK(host.LastLine() == FormatText(PickTextOrEmpty("Niekompletny ślad zapisano w %s.",
                                                             "The incomplete track is in %s."),
                                             partial.c_str()),
               "last line " + host.LastLine());
    FUZZ_CHECK(!std::filesystem::exists(output), "an incomplete track under the chosen name");
    FUZZ_CHECK(CountLines(plt) == 6 + validBefore, "PLT lines of a refused file");
  }

  EventLog summaryLog;
  TrackSummary summary;
  const BinaryTrackSummaryResult summed = SummarizeBinaryTrackFile(summaryLog, input, {}, summary);
  FUZZ_CHECK(summary.Points() == validBefore, "the summary's points differ from the PLT file's");
  FUZZ_CHECK((summed == BinaryTrackSummaryResult::Whole) == (converted && records > 0), "the summary's outcome");

  // Split by day: the same points in whole day files, and no file of the chosen name.
  for (const auto& entry : std::filesystem::directory_iterator(FuzzFolder())) {
    if (entry.path().filename().string().rfind("days", 0) == 0) std::filesystem::remove(entry.path(), ignored);
  }
  TestHost dayHost;
  RunAtOnce(dayHost);
  BinaryConversionOptions split;
  split.splitByDay = true;
  WrittenTrack days;
  const bool splitDone = ConvertBinaryTrackFile(dayHost, input, FuzzFile("days.plt"), split, &days);
  const bool tooManyDays = dayHost.LastLine().find(PickTextOrEmpty("podział zapisuje najwyżej",
                                                                    "a split writes at most")) != std::string::npos;
  FUZZ_CHECK(splitDone == converted || (!splitDone && converted && tooManyDays), "the split's outcome differs");
  FUZZ_CHECK(!std::filesystem::exists(FuzzFile("days.plt")), "a file of the chosen name in a split");
  if (splitDone) {
    size_t points = 0;
    for (const DayFile& day : days.dayFiles) {
      points += day.points;
      FUZZ_CHECK(day.points > 0 && CountLines(ReadFileBytes(day.path)) == 6 + day.points, "a day file not whole");
    }
    FUZZ_CHECK(points == records && days.summary.Points() == records, "the day files' points differ");
  }

  TestHost svgHost;
  RunAtOnce(svgHost);
  const std::string picture = FuzzFile("track.svg");
  const std::string partialPicture = FuzzFile("track.partial.svg");
  std::filesystem::remove(picture, ignored);
  std::filesystem::remove(partialPicture, ignored);
  FUZZ_CHECK(ConvertBinaryTrackFile(svgHost, input, picture) == converted, "the picture's outcome differs");
  const std::vector<uint8_t> svg = ReadFileBytes(converted ? picture : partialPicture);
  const std::string end = "</svg>\r\n";
  FUZZ_CHECK(svg.size() > end.size() && std::equal(end.begin(), end.end(), svg.end() - end.size()),
             "a picture that is not whole");
  FUZZ_CHECK(std::find(svg.begin(), svg.end(), 0) == svg.end(), "a zero byte in the picture");
  return 0;
}
