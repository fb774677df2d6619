#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/port_connection.h"
#include "platform/clock.h"

namespace stravener {

// The sentences the logger understands. Each is plain ASCII written byte for byte.
inline constexpr std::string_view kAttentionSentence = "$PMLR,06,00,02A9\r\n";
inline constexpr std::string_view kInfoSentence = "$PQRVI,\r\n";
inline constexpr std::string_view kRestartSentence = "$PQRVX,\r\n";
inline constexpr std::string_view kEraseSentence = "$PQRVE,\r\n";
inline constexpr std::string_view kUpgradeSentence = "$PQRVU,\r\n";

// How long the logger needs after the attention sentence before it takes a command.
constexpr uint32_t kAttentionPauseMs = 150;
// How long the logger takes to change its speed after a speed sentence.
constexpr uint32_t kSpeedSwitchPauseMs = 100;

// The speed sentence that moves the logger to a line speed: "$PQRVS,n\r\n" with the
// speed's number (link/line_speeds.h); "$PQRVS,0\r\n" brings it back to 4800 bit/s.
std::string SpeedSentence(const LineSpeed& speed);

// Writes a sentence with WritePort. 0 or -1.
int WriteSentence(PortConnection& connection, std::string_view sentence, ReportFlag report);

// Writes the attention sentence and, when it went out, waits 150 ms. It does not change
// the port speed. 0 or -1.
int SendAttention(PortConnection& connection, Clock& clock, ReportFlag report);

// What every command at 4800 bit/s begins with: the port set to 4800 bit/s (which also
// clears its line errors and empties both queues), the attention sentence with its pause,
// then the command sentence. The first failure ends it with -1; the link has reported it.
// A stop request (platform/stop_request.h) ends it with -1 too, silently, before the attention
// sentence or before the command sentence: a command is sent whole or not at all.
int SendCommand(PortConnection& connection, Clock& clock, std::string_view sentence, ReportFlag report);

}  // namespace stravener
