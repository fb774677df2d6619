#include "sim_service_session.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <fstream>

#include "wine_paths.h"

namespace {

const uintptr_t kNoSocket = ~static_cast<uintptr_t>(0);

bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

SOCKET AsSocket(uintptr_t s) { return static_cast<SOCKET>(s); }

}  // namespace

SimServiceSession::~SimServiceSession() {
  if (socket_ != kNoSocket) closesocket(AsSocket(socket_));
}

bool SimServiceSession::Connect() {
  if (socket_ != kNoSocket) return true;
  const char* file = std::getenv("STRAVENER_SIM_SERVICE_FILE");
  if (file == nullptr) {
    lastError_ = "STRAVENER_SIM_SERVICE_FILE is not set: run the test through ctest";
    return false;
  }
  unsigned port = 0;
  std::ifstream in(WindowsPath(file));
  if (!(in >> port) || port == 0 || port > 65535) {
    lastError_ = std::string("no service port in ") + file;
    return false;
  }
  if (!StartWinsock()) {
    lastError_ = "Winsock does not start";
    return false;
  }
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    lastError_ = "no socket: " + std::to_string(WSAGetLastError());
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    lastError_ = "cannot reach the service on port " + std::to_string(port) + ": " + std::to_string(WSAGetLastError());
    closesocket(s);
    return false;
  }
  socket_ = static_cast<uintptr_t>(s);
  return true;
}

bool SimServiceSession::Fill() {
  char chunk[65536];
  const int n = recv(AsSocket(socket_), chunk, sizeof chunk, 0);
  if (n <= 0) {
    lastError_ = "the service closed the session";
    return false;
  }
  buffer_.append(chunk, static_cast<size_t>(n));
  return true;
}

bool SimServiceSession::ReadLine(std::string& line) {
  for (;;) {
    if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
      line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return true;
    }
    if (!Fill()) return false;
  }
}

bool SimServiceSession::ReadExactly(size_t count, std::vector<uint8_t>& bytes) {
  while (buffer_.size() < count) {
    if (!Fill()) return false;
  }
  bytes.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
  buffer_.erase(0, count);
  return true;
}

bool SimServiceSession::Request(const std::string& line, std::string& answer, const std::vector<uint8_t>& bytes) {
  answer.clear();
  if (!Connect()) return false;
  std::string out = line + "\n";
  out.append(bytes.begin(), bytes.end());
  size_t sent = 0;
  while (sent < out.size()) {
    const int n = send(AsSocket(socket_), out.data() + sent, static_cast<int>(out.size() - sent), 0);
    if (n <= 0) {
      lastError_ = "cannot send to the service";
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  std::string reply;
  if (!ReadLine(reply)) return false;
  if (reply == "ok" || reply.rfind("ok ", 0) == 0) {
    answer = reply.size() > 3 ? reply.substr(3) : std::string();
    return true;
  }
  lastError_ = line.substr(0, line.find(' ')) + ": " + reply;
  return false;
}

std::vector<uint8_t> SimServiceSession::RequestBytes(const std::string& line) {
  std::string answer;
  std::vector<uint8_t> bytes;
  if (!Request(line, answer)) return bytes;
  if (answer.rfind("bytes ", 0) != 0) {
    lastError_ = line + ": unexpected answer " + answer;
    return bytes;
  }
  ReadExactly(std::strtoul(answer.c_str() + 6, nullptr, 10), bytes);
  return bytes;
}

uint32_t SimServiceSession::RequestNumber(const std::string& line) {
  std::string answer;
  if (!Request(line, answer)) return 0;
  return static_cast<uint32_t>(std::strtoul(answer.c_str(), nullptr, 10));
}

std::string SimServiceSession::StartWith(const std::string& request, const std::vector<uint8_t>& track) {
  std::string answer;
  if (!track.empty() && !Request("track " + std::to_string(track.size()), answer, track)) return lastError_;
  if (!Request(request, answer)) return lastError_;
  if (answer.rfind("COM", 0) != 0) return "unexpected answer " + answer;
  comNumber_ = static_cast<uint32_t>(std::strtoul(answer.c_str() + 3, nullptr, 10));
  return {};
}

std::string SimServiceSession::StartLogger(const std::vector<std::string>& options,
                                           const std::vector<uint8_t>& track) {
  std::string request = "start";
  for (const std::string& option : options) request += " " + option;
  return StartWith(request, track);
}

std::string SimServiceSession::OpenLine() { return StartWith("raw", {}); }

bool SimServiceSession::Send(const std::vector<uint8_t>& bytes) {
  std::string answer;
  return Request("send " + std::to_string(bytes.size()), answer, bytes);
}

std::vector<uint8_t> SimServiceSession::Receive(size_t count, int timeoutMs) {
  return RequestBytes("receive " + std::to_string(count) + " " + std::to_string(timeoutMs));
}

uint32_t SimServiceSession::ToolSpeed() { return RequestNumber("tool-speed"); }

std::vector<uint8_t> SimServiceSession::UsedMemory() { return RequestBytes("used"); }
std::vector<uint8_t> SimServiceSession::InfoRecord() { return RequestBytes("info"); }
std::vector<uint8_t> SimServiceSession::ProgrammedImage() { return RequestBytes("image"); }

int SimServiceSession::SkipSetting() {
  std::string answer;
  if (!Request("skip", answer)) return -1;
  return std::atoi(answer.c_str());
}

std::string SimServiceSession::Mode() {
  std::string answer;
  return Request("mode", answer) ? answer : std::string();
}

uint32_t SimServiceSession::FramesAnswered() { return RequestNumber("frames"); }
