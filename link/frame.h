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

}  // namespace stravener
