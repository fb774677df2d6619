#include "sim/simulated_logger.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "app/format.h"
#include "platform/file.h"
#include "sim/info_record.h"
#include "sim/synthetic_track.h"
#include "sim/uart_reclock.h"

namespace stravener::sim {

namespace {

constexpr uint32_t kCommandSpeed = 4800;
constexpr uint32_t kBootLoaderSpeed = 115200;
constexpr size_t kMaxFramePayload = 0xFFFF;
// Larger than any logger was ever built with; keeps a mistyped geometry from eating memory.
constexpr uint64_t kMaxMemoryBytes = 64ull << 20;
// How long the logger waits at most before putting the next few bytes of an answer on the
// line: the pacing works in chunks of about this much line time.
constexpr std::chrono::microseconds kPacingChunk{200};

uint64_t Nanoseconds(std::chrono::nanoseconds d) { return static_cast<uint64_t>(std::max<int64_t>(0, d.count())); }

}  // namespace

const char* LoggerModeName(LoggerMode mode) {
  switch (mode) {
    case LoggerMode::Command: return "command mode";
    case LoggerMode::Transfer: return "transfer mode";
    case LoggerMode::BootLoader: return "boot loader";
    case LoggerMode::Gone: return "gone";
  }
  return "?";
}

SimulatedLogger::SimulatedLogger(SimulatedLoggerOptions options)
    : options_(std::move(options)), faults_(options_.faults) {}

SimulatedLogger::~SimulatedLogger() { Stop(); }

int SimulatedLogger::BuildMemory(std::string* error) {
  const uint64_t size = static_cast<uint64_t>(options_.pageCount) * options_.pageSize;
  if (size == 0) {
    if (error) *error = "the track memory needs at least one page of at least one byte";
    return -1;
  }
  if (size > kMaxMemoryBytes) {
    if (error) *error = FormatText("%u pages of %u bytes are more track memory than the simulator holds (%llu MiB)",
                                   options_.pageCount, options_.pageSize,
                                   static_cast<unsigned long long>(kMaxMemoryBytes >> 20));
    return -1;
  }
  if (options_.layout != 1 && options_.layout != 2) {
    if (error) *error = FormatText("there is no track record layout %d (1 or 2)", options_.layout);
    return -1;
  }
  std::vector<uint8_t> content;
  if (options_.track) {
    content = *options_.track;
  } else {
    SyntheticTrackOptions track;
    track.layout = options_.layout;
    track.points = options_.points;
    track.seed = options_.seed;
    if (static_cast<uint64_t>(options_.points) * 16 > size) {
      if (error) *error = FormatText("%u points (%llu bytes) do not fit into %llu bytes of track memory",
                                     options_.points, static_cast<unsigned long long>(options_.points) * 16,
                                     static_cast<unsigned long long>(size));
      return -1;
    }
    content = MakeSyntheticTrack(track);
  }
  if (content.size() > size) {
    if (error) *error = FormatText("the track (%zu bytes) does not fit into %llu bytes of track memory",
                                   content.size(), static_cast<unsigned long long>(size));
    return -1;
  }
  firmware_ = options_.firmware.empty() ? (options_.layout == 1 ? "1.05" : "2.10") : options_.firmware;
  if (firmware_.size() > 4) {
    if (error) *error = "the firmware version has at most four characters";
    return -1;
  }
  const ProcessorProfile* profile = FindProcessorProfile(options_.signature);
  if (profile == nullptr) {
    if (error) *error = FormatText("%02X %02X %02X is not the signature of a known processor", options_.signature[0],
                                   options_.signature[1], options_.signature[2]);
    return -1;
  }

  std::lock_guard lock(stateMutex_);
  memory_.assign(size, 0xFF);
  std::copy(content.begin(), content.end(), memory_.begin());
  usedBytes_ = static_cast<uint32_t>(content.size());
  skip_ = options_.skip;
  programMemory_ = std::make_unique<ProgramMemory>(*profile);
  bootLoader_ = std::make_unique<BootLoader>(*programMemory_, faults_, options_.bootEraseTime, options_.pageWriteTime);
  return 0;
}

int SimulatedLogger::Start(std::string* error) {
  if (started_) {
    if (error) *error = "the logger is already running";
    return -1;
  }
  if (BuildMemory(error) != 0) return -1;
  if (line_.Open(options_.initialLineSpeed, error) != 0) return -1;
  if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (error) *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    line_.Close();
    return -1;
  }
  trace_.SetKeeping(options_.keepTrace);
  trace_.SetListener(options_.traceListener);

  const SteadyTime now = SteadyClock::now();
  mode_ = LoggerMode::Command;
  loggerSpeed_ = kCommandSpeed;
  toolSpeed_ = line_.ToolSpeed();
  TraceEvent start = MakeEvent(TraceKind::Mode, now);
  start.text = FormatText("command mode at %u bit/s on %s (the line set to %u bit/s)", kCommandSpeed,
                          line_.SlavePath().c_str(), toolSpeed_.load());
  trace_.Record(std::move(start));

  stopping_ = false;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& e) {
    if (error) *error = std::string("cannot start the logger's thread: ") + e.what();
    line_.Close();
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
    return -1;
  }
  started_ = true;
  if (options_.realTime) {
    // Hardware keeps its own time whatever else the machine does: where the system allows
    // it (as root), the logger's thread runs at the lowest real-time priority, so a busy
    // machine delays neither its answers nor its speed switches. It sleeps nearly all
    // the time, so it takes nothing from the others.
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    (void)pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &priority);
  }
  return 0;
}

void SimulatedLogger::Stop() {
  if (!started_) return;
  stopping_ = true;
  const char wake = 'x';
  (void)!::write(wakePipe_[1], &wake, 1);
  if (thread_.joinable()) thread_.join();
  line_.Close();
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
  wakePipe_[0] = wakePipe_[1] = -1;
  started_ = false;
}

std::string SimulatedLogger::SlavePath() const { return line_.SlavePath(); }

std::vector<uint8_t> SimulatedLogger::MemoryImage() const {
  std::lock_guard lock(stateMutex_);
  return memory_;
}

std::vector<uint8_t> SimulatedLogger::UsedMemory() const {
  std::lock_guard lock(stateMutex_);
  return std::vector<uint8_t>(memory_.begin(), memory_.begin() + usedBytes_);
}

uint32_t SimulatedLogger::UsedBytes() const {
  std::lock_guard lock(stateMutex_);
  return usedBytes_;
}

std::array<uint8_t, 22> SimulatedLogger::InfoRecord() const {
  std::lock_guard lock(stateMutex_);
  InfoRecordFields fields;
  fields.serial = options_.serial;
  fields.productionDate = options_.productionDate;
  fields.firmware = firmware_;
  fields.pageCount = options_.pageCount;
  fields.pageSize = options_.pageSize;
  fields.usedBytes = usedBytes_;
  fields.skip = skip_;
  return BuildInfoRecord(fields);
}

uint8_t SimulatedLogger::SkipSetting() const {
  std::lock_guard lock(stateMutex_);
  return skip_;
}

std::vector<uint8_t> SimulatedLogger::ProgrammedImage() const {
  std::lock_guard lock(stateMutex_);
  return programMemory_ ? programMemory_->ProgrammedImage() : std::vector<uint8_t>{};
}

// ---------------------------------------------------------------------------------------
// The logger's thread.

void SimulatedLogger::Run() {
  while (!stopping_.load()) {
    const SteadyTime now = SteadyClock::now();
    WatchToolSpeed(now);
    if (switch_ && now >= switch_->at) FireSwitch(now);
    ReadInput();
    const std::optional<SteadyTime> outputWake = PumpOutput();
    if (Vanished()) break;

    SteadyTime wake = SteadyClock::now() + options_.speedWatchInterval;
    if (switch_) wake = std::min(wake, switch_->at);
    if (outputWake) wake = std::min(wake, *outputWake);
    const uint64_t wait = Nanoseconds(wake - SteadyClock::now());
    timespec timeout{static_cast<time_t>(wait / 1000000000u), static_cast<long>(wait % 1000000000u)};
    pollfd fds[2] = {{line_.Master(), static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0)), 0},
                     {wakePipe_[0], POLLIN, 0}};
    const int ready = ppoll(fds, 2, &timeout, nullptr);
    if (ready < 0 && errno != EINTR) {
      RecordNote(SteadyClock::now(), std::string("waiting on the line failed: ") + std::strerror(errno));
      break;
    }
    if (ready > 0 && (fds[1].revents & POLLIN)) break;
    if (ready > 0 && (fds[0].revents & POLLOUT)) writeBlocked_ = false;
  }
}

void SimulatedLogger::WatchToolSpeed(SteadyTime now) {
  const uint32_t speed = line_.ToolSpeed();
  if (speed == toolSpeed_.load()) return;
  toolSpeedChanges_.push_back(SpeedChange{now, toolSpeed_.load()});
  while (toolSpeedChanges_.size() > 16) toolSpeedChanges_.pop_front();
  toolSpeed_ = speed;
  TraceEvent e = MakeEvent(TraceKind::ToolSpeed, now);
  e.toolSpeed = speed;
  e.text = FormatText("tool side at %u bit/s", speed);
  trace_.Record(std::move(e));
}

uint32_t SimulatedLogger::SenderSpeed(SteadyTime time) const {
  const uint32_t now = toolSpeed_.load();
  const uint32_t logger = loggerSpeed_.load();
  if (now == logger) return now;
  // Which side of a change that close the bytes were written on cannot be told.
  const auto window = 2 * options_.speedWatchInterval + std::chrono::microseconds(500);
  for (const SpeedChange& change : toolSpeedChanges_) {
    if (change.time + window >= time && change.from == logger) return logger;
  }
  return now;
}

void SimulatedLogger::FireSwitch(SteadyTime now) {
  const PendingSwitch change = *switch_;
  switch_.reset();
  SetSpeed(change.speed, now);
  if (change.mode != mode_.load()) {
    assembler_.Reset();
    attention_.reset();
    if (change.mode == LoggerMode::BootLoader) {
      std::lock_guard lock(stateMutex_);
      bootLoader_->Reset();
    }
    SetMode(change.mode, now, "after the speed sentence");
  }
}

void SimulatedLogger::ReadInput() {
  uint8_t buffer[4096];
  for (;;) {
    if (!line_.IsOpen()) return;
    const ssize_t n = ::read(line_.Master(), buffer, sizeof buffer);
    if (n > 0) {
      const SteadyTime time = SteadyClock::now();
      WatchToolSpeed(time);
      HandleBytes(buffer, static_cast<size_t>(n), time);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;
  }
}

void SimulatedLogger::HandleBytes(const uint8_t* data, size_t count, SteadyTime time) {
  std::string noise;
  std::string deaf;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t sender = SenderSpeed(time);
    if (time < deafUntil_) {
      deaf.push_back(static_cast<char>(data[i]));
      continue;
    }
    // What the logger's UART makes of the byte at its own speed.
    const std::vector<uint8_t> received = ReclockBytes(&data[i], 1, sender, loggerSpeed_.load());
    for (const uint8_t byte : received) {
      if (mode_.load() == LoggerMode::BootLoader) {
        RecordNoise(noise, time, "not part of a sentence");
        HandleBootByte(byte, time);
        continue;
      }
      SentenceAssembler::Result result = assembler_.Add(byte);
      noise += result.noise;
      if (result.sentence) {
        RecordNoise(noise, time, "not part of a sentence");
        HandleSentence(*result.sentence, time);
      }
    }
  }
  RecordNoise(noise, time, "not part of a sentence");
  RecordNoise(deaf, time, "ignored: the logger is restarting");
}

void SimulatedLogger::RecordNoise(std::string& noise, SteadyTime time, const char* why) {
  if (noise.empty()) return;
  TraceEvent e = MakeEvent(TraceKind::Noise, time);
  e.toolSpeed = SenderSpeed(time);
  e.bytes.assign(noise.begin(), noise.end());
  e.text = why;
  trace_.Record(std::move(e));
  noise.clear();
}

void SimulatedLogger::HandleSentence(const std::string& text, SteadyTime time) {
  const Sentence sentence = ParseSentence(text);
  Verdict verdict = Decide(sentence, time);
  TraceEvent e = MakeEvent(TraceKind::Sentence, time);
  e.toolSpeed = SenderSpeed(time);
  e.text = text;
  e.sentence = sentence.kind;
  e.verdict = verdict;
  trace_.Record(std::move(e));
  Carry(sentence, verdict, time);
}

Verdict SimulatedLogger::Decide(const Sentence& s, SteadyTime time) {
  if (mode_.load() == LoggerMode::Command) {
    if (s.kind == SentenceKind::Attention) {
      attention_ = time;
      return Verdict::Attention;
    }
    // One attention serves one sentence, whatever becomes of it.
    const std::optional<SteadyTime> attention = attention_;
    attention_.reset();
    if (s.kind == SentenceKind::Unknown) return Verdict::Unknown;
    if (!attention || time - *attention > options_.attentionLifetime) return Verdict::NoAttention;
    if (time - *attention < options_.wakeUpTime) return Verdict::TooSoon;
    if (s.kind == SentenceKind::TrackBlock) return Verdict::WrongMode;
    return s.wellFormed ? Verdict::Accepted : Verdict::Malformed;
  }
  // Transfer mode.
  if (s.kind == SentenceKind::Unknown) return Verdict::Unknown;
  if (s.kind != SentenceKind::TrackBlock && s.kind != SentenceKind::SpeedSwitch) return Verdict::WrongMode;
  if (!s.wellFormed) return Verdict::Malformed;
  if (s.kind == SentenceKind::TrackBlock) {
    if (s.second > kMaxFramePayload) return Verdict::Malformed;
    const uint64_t end = static_cast<uint64_t>(s.first) * options_.pageSize + s.second;
    if (end > memory_.size()) return Verdict::BeyondMemory;
  }
  return Verdict::Accepted;
}

void SimulatedLogger::Carry(const Sentence& s, Verdict& verdict, SteadyTime time) {
  const bool configurationError = verdict == Verdict::Malformed && s.kind == SentenceKind::Configuration &&
                                  mode_.load() == LoggerMode::Command;
  if (verdict != Verdict::Accepted && !configurationError) return;

  switch (s.kind) {
    case SentenceKind::Information: {
      const std::array<uint8_t, 22> record = InfoRecord();
      QueueFrame(record.data(), record.size(), FrameCheck::Crc, "information record", time);
      break;
    }
    case SentenceKind::Erase: {
      {
        std::lock_guard lock(stateMutex_);
        std::fill(memory_.begin(), memory_.end(), 0xFF);
        usedBytes_ = 0;
      }
      const uint8_t erased = 1;
      QueueFrame(&erased, 1, FrameCheck::Crc, "erase answer", time,
                 std::chrono::duration_cast<std::chrono::microseconds>(options_.trackEraseTime));
      break;
    }
    case SentenceKind::Configuration: {
      uint8_t answer = 2;
      if (!configurationError) {
        std::lock_guard lock(stateMutex_);
        skip_ = static_cast<uint8_t>(s.second);
        answer = 0;
      }
      QueueFrame(&answer, 1, FrameCheck::Crc, FormatText("configuration answer %u", answer), time);
      break;
    }
    case SentenceKind::Restart:
      Restart(time, "restart sentence");
      break;
    case SentenceKind::SpeedSwitch: {
      const uint32_t speed = *SpeedOfCode(s.first);
      switch_ = PendingSwitch{time + options_.speedSwitchDelay, speed,
                              s.first == 0 ? LoggerMode::Command : LoggerMode::Transfer};
      break;
    }
    case SentenceKind::Upgrade:
      // The processor resets into its boot loader; until then it hears nothing.
      deafUntil_ = time + options_.speedSwitchDelay;
      switch_ = PendingSwitch{time + options_.speedSwitchDelay, kBootLoaderSpeed, LoggerMode::BootLoader};
      break;
    case SentenceKind::TrackBlock: {
      const size_t offset = static_cast<size_t>(s.first) * options_.pageSize;
      QueueFrame(memory_.data() + offset, s.second, FrameCheck::Xor,
                 FormatText("track block: page %u, %u bytes", s.first, s.second), time);
      break;
    }
    case SentenceKind::Attention:
    case SentenceKind::Unknown:
      break;
  }
}

void SimulatedLogger::HandleBootByte(uint8_t byte, SteadyTime time) {
  BootLoader::Reply reply;
  {
    std::lock_guard lock(stateMutex_);
    reply = bootLoader_->Feed(byte);
  }
  TraceEvent e = MakeEvent(TraceKind::BootByte, time);
  e.toolSpeed = SenderSpeed(time);
  e.bytes = {byte};
  e.text = reply.note;
  trace_.Record(std::move(e));
  if (!reply.fault.empty()) RecordFault(time, reply.fault);
  if (reply.restart) {
    SaveProgrammedImage(time);
    if (reply.intoFirmware) {
      Restart(time, "boot loader restart");
    } else {
      RestartIntoBootLoader(time);
    }
    return;
  }
  if (!reply.bytes.empty()) {
    OutputItem item;
    item.bytes = std::move(reply.bytes);
    item.text = "boot loader answer";
    item.notBefore = time + reply.delay;
    QueueAnswer(std::move(item));
  }
}

void SimulatedLogger::QueueFrame(const uint8_t* payload, size_t count, FrameCheck check, std::string text,
                                 SteadyTime time, std::chrono::microseconds delay) {
  const uint32_t ordinal = ++framesAnswered_;
  OutputItem item;
  item.bytes = BuildFrame(payload, count, check);
  item.text = FormatText("frame %u, ", ordinal) + text;
  item.notBefore = time + delay;
  bool silent = false;
  const uint32_t ceiling = options_.adapterCeiling;
  if (check == FrameCheck::Xor && ceiling != 0 && loggerSpeed_.load() > ceiling) {
    item.bytes.back() = static_cast<uint8_t>(item.bytes.back() ^ 0x5A);
    RecordFault(time, FormatText("adapter: frame %u garbled at %u bit/s by an adapter that holds %u bit/s", ordinal,
                                 loggerSpeed_.load(), ceiling));
  }
  for (const FaultKind fault : faults_.TakeFrameFaults(ordinal)) {
    switch (fault) {
      case FaultKind::Checksum: {
        const uint8_t right = item.bytes.back();
        item.bytes.back() = static_cast<uint8_t>(right ^ 0xFF);
        RecordFault(time, FormatText("checksum: frame %u sent with checksum %02X instead of %02X", ordinal,
                                     item.bytes.back(), right));
        break;
      }
      case FaultKind::Length: {
        const auto length = static_cast<uint16_t>(count + 1);
        item.bytes[0] = static_cast<uint8_t>(length);
        item.bytes[1] = static_cast<uint8_t>(length >> 8);
        RecordFault(time, FormatText("length: frame %u says %u bytes but carries %zu", ordinal, length, count));
        break;
      }
      case FaultKind::Short: {
        const size_t keep = 2 + count / 2;
        item.bytes.resize(std::min(item.bytes.size(), keep));
        RecordFault(time, FormatText("short: frame %u stops after %zu of its %zu bytes", ordinal, keep, count + 3));
        break;
      }
      case FaultKind::Silent:
        silent = true;
        RecordFault(time, FormatText("silent: frame %u is not sent", ordinal));
        break;
      case FaultKind::Garbage: {
        static constexpr uint8_t kGarbage[] = {0xA5, 0x00, 0x5A};
        item.bytes.insert(item.bytes.begin(), std::begin(kGarbage), std::end(kGarbage));
        RecordFault(time, FormatText("garbage: three stray bytes before frame %u", ordinal));
        break;
      }
      case FaultKind::Vanish:
        item.vanishAfter = std::max<size_t>(1, item.bytes.size() / 2);
        RecordFault(time, FormatText("vanish: the device disappears after %zu bytes of frame %u", *item.vanishAfter,
                                     ordinal));
        break;
      default:
        break;
    }
  }
  if (!silent) QueueAnswer(std::move(item));
}

void SimulatedLogger::QueueAnswer(OutputItem item) { output_.push_back(std::move(item)); }

std::optional<SteadyTime> SimulatedLogger::PumpOutput() {
  while (!output_.empty() && line_.IsOpen()) {
    OutputItem& item = output_.front();
    const SteadyTime now = SteadyClock::now();
    if (!item.started) {
      if (now < item.notBefore) return item.notBefore;
      WatchToolSpeed(now);
      item.started = true;
      item.toolSpeed = toolSpeed_;
      item.loggerSpeed = loggerSpeed_;
      // What the tool's UART makes of the answer at its own speed.
      item.wire = ReclockBytes(item.bytes.data(), item.bytes.size(), item.loggerSpeed, item.toolSpeed);
      item.lineTime = std::chrono::nanoseconds(static_cast<int64_t>(
          static_cast<uint64_t>(item.bytes.size()) * 10u * 1000000000u / std::max<uint32_t>(1, item.loggerSpeed)));
      item.start = options_.pace ? std::max(now, lineFreeAt_) : now;
      if (item.vanishAfter) item.vanishAfter = std::min(*item.vanishAfter, item.wire.size());
    }

    size_t due = item.wire.size();
    const uint64_t lineTime = Nanoseconds(item.lineTime);
    if (options_.pace && lineTime > 0) {
      // The kth byte has arrived when k byte times have passed since the start.
      const uint64_t elapsed = Nanoseconds(now - item.start);
      due = static_cast<size_t>(std::min<uint64_t>(item.wire.size(), elapsed * item.wire.size() / lineTime));
    }
    if (item.vanishAfter) due = std::min(due, *item.vanishAfter);
    while (item.written < due) {
      const ssize_t n = ::write(line_.Master(), item.wire.data() + item.written, due - item.written);
      if (n > 0) {
        item.written += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        // The tool's side holds as much as it takes; go on when it has read some.
        writeBlocked_ = true;
        return std::nullopt;
      }
      RecordNote(now, std::string("writing to the line failed: ") + std::strerror(errno));
      output_.pop_front();
      return std::nullopt;
    }
    if (item.vanishAfter && item.written >= *item.vanishAfter) {
      Vanish(SteadyClock::now());
      return std::nullopt;
    }
    if (item.written >= item.wire.size()) {
      TraceEvent e;
      e.kind = TraceKind::Answer;
      e.time = SteadyClock::now();
      e.start = item.start;
      e.toolSpeed = item.toolSpeed;
      e.loggerSpeed = item.loggerSpeed;
      e.text = std::move(item.text);
      e.bytes = std::move(item.bytes);
      e.wire = std::move(item.wire);
      trace_.Record(std::move(e));
      if (options_.pace) lineFreeAt_ = item.start + item.lineTime;
      output_.pop_front();
      continue;
    }
    // Come back when the next chunk of bytes is due.
    const size_t size = item.wire.size();
    const size_t chunk =
        std::max<size_t>(1, static_cast<size_t>(size * static_cast<uint64_t>(
                                                           std::chrono::nanoseconds(kPacingChunk).count()) /
                                                std::max<uint64_t>(1, lineTime)));
    const size_t next = std::min(size, item.written + chunk);
    return item.start + std::chrono::nanoseconds(static_cast<int64_t>(lineTime * next / size));
  }
  return std::nullopt;
}

void SimulatedLogger::Restart(SteadyTime time, const char* why) {
  output_.clear();
  switch_.reset();
  attention_.reset();
  assembler_.Reset();
  deafUntil_ = time + options_.restartDeafTime;
  SetSpeed(kCommandSpeed, time);
  SetMode(LoggerMode::Command, time, why);
}

void SimulatedLogger::RestartIntoBootLoader(SteadyTime time) {
  output_.clear();
  switch_.reset();
  deafUntil_ = time + options_.restartDeafTime;
  {
    std::lock_guard lock(stateMutex_);
    bootLoader_->Reset();
  }
  SetMode(LoggerMode::BootLoader, time, "boot loader restart: no firmware to start");
}

void SimulatedLogger::SetMode(LoggerMode mode, SteadyTime time, const std::string& why) {
  mode_ = mode;
  trace_.Record(
      MakeEvent(TraceKind::Mode, time, std::string(LoggerModeName(mode)) + (why.empty() ? "" : " (" + why + ")")));
}

void SimulatedLogger::SetSpeed(uint32_t speed, SteadyTime time) {
  if (speed == loggerSpeed_.load()) return;
  loggerSpeed_ = speed;
  TraceEvent e = MakeEvent(TraceKind::LoggerSpeed, time);
  e.loggerSpeed = speed;
  e.text = FormatText("logger at %u bit/s", speed);
  trace_.Record(std::move(e));
}

void SimulatedLogger::Vanish(SteadyTime time) {
  output_.clear();
  switch_.reset();
  // Gone before the line closes, so whoever sees the hang-up also sees the reason.
  SetMode(LoggerMode::Gone, time, "the device vanished from the line");
  line_.Close();
}

void SimulatedLogger::SaveProgrammedImage(SteadyTime time) {
  if (options_.imageOut.empty()) return;
  const std::vector<uint8_t> image = ProgrammedImage();
  File file;
  size_t written = 0;
  uint32_t code = file.Create(options_.imageOut);
  if (code == 0) code = file.Write(image.data(), image.size(), written);
  const uint32_t closeCode = file.IsOpen() ? file.Close() : 0;
  if (code == 0) code = closeCode;
  RecordNote(time, code == 0 ? FormatText("programmed image (%zu bytes) saved to %s", image.size(),
                                          options_.imageOut.c_str())
                              : FormatText("cannot save the programmed image to %s: %s", options_.imageOut.c_str(),
                                           std::strerror(static_cast<int>(code))));
}

void SimulatedLogger::RecordNote(SteadyTime time, std::string text) {
  trace_.Record(MakeEvent(TraceKind::Note, time, std::move(text)));
}

TraceEvent SimulatedLogger::MakeEvent(TraceKind kind, SteadyTime time, std::string text) const {
  TraceEvent e;
  e.kind = kind;
  e.time = time;
  e.toolSpeed = toolSpeed_;
  e.loggerSpeed = loggerSpeed_;
  e.text = std::move(text);
  return e;
}

void SimulatedLogger::RecordFault(SteadyTime time, std::string text) {
  trace_.Record(MakeEvent(TraceKind::Fault, time, std::move(text)));
}

}  // namespace stravener::sim
