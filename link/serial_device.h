#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stravener {

// The code every call on a handle that is not open gives: the platform's "invalid handle"
// (EBADF on POSIX, ERROR_INVALID_HANDLE on Windows).
extern const uint32_t kInvalidHandleCode;

// The code every call on a port whose device has gone (a USB adapter pulled out) gives
// first: EIO on POSIX, ERROR_ACCESS_DENIED on Windows (what usbser.sys gives on a handle
// that worked). The tests' adapter model (tests/support/adapter_model.h) fails with it.
extern const uint32_t kDeviceRemovedCode;

// Whether a call on a port that was open fails with this code because the device went
// away: EIO, ENXIO and ENODEV on POSIX; on Windows ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND,
// ERROR_GEN_FAILURE, ERROR_DEVICE_REMOVED, ERROR_DEVICE_NOT_CONNECTED and
// ERROR_DEV_NOT_EXIST. Not ERROR_OPERATION_ABORTED: with fAbortOnError a line error (a
// garbled byte at a speed the adapter does not hold) gives it too, and clearing the line
// errors mends that.
bool IsDeviceRemovedCode(uint32_t code);

// The line settings of a port as the connection sees them: its speed, and the port's whole
// native state as it was read (a DCB on Windows, a termios on POSIX), so that writing it
// back changes only what the connection owns and keeps everything else the port had.
struct LineState {
  uint32_t speed = 0;                // bit/s; 0 when the port's speed is not a known one
  std::vector<unsigned char> native;  // opaque; empty when not read from a port
};

// One open serial port. Every call returns 0 on success or the platform's error code
// (errno on POSIX, GetLastError() on Windows), which the messages show with "0x%x".
// The port closes when the object goes, if Close was not called.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Asks for queues of these sizes (the driver may keep its own).
  virtual uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) = 0;

  // Reads the port's current line state.
  virtual uint32_t GetLineState(LineState& state) = 0;
  // Writes `state` back with the fixed line settings applied: `state.speed`, 8 data bits,
  // no parity, one stop bit, no hardware or software flow control, null bytes passed on,
  // DTR and RTS raised. A speed the port refuses fails, and the port keeps the state it had.
  virtual uint32_t SetLineState(const LineState& state) = 0;

  // Bounds every later Read and Write call to these totals, however many bytes they move.
  virtual uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) = 0;

  // Empties both queues; bytes not yet sent or not yet read are dropped.
  virtual uint32_t Purge() = 0;

  // Clears the port's latched line errors (framing, overrun, parity, break), so the
  // next read and write work again. Where the platform latches none, only checks the port.
  virtual uint32_t ClearLineErrors() = 0;

  // Reads up to `count` bytes within the read time-out; `received` tells how many came.
  // Fewer than `count` with a result of 0 means the time-out ran out, or that a stop
  // request (platform/stop_request.h) came while the read waited: on POSIX it ends the read at
  // once; on Windows the read runs to its end or its time-out. A read begun after a stop
  // request runs its course.
  virtual uint32_t Read(uint8_t* buffer, size_t count, size_t& received) = 0;

  // Writes `count` bytes within the write time-out; fewer `written` with a result of 0
  // means the time-out ran out.
  virtual uint32_t Write(const uint8_t* data, size_t count, size_t& written) = 0;

  // Waits until the bytes written have left the driver.
  virtual uint32_t Flush() = 0;

  // Closes the port; every later call fails with kInvalidHandleCode.
  virtual uint32_t Close() = 0;
};

// A handle that is not open: every call fails with kInvalidHandleCode. The connection holds
// one after a failed open, as Windows leaves INVALID_HANDLE_VALUE in the handle.
class InvalidSerialDevice final : public SerialDevice {
 public:
  uint32_t SetupQueues(uint32_t, uint32_t) override { return kInvalidHandleCode; }
  uint32_t GetLineState(LineState&) override { return kInvalidHandleCode; }
  uint32_t SetLineState(const LineState&) override { return kInvalidHandleCode; }
  uint32_t SetTimeouts(uint32_t, uint32_t) override { return kInvalidHandleCode; }
  uint32_t Purge() override { return kInvalidHandleCode; }
  uint32_t ClearLineErrors() override { return kInvalidHandleCode; }
  uint32_t Read(uint8_t*, size_t, size_t& received) override {
    received = 0;
    return kInvalidHandleCode;
  }
  uint32_t Write(const uint8_t*, size_t, size_t& written) override {
    written = 0;
    return kInvalidHandleCode;
  }
  uint32_t Flush() override { return kInvalidHandleCode; }
  uint32_t Close() override { return kInvalidHandleCode; }
};

// Opens a port exclusively by name: "COMn", or a device path. On success `device` holds the
// open port and the result is 0; otherwise the platform's error code (a port another
// program holds is EBUSY on POSIX, ERROR_ACCESS_DENIED on Windows).
using SerialOpener = std::function<uint32_t(const std::string& name, std::unique_ptr<SerialDevice>& device)>;

// The machine's own ports. On POSIX "COMn" is resolved first (see link/port_names.h); a
// name that resolves to nothing gives ENOENT.
uint32_t OpenSerialDevice(const std::string& name, std::unique_ptr<SerialDevice>& device);
SerialOpener SystemSerialOpener();

}  // namespace stravener
