#pragma once

#include <cstdint>
#include <string>

namespace stravener::sim {

// The logger's end of the line: a pseudo-terminal whose master side the simulated logger
// reads and writes, and whose slave side the tool opens as its serial port. The slave is
// also held open here, so that the tool closing and reopening its port never hangs up
// the line.
class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal() { Close(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens a new pseudo-terminal in raw mode at `initialSpeed`. 0, or -1 with the reason.
  int Open(uint32_t initialSpeed, std::string* error);
  // Closes both sides: the tool's port then reads end-of-file and fails to write, as when
  // a USB adapter is unplugged.
  void Close();

  bool IsOpen() const { return master_ >= 0; }
  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // The speed the tool set on its side, 0 when unknown.
  uint32_t ToolSpeed() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace stravener::sim
