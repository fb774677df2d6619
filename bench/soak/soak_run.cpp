#include "bench/soak/soak_run.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "app/language.h"
#include "link/port_connection.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/track_download.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "sim/simulated_logger.h"
#include "support/read_track_into.h"
#include "support/test_host.h"
#include "track/track_writer.h"

namespace stravener::soak {

namespace {

using sim::FaultKind;
using Clock = std::chrono::steady_clock;

constexpr FaultKind kFrameFaults[] = {FaultKind::Checksum, FaultKind::Length,  FaultKind::Short,
                                      FaultKind::Silent,   FaultKind::Garbage, FaultKind::Vanish};
constexpr uint32_t kSpeedLimits[] = {38400, 57600, 115200, 230400, 460800};
constexpr uint16_t kPageSizes[] = {128, 256, 512};
// The least time between the end of one command and the user's next.
constexpr uint32_t kUsersPauseMs = 300;

template <typename T, size_t N>
T Pick(std::mt19937& random, const T (&values)[N]) {
  return values[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

uint32_t Uniform(std::mt19937& random, uint32_t low, uint32_t high) {
  return std::uniform_int_distribution<uint32_t>(low, high)(random);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsPrefix(const std::vector<uint8_t>& prefix, const std::vector<uint8_t>& whole) {
  return prefix.size() <= whole.size() && std::equal(prefix.begin(), prefix.end(), whole.begin());
}

// The PLT file the tool's own writer makes of the logger's used memory: what a whole
// download saved as PLT must be, byte for byte. The file name is the download's, so the
// track name in the header is the same.
std::vector<uint8_t> ExpectedPlt(const std::string& folder, const std::string& name, const std::vector<uint8_t>& used,
                                 int layout) {
  const std::string path = folder + "/expected/" + name;
  std::filesystem::create_directories(folder + "/expected");
  EventLog log;
  File file;
  if (file.Create(path) != 0) return {};
  TrackWriterOptions options;
  options.layout = layout;
  options.pointCount = static_cast<uint32_t>(used.size() / 16);
  options.emptyWithoutRecords = true;
  {
    TrackWriter writer(log, file, path, options);
    size_t at = 0;
    while (at + 16 <= used.size() && writer.Write(used.data() + at)) at += 16;
    writer.End();
  }
  file.Close();
  return ReadBytes(path);
}

// Counts the faults the logger committed, from its trace ("checksum: frame 3 ...").
std::map<FaultKind, int> FaultsFired(const sim::SimulatedLogger& logger) {
  std::map<FaultKind, int> fired;
  for (const sim::TraceEvent& e : logger.Trace().Events(sim::TraceKind::Fault)) {
    const std::string name = e.text.substr(0, e.text.find(':'));
    for (int k = 0; k <= static_cast<int>(FaultKind::MissingAck); ++k) {
      if (name == sim::FaultKindName(static_cast<FaultKind>(k))) ++fired[static_cast<FaultKind>(k)];
    }
  }
  return fired;
}

int Total(const std::map<FaultKind, int>& counts) {
  int total = 0;
  for (const auto& [kind, count] : counts) total += count;
  return total;
}

bool AwaitCommandMode(const sim::SimulatedLogger& logger) {
  for (int waited = 0; waited < 2000; waited += 5) {
    if (logger.Mode() == sim::LoggerMode::Command && logger.Speed() == kCommandSpeed) return true;
    stravener::Clock().Sleep(5);
  }
  return false;
}

// A user's Ctrl+C at a chosen moment: SIGINT to the thread that made it, after the delay,
// unless the operation has ended first.
class Interrupter {
 public:
  explicit Interrupter(int delayMs) : target_(pthread_self()) {
    if (delayMs < 0) return;
    thread_ = std::thread([this, delayMs] {
      std::unique_lock lock(mutex_);
      if (!ended_.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return operationEnded_; })) {
        pthread_kill(target_, SIGINT);
        fired_ = true;
      }
    });
  }
  ~Interrupter() { OperationEnded(); }
  Interrupter(const Interrupter&) = delete;
  Interrupter& operator=(const Interrupter&) = delete;

  // Called when the operation has returned. True when the interruption came while it ran;
  // the stop request is forgotten, as the next command of a new run of the program would.
  bool OperationEnded() {
    if (thread_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        operationEnded_ = true;
      }
      ended_.notify_all();
      thread_.join();
    }
    ClearStopRequest();
    return fired_;
  }

 private:
  const pthread_t target_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool operationEnded_ = false;
  bool fired_ = false;
};

// Now and then a user's Ctrl+C, at any moment of an operation expected to take about this long.
int DrawInterruption(std::mt19937& random, uint32_t expectedMs) {
  return Uniform(random, 0, 4) == 0 ? static_cast<int>(Uniform(random, 0, expectedMs)) : -1;
}

class Run {
 public:
  Run(sim::SimulatedLoggerOptions options, std::string folder)
      : logger_(std::move(options)), folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
    host.clock.realSleeps = true;
  }

  bool Start(RunResult& result) {
    std::string error;
    if (logger_.Start(&error) != 0) {
      result.violations.push_back("the simulated logger did not start: " + error);
      return false;
    }
    connection.devicePath = logger_.SlavePath();
    connection.speedLimit = 460800;
    if (OpenPort(connection, true) != 0) {
      result.violations.push_back("the port did not open");
      return false;
    }
    return true;
  }

  void Violation(RunResult& result, const std::string& what) {
    std::string text = what + "\n    log:";
    for (const LogEntry& entry : host.log.Entries()) text += "\n      " + entry.text;
    for (const sim::TraceEvent& e : logger_.Trace().Events(sim::TraceKind::Fault)) text += "\n    fault: " + e.text;
    result.violations.push_back(text);
  }

  bool Logged(const std::string& text) const {
    for (const LogEntry& entry : host.log.Entries()) {
      if (entry.text == text) return true;
    }
    return false;
  }

  // The next command after the run: the information record, answered right, unless the
  // logger spoils the answer itself with a fault still due (then it is asked again). It
  // comes as the user's next click does, not within the moment the logger may still be
  // sending the rest of an answer the tool gave up on: bytes that arrive after the
  // command's purge would be read as the start of its answer.
  void CheckNextCommand(RunResult& result, int faultsLeft) {
    stravener::Clock().Sleep(kUsersPauseMs);
    for (int attempt = 0; attempt <= faultsLeft; ++attempt) {
      const int firedBefore = Total(FaultsFired(logger_));
      LoggerInfo info;
      if (ReadLoggerInfo(connection, host.clock, info) == 0) {
        if (info.bytes != logger_.InfoRecord()) Violation(result, "the next command got a wrong record");
        return;
      }
      // The user tries again after a moment; the logger's own fault, if it was one, shows
      // in its trace by then.
      stravener::Clock().Sleep(kUsersPauseMs);
      // A fault still due may make the logger vanish during this very command: it failed
      // with its message, and there is nothing left to ask.
      if (logger_.Vanished()) return;
      if (Total(FaultsFired(logger_)) == firedBefore) {
        Violation(result, "the next command failed although the logger answered it right");
        return;
      }
    }
    Violation(result, "the next command never got its answer");
  }

  sim::SimulatedLogger& Logger() { return logger_; }
  const std::string& Folder() const { return folder_; }

  TestHost host;
  PortConnection connection{host.log};

 private:
  sim::SimulatedLogger logger_;
  std::string folder_;

 public:
  ~Run() { CloseHandleSilently(connection); }
};

}  // namespace

DownloadPlan DrawDownload(std::mt19937& random) {
  DownloadPlan plan;
  plan.layout = static_cast<int>(Uniform(random, 1, 2));
  plan.points = Uniform(random, 20, 800);
  plan.pageSize = Pick(random, kPageSizes);
  plan.speedLimit = Pick(random, kSpeedLimits);
  plan.plt = Uniform(random, 0, 9) < 3;
  plan.paced = Uniform(random, 0, 3) == 0;

  // The frames a download without faults takes: the record, then the blocks.
  const uint32_t used = plan.points * 16;
  const uint32_t speed = TransferLineSpeedFor(plan.speedLimit).bitsPerSecond;
  uint32_t frames = 1;
  for (uint32_t received = 0; received < used; ++frames)
    received += TrackBlockSize(speed, plan.pageSize, used - received);

  if (Uniform(random, 0, 9) == 0) {
    // A block spoiled five times in a row: the transfer goes on at the next lower speed, or
    // at 38400 bit/s has to give up.
    const uint32_t first = Uniform(random, 2, frames);
    for (uint32_t k = 0; k < 5; ++k) {
      FaultKind kind = FaultKind::Vanish;
      while (kind == FaultKind::Vanish) kind = Pick(random, kFrameFaults);
      plan.faults.push_back({kind, first + k});
    }
    return plan;
  }
  const uint32_t count = Uniform(random, 0, 19);
  const int faults = count < 3 ? 0 : count < 11 ? 1 : count < 17 ? 2 : 3;
  for (int i = 0; i < faults; ++i) {
    FaultKind kind = Pick(random, kFrameFaults);
    // A vanished logger ends the run; let it be rarer than the faults a retry mends.
    if (kind == FaultKind::Vanish && Uniform(random, 0, 1) == 0) kind = FaultKind::Checksum;
    // Now and then the information record itself is spoiled (frame 1).
    const uint32_t at = Uniform(random, 0, 24) == 0 ? 1 : Uniform(random, 2, frames);
    plan.faults.push_back({kind, at});
  }
  // The pauses before the transfer, then the line time of the track (or a moment unpaced).
  plan.interruptAfterMs =
      DrawInterruption(random, 450 + (plan.paced ? static_cast<uint32_t>(uint64_t{used} * 10000 / speed) : 100));
  return plan;
}

UpgradePlan DrawUpgrade(std::mt19937& random) {
  UpgradePlan plan;
  plan.profile = static_cast<int>(Uniform(random, 0, 2));
  const uint32_t pageBytes = kProcessorProfiles[plan.profile].BytesPerPage();
  plan.imageBytes = Uniform(random, 1, 24 * pageBytes);
  const uint32_t pages = (plan.imageBytes + pageBytes - 1) / pageBytes;
  switch (Uniform(random, 0, 3)) {
    case 0: plan.faults.push_back({FaultKind::Signature, Uniform(random, 1, 12)}); break;
    case 1: plan.faults.push_back({FaultKind::WrongAck, Uniform(random, 0, pages - 1)}); break;
    case 2: plan.faults.push_back({FaultKind::MissingAck, Uniform(random, 0, pages - 1)}); break;
    default: break;
  }
  // The pauses and the erase, then each page's writing.
  plan.interruptAfterMs = DrawInterruption(random, 450 + pages * 5);
  return plan;
}

RunResult RunDownload(const DownloadPlan& plan, const std::string& folder) {
  RunResult result;
  const auto started = Clock::now();
  sim::SimulatedLoggerOptions options;
  options.layout = plan.layout;
  options.points = plan.points;
  options.seed = plan.points * 7 + static_cast<uint32_t>(plan.layout);
  options.pageSize = plan.pageSize;
  options.pageCount = 2048;
  options.pace = plan.paced;
  options.faults = plan.faults;
  Run run(options, folder);
  if (!run.Start(result)) return result;
  run.connection.speedLimit = plan.speedLimit;

  const std::string name = plan.plt ? "track.plt" : "track.bin";
  const std::string path = folder + "/" + name;
  const std::string partialPath = folder + (plan.plt ? "/track.partial.plt" : "/track.partial.bin");
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::remove(partialPath, ignored);

  Interrupter interrupter(plan.interruptAfterMs);
  const OperationResult outcome = ReadTrackInto(run.connection, run.host, path);
  result.interrupted = interrupter.OperationEnded();
  result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  result.vanished = run.Logger().Vanished();

  const std::vector<uint8_t> used = run.Logger().UsedMemory();
  const std::vector<uint8_t> expected = plan.plt ? ExpectedPlt(folder, name, used, plan.layout) : used;
  const bool exists = std::filesystem::exists(path);
  const std::vector<uint8_t> file = exists ? ReadBytes(path) : std::vector<uint8_t>();
  const bool partialExists = std::filesystem::exists(partialPath);
  const std::vector<uint8_t> partial = partialExists ? ReadBytes(partialPath) : std::vector<uint8_t>();
  const bool aborted = run.Logged("Transfer aborted.");
  const bool transferStarted = run.Logged("Speed change command sent.");

  if (outcome == OperationResult::Done) {
    result.completed = true;
    if (file != expected) run.Violation(result, "done, but the file is not the logger's memory");
    if (aborted) run.Violation(result, "done, and yet \"Transfer aborted.\"");
  } else if (outcome == OperationResult::Failed && transferStarted) {
    if (!aborted) run.Violation(result, "failed without \"Transfer aborted.\"");
    // The chosen name only ever holds a whole track; what came is beside it.
    if (exists) run.Violation(result, "aborted, and yet a file under the chosen name");
    if (partialExists && !run.Logged("The incomplete track is in " + partialPath + ".")) {
      run.Violation(result, "a partial file the log does not name");
    }
    if (!IsPrefix(partial, expected)) run.Violation(result, "aborted, and the partial file is not a prefix of the memory");
  } else if (outcome == OperationResult::Failed) {
    // The information record itself was spoiled: nothing was asked of the logger yet.
    result.beforeTransfer = true;
    if (exists || partialExists) run.Violation(result, "a file although the transfer never began");
  } else {
    run.Violation(result, "the download ended neither done nor failed");
  }

  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") run.Violation(result, "a temporary file left: " + entry.path().string());
  }

  result.faultsFired = FaultsFired(run.Logger());
  if (result.vanished) {
    if (outcome == OperationResult::Done) run.Violation(result, "done although the logger vanished");
    // Nothing answers any more: the next command must say so, within its time-outs.
    const auto before = Clock::now();
    LoggerInfo info;
    if (ReadLoggerInfo(run.connection, run.host.clock, info) == 0) {
      run.Violation(result, "an answer from a vanished logger");
    }
    if (std::chrono::duration<double>(Clock::now() - before).count() > 10.0) {
      run.Violation(result, "the next command hung on a vanished logger");
    }
  } else {
    if (!AwaitCommandMode(run.Logger())) run.Violation(result, "the logger is not back in command mode at 4800");
    if (run.connection.currentSpeed != kCommandSpeed) run.Violation(result, "the port is not back at 4800");
    run.CheckNextCommand(result, static_cast<int>(plan.faults.size()) - Total(result.faultsFired));
  }
  return result;
}

RunResult RunUpgrade(const UpgradePlan& plan, const std::string& folder) {
  RunResult result;
  const auto started = Clock::now();
  const ProcessorProfile& profile = kProcessorProfiles[plan.profile];
  sim::SimulatedLoggerOptions options;
  options.points = 20;
  options.pace = false;
  options.signature = profile.signature;
  options.faults = plan.faults;
  Run run(options, folder);
  if (!run.Start(result)) return result;

  std::mt19937 random(plan.imageBytes);
  std::vector<uint8_t> image(plan.imageBytes);
  for (uint8_t& b : image) b = static_cast<uint8_t>(random());
  const std::string path = folder + "/image.upg";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  std::vector<uint8_t> padded = image;
  padded.resize((image.size() + profile.BytesPerPage() - 1) / profile.BytesPerPage() * profile.BytesPerPage(), 0xFF);

  Interrupter interrupter(plan.interruptAfterMs);
  int outcome = UpgradeFirmware(run.connection, run.host, path, true);
  result.interrupted = interrupter.OperationEnded();
  if (outcome != 0) {
    const bool told = run.Logged("Protocol error.") || run.Logged("Connect stravener and begin upgrade again.");
    // Stopped before the logger was handed over, nothing happened; after, the log says how
    // it was left.
    const bool toldStop =
        !run.Logged("Firmware upgrade command sent.") ||
        run.Logged("Upgrade stopped before the program memory was erased; the logger's firmware is unchanged.") ||
        run.Logged("Upgrade stopped: the logger's program memory is incomplete. Run the upgrade again; the boot "
                   "loader still answers.");
    if (!told && !(result.interrupted && toldStop)) {
      run.Violation(result, "a failed upgrade without the boot loader's failure in the log");
    }
    if (run.connection.openFlag != 1) run.Violation(result, "a failed upgrade closed the port");
    // The user begins again, a moment later: the logger is still in its boot loader, or
    // back in its firmware, which needs a moment after the restart.
    if (result.interrupted) stravener::Clock().Sleep(2 * kUsersPauseMs);
    result.tries = 2;
    outcome = UpgradeFirmware(run.connection, run.host, path, true);
    // An interruption may have come before the boot loader's fault: that takes a try more.
    if (outcome != 0 && result.interrupted) {
      result.tries = 3;
      outcome = UpgradeFirmware(run.connection, run.host, path, true);
    }
    if (outcome != 0) run.Violation(result, "the user's last try failed too");
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  result.faultsFired = FaultsFired(run.Logger());
  if (outcome == 0) {
    result.completed = true;
    if (run.Logger().ProgrammedImage() != padded) run.Violation(result, "the program memory is not the image");
    if (run.connection.openFlag != 0) run.Violation(result, "the port is still open after the upgrade");
    if (!AwaitCommandMode(run.Logger())) run.Violation(result, "the logger did not restart into command mode");
  }
  return result;
}

}  // namespace stravener::soak
