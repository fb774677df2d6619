#pragma once

#include <array>
#include <cstdint>

// The logger's own example fix, 2006-05-17 10:20:30 at 52.225 N 21.0122 E, 112 m, in both
// record layouts, and the PLT line it gives as the first point of a file, in English.
inline constexpr std::array<uint8_t, 16> kWorkedLayout1{0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0x34, 0x0D,
                                                        0x88, 0x13, 0x15, 0x00, 0x98, 0x1C, 0x70, 0x00};
inline constexpr std::array<uint8_t, 16> kWorkedLayout2{0x73, 0x0C, 0x31, 0x95, 0xBB, 0x6E, 0x25, 0x23,
                                                        0x45, 0x68, 0x0E, 0xF1, 0x27, 0x7F, 0x70, 0x00};
inline constexpr char kWorkedLine[] = "52.225000,21.012200,1,367,38854.4309028,17-May-06,10:20:30,7,1.2,3D\r\n";
