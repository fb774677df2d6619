#include "logger/track_download.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>

#include "app/format.h"
#include "app/language.h"
#include "link/frame.h"
#include "logger/logger_commands.h"
#include "logger/logger_info.h"
#include "logger/stopwatch.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/system_error.h"
#include "track/day_split.h"
#include "track/record_summary.h"
#include "track/track_file_format.h"
#include "track/track_file_replacement.h"
#include "track/track_output.h"
#include "track/track_record.h"
#include "track/track_writer.h"

namespace stravener {

namespace {

constexpr uint32_t kSwitchPauseMs = 100;
constexpr uint32_t kRepeatPauseMs = 500;
constexpr uint32_t kFailurePauseMs = 1000;
// Bytes a second per bit/s at 10 bits a byte, over the quarter second a block should take.
constexpr uint32_t kBlockDivisor = 40;

// The state of one download, from the speed switch to the closing steps.
class Transfer {
 public:
  Transfer(PortConnection& connection, Host& host, const LoggerInfo& info, std::string path, TrackFileFormat format,
           const TrackReadOptions& options)
      : connection_(connection),
        host_(host),
        log_(*connection.log),
        clock_(host.GetClock()),
        path_(std::move(path)),
        format_(format),
        raw_(format == TrackFileFormat::Raw),
        split_(options.splitByDay && !raw_),
        approveDayFiles_(options.approveDayFiles),
        skipInvalid_(options.skipInvalid),
        keepRaw_(options.keepRaw && !raw_),
        layout_(info.FormatDigit()),
        total_(info.UsedBytes()),
        pointCount_(info.PointCount()),
        pageSize_(info.PageSize()),
        rawSummary_(layout_, skipInvalid_) {}

  OperationResult Run(TrackReadSummary* summary);

 private:
  bool SwitchSpeed();
  // The blocks, from the first request to the last block in the file.
  void Loop();
  // Asks the logger for the block at the start page.
  bool RequestBlock(uint32_t block);
  // Takes the logger's answer in: it waits in the buffer for the file.
  bool ReceiveBlock(uint32_t block);
  // The byte count and the average speed of a whole transfer.
  void Report();
  bool WritePending();
  // A whole record of the memory: to the writer of a track format, or for a raw download
  // to its summary. False when the writer ended the run.
  bool HandRecord(const uint8_t* record) {
    if (!writer_) {
      rawSummary_.Add(record);
      return true;
    }
    return writer_->Write(record);
  }
  bool FinishFile();
  // A split by day: writes the day files from the memory as received.
  bool WriteDays();
  // Applies the retry rule after a failed request or frame: true to go on.
  bool Retry();
  // After the fifth failure of a block above the slowest transfer speed: true when both
  // sides now run at the next lower speed, to ask for the same block again.
  bool StepDown();
  void Close();
  void Pause(uint32_t milliseconds) {
    host_.Repaint();
    clock_.Sleep(milliseconds);
  }

  PortConnection& connection_;
  Host& host_;
  EventLog& log_;
  Clock& clock_;
  const std::string path_;
  const TrackFileFormat format_;
  const bool raw_;
  // The memory is received into the raw file, and the day files are written from it.
  const bool split_;
  const DayFilesCheck approveDayFiles_;
  const bool skipInvalid_;
  const bool keepRaw_;
  const int layout_;
  const uint32_t total_;
  const uint32_t pointCount_;
  const uint32_t pageSize_;

  uint32_t speed_ = 0;
  // The file the transfer writes: the track file, or the memory unchanged (a raw download,
  // or NAME.bin for a split by day).
  TrackFileReplacement output_{log_};
  // The used memory unchanged beside a track file, with keepRaw.
  TrackFileReplacement rawCopy_{log_};
  // The record loop of a track format's output, from the file's creation on.
  std::unique_ptr<TrackWriter> writer_;
  // The summary of a raw download's records, as a track file of them would have it.
  RecordSummary rawSummary_;
  // The day files of a split and the summary of the track.
  WrittenTrack days_;
  std::unique_ptr<uint8_t[]> buffer_;
  uint32_t startPage_ = 0;
  uint32_t received_ = 0;
  // The bytes of the last block received, in the buffer, not yet in the file.
  uint32_t pending_ = 0;
  int retryCount_ = 0;
  // The first bytes of a record that the last block cut off, for a track format's output.
  std::array<uint8_t, kTrackRecordSize> carry_{};
  uint32_t carried_ = 0;
  bool done_ = false;
  int32_t elapsedMs_ = 0;
  int64_t averageBps_ = 0;
};

OperationResult Transfer::Run(TrackReadSummary* summary) {
  // Up to the speed sentence the logger stays at 4800 bit/s, and a failure simply ends.
  if (SetPortSpeed(connection_, kCommandSpeed, true) != 0) return OperationResult::Failed;
  if (SendAttention(connection_, clock_, true) != 0) return OperationResult::Failed;
  const LineSpeed& transfer = TransferLineSpeedFor(connection_.speedLimit);
  connection_.speedLimit = transfer.bitsPerSecond;
  speed_ = transfer.bitsPerSecond;
  if (StopRequested()) return OperationResult::Failed;
  if (WriteSentence(connection_, SpeedSentence(transfer), true) != 0) return OperationResult::Failed;

  // From here on the logger has left 4800 bit/s: every path ends with the closing steps.
  if (SwitchSpeed()) Loop();
  Close();
  if (!done_) return OperationResult::Failed;
  if (split_ && !WriteDays()) return OperationResult::Failed;
  if (summary != nullptr) {
    summary->path = path_;
    summary->format = format_;
    summary->raw = raw_;
    summary->bytes = total_;
    summary->elapsedMs = elapsedMs_;
    summary->averageBps = averageBps_;
    summary->recordsLeftOut = split_ ? days_.summary.LeftOut() : writer_ ? writer_->RecordsLeftOut() : 0;
    summary->rawCopy = keepRaw_;
    summary->splitByDay = split_;
    WrittenTrack& written = summary->written;
    if (split_) {
      written = std::move(days_);
    } else {
      written.path = path_;
      written.summary = raw_ ? rawSummary_.Summary() : writer_->Summary();
      written.withLeftOut = skipInvalid_;
      written.endingRecord = raw_ ? rawSummary_.EndingRecord() : 0;
    }
    if (keepRaw_) written.rawCopy = RawCopyPath(path_);
  }
  return OperationResult::Done;
}

bool Transfer::SwitchSpeed() {
  LOG_TEXT(log_, LogKind::Info, "Wysłano komendę zmiany prędkości.", "Speed change command sent.");
  Pause(kSwitchPauseMs);
  if (SetPortSpeed(connection_, speed_, true) != 0) {
    if (!connection_.deviceGone) Pause(kFailurePauseMs);
    return false;
  }
  Pause(kSwitchPauseMs);
  uint32_t code = output_.Create(split_ ? RawCopyPath(path_) : path_);
  if (code == 0 && keepRaw_ && !split_) code = rawCopy_.Create(RawCopyPath(path_));
  if (code != 0) {
    LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x tworzenia pliku śladu.", "Error 0x%x creating track file.", code);
    log_.LogSystemError(LogKind::Error, code);
    Pause(kFailurePauseMs);
    return false;
  }
  if (!raw_ && !split_) {
    TrackWriterOptions options;
    options.format = format_;
    options.layout = layout_;
    options.pointCount = pointCount_;
    options.skipInvalid = skipInvalid_;
    writer_ = std::make_unique<TrackWriter>(log_, output_.Output(), path_, options);
  }
  buffer_ = std::make_unique<uint8_t[]>(kReceiveBufferSize);
  host_.SetProgressRange(total_);
  host_.SetProgressPosition(0);
  host_.Repaint();
  Stopwatch(clock_, false);
  return true;
}

void Transfer::Loop() {
  // Each pass asks for the next block, writes the block before it to the file while the
  // logger answers, and takes the answer in; the last block is written once all have come.
  while (received_ < total_) {
    // A stop request ends the transfer here, between two blocks, with every block that
    // came in the file; once the last block is in, the download just finishes.
    if (StopRequested()) {
      if (pending_ != 0) WritePending();
      return;
    }
    const uint32_t block = TrackBlockSize(speed_, pageSize_, total_ - received_);
    if (block == 0) break;
    if (!RequestBlock(block)) {
      if (Retry()) continue;
      return;
    }
    // The request is on the wire; the previous block is written while the logger answers.
    if (pending_ != 0 && !WritePending()) return;
    if (!ReceiveBlock(block)) {
      if (Retry()) continue;
      return;
    }
  }
  if (pending_ != 0 && !WritePending()) return;
  if (FinishFile()) Report();
}

bool Transfer::RequestBlock(uint32_t block) {
  return WriteSentence(connection_, FormatText("$PQRVT,%u,%u,\r\n", startPage_, block), true) == 0;
}

bool Transfer::ReceiveBlock(uint32_t block) {
  if (ReadFrame(connection_, buffer_.get(), static_cast<uint16_t>(block), true, true) != 0) return false;
  pending_ = block;
  received_ += block;
  retryCount_ = 0;
  // The speed that carried a block is the limit from now on (lower after a step down).
  connection_.speedLimit = speed_;
  startPage_ += block / pageSize_;
  host_.SetProgressPosition(received_);
  host_.Repaint();
  return true;
}

void Transfer::Report() {
  elapsedMs_ = Stopwatch(clock_, true);
  // A transfer shorter than the clock can tell still took some time.
  const int64_t elapsed = elapsedMs_ > 0 ? elapsedMs_ : 1;
  averageBps_ = static_cast<int64_t>(received_) * 10000 / elapsed;
  LOG_TEXT(log_, LogKind::Info, "Odczyt śladu zakończony (%u bajt%s).", "Track read (%u bytes%s).", total_,
           BytePluralEnding(total_));
  LOG_TEXT(log_, LogKind::Info, "Średni transfer: %d bps.", "Average transfer: %d bps.",
           static_cast<int>(averageBps_));
  done_ = true;
}

bool Transfer::WritePending() {
  const bool memoryOutput = raw_ || split_;
  if (memoryOutput || keepRaw_) {
    size_t written = 0;
    uint32_t code = (memoryOutput ? output_ : rawCopy_).Output().Write(buffer_.get(), pending_, written);
    if (code != 0 || written != pending_) {
      if (code == 0) code = LastSystemError();
      ReportTrackWriteFailure(log_, code);
      return false;
    }
  }
  if (!split_) {
    // Only whole records go to the writer (or, raw, to the summary): when the used memory
    // ends inside a record, its bytes that the logger never sent are not handed over as if
    // they were part of it. A block of pages whose size is not a multiple of the record size
    // ends inside a record; its first bytes wait here for the rest, which starts the next
    // block.
    uint32_t p = 0;
    if (carried_ > 0) {
      const uint32_t take = std::min<uint32_t>(kTrackRecordSize - carried_, pending_);
      std::memcpy(carry_.data() + carried_, buffer_.get(), take);
      carried_ += take;
      p = take;
      if (carried_ == kTrackRecordSize) {
        carried_ = 0;
        if (!HandRecord(carry_.data())) return false;
      }
    }
    for (; p + kTrackRecordSize <= pending_; p += kTrackRecordSize) {
      if (!HandRecord(buffer_.get() + p)) return false;
    }
    if (p < pending_) {
      carried_ = pending_ - p;
      std::memcpy(carry_.data(), buffer_.get() + p, carried_);
    }
  }
  pending_ = 0;
  return true;
}

bool Transfer::FinishFile() {
  // The last lines go out; a used memory shorter than one record still gives a PLT file,
  // its header without points.
  if (writer_ && !writer_->End()) return false;
  // The memory a split is written from waits, closed, for the day files.
  if (split_) return output_.Complete();
  // Closed, the files take their names; a write the system could only finish on closing
  // fails here, before the download is reported as complete.
  return rawCopy_.Keep() && output_.Keep();
}

bool Transfer::WriteDays() {
  // The memory came whole and the logger is back at 4800 bit/s. Read back from the disk,
  // the memory must be all there (not, say, written into a device that keeps nothing).
  bool whole = false;
  {
    File received;
    uint64_t size = 0;
    whole = received.OpenForReading(output_.WrittenPath()) == 0 && received.Size(size) == 0 && size == total_;
  }
  if (!whole) {
    LOG_TEXT(log_, LogKind::Error, "Nie można odczytać z powrotem całej pamięci śladu zapisanej w %s.",
             "The track memory saved in %s cannot be read back whole.", output_.WrittenPath().c_str());
  } else {
    DaySplitOptions options;
    options.format = format_;
    options.layout = layout_;
    options.skipInvalid = skipInvalid_;
    options.pointCountInHeaders = true;
    options.approveFiles = approveDayFiles_;
    whole = SplitTrackByDay(host_, output_.WrittenPath(), path_, options, days_);
  }
  // The memory as read is kept: under its own name with keepRaw, else, when the day files
  // failed, beside them as the partial files of a failed run are.
  std::string kept;
  if (keepRaw_) {
    if (output_.Keep()) kept = RawCopyPath(path_);
  } else if (whole) {
    output_.Discard();
  } else {
    output_.Abandon();
    kept = output_.PartialPath();
  }
  if (!whole && !kept.empty()) {
    LOG_TEXT(log_, LogKind::Info, "Pamięć śladu w odczytanej postaci jest w %s.", "The track memory as read is in %s.",
             kept.c_str());
  }
  return whole && (!keepRaw_ || !kept.empty());
}

bool Transfer::Retry() {
  if (StopRequested()) return false;  // the read was cut short, or the request is moot
  // Nothing more goes to a device that went away: no repeat, no purge.
  if (PortWentAway(connection_, true)) return false;
  if (++retryCount_ == kBlockAttempts) return StepDown();
  Pause(kRepeatPauseMs);
  if (PurgePort(connection_, true) != 0) return false;
  LOG_TEXT(log_, LogKind::Info, "Ponowienie komendy.", "Repeating command.");
  return true;
}

bool Transfer::StepDown() {
  // A line that holds 4800 bit/s but not the transfer speed (a USB adapter that garbles at
  // 460800 or 230400 bit/s while its driver accepts them) fails every block at that speed.
  uint32_t lower = 0;
  for (const uint32_t speed : kTransferSpeeds) {
    if (speed < speed_) {
      lower = speed;
      break;
    }
  }
  if (lower == 0) return false;  // at the slowest speed the fifth failure ends the transfer
  LOG_TEXT(log_, LogKind::Info, "Transfer przy %u bps nieudany; kontynuacja przy %u bps.",
           "Transfer at %u bps failed; continuing at %u bps.", speed_, lower);
  // Back to 4800 bit/s as the closing steps go, then on as the speed switch goes.
  Pause(kRepeatPauseMs);
  if (WriteSentence(connection_, SpeedSentence(kCommandLineSpeed), true) != 0) return false;
  LOG_TEXT(log_, LogKind::Info, "Wysłano komendę zmiany prędkości.", "Speed change command sent.");
  Pause(kSwitchPauseMs);
  if (SetPortSpeed(connection_, kCommandSpeed, true) != 0) return false;
  if (StopRequested()) return false;
  if (SendAttention(connection_, clock_, true) != 0) return false;
  if (WriteSentence(connection_, SpeedSentence(TransferLineSpeedFor(lower)), true) != 0) return false;
  speed_ = lower;
  LOG_TEXT(log_, LogKind::Info, "Wysłano komendę zmiany prędkości.", "Speed change command sent.");
  Pause(kSwitchPauseMs);
  if (SetPortSpeed(connection_, speed_, true) != 0) return false;
  Pause(kSwitchPauseMs);
  retryCount_ = 0;
  return true;
}

void Transfer::Close() {
  // An aborted transfer keeps the lines converted so far as NAME.partial.EXT; one that
  // received nothing keeps nothing, not even a header.
  if (writer_ && received_ > 0) writer_->End();
  // A whole transfer has its files named (or, for a split, waiting for the day files).
  if (!done_) {
    output_.Abandon();
    rawCopy_.Abandon();
  }
  // A device that went away ends the download at once: nothing is written to it.
  if (!PortWentAway(connection_, true)) {
    if (!done_ && buffer_) Pause(kFailurePauseMs);  // failures before the loop have paused already
    WriteSentence(connection_, SpeedSentence(kCommandLineSpeed), true);
    if (!connection_.deviceGone) {
      LOG_TEXT(log_, LogKind::Info, "Wysłano komendę zmiany prędkości.", "Speed change command sent.");
      Pause(kSwitchPauseMs);
      SetPortSpeed(connection_, kCommandSpeed, true);
    }
  }
  if (!done_) LOG_TEXT(log_, LogKind::Error, "Transfer przerwany.", "Transfer aborted.");
  output_.ReportAbandoned();
  rawCopy_.ReportAbandoned();
  host_.SetProgressPosition(0);
}

// Why a record gives no download, in the current language; empty when it gives one.
std::string UnreadableTrackNotice(const LoggerInfo& info) {
  const int layout = info.FormatDigit();
  if (layout != 1 && layout != 2) {
    return PickTextOrEmpty("Niewłaściwa wersja oprogramowania loggera.", "Improper logger firmware version.");
  }
  if (info.UsedBytes() == 0) return PickTextOrEmpty("Pamięć śladu jest czysta.", "The track memory is clear.");
  // A page of 0 bytes gives no block size, and one of 32768 bytes or more makes the
  // smallest block too long for a frame and the receive buffer.
  if (info.PageSize() == 0 || info.PageSize() > kLargestPageSize) {
    return FORMAT_PAIR("Nie można odczytać śladu: logger podaje rozmiar strony pamięci %u bajt%s.",
                       "The track cannot be read: the logger reports a memory page size of %u bytes%s.",
                       static_cast<unsigned>(info.PageSize()), BytePluralEnding(info.PageSize()));
  }
  return {};
}

}  // namespace

uint32_t TrackBlockSize(uint32_t speed, uint32_t pageSize, uint32_t remaining) {
  const uint32_t g = speed / (pageSize * kBlockDivisor);
  const uint32_t pages = g == 0 ? 2 : g + (g & 1);
  const uint32_t block = pageSize * pages;
  return block < remaining ? block : remaining;
}

TrackReadStart PrepareTrackRead(PortConnection& connection, Host& host) {
  TrackReadStart start;
  if (ReadLoggerInfo(connection, host.GetClock(), start.info) != 0) return start;
  start.notice = UnreadableTrackNotice(start.info);
  start.result = start.notice.empty() ? OperationResult::Done : OperationResult::Stopped;
  return start;
}

OperationResult ReadTrack(PortConnection& connection, Host& host, const LoggerInfo& info, const std::string& path,
                          TrackReadSummary* summary, const TrackReadOptions& options) {
  // Nothing goes to a logger whose record gives no download.
  if (const std::string notice = UnreadableTrackNotice(info); !notice.empty()) {
    connection.log->LogLine(LogKind::Error, "%s", notice.c_str());
    return OperationResult::Failed;
  }
  const TrackFileFormat format = options.format ? *options.format : TrackFileFormatFor(path);
  // A split writes no file of the chosen name itself.
  if (options.keepRaw && format != TrackFileFormat::Raw && !options.splitByDay && SameFile(path, RawCopyPath(path))) {
    // The raw copy would take the track file's name (a name ending in .bin written as a
    // track format), and one of the two would be lost.
    ReportFileNamedTwice(*connection.log, path, FileRole::Track, FileRole::RawCopy);
    return OperationResult::Failed;
  }

  Transfer transfer(connection, host, info, path, format, options);
  return transfer.Run(summary);
}

}  // namespace stravener
