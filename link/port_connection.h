#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/event_log.h"
#include "link/line_speeds.h"
#include "link/serial_device.h"

namespace stravener {

// The flag most link and logger operations take: when set, a failure is written to the
// event log before the operation returns; when clear, the failure is silent.
using ReportFlag = bool;

// Each single read or write call ends at the latest this long after it began.
constexpr uint32_t kPortTimeoutMs = 2000;
// Queue sizes asked for at open.
constexpr uint32_t kInputQueueSize = 16384;
constexpr uint32_t kOutputQueueSize = 256;

// The one serial connection to the logger, owned by the main window for its whole life.
struct PortConnection {
  explicit PortConnection(EventLog& eventLog, SerialOpener deviceOpener = SystemSerialOpener())
      : log(&eventLog), opener(std::move(deviceOpener)) {}
  PortConnection(const PortConnection&) = delete;
  PortConnection& operator=(const PortConnection&) = delete;

  // 1 while the port is open; 0 at start.
  int openFlag = 0;
  // The open port; null at start and after a close. After a failed open it holds an
  // invalid handle, on which every call fails with the platform's invalid-handle code.
  std::unique_ptr<SerialDevice> handle;
  // The speed that SetPortSpeed last set completely; 0 means "not set".
  uint32_t currentSpeed = 0;
  // N of the device name "COM%d".
  uint32_t portNumber = 1;
  // The highest speed the track download may use; lowered at every open to what the
  // port accepts.
  uint32_t speedLimit = 115200;

  // Where the operations report.
  EventLog* log;
  // How the port is opened: the machine's own ports, or a test double.
  SerialOpener opener;
  // When not empty, opened (and named in the messages) in place of "COM%d": a device path
  // given on the command line.
  std::string devicePath;
  // Called each time the open flag has changed (the main window's UpdateButtonStates).
  std::function<void()> updateButtonStates;
  // The port's device went away while it was open (a USB adapter pulled out): a call
  // failed with a removal code (IsDeviceRemovedCode). From then on every operation fails
  // at once without touching the handle, and the owner closes the port. Cleared by the
  // next open and by every close.
  bool deviceGone = false;
  // Whether "The port went away: was the logger's cable pulled?" was written for it.
  bool goneReported = false;
};

// The device name the connection opens: devicePath, else "COM%d" of the port number.
std::string PortDeviceName(const PortConnection& connection);

// Opens the port (nothing happens when it is open already), lowers the speed limit to the
// fastest probe speed the port accepts and sets the line to 4800 bit/s. 0 or -1. A port
// that does not open is explained in plain words after the system's text where the user
// can mend it (ExplainOpenFailure: the group to join, another program holding it).
//
// On an open port, the first call that fails because the device went away is reported as
// any failure (the operation's line with the code, the system's text), then followed by
// "The port went away: was the logger's cable pulled?"; the connection is then deviceGone,
// and PurgePort, SetPortSpeed, WritePort and ReadPort fail at once with -1, writing
// nothing more (the plain line once, when the failure itself was not reported).
int OpenPort(PortConnection& connection, ReportFlag report);

// True when the port's device went away (deviceGone); with the flag set it also says so,
// once, if that was not said yet.
bool PortWentAway(PortConnection& connection, ReportFlag report);

// Closes the port and writes "Port closed." and "-----" whatever the flag; nothing when it
// is closed already. Always 0. A port whose device went away is closed all the same.
int ClosePort(PortConnection& connection, ReportFlag report);

// Closes the port without a log line and without calling updateButtonStates: for the
// owner's own end (the main window's destruction).
void CloseHandleSilently(PortConnection& connection);

// Empties both queues. 0 or -1.
int PurgePort(PortConnection& connection, ReportFlag report);

// Clears the line errors and empties both queues, then sets the line to `speed` with the
// fixed settings and time-outs unless it runs at that speed already. 0 or -1.
int SetPortSpeed(PortConnection& connection, uint32_t speed, ReportFlag report);

// Writes all bytes and waits until they have left the driver. 0, or -1 on an error or
// when the write time-out ran out.
int WritePort(PortConnection& connection, const uint8_t* data, size_t count, ReportFlag report);

// WritePort of the one byte that is the low 8 bits of `value`.
int WritePortByte(PortConnection& connection, uint32_t value, ReportFlag report);

// Reads up to `count` bytes within the read time-out: the number received (fewer when the
// time-out ran out, which is not reported here), or -1 on an error.
int ReadPort(PortConnection& connection, uint8_t* buffer, size_t count, ReportFlag report);

// Clears the port's pending line errors, whatever the ReportFlag of the operation that
// failed; its own failure is ignored.
void ClearLineErrors(PortConnection& connection);

// The fastest of 115200, 230400 and 460800 bit/s that the port accepts: on the open
// `handle` when portOpen is 1 (which keeps the last speed accepted), else on "COM%d" of the
// port number, opened and closed here. 115200 when the port cannot be opened or read.
// Writes nothing to the log and never clears line errors.
uint32_t ProbeMaxSpeed(int portOpen, uint32_t portNumber, SerialDevice* handle,
                       const SerialOpener& opener = SystemSerialOpener());
// The same for a port given by its device name.
uint32_t ProbeMaxSpeedOf(const std::string& deviceName, const SerialOpener& opener = SystemSerialOpener());

}  // namespace stravener
