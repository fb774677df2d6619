#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stravener::sim {

// Faults the simulated logger can be told to commit, each once, at a given ordinal.
enum class FaultKind {
  // N counts the frames the logger answers (information, erase, configuration and track
  // block frames together), from 1.
  Checksum,  // the Nth frame carries a wrong checksum
  Length,    // the Nth frame's length word is one more than its payload
  Short,     // the Nth frame stops halfway through its payload (no checksum)
  Silent,    // the Nth frame is not sent at all
  Garbage,   // three stray bytes go out before the Nth frame
  Vanish,    // the device disappears halfway through the Nth frame (the line is closed)
  // N is a count of the boot loader's signature requests, from 1.
  Signature,  // the first N signature requests are answered with the bytes reversed
  // N is a program memory page, from 0 (the page at word address 0).
  WrongAck,    // the 'm' that writes page N is acknowledged with 0x0A
  MissingAck,  // the 'm' that writes page N is not acknowledged
};

struct Fault {
  FaultKind kind;
  uint32_t at;
};

const char* FaultKindName(FaultKind kind);

// "KIND@N", for instance "checksum@3"; nothing (and a reason) when the text is not one.
std::optional<Fault> ParseFault(std::string_view text, std::string* error);

// The faults of one run, each firing at most once.
class FaultPlan {
 public:
  explicit FaultPlan(std::vector<Fault> faults = {}) : faults_(std::move(faults)), fired_(faults_.size()) {}

  // The frame faults that fire on the frame with this ordinal, in the order given.
  std::vector<FaultKind> TakeFrameFaults(uint32_t ordinal);
  // Whether the signature request with this ordinal is to be answered wrongly.
  bool WrongSignature(uint32_t ordinal);
  // The acknowledgement fault of the page write of this page, if one is due.
  std::optional<FaultKind> TakePageFault(uint32_t page);

 private:
  std::vector<Fault> faults_;
  std::vector<bool> fired_;
};

}  // namespace stravener::sim
