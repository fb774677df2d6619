#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The tool's end of the line, as bare as it gets: the pseudo-terminal's slave side opened
// raw, its speed set by hand, reads bounded by a deadline.
class PtyClient {
 public:
  explicit PtyClient(const std::string& path, uint32_t speed = 4800);
  ~PtyClient();
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  bool SetSpeed(uint32_t speed);
  void Purge();
  // Writes everything; false when the line refused (errno in LastError()).
  bool Write(std::string_view bytes);
  bool Write(const std::vector<uint8_t>& bytes);
  bool WriteByte(uint8_t byte);
  // Reads until `count` bytes arrived or `timeout` passed; returns what arrived. A read
  // error or end of file stops it early and sets HungUp().
  std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout);
  // Everything that arrives until nothing more came for `quiet`.
  std::vector<uint8_t> ReadUntilQuiet(std::chrono::milliseconds quiet);
  bool HungUp() const { return hungUp_; }
  int LastError() const { return lastError_; }

  // The tool's prologue of a command at 4800 bit/s: the attention sentence, the pause,
  // then the sentence.
  bool Command(std::string_view sentence, std::chrono::milliseconds pause = std::chrono::milliseconds(150));

 private:
  int fd_ = -1;
  bool hungUp_ = false;
  int lastError_ = 0;
};

std::vector<uint8_t> Bytes(std::string_view text);

// A frame as the logger sends it: little-endian length, payload, checksum.
std::vector<uint8_t> CrcFrame(const std::vector<uint8_t>& payload);
std::vector<uint8_t> XorFrame(const std::vector<uint8_t>& payload);

void SleepMs(int milliseconds);
