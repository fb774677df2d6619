#pragma once

#include <cstdint>

#include "link/port_connection.h"

namespace stravener {

// Reads one answer frame of the logger: a 16-bit little-endian payload length, the
// payload, and a checksum byte over the two length bytes and the payload (Xor8 when
// xorChecksum is set, else Crc8). The payload goes straight into `payload`, which holds
// `expected` bytes. 0 when a frame of the expected length with a correct checksum came;
// -1 on a time-out, a read error, another length or a wrong checksum.
int ReadFrame(PortConnection& connection, uint8_t* payload, uint16_t expected, bool xorChecksum, ReportFlag report);

// How a frame read ended.
enum class FrameOutcome {
  Read,      // a frame of the expected length with a correct checksum
  TimedOut,  // the frame, or some of it, did not come in time (no read error)
  Garbled,   // bytes came, but another length or a wrong checksum: not this frame
  Failed,    // a read error or a stop request
};

// ReadFrame for a caller that has something else to try when nothing came in time: a
// time-out is given back as TimedOut without its "Port read timeout exceeded." line; every
// other failure is reported as ReadFrame reports it. A read cut short by a stop request is
// Failed, without a line: it did not time out.
FrameOutcome ReadFrameUnlessTimedOut(PortConnection& connection, uint8_t* payload, uint16_t expected,
                                     bool xorChecksum, ReportFlag report);

}  // namespace stravener
