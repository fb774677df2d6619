#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/sim_trace.h"

namespace stravener::sim {

// Everything a simulated logger is made of. The defaults are a logger with 512 KiB of
// track memory holding 5000 points in layout 2, firmware "2.10", and a processor with
// 128-byte flash pages.
struct SimulatedLoggerOptions {
  // Track memory geometry.
  uint16_t pageCount = 2048;
  uint16_t pageSize = 256;

  // Track memory content: these bytes when set, otherwise a synthetic track of `points`
  // records in `layout`. Whatever is not used reads 0xFF, as erased memory does.
  std::optional<std::vector<uint8_t>> track;
  int layout = 2;
  uint32_t points = 5000;
  uint32_t seed = 1;

  // The information record. An empty firmware text means "2.10" for layout 2 and "1.05"
  // for layout 1; at most four characters are kept.
  std::string firmware;
  std::array<uint8_t, 4> serial{0x01, 0x00, 0x12, 0x34};          // shown as 01-001234
  std::array<uint8_t, 4> productionDate{0x15, 0x03, 0x20, 0x06};  // 15.03.2006
  uint8_t skip = 0;

  // The processor behind the boot loader (one of the three known signatures).
  std::array<uint8_t, 3> signature{0x02, 0x95, 0x1E};
  // Where the boot loader's restart saves the programmed image (empty: nowhere).
  std::string imageOut;

  std::vector<Fault> faults;

  // A USB adapter between the logger and the tool that cannot hold more than this many
  // bit/s (0: it holds every speed). Every track block the logger sends while the line
  // runs faster arrives with a bad checksum; the tool's short sentences still get through.
  uint32_t adapterCeiling = 0;

  // Answers take their real line time (10 bits a byte) unless this is false.
  bool pace = true;
  // Whether the trace keeps its events; the listener sees them either way.
  bool keepTrace = true;
  std::function<void(const TraceEvent&)> traceListener;

  // Timing of the firmware.
  std::chrono::milliseconds wakeUpTime{100};          // attention to the earliest command
  std::chrono::milliseconds attentionLifetime{5000};  // the logger falls asleep again
  std::chrono::milliseconds speedSwitchDelay{50};     // sentence to the logger's new speed
  std::chrono::milliseconds restartDeafTime{300};     // input ignored after a restart
  std::chrono::milliseconds trackEraseTime{200};      // erasing the track memory
  std::chrono::microseconds bootEraseTime{100000};    // erasing the program memory
  std::chrono::microseconds pageWriteTime{4000};      // writing one flash page
  std::chrono::microseconds speedWatchInterval{1000};  // how often the tool's speed is read

  // Whether the logger's thread asks for real-time scheduling (granted only to root).
  bool realTime = true;

  // The speed the line is set to before the tool opens it.
  uint32_t initialLineSpeed = 9600;
};

}  // namespace stravener::sim
