// stravener-sim-service: simulated loggers on demand for the Windows test programs, which
// run under Wine and cannot make a pseudo-terminal themselves.
//
// It listens on 127.0.0.1. Each connection is one session, which may start one simulated
// logger (in this process, on its own pseudo-terminal) whose slave side is linked as
// DOSDEVICES/comN, so the Windows program opens it as COMn. The logger stops and the link
// goes when the session says "stop" or its connection ends, so a test that dies leaves
// nothing behind.
//
// Requests are lines; answers are "ok TEXT", "ok bytes N" followed by N bytes, or
// "error TEXT":
//   track N  + N bytes       the track memory content of the next start
//   start [KEY=VALUE ...]    starts the logger: "ok COMn" once the link exists
//       pages, page-size, layout, points, seed, firmware, skip, signature (6 hex digits),
//       pace (0 or 1), adapter-limit (bit/s), fault (KIND@N, repeatable, as stravener-sim
//       takes it)
//   used | info | image      the used track memory, the information record, the programmed
//                            image: "ok bytes N"
//   skip | mode | tool-speed | frames    the skip setting, the logger's mode, the speed the
//                            tool's side of the line runs at, the frames answered
//   stop                     stops the logger and removes its link
// or, for tests of the serial port itself, a bare line whose other end the session holds:
//   raw                      opens a pseudo-terminal: "ok COMn" once the link exists
//   send N  + N bytes        writes the bytes to the line
//   receive N MS             what arrives within MS milliseconds, at most N bytes:
//                            "ok bytes K"
//   tool-speed               the speed the tool's side set
//
//   stravener-sim-service --dosdevices DIR [--port-file FILE] [--idle-exit SECONDS]
// The listening port is printed on stdout (and written to FILE). The program ends on
// SIGTERM or SIGINT, or after SECONDS without a session (default 600).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/pseudo_terminal.h"
#include "sim/simulated_logger.h"

namespace {

using stravener::sim::PseudoTerminal;
using stravener::sim::SimulatedLogger;
using stravener::sim::SimulatedLoggerOptions;

std::atomic<bool> gStop{false};
void OnStopSignal(int) { gStop = true; }

// The COM numbers that sessions hold now.
std::mutex gComMutex;
std::set<unsigned> gComInUse;

class Connection {
 public:
  explicit Connection(int fd) : fd_(fd) {}
  ~Connection() { ::close(fd_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // One line without its end; false at the end of the connection.
  bool ReadLine(std::string& line) {
    line.clear();
    for (;;) {
      if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return true;
      }
      if (!Fill()) return false;
    }
  }

  bool ReadBytes(size_t count, std::vector<uint8_t>& bytes) {
    while (buffer_.size() < count) {
      if (!Fill()) return false;
    }
    bytes.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    buffer_.erase(0, count);
    return true;
  }

  bool Send(const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
      const ssize_t n = ::send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

  bool SendBytes(const std::vector<uint8_t>& bytes) {
    return Send("ok bytes " + std::to_string(bytes.size()) + "\n" + std::string(bytes.begin(), bytes.end()));
  }

 private:
  bool Fill() {
    char chunk[65536];
    for (;;) {
      // Wakes up now and then, so that the program can end while a session waits.
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, 200);
      if (gStop) return false;
      if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
      if (ready < 0) return false;
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<size_t>(n));
      return true;
    }
  }

  int fd_;
  std::string buffer_;
};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.size() > 10) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoul(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && value <= max;
}

// Applies one KEY=VALUE of a start request; false with the reason when it is wrong.
bool ApplyOption(const std::string& word, SimulatedLoggerOptions& options, std::string& error) {
  const size_t eq = word.find('=');
  auto fail = [&error](std::string why) {
    error = std::move(why);
    return false;
  };
  if (eq == std::string::npos) return fail("expected KEY=VALUE, got " + word);
  const std::string key = word.substr(0, eq);
  const std::string value = word.substr(eq + 1);
  unsigned long number = 0;
  if (key == "pages" || key == "page-size") {
    if (!ParseNumber(value, 65535, number)) return fail(key + " takes 0-65535");
    (key == "pages" ? options.pageCount : options.pageSize) = static_cast<uint16_t>(number);
  } else if (key == "layout") {
    if (!ParseNumber(value, 2, number) || number == 0) return fail("layout takes 1 or 2");
    options.layout = static_cast<int>(number);
  } else if (key == "points" || key == "seed") {
    if (!ParseNumber(value, 0xffffffffUL, number)) return fail(key + " takes a number");
    (key == "points" ? options.points : options.seed) = static_cast<uint32_t>(number);
  } else if (key == "firmware") {
    options.firmware = value;
  } else if (key == "skip") {
    if (!ParseNumber(value, 255, number)) return fail("skip takes 0-255");
    options.skip = static_cast<uint8_t>(number);
  } else if (key == "signature") {
    if (value.size() != 6) return fail("signature takes 6 hex digits");
    for (size_t i = 0; i < 3; ++i) {
      char* end = nullptr;
      const std::string pair = value.substr(i * 2, 2);
      options.signature[i] = static_cast<uint8_t>(std::strtoul(pair.c_str(), &end, 16));
      if (*end != '\0') return fail("signature takes 6 hex digits");
    }
  } else if (key == "adapter-limit") {
    if (!ParseNumber(value, 460800, number)) return fail("adapter-limit takes a speed in bit/s");
    options.adapterCeiling = static_cast<uint32_t>(number);
  } else if (key == "pace") {
    if (value != "0" && value != "1") return fail("pace takes 0 or 1");
    options.pace = value == "1";
  } else if (key == "fault") {
    std::string why;
    const auto fault = stravener::sim::ParseFault(value, &why);
    if (!fault) return fail("fault " + value + ": " + why);
    options.faults.push_back(*fault);
  } else {
    return fail("unknown option " + key);
  }
  return true;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// One session's logger and the link that names it.
class Session {
 public:
  explicit Session(std::string dosdevices) : dosdevices_(std::move(dosdevices)) {}
  ~Session() { Stop(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void Serve(Connection& connection) {
    std::string line;
    while (!gStop && connection.ReadLine(line)) {
      const std::vector<std::string> words = Words(line);
      if (words.empty()) continue;
      const std::string& verb = words[0];
      bool ok = true;
      if (verb == "track" && words.size() == 2) {
        unsigned long count = 0;
        std::vector<uint8_t> bytes;
        if (!ParseNumber(words[1], 64u << 20, count) || !connection.ReadBytes(count, bytes)) return;
        track_ = std::move(bytes);
        ok = connection.Send("ok\n");
      } else if (verb == "start") {
        ok = connection.Send(Start(words) + "\n");
      } else if (verb == "stop") {
        Stop();
        ok = connection.Send("ok\n");
      } else if (verb == "raw") {
        ok = connection.Send(OpenRaw() + "\n");
      } else if (raw_ && verb == "send" && words.size() == 2) {
        unsigned long count = 0;
        std::vector<uint8_t> bytes;
        if (!ParseNumber(words[1], 64u << 20, count) || !connection.ReadBytes(count, bytes)) return;
        ok = connection.Send(SendRaw(bytes) + "\n");
      } else if (raw_ && verb == "receive" && words.size() == 3) {
        unsigned long count = 0;
        unsigned long ms = 0;
        if (!ParseNumber(words[1], 64u << 20, count) || !ParseNumber(words[2], 60000, ms)) return;
        ok = connection.SendBytes(ReceiveRaw(count, static_cast<int>(ms)));
      } else if (raw_ && verb == "tool-speed") {
        ok = connection.Send("ok " + std::to_string(raw_->ToolSpeed()) + "\n");
      } else if (!logger_) {
        ok = connection.Send("error no logger is running\n");
      } else if (verb == "used") {
        ok = connection.SendBytes(logger_->UsedMemory());
      } else if (verb == "info") {
        const auto record = logger_->InfoRecord();
        ok = connection.SendBytes(std::vector<uint8_t>(record.begin(), record.end()));
      } else if (verb == "image") {
        ok = connection.SendBytes(logger_->ProgrammedImage());
      } else if (verb == "skip") {
        ok = connection.Send("ok " + std::to_string(logger_->SkipSetting()) + "\n");
      } else if (verb == "mode") {
        ok = connection.Send(std::string("ok ") + stravener::sim::LoggerModeName(logger_->Mode()) + "\n");
      } else if (verb == "tool-speed") {
        ok = connection.Send("ok " + std::to_string(logger_->ToolSpeed()) + "\n");
      } else if (verb == "frames") {
        ok = connection.Send("ok " + std::to_string(logger_->FramesAnswered()) + "\n");
      } else {
        ok = connection.Send("error unknown request " + verb + "\n");
      }
      if (!ok) return;
    }
  }

 private:
  std::string Start(const std::vector<std::string>& words) {
    if (logger_ || raw_) return "error a line is open already";
    SimulatedLoggerOptions options;
    options.keepTrace = false;
    for (size_t i = 1; i < words.size(); ++i) {
      std::string error;
      if (!ApplyOption(words[i], options, error)) return "error " + error;
    }
    if (track_) options.track = std::move(*track_);
    track_.reset();

    auto logger = std::make_unique<SimulatedLogger>(std::move(options));
    std::string error;
    if (logger->Start(&error) != 0) return "error " + error;
    if (!Link(logger->SlavePath(), error)) return "error " + error;
    logger_ = std::move(logger);
    return "ok COM" + std::to_string(com_);
  }

  std::string OpenRaw() {
    if (logger_ || raw_) return "error a line is open already";
    auto line = std::make_unique<PseudoTerminal>();
    std::string error;
    if (line->Open(9600, &error) != 0) return "error " + error;
    if (!Link(line->SlavePath(), error)) return "error " + error;
    raw_ = std::move(line);
    return "ok COM" + std::to_string(com_);
  }

  std::string SendRaw(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sent < bytes.size() && std::chrono::steady_clock::now() < deadline) {
      pollfd p{raw_->Master(), POLLOUT, 0};
      if (!raw_->IsOpen() || ::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::write(raw_->Master(), bytes.data() + sent, bytes.size() - sent);
      if (n > 0) sent += static_cast<size_t>(n);
    }
    return sent == bytes.size() ? "ok" : "error only " + std::to_string(sent) + " bytes went out";
  }

  std::vector<uint8_t> ReceiveRaw(size_t count, int ms) {
    std::vector<uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (bytes.size() < count && raw_->IsOpen() && std::chrono::steady_clock::now() < deadline) {
      pollfd p{raw_->Master(), POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      uint8_t chunk[4096];
      const ssize_t n = ::read(raw_->Master(), chunk, std::min(sizeof chunk, count - bytes.size()));
      if (n > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
  }

  // Names the line DOSDEVICES/comN with a free N.
  bool Link(const std::string& target, std::string& error) {
    const unsigned com = TakeComNumber();
    if (com == 0) {
      error = "no free COM number";
      return false;
    }
    const std::string link = dosdevices_ + "/com" + std::to_string(com);
    const std::string temporary = link + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), link.c_str()) != 0) {
      error = "cannot link " + link + ": " + std::strerror(errno);
      ::unlink(temporary.c_str());
      ReleaseComNumber(com);
      return false;
    }
    com_ = com;
    link_ = link;
    return true;
  }

  void Stop() {
    if (com_ != 0) {
      ::unlink(link_.c_str());
      ReleaseComNumber(com_);
      com_ = 0;
    }
    if (logger_) logger_->Stop();
    logger_.reset();
    raw_.reset();
  }

  // COM10 and up: below them are the prefix's own ports (COM1 to COM4 and the machine's).
  static unsigned TakeComNumber() {
    std::lock_guard lock(gComMutex);
    for (unsigned n = 10; n < 256; ++n) {
      if (gComInUse.insert(n).second) return n;
    }
    return 0;
  }
  static void ReleaseComNumber(unsigned n) {
    std::lock_guard lock(gComMutex);
    gComInUse.erase(n);
  }

  std::string dosdevices_;
  std::optional<std::vector<uint8_t>> track_;
  std::unique_ptr<SimulatedLogger> logger_;
  std::unique_ptr<PseudoTerminal> raw_;
  unsigned com_ = 0;
  std::string link_;
};

int Usage() {
  std::fprintf(stderr,
               "usage: stravener-sim-service --dosdevices DIR [--port-file FILE] [--idle-exit SECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dosdevices;
  std::string portFile;
  unsigned long idleExit = 600;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "--dosdevices") {
      dosdevices = argv[++i];
    } else if (arg == "--port-file") {
      portFile = argv[++i];
    } else if (arg == "--idle-exit") {
      if (!ParseNumber(argv[++i], 86400, idleExit)) return Usage();
    } else {
      return Usage();
    }
  }
  struct stat st {};
  if (dosdevices.empty() || ::stat(dosdevices.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "stravener-sim-service: %s is not a folder\n", dosdevices.c_str());
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    std::fprintf(stderr, "stravener-sim-service: cannot listen: %s\n", std::strerror(errno));
    return 1;
  }
  const unsigned port = ntohs(address.sin_port);
  if (!portFile.empty()) {
    const std::string temporary = portFile + ".new";
    FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr || std::fprintf(file, "%u\n", port) < 0 || std::fclose(file) != 0 ||
        std::rename(temporary.c_str(), portFile.c_str()) != 0) {
      std::fprintf(stderr, "stravener-sim-service: cannot write %s\n", portFile.c_str());
      return 1;
    }
  }
  std::printf("%u\n", port);
  std::fflush(stdout);

  std::atomic<int> sessions{0};
  std::vector<std::thread> threads;
  auto idleSince = std::chrono::steady_clock::now();
  while (!gStop) {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 200) > 0) {
      const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        ++sessions;
        threads.emplace_back([fd, &sessions, dosdevices] {
          {
            Connection connection(fd);
            Session session(dosdevices);
            session.Serve(connection);
          }
          --sessions;
        });
      }
    }
    if (sessions > 0) {
      idleSince = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - idleSince > std::chrono::seconds(idleExit)) {
      std::fprintf(stderr, "stravener-sim-service: no session for %lu s, ending\n", idleExit);
      break;
    }
  }
  gStop = true;
  ::close(listener);
  for (std::thread& thread : threads) thread.join();
  if (!portFile.empty()) ::unlink(portFile.c_str());
  return 0;
}
