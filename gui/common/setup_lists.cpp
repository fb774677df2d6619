#include "gui/common/setup_lists.h"

#include <algorithm>
#include <cctype>

#include "app/format.h"
#include "app/language.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "link/port_trouble.h"
#include "logger/port_search.h"
#include "platform/clock.h"

namespace stravener::gui {

namespace {

// The leading decimal digits of text from position start; 0 when there are none. Stops
// growing at the largest 32-bit value rather than wrapping.
uint32_t LeadingNumber(const std::string& text, size_t start) {
  uint64_t number = 0;
  for (size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(text[i] - '0'), 0xffffffffull);
  }
  return static_cast<uint32_t>(number);
}

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

std::vector<std::string> PortListEntries(const std::vector<std::string>& reported) {
  std::vector<std::string> entries;
  for (std::string name : reported) {
    if (name.compare(0, 3, "COM") != 0) continue;
    if (!name.empty() && name.back() == ':') name.pop_back();
    entries.push_back(std::move(name));
  }
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    const int order = CompareIgnoringCase(a, b);
    return order != 0 ? order < 0 : a < b;
  });
  return entries;
}

uint32_t PortNumberOfEntry(const std::string& entry) { return LeadingNumber(entry, 3); }

int FindEntryWithPrefix(const std::vector<std::string>& entries, const std::string& prefix) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size() >= prefix.size() && CompareIgnoringCase(entries[i].substr(0, prefix.size()), prefix) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::vector<std::string> SpeedListEntries(uint32_t maxSpeed) {
  std::vector<std::string> entries;
  for (const uint32_t speed : kOfferedSpeeds) {
    if (maxSpeed >= speed) entries.push_back(FormatText("%u bps", speed));
  }
  return entries;
}

uint32_t SpeedOfEntry(const std::string& entry) { return LeadingNumber(entry, 0); }

namespace {

// The index if it names an entry of a list of this size, else -1.
int IndexIn(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size ? index : -1; }

}  // namespace

SetupLists::SetupLists(SetupServices services, uint32_t portNumber, uint32_t speed)
    : services_(std::move(services)), portNumber_(portNumber), speed_(speed) {
  std::vector<std::string> reported;
  if (services_.enumeratePorts) reported = services_.enumeratePorts();
  ports_ = PortListEntries(reported);
  selectedPort_ = ports_.empty() ? -1 : 0;
  const int stored = FindEntryWithPrefix(ports_, FormatText("COM%u", portNumber_));
  if (stored >= 0) selectedPort_ = stored;
  if (selectedPort_ >= 0) portNumber_ = SelectedPortNumber();

  FillSpeedList();
  const int storedSpeed = FindEntryWithPrefix(speeds_, FormatText("%u bps", speed_));
  if (storedSpeed >= 0) selectedSpeed_ = storedSpeed;
}

void SetupLists::SelectPort(int index) {
  selectedPort_ = IndexIn(index, ports_.size());
  FillSpeedList();
}

void SetupLists::SelectSpeed(int index) { selectedSpeed_ = IndexIn(index, speeds_.size()); }

bool SetupLists::FindLogger() {
  searchReport_.clear();
  const LoggerSearch search = services_.findLogger ? services_.findLogger() : LoggerSearch{};
  if (search.portNumber != 0) {
    for (size_t i = 0; i < ports_.size(); ++i) {
      // The number itself, not a prefix: COM1 is not COM10.
      if (PortNumberOfEntry(ports_[i]) != search.portNumber) continue;
      SelectPort(static_cast<int>(i));
      return true;
    }
  }
  searchReport_ = search.report.empty()
                      ? PickTextOrEmpty("Na żadnym porcie nie odpowiedział logger.", "No logger answered on any port.")
                      : search.report;
  return false;
}

void SetupLists::Save() {
  portNumber_ = SelectedPortNumber();
  speed_ = selectedSpeed_ >= 0 ? SpeedOfEntry(speeds_[static_cast<size_t>(selectedSpeed_)]) : 0;
}

uint32_t SetupLists::SelectedPortNumber() const {
  return selectedPort_ >= 0 ? PortNumberOfEntry(ports_[static_cast<size_t>(selectedPort_)]) : 0;
}

void SetupLists::FillSpeedList() {
  const uint32_t maxSpeed = services_.probeMaxSpeed ? services_.probeMaxSpeed(SelectedPortNumber()) : 115200;
  speeds_ = SpeedListEntries(maxSpeed);
  selectedSpeed_ = speeds_.empty() ? -1 : 0;
}

SetupServices DefaultSetupServices() {
  SetupServices services;
  services.enumeratePorts = [] {
    std::vector<std::string> labels;
    for (const PortEntry& entry : EnumeratePorts()) labels.push_back(PortLabel(entry));
    return labels;
  };
  // The Setup dialog is reachable only while the connection is closed: the probe opens
  // the port by its name itself.
  services.probeMaxSpeed = [](uint32_t portNumber) { return ProbeMaxSpeed(0, portNumber, nullptr); };
  services.findLogger = [] {
    LoggerSearch search;
    std::string notOpened;
    // The first port of the list where a logger answers; the others are not tried.
    const auto goOn = [](const PortSearchResult& result) {
      return result.outcome != PortSearchResult::Outcome::Answered || !ComNumberOf(result.port.comName);
    };
    for (const PortSearchResult& result :
         SearchPortsForLogger(EnumeratePorts(), SystemSerialOpener(), SystemClock(), goOn)) {
      const auto number = ComNumberOf(result.port.comName);
      if (result.outcome == PortSearchResult::Outcome::Answered && number) {
        search.portNumber = *number;
        return search;
      }
      if (result.outcome == PortSearchResult::Outcome::CannotOpen) {
        notOpened += "\n" + FORMAT_PAIR("Port %s nie otwiera się: %s.", "Port %s does not open: %s.",
                                        PortWithDevice(PortSearchName(result.port)).c_str(),
                                        DescribeOpenFailure(result.code).c_str());
      }
    }
    search.report =
        PickTextOrEmpty("Na żadnym porcie nie odpowiedział logger.", "No logger answered on any port.") + notOpened;
    return search;
  };
  return services;
}

}  // namespace stravener::gui
