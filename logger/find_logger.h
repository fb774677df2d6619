#pragma once

#include "link/port_connection.h"
#include "logger/logger_info.h"
#include "platform/clock.h"

namespace stravener {

// What answered when a command looked for the logger before its own sentence.
enum class LoggerFound {
  Firmware,    // the firmware answered the information request at 4800 bit/s: the record is read
  BootLoader,  // only the processor's boot loader answers: restarted, it did not bring the firmware back
  NoLogger,    // nothing that could be the logger answered
  Failed,      // the port failed, or a stop request came
};

// What FindLogger does when the firmware stays silent at 4800 bit/s.
enum class BootLoaderSearch {
  // Asks for the boot loader's signature at 115200 bit/s; when a boot loader answers, it is
  // told to restart ('r') and the firmware is asked once more at 4800 bit/s.
  RestartIt,
  // Leaves the port at 4800 bit/s and says nothing more: the firmware upgrade goes to the
  // boot loader itself.
  LeaveToCaller,
};

// Finds the logger listening at 4800 bit/s, as every command does before its own sentence,
// and says what it found. It asks for the information record (the command prologue with
// "$PQRVI,\r\n", the line "Read info command sent."). When nothing comes in time, or noise,
// the logger may be where a run that ended abruptly left it:
// - at a transfer speed: it is asked back (AskLoggerBackTo4800) and asked once more;
// - in its processor's boot loader (an upgrade stopped or killed after the hand-over): see
//   BootLoaderSearch. When the restart does not bring the firmware back (its program memory
//   is blank or incomplete), the log says that the firmware must be loaded again with
//   Upgrade, and the result is BootLoader.
// Every result but Firmware has been reported when `report` is set (NoLogger with the
// link's message for the last request and ReportNoLoggerAnswered), except NoLogger with
// LeaveToCaller and a stop request. The port is left at 4800 bit/s.
LoggerFound FindLogger(PortConnection& connection, Clock& clock, LoggerInfo& info, ReportFlag report,
                       BootLoaderSearch search = BootLoaderSearch::RestartIt);

// "No logger answered on COM1 (/dev/ttyS0). Check the cable, or choose the port in Setup
// (Find logger).": the port and its device, and what to do.
void ReportNoLoggerAnswered(PortConnection& connection);

// For a logger that a run stopped abruptly left in transfer mode (the program killed, the
// power gone, the adapter pulled out and back): writes "$PQRVS,0\r\n" once at each transfer
// speed, pausing after each for the logger to switch, and sets the port back to 4800 bit/s.
// Logs one line saying so (with `report` set), by what came instead of an answer: nothing
// at all (garbled false), or bytes that were no answer (garbled true: a logger still
// sending at its transfer speed reaches 4800 bit/s as noise). The link's own failures are
// not reported (a speed the port refuses is one the logger cannot have been left at).
void AskLoggerBackTo4800(PortConnection& connection, Clock& clock, bool garbled, ReportFlag report = true);

}  // namespace stravener
