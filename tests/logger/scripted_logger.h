#pragma once

// A logger behind the serial test double: it answers the sentences the tool writes at
// once, from an information record and a track memory the test sets up, and plays a boot
// loader after the upgrade sentence (or from the start, with inBootLoader). Timing and line
// speeds play no part here; the simulated logger on a pseudo-terminal covers them.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "link/checksum.h"
#include "support/fake_serial_device.h"

class ScriptedLogger {
 public:
  explicit ScriptedLogger(FakeSerialLine& line) {
    SetGeometry(2048, 256, 0, 0);
    const uint8_t head[12] = {0x01, 0x00, 0x12, 0x34, 0x15, 0x03, 0x20, 0x06, '2', '.', '1', '0'};
    std::copy(std::begin(head), std::end(head), info.begin());
    line.respond = [this](FakeSerialLine& l, const std::vector<uint8_t>& written) { Respond(l, written); };
  }

  void SetGeometry(uint16_t pageCount, uint16_t pageSize, uint16_t fullPages, uint16_t partialBytes) {
    PutWord(12, pageCount);
    PutWord(14, pageSize);
    PutWord(16, fullPages);
    PutWord(18, partialBytes);
  }
  // Fills the used memory with records that pass the writer's validity rule.
  void SetUsedMemory(uint32_t bytes, int layoutDigit = 2);
  void PutWord(size_t offset, uint16_t value) {
    info[offset] = static_cast<uint8_t>(value & 0xff);
    info[offset + 1] = static_cast<uint8_t>(value >> 8);
  }

  static std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload, bool xorChecksum) {
    std::vector<uint8_t> frame(payload.size() + 2);
    frame[0] = static_cast<uint8_t>(payload.size() & 0xff);
    frame[1] = static_cast<uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), frame.begin() + 2);
    const auto count = static_cast<uint16_t>(payload.size());
    const uint8_t sum = xorChecksum ? stravener::Xor8(frame.data() + 2, count, stravener::Xor8(frame.data(), 2, 0))
                                    : stravener::Crc8(frame.data() + 2, count, stravener::Crc8(frame.data(), 2, 0));
    frame.push_back(sum);
    return frame;
  }

  std::array<uint8_t, 22> info{};
  std::vector<uint8_t> memory;  // the track memory from page 0
  uint8_t eraseAnswer = 1;
  uint8_t configurationAnswer = 0;
  // Sentences as written, attention included, in order.
  std::vector<std::string> sentences;
  // Called with each frame before it goes out (its ordinal from 1); may change or drop it.
  std::function<void(int ordinal, std::vector<uint8_t>& frame)> alterFrame;
  // Called when a block request arrives, before it is answered.
  std::function<void(uint32_t page, uint32_t count)> onBlockRequest;

  // The boot loader.
  bool inBootLoader = false;
  std::array<uint8_t, 3> signature{0x07, 0x93, 0x1E};
  size_t signatureLength = 3;  // how many of its bytes the boot loader sends
  std::vector<uint8_t> bootBytes;  // every byte the boot loader received
  uint32_t pagesWritten = 0;
  bool erased = false;
  bool restarted = false;
  // Whether the boot loader's restart starts the firmware: not after an erase, until an 'r'
  // right after a page write ends a programming run.
  bool firmwareWhole = true;
  uint8_t acknowledgement = 0x0D;
  // A boot loader that cannot take bytes back to back: of a write of several bytes only
  // the first reaches it.
  bool takesOneByteAtATime = false;

 private:
  void Send(FakeSerialLine& line, const std::vector<uint8_t>& payload, bool xorChecksum) {
    std::vector<uint8_t> frame = Frame(payload, xorChecksum);
    ++frames_;
    if (alterFrame) alterFrame(frames_, frame);
    line.Feed(frame);
  }
  void Respond(FakeSerialLine& line, const std::vector<uint8_t>& written);
  void BootByte(FakeSerialLine& line, uint8_t byte);

  int frames_ = 0;
  // Boot loader state: the command waiting for its operand bytes, and how many remain.
  uint8_t command_ = 0;
  int operandsDue_ = 0;
  uint8_t lastCommand_ = 0;
};

inline void ScriptedLogger::SetUsedMemory(uint32_t bytes, int layoutDigit) {
  info[8] = static_cast<uint8_t>('0' + layoutDigit);
  const uint16_t pageSize = static_cast<uint16_t>(info[14] | info[15] << 8);
  if (pageSize != 0) {
    PutWord(16, static_cast<uint16_t>(bytes / pageSize));
    PutWord(18, static_cast<uint16_t>(bytes % pageSize));
  }
  // A valid layout-2 record (52.225 N, 21.0122 E, 17 May 2006), its seconds stepping.
  const uint8_t record[16] = {0x73, 0x0C, 0x31, 0x95, 0xBB, 0x6E, 0x25, 0x23,
                              0x45, 0x68, 0x0E, 0xF1, 0x27, 0x7F, 0x70, 0x00};
  memory.assign(bytes + 4096, 0xFF);
  for (uint32_t i = 0; i < bytes; ++i) memory[i] = record[i % 16];
  for (uint32_t r = 0; r * 16 + 16 <= bytes; ++r) memory[r * 16 + 4] = static_cast<uint8_t>(0xBB + (r % 4));
}

inline void ScriptedLogger::Respond(FakeSerialLine& line, const std::vector<uint8_t>& written) {
  if (inBootLoader) {
    const size_t taken = takesOneByteAtATime ? std::min<size_t>(1, written.size()) : written.size();
    for (size_t i = 0; i < taken; ++i) BootByte(line, written[i]);
    return;
  }
  const std::string text(written.begin(), written.end());
  sentences.push_back(text);
  unsigned page = 0, count = 0;
  if (text == "$PQRVI,\r\n") {
    Send(line, std::vector<uint8_t>(info.begin(), info.end()), false);
  } else if (text == "$PQRVE,\r\n") {
    Send(line, {eraseAnswer}, false);
  } else if (text.rfind("$PQRVC,", 0) == 0) {
    Send(line, {configurationAnswer}, false);
  } else if (text == "$PQRVU,\r\n") {
    inBootLoader = true;
  } else if (std::sscanf(text.c_str(), "$PQRVT,%u,%u,", &page, &count) == 2) {
    if (onBlockRequest) onBlockRequest(page, count);
    const uint16_t pageSize = static_cast<uint16_t>(info[14] | info[15] << 8);
    const size_t from = static_cast<size_t>(page) * pageSize;
    std::vector<uint8_t> block(count, 0xFF);
    for (size_t i = 0; i < count && from + i < memory.size(); ++i) block[i] = memory[from + i];
    Send(line, block, true);
  }
}

inline void ScriptedLogger::BootByte(FakeSerialLine& line, uint8_t byte) {
  bootBytes.push_back(byte);
  if (command_ != 0) {
    if (--operandsDue_ == 0) {
      command_ = 0;
      line.Feed({acknowledgement});
    }
    return;
  }
  const uint8_t previous = lastCommand_;
  lastCommand_ = byte;
  switch (byte) {
    case 's': line.Feed(std::vector<uint8_t>(signature.begin(), signature.begin() + signatureLength)); break;
    case 'e':
      erased = true;
      firmwareWhole = false;
      line.Feed({acknowledgement});
      break;
    case 'A':
    case 'c':
    case 'C':
      command_ = byte;
      operandsDue_ = byte == 'A' ? 2 : 1;
      break;
    case 'm':
      ++pagesWritten;
      line.Feed({acknowledgement});
      break;
    case 'r':
      restarted = true;
      firmwareWhole = firmwareWhole || previous == 'm';
      inBootLoader = !firmwareWhole;
      break;
    default: break;
  }
}
