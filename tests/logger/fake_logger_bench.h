#pragma once

#include <string>
#include <vector>

#include "link/port_connection.h"
#include "support/test_host.h"
#include "scripted_logger.h"
#include "support/fake_serial_device.h"

// The scripted logger on the serial test double, with the port already open (silently)
// and the host recording.
struct FakeLoggerBench {
  FakeSerialLine line;
  TestHost host;
  stravener::PortConnection connection{host.log, line.Opener()};
  ScriptedLogger logger{line};

  FakeLoggerBench() {
    connection.portNumber = 1;
    connection.speedLimit = 115200;
    stravener::OpenPort(connection, false);
    line.output.clear();
    line.calls.clear();
  }

  // Everything written to the port, as text.
  std::string Wire() const { return std::string(line.output.begin(), line.output.end()); }
};
