#pragma once

// Operations for the main window's commands that only record that they were reached, in
// order: "open", "read", ..., "upgrade PATH" and "convert PATH" for dropped files.

#include <string>
#include <vector>

#include "gui/common/operations.h"

struct RecordingOperations {
  std::vector<std::string> calls;

  stravener::gui::Operations Make() {
    using stravener::PortConnection;
    using stravener::gui::WindowHost;
    stravener::gui::Operations ops;
    auto record = [this](const char* name) {
      return [this, name](WindowHost&, PortConnection&) { calls.push_back(name); };
    };
    ops.openPort = record("open");
    ops.closePort = record("close");
    ops.showLoggerInfo = record("information");
    ops.configureLogger = record("configuration");
    ops.readTrack = record("read");
    ops.eraseTrackMemory = record("erase");
    ops.startFirmwareUpgrade = record("upgrade");
    ops.restartLogger = record("restart");
    ops.upgradeFirmware = [this](WindowHost&, PortConnection&, const std::string& path) {
      calls.push_back("upgrade " + path);
    };
    ops.convertBinaryTrackFile = [this](WindowHost&, PortConnection&, const std::string& path) {
      calls.push_back("convert " + path);
    };
    return ops;
  }
};
