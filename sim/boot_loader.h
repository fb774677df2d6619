#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/program_memory.h"

namespace stravener::sim {

// The processor's boot loader: single-byte commands at 115200 bit/s.
//   's'          the three signature bytes
//   'e'          erases the program memory, then 0x0D
//   'A' hi lo    sets the word address, then 0x0D
//   'c' b        puts b into the page buffer as the low byte of the word at the address,
//                then 0x0D
//   'C' b        puts b in as the high byte of that word and moves the address on by one
//                word, then 0x0D
//   'm'          writes the page buffer into the page that holds the address, then 0x0D
//   'r'          restarts the processor; no answer. It starts the firmware when the program
//                memory holds one, else it comes back into the boot loader.
// Any other command byte, and a page write beyond the program memory, is answered with
// '?'.
// An 'r' that comes right after an acknowledged page write ends a programming run: the
// memory then holds the firmware written. After an erase, an 'r' after anything else (the
// run was stopped or its tool killed halfway, or nothing was written) finds no firmware to
// start, so the processor stays in its boot loader until an upgrade completes.
class BootLoader {
 public:
  BootLoader(ProgramMemory& memory, FaultPlan& faults, std::chrono::microseconds eraseTime,
             std::chrono::microseconds pageWriteTime);

  struct Reply {
    std::vector<uint8_t> bytes;            // the answer, if any
    std::chrono::microseconds delay{0};    // the work before it is sent
    bool restart = false;                  // 'r': the logger restarts
    bool intoFirmware = false;             // ... into its firmware, else into the boot loader
    std::string note;                      // what the byte meant, for the trace
    std::string fault;                     // a fault that fired, for the trace
  };
  Reply Feed(uint8_t byte);

  // A fresh start of the boot loader: address 0, empty page buffer, awaiting a command.
  void Reset();

  static constexpr uint8_t kAcknowledge = 0x0D;
  static constexpr uint8_t kUnknown = '?';

 private:
  enum class Expect { Command, AddressHigh, AddressLow, LowByte, HighByte };

  // The byte that follows a command taking one ('A', 'c', 'C').
  Reply TakeOperand(uint8_t byte);
  Reply RunCommand(uint8_t command);
  Reply AnswerSignature();
  Reply WriteBufferedPage();
  // 'r'; afterPageWrite: the command before it was an acknowledged page write.
  Reply Restart(bool afterPageWrite);

  ProgramMemory& memory_;
  FaultPlan& faults_;
  std::chrono::microseconds eraseTime_;
  std::chrono::microseconds pageWriteTime_;
  Expect expect_ = Expect::Command;
  uint16_t address_ = 0;
  uint8_t addressHigh_ = 0;
  std::vector<uint8_t> pageBuffer_;
  uint32_t signatureRequests_ = 0;
  bool afterPageWrite_ = false;  // the last command was an acknowledged page write
};

}  // namespace stravener::sim
