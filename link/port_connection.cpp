#include "link/port_connection.h"

#include <climits>
#include <utility>

#include "app/format.h"
#include "link/port_trouble.h"

namespace stravener {

namespace {

// A failed system call: the operation's own line with the code, then the system's text.
#define REPORT_SYSTEM_ERROR(connection, report, code, polish, english, ...)                               \
  do {                                                                                                    \
    if (report) {                                                                                         \
      LOG_TEXT(*(connection).log, LogKind::Error, polish, english, (code)__VA_OPT__(, ) __VA_ARGS__); \
      (connection).log->LogSystemError(LogKind::Error, (code));                                           \
    }                                                                                                     \
  } while (0)

// Once the device has gone: the plain line, once, when the failure may be reported.
int PortGone(PortConnection& connection, ReportFlag report) {
  if (report && !connection.goneReported) {
    LOG_TEXT(*connection.log, LogKind::Error, "Port zniknął: czy kabel loggera został odłączony?",
             "The port went away: was the logger's cable pulled?");
    connection.goneReported = true;
  }
  return -1;
}

// After a failed call on the open port, reported as usual: a code that says the device went
// away makes the connection deviceGone, and says so.
void NoteDeviceGone(PortConnection& connection, uint32_t code, ReportFlag report) {
  if (connection.openFlag == 0 || !IsDeviceRemovedCode(code)) return;
  connection.deviceGone = true;
  PortGone(connection, report);
}

// The handle the calls go to; a connection that holds none behaves like an invalid handle.
SerialDevice& Device(PortConnection& connection) {
  static InvalidSerialDevice invalid;
  return connection.handle ? *connection.handle : invalid;
}

void NotifyOpenFlag(PortConnection& connection) {
  if (connection.updateButtonStates) connection.updateButtonStates();
}

uint32_t ProbeOn(SerialDevice& device) {
  LineState state;
  if (device.GetLineState(state) != 0) return kProbeSpeeds[0];
  uint32_t fastest = kProbeSpeeds[0];
  for (uint32_t speed : kProbeSpeeds) {
    state.speed = speed;
    if (device.SetLineState(state) != 0) break;
    fastest = speed;
  }
  return fastest;
}

}  // namespace

std::string PortDeviceName(const PortConnection& connection) {
  if (!connection.devicePath.empty()) return connection.devicePath;
  return FormatText("COM%u", connection.portNumber);
}

bool PortWentAway(PortConnection& connection, ReportFlag report) {
  if (!connection.deviceGone) return false;
  PortGone(connection, report);
  return true;
}

void ClearLineErrors(PortConnection& connection) {
  if (!connection.deviceGone) Device(connection).ClearLineErrors();
}

int OpenPort(PortConnection& connection, ReportFlag report) {
  if (connection.openFlag != 0) return 0;
  connection.deviceGone = false;
  connection.goneReported = false;
  const std::string name = PortDeviceName(connection);
  std::unique_ptr<SerialDevice> device;
  uint32_t code = connection.opener ? connection.opener(name, device) : kInvalidHandleCode;
  if (code == 0 && !device) code = kInvalidHandleCode;
  if (code != 0) {
    connection.handle = std::make_unique<InvalidSerialDevice>();
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x otwarcia portu %s.", "Error 0x%x opening port %s.",
                        name.c_str());
    if (report) ExplainOpenFailure(*connection.log, name, code);
    return -1;
  }
  connection.handle = std::move(device);
  connection.openFlag = 1;

  const uint32_t fastest = ProbeMaxSpeed(1, connection.portNumber, connection.handle.get(), connection.opener);
  if (fastest < connection.speedLimit) connection.speedLimit = fastest;
  NotifyOpenFlag(connection);
  if (report) LOG_TEXT(*connection.log, LogKind::Info, "Port otwarty.", "Port opened.");

  code = connection.handle->SetupQueues(kInputQueueSize, kOutputQueueSize);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x ustawiania buforów portu.",
                        "Error 0x%x setting port buffers.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    ClosePort(connection, report);
    return -1;
  }
  if (SetPortSpeed(connection, kCommandSpeed, report) != 0) {
    ClosePort(connection, report);
    return -1;
  }
  return 0;
}

int ClosePort(PortConnection& connection, ReportFlag) {
  if (connection.openFlag == 0) return 0;
  if (connection.handle) connection.handle->Close();
  connection.handle.reset();
  connection.openFlag = 0;
  connection.deviceGone = false;
  connection.goneReported = false;
  NotifyOpenFlag(connection);
  LOG_TEXT(*connection.log, LogKind::Info, "Port zamknięty.", "Port closed.");
  LOG_TEXT(*connection.log, LogKind::Separator, "-----", "-----");
  connection.currentSpeed = 0;
  return 0;
}

void CloseHandleSilently(PortConnection& connection) {
  if (connection.handle && connection.openFlag != 0) connection.handle->Close();
  connection.handle.reset();
  connection.openFlag = 0;
  connection.currentSpeed = 0;
  connection.deviceGone = false;
  connection.goneReported = false;
}

int PurgePort(PortConnection& connection, ReportFlag report) {
  if (connection.deviceGone) return PortGone(connection, report);
  const uint32_t code = Device(connection).Purge();
  if (code == 0) return 0;
  REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x czyszczenia buforów portu.",
                      "Error 0x%x purging port buffers.");
  NoteDeviceGone(connection, code, report);
  ClearLineErrors(connection);
  return -1;
}

int SetPortSpeed(PortConnection& connection, uint32_t speed, ReportFlag report) {
  if (connection.deviceGone) return PortGone(connection, report);
  SerialDevice& device = Device(connection);
  uint32_t code = device.ClearLineErrors();
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x pobierania stanu portu.",
                        "Error 0x%x reading port state.");
    NoteDeviceGone(connection, code, report);
    return -1;
  }
  if (PurgePort(connection, report) != 0) return -1;
  if (speed == connection.currentSpeed) return 0;

  if (report) {
    LOG_TEXT(*connection.log, LogKind::Info, "Zmiana prędkości portu na %d bps.", "Changing port speed to %d bps.",
             static_cast<int>(speed));
  }
  LineState state;
  code = device.GetLineState(state);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x pobierania stanu portu.",
                        "Error 0x%x reading port state.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    return -1;
  }
  state.speed = speed;
  code = device.SetLineState(state);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x ustawiania stanu portu.",
                        "Error 0x%x setting port state.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    return -1;
  }
  code = device.SetTimeouts(kPortTimeoutMs, kPortTimeoutMs);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x ustawiania parametrów czasowych portu.",
                        "Error 0x%x setting port timeouts.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    // The line already runs at the new speed: its speed is no longer known, so the next
    // SetPortSpeed sets the line again rather than trusting the old value.
    connection.currentSpeed = 0;
    return -1;
  }
  connection.currentSpeed = speed;
  return 0;
}

int WritePort(PortConnection& connection, const uint8_t* data, size_t count, ReportFlag report) {
  if (connection.deviceGone) return PortGone(connection, report);
  SerialDevice& device = Device(connection);
  size_t written = 0;
  const uint32_t code = device.Write(data, count, written);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x zapisu do portu.", "Error 0x%x writing port.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    return -1;
  }
  if (written < count) {
    if (report) {
      LOG_TEXT(*connection.log, LogKind::Error, "Przekroczony limit czasu operacji zapisu do portu.",
               "Port write timeout exceeded.");
    }
    ClearLineErrors(connection);
    return -1;
  }
  device.Flush();  // only waits for the bytes to leave; its result tells nothing more
  return 0;
}

int WritePortByte(PortConnection& connection, uint32_t value, ReportFlag report) {
  const uint8_t byte = static_cast<uint8_t>(value & 0xffu);
  return WritePort(connection, &byte, 1, report);
}

int ReadPort(PortConnection& connection, uint8_t* buffer, size_t count, ReportFlag report) {
  if (connection.deviceGone) return PortGone(connection, report);
  if (count > static_cast<size_t>(INT_MAX)) count = static_cast<size_t>(INT_MAX);
  size_t received = 0;
  const uint32_t code = Device(connection).Read(buffer, count, received);
  if (code != 0) {
    REPORT_SYSTEM_ERROR(connection, report, code, "Błąd 0x%x odczytu portu.", "Error 0x%x reading port.");
    NoteDeviceGone(connection, code, report);
    ClearLineErrors(connection);
    return -1;
  }
  return static_cast<int>(received);
}

uint32_t ProbeMaxSpeed(int portOpen, uint32_t portNumber, SerialDevice* handle, const SerialOpener& opener) {
  if (portOpen == 0) return ProbeMaxSpeedOf(FormatText("COM%u", portNumber), opener);
  if (handle == nullptr) return kProbeSpeeds[0];
  return ProbeOn(*handle);
}

uint32_t ProbeMaxSpeedOf(const std::string& deviceName, const SerialOpener& opener) {
  std::unique_ptr<SerialDevice> device;
  if (!opener || opener(deviceName, device) != 0 || !device) return kProbeSpeeds[0];
  const uint32_t fastest = ProbeOn(*device);
  device->Close();
  return fastest;
}

}  // namespace stravener
