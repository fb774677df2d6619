// The serial device on Windows: the communications calls on a COM handle.

#include <windows.h>

#include <cstring>

#include "link/port_names.h"
#include "link/serial_device.h"

namespace stravener {

const uint32_t kInvalidHandleCode = ERROR_INVALID_HANDLE;
const uint32_t kDeviceRemovedCode = ERROR_ACCESS_DENIED;

bool IsDeviceRemovedCode(uint32_t code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:         // usbser.sys and others, on a handle that worked
    case ERROR_BAD_COMMAND:           // FTDI
    case ERROR_GEN_FAILURE:           // Prolific, Silicon Labs
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
      return true;
    default:
      return false;
  }
}

namespace {

uint32_t LastError() { return static_cast<uint32_t>(::GetLastError()); }

class Win32SerialDevice final : public SerialDevice {
 public:
  explicit Win32SerialDevice(HANDLE handle) : handle_(handle) {}
  ~Win32SerialDevice() override { Close(); }
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  uint32_t SetupQueues(uint32_t inputSize, uint32_t outputSize) override {
    return ::SetupComm(handle_, inputSize, outputSize) ? 0 : LastError();
  }

  uint32_t GetLineState(LineState& state) override {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return LastError();
    state.speed = dcb.BaudRate;
    state.native.assign(reinterpret_cast<const unsigned char*>(&dcb),
                        reinterpret_cast<const unsigned char*>(&dcb) + sizeof dcb);
    return 0;
  }

  // Changes exactly the fields of the fixed line settings in the state read; every other
  // field (the reserved bits, the XON/XOFF limits and characters, the error, end-of-file
  // and event characters) keeps what GetCommState returned.
  uint32_t SetLineState(const LineState& state) override {
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    if (state.native.size() == sizeof dcb) std::memcpy(&dcb, state.native.data(), sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = state.speed;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = 1;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    return ::SetCommState(handle_, &dcb) ? 0 : LastError();
  }

  uint32_t SetTimeouts(uint32_t readTotalMs, uint32_t writeTotalMs) override {
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = readTotalMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = writeTotalMs;
    return ::SetCommTimeouts(handle_, &timeouts) ? 0 : LastError();
  }

  // Both queues are emptied; pending operations are not aborted.
  uint32_t Purge() override { return ::PurgeComm(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR) ? 0 : LastError(); }

  uint32_t ClearLineErrors() override {
    DWORD errors = 0;
    COMSTAT status;
    return ::ClearCommError(handle_, &errors, &status) ? 0 : LastError();
  }

  uint32_t Read(uint8_t* buffer, size_t count, size_t& received) override {
    received = 0;
    DWORD got = 0;
    const DWORD want = count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
    if (!::ReadFile(handle_, buffer, want, &got, nullptr)) return LastError();
    received = got;
    return 0;
  }

  uint32_t Write(const uint8_t* data, size_t count, size_t& written) override {
    written = 0;
    DWORD put = 0;
    const DWORD want = count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
    if (!::WriteFile(handle_, data, want, &put, nullptr)) return LastError();
    written = put;
    return 0;
  }

  uint32_t Flush() override { return ::FlushFileBuffers(handle_) ? 0 : LastError(); }

  uint32_t Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? 0 : LastError();
  }

 private:
  HANDLE handle_;
};

// The name CreateFileA is given. COM1 to COM9 are the system's reserved device names and
// open as they are; from COM10 on only the device namespace names the port (a plain
// "COM10" would be looked for as a file), so those get the "\\.\" prefix.
std::string CreateFileName(const std::string& name) {
  const auto number = ComNumberOf(name);
  if (number && *number >= 10) return "\\\\.\\" + name;
  return name;
}

}  // namespace

uint32_t OpenSerialDevice(const std::string& name, std::unique_ptr<SerialDevice>& device) {
  device.reset();
  const HANDLE handle = ::CreateFileA(CreateFileName(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  device = std::make_unique<Win32SerialDevice>(handle);
  return 0;
}

SerialOpener SystemSerialOpener() { return &OpenSerialDevice; }

}  // namespace stravener
