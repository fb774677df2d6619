#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/host.h"
#include "link/port_connection.h"
#include "logger/logger_info.h"
#include "logger/operation_result.h"
#include "track/day_split.h"
#include "track/track_file_format.h"
#include "track/written_track.h"

namespace stravener {

// A track memory page larger than this cannot be downloaded: two pages, the smallest block,
// would not fit a frame's 16-bit length.
constexpr uint32_t kLargestPageSize = 32767;
// The receive buffer of one block.
constexpr size_t kReceiveBufferSize = 65536;
// Consecutive failures of one block that end the transfer.
constexpr int kBlockAttempts = 5;

// The byte count of the next block: about a quarter of a second of line time at the
// transfer speed, an even number of pages and at least two, but no more than `remaining`.
// The page size must lie in 1..kLargestPageSize.
uint32_t TrackBlockSize(uint32_t speed, uint32_t pageSize, uint32_t remaining);

// How a download saves the track.
struct TrackReadOptions {
  // The output's format; unset, the chosen file's extension decides (TrackFileFormatFor).
  std::optional<TrackFileFormat> format;
  // A record that is not a valid point is left out and counted instead of ending the
  // download (TrackWriterOptions::skipInvalid).
  bool skipInvalid = false;
  // The used memory unchanged is also saved, as NAME.bin beside a track file NAME.EXT
  // (RawCopyPath); a raw download is that file already.
  bool keepRaw = false;
  // One track file a local day, NAME-YYYY-MM-DD.EXT beside the chosen NAME.EXT, which itself
  // is not written (SplitTrackByDay); for a track format only, not the memory unchanged.
  // The days are known once the memory has come: it is received into NAME.bin's temporary
  // file, and the day files are written from it after the logger is back at 4800 bit/s.
  // With keepRaw that file takes its name, else it goes once the day files are whole.
  bool splitByDay = false;
  // The caller's check of the day files' names (DaySplitOptions::approveFiles).
  DayFilesCheck approveDayFiles;
};

// What a finished download tells its caller.
struct TrackReadSummary {
  std::string path;          // the file written
  TrackFileFormat format = TrackFileFormat::Raw;
  bool raw = false;          // the memory saved unchanged (else converted to a track format)
  uint32_t bytes = 0;        // the used track memory
  int32_t elapsedMs = 0;     // from the first request to the last block written
  int64_t averageBps = 0;    // "Average transfer" (10 bits a byte)
  uint32_t recordsLeftOut = 0;  // invalid records left out of a track file (skipInvalid)
  bool rawCopy = false;         // the memory unchanged was also saved (keepRaw)
  bool splitByDay = false;      // the track went to the day files of `written`
  // The files written and the summary of the track, for the lines that end the download
  // (WrittenTrackLines).
  WrittenTrack written;
};

// How the Read track command begins: the logger's information record, and whether the
// download can go on with it.
struct TrackReadStart {
  // Done: the caller chooses the file and calls ReadTrack with `info`. Stopped: `notice`
  // says why there is nothing to download (a firmware it does not know, an empty track
  // memory, a page size it cannot download), for the caller to show. Failed: the record
  // could not be read (reported in the log).
  OperationResult result = OperationResult::Failed;
  LoggerInfo info;
  std::string notice;
};

// The first step of Read track: reads the logger's information record and checks it. It
// shows and asks nothing; between it and ReadTrack the caller asks for the output file.
TrackReadStart PrepareTrackRead(PortConnection& connection, Host& host);

// The download of Read track, after PrepareTrackRead gave `info`, into `path`, the full
// path the caller chose (by its extension in any letter case, a name ".plt" included, every
// record becomes a PLT line, a GPX or a KML point, any other extension saves the used
// memory unchanged; TrackFileFormatFor, unless the options name the format). It switches
// both sides to the speed limit, requests the memory in blocks with the next request on the
// wire before the previous block is written, repeats a failed block up to four times, and
// ends by sending "$PQRVS,0\r\n" and switching the port back to 4800 bit/s. It may lower
// the connection's speed limit to 115200 (TransferLineSpeedFor). A block that fails a fifth
// time above 38400 bit/s does not end the transfer: "Transfer at 460800 bps failed;
// continuing at 230400 bps.", both sides go back to 4800 bit/s and on to the next lower
// speed of kTransferSpeeds, and the same block is asked for again; the speed that carried
// the last block becomes the connection's speed limit. At 38400 bit/s the fifth failure ends
// it. A port whose device went away ends it at once, with nothing more sent. Progress goes
// to the host's progress bar, one repaint per block.
//
// Done when the whole track was saved (the summary, when given, is then filled); Failed
// otherwise (a raw copy that would take the track file's own name, or a record that
// PrepareTrackRead would have refused, included, before anything is sent). The file takes
// the chosen name only once it is whole
// (TrackFileReplacement): after a failed transfer a file that was there is left as it was
// and what came is kept as NAME.partial.EXT, never over another file.
// A stop request (platform/stop_request.h) before the speed sentence ends it at once; after it,
// at the next block at the latest, with the closing steps and "Transfer aborted.", every
// block received in the partial file. A split by day (options) that fails after a whole
// transfer keeps the memory as read, in NAME.bin with keepRaw, else in NAME.partial.bin,
// and says so ("The track memory as read is in %s.").
OperationResult ReadTrack(PortConnection& connection, Host& host, const LoggerInfo& info, const std::string& path,
                          TrackReadSummary* summary = nullptr, const TrackReadOptions& options = {});

}  // namespace stravener
