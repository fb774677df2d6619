// The frame reader on whatever a serial line delivers.
//
// Input: flags (bit 0 XOR checksum, else CRC; bit 1 report; bit 2 Polish), the expected
// payload length (word), the serial call that fails (word, 0 for none), then the bytes on
// the line. Frames are read one after another, up to eight, until the line is empty.
//
// Promises checked: a frame is accepted only when its length word is the expected one and
// its checksum is right over the bytes that really came; the reader never takes more than
// the length word, the payload and the checksum; with the report flag every failure
// leaves an Error line, without it the log stays empty.

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "link/checksum.h"
#include "link/frame.h"

using namespace stravener;
using namespace stravener::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.Byte();
  const bool xorChecksum = (flags & 1) != 0;
  const bool report = (flags & 2) != 0;
  Language = (flags & 4) != 0 ? kPolish : kEnglish;
  const uint16_t expected = in.Word();
  const uint16_t failAt = in.Word();
  const std::vector<uint8_t> wire = in.Rest();

  FakeSerialLine line;
  line.recordCalls = false;  // counted only: a run makes thousands
  line.input.assign(wire.begin(), wire.end());
  EventLog log;
  const FuzzContextScope context([&log] { PrintLog(log); });
  PortConnection connection(log, line.Opener());
  connection.handle = std::make_unique<FakeSerialDevice>(line);
  connection.openFlag = 1;
  connection.currentSpeed = 4800;
  line.failAtCall = failAt;

  for (int frame = 0; frame < 8 && !line.input.empty(); ++frame) {
    const size_t before = line.bytesRead;
    const size_t logBefore = log.Entries().size();
    // Exactly the expected length, so that a byte too many is an overflow.
    std::vector<uint8_t> payload(expected);
    const int result = ReadFrame(connection, payload.data(), expected, xorChecksum, report);
    const size_t taken = line.bytesRead - before;
    FUZZ_CHECK(taken <= size_t{expected} + 3, "read past the frame");
    if (result == 0) {
      FUZZ_CHECK(taken == size_t{expected} + 3, "accepted a frame of another size");
      const uint8_t* frameBytes = wire.data() + before;
      FUZZ_CHECK(frameBytes[0] == (expected & 0xff) && frameBytes[1] == (expected >> 8), "wrong length word");
      FUZZ_CHECK(std::equal(payload.begin(), payload.end(), frameBytes + 2), "payload differs from the line");
      const uint8_t sum = xorChecksum ? Xor8(frameBytes + 2, expected, Xor8(frameBytes, 2, 0))
                                      : Crc8(frameBytes + 2, expected, Crc8(frameBytes, 2, 0));
      FUZZ_CHECK(sum == frameBytes[expected + 2], "accepted a wrong checksum");
      FUZZ_CHECK(log.Entries().size() == logBefore, "a good frame wrote to the log");
    } else {
      FUZZ_CHECK(result == -1, "result neither 0 nor -1");
      if (report) {
        bool error = false;
        for (size_t i = logBefore; i < log.Entries().size(); ++i) error |= log.Entries()[i].kind == LogKind::Error;
        FUZZ_CHECK(error, "a failure without an Error line");
      } else {
        FUZZ_CHECK(log.Entries().size() == logBefore, "a silent read wrote to the log");
      }
    }
    if (line.failedAtCall) break;
  }
  return 0;
}
