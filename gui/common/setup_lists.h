#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/line_speeds.h"

namespace stravener::gui {

// What the Find logger button found.
struct LoggerSearch {
  // The COM number of the first port where a logger answered; 0 when none did.
  uint32_t portNumber = 0;
  // When none did: what to tell the user, the ports that did not open with their reasons.
  std::string report;
};

// What the Setup dialog asks of the system; tests give fakes.
struct SetupServices {
  // The serial port names the system reports, for example "COM1", "COM3:" or, where the
  // number alone says little, "COM33 (ttyUSB0)".
  std::function<std::vector<std::string>()> enumeratePorts;
  // The fastest speed the port with this number accepts, opened by its name for the probe
  // (115200 when it cannot be opened).
  std::function<uint32_t(uint32_t portNumber)> probeMaxSpeed;
  // Looks for the logger on the machine's ports, one at a time (SearchPortsForLogger).
  std::function<LoggerSearch()> findLogger = {};
};

// The speeds the speed list can offer, fastest first: the transfer speeds.
inline constexpr const auto& kOfferedSpeeds = kTransferSpeeds;

// The port list's entries from the reported names: only names beginning with "COM"
// (capitals), a trailing ":" removed, sorted as text (so COM10 comes before COM2).
std::vector<std::string> PortListEntries(const std::vector<std::string>& reported);

// The port number of an entry: the decimal digits that follow its first three characters
// ("COM10" gives 10, "COM33 (ttyUSB0)" 33); 0 when no digit follows.
uint32_t PortNumberOfEntry(const std::string& entry);

// The index of the first entry that begins with prefix, ignoring case; -1 when none does.
int FindEntryWithPrefix(const std::vector<std::string>& entries, const std::string& prefix);

// The speed list for a port whose probe gave maxSpeed: every offered speed not above it,
// as "%d bps", fastest first.
std::vector<std::string> SpeedListEntries(uint32_t maxSpeed);

// The speed of a speed list entry: the number before its first blank.
uint32_t SpeedOfEntry(const std::string& entry);

// The Setup dialog's two lists and the two values it hands back, without the widgets that
// show them: a front end fills its port list and speed list from here, passes every change
// of selection on, and reads PortNumber() and Speed() after Save.
class SetupLists {
 public:
  // The dialog's initialisation: the ports the system reports, the first one selected,
  // then the stored port's entry (a prefix match, ignoring case, so "COM1" also finds
  // COM10); its number becomes the port number; the speed list for it, with the stored
  // speed selected when the list has it.
  SetupLists(SetupServices services, uint32_t portNumber, uint32_t speed);

  const std::vector<std::string>& PortEntries() const { return ports_; }
  const std::vector<std::string>& SpeedEntries() const { return speeds_; }
  // The selected entries' indices; -1 when nothing is selected.
  int SelectedPort() const { return selectedPort_; }
  int SelectedSpeed() const { return selectedSpeed_; }

  // Another port chosen: probes it again, refills the speed list and selects its fastest
  // speed. A speed chosen before is not kept.
  void SelectPort(int index);
  void SelectSpeed(int index);

  // The Find logger button: looks for the logger and selects the entry of the port where
  // it answered, as choosing it would (its speeds probed again). False when no logger
  // answered on a port of the list; SearchReport() then says so, and the lists stay.
  bool FindLogger();
  const std::string& SearchReport() const { return searchReport_; }

  // Save: the port number and speed from the selected entries (0 for a list without a
  // selection).
  void Save();

  // The dialog's values: the stored ones until the initialisation or Save changes them.
  uint32_t PortNumber() const { return portNumber_; }
  uint32_t Speed() const { return speed_; }

 private:
  uint32_t SelectedPortNumber() const;
  void FillSpeedList();

  SetupServices services_;
  std::vector<std::string> ports_;
  std::vector<std::string> speeds_;
  int selectedPort_ = -1;
  int selectedSpeed_ = -1;
  uint32_t portNumber_;
  uint32_t speed_;
  std::string searchReport_;
};

// The machine's serial ports, the core's speed probe and its search for the logger.
SetupServices DefaultSetupServices();

}  // namespace stravener::gui
