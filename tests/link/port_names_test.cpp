// COM port names on POSIX: the family numbering, resolving a name, and listing the ports
// of a fake sysfs tree with a per-user links folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/port_names_posix.h"
#include "support/language_guard.h"
#include "support/temp_dir.h"

using namespace stravener;
using ::testing::ElementsAre;

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text << "\n";
}

// A sysfs tree as a PC with one real UART, one phantom UART, a USB adapter, a USB modem
// without a product name, a USB adapter beyond the 32 numbered ones, and virtual ttys.
struct FakeMachine {
  TempDir dir;
  PortNameRoots roots;

  FakeMachine() {
    roots = PortNameRoots{dir.File("sys"), dir.File("dev"), dir.File("ports")};
    fs::create_directories(roots.links);
    const fs::path sys = roots.sysfs;
    Tty("ttyS0", sys / "devices/pnp0/00:01", "4");
    Tty("ttyS1", sys / "devices/platform/serial8250", "0");
    WriteText(sys / "devices/pci0/usb1/1-1/product", "FT232R USB UART");
    Tty("ttyUSB0", sys / "devices/pci0/usb1/1-1/1-1:1.0/ttyUSB0", "");
    fs::create_directories(sys / "devices/pci0/usb1/1-2/1-2:1.0");
    Tty("ttyACM1", sys / "devices/pci0/usb1/1-2/1-2:1.0", "");
    Tty("ttyUSB40", sys / "devices/pci0/usb1/1-3/1-3:1.0/ttyUSB40", "");
    for (const char* name : {"tty0", "tty5", "console", "ptmx", "ttyprintk"}) {
      fs::create_directories(sys / "class/tty" / name);
    }
  }

  // A class/tty entry whose device is `device`; `type` is the serial-core UART type.
  void Tty(const std::string& name, const fs::path& device, const std::string& type) {
    const fs::path folder = fs::path(roots.sysfs) / "class/tty" / name;
    fs::create_directories(folder);
    fs::create_directories(device);
    fs::create_directory_symlink(device, folder / "device");
    if (!type.empty()) WriteText(folder / "type", type);
  }

  void Link(const std::string& name, const std::string& target) {
    fs::create_symlink(target, fs::path(roots.links) / name);
  }
};

std::vector<std::string> Labels(const std::vector<PortEntry>& entries) {
  std::vector<std::string> labels;
  for (const PortEntry& entry : entries) labels.push_back(PortLabel(entry) + " | " + entry.description);
  return labels;
}

}  // namespace

TEST(PortNamesTest, FamiliesAreNumberedInBlocksOf32) {
  EXPECT_EQ(ComNumberForDevice("ttyS0"), 1u);
  EXPECT_EQ(ComNumberForDevice("ttyS31"), 32u);
  EXPECT_EQ(ComNumberForDevice("ttyUSB0"), 33u);
  EXPECT_EQ(ComNumberForDevice("ttyACM0"), 65u);
  EXPECT_EQ(ComNumberForDevice("rfcomm31"), 128u);
  for (const char* none : {"ttyS32", "ttyUSB", "ttyAMA0", "tty1", "ttyUSB01", "ptmx", "rfcomm1234567"}) {
    EXPECT_FALSE(ComNumberForDevice(none).has_value()) << none;
  }
  EXPECT_EQ(DeviceForComNumber(0), "");
  EXPECT_EQ(DeviceForComNumber(129), "");
  for (uint32_t n = 1; n <= 128; ++n) EXPECT_EQ(ComNumberForDevice(DeviceForComNumber(n)), n) << n;
}

TEST(PortNamesTest, ComNamesAndLabels) {
  EXPECT_EQ(ComNumberOf("COM7"), 7u);
  EXPECT_EQ(ComNumberOf("com12"), 12u);
  for (const char* none : {"COM", "COM7:", "COMx", "/dev/ttyS0", "7", "COM99999999999"}) {
    EXPECT_FALSE(ComNumberOf(none).has_value()) << none;
  }
  EXPECT_EQ(PortLabel(PortEntry{"COM33", "/dev/ttyUSB0", "", false}), "COM33 (ttyUSB0)");
  EXPECT_EQ(PortLabel(PortEntry{"COM5", "/dev/pts/3", "", true}), "COM5 (pts/3)");
  EXPECT_EQ(PortLabel(PortEntry{"", "/dev/ttyUSB40", "", false}), "ttyUSB40");
}

TEST(PortNamesTest, ResolvingANameLinksFirstThenFamilies) {
  FakeMachine m;
  m.Link("COM33", "/dev/null");
  m.Link("COM7", "/nonexistent/gone");  // still resolves: opening it says the device is gone
  EXPECT_EQ(ResolvePortName("COM33", m.roots), m.roots.links + "/COM33");
  EXPECT_EQ(ResolvePortName("com7", m.roots), m.roots.links + "/COM7");
  EXPECT_EQ(ResolvePortName("COM34", m.roots), m.roots.dev + "/ttyUSB1");
  EXPECT_EQ(ResolvePortName("COM1", m.roots), m.roots.dev + "/ttyS0");
  EXPECT_EQ(ResolvePortName("COM0", m.roots), "");
  EXPECT_EQ(ResolvePortName("COM129", m.roots), "");
  EXPECT_EQ(ResolvePortName("/dev/ttyAMA0", m.roots), "/dev/ttyAMA0");
}

TEST(PortNamesTest, EnumerationListsRealDevicesAndLinks) {
  LanguageGuard english(kEnglish);
  FakeMachine m;
  m.Link("COM5", "/dev/null");             // a link to a character device
  m.Link("COM6", "/nonexistent/gone");     // a link to nothing: not a port that exists
  m.Link("COM8", m.dir.File("sys"));       // a link to a folder: not a port
  WriteText(fs::path(m.roots.links) / "notes.txt", "x");

  EXPECT_THAT(Labels(EnumeratePorts(m.roots)),
              ElementsAre("COM1 (ttyS0) | Serial port", "COM5 (null) | user link",
                          "COM33 (ttyUSB0) | FT232R USB UART", "COM66 (ttyACM1) | USB serial device (ACM)",
                          "ttyUSB40 | USB serial adapter"));
  const std::vector<PortEntry> entries = EnumeratePorts(m.roots);
  EXPECT_EQ(entries[0].device, m.roots.dev + "/ttyS0");
  EXPECT_TRUE(entries[1].isLink);
  EXPECT_EQ(entries[1].device, "/dev/null");
}

TEST(PortNamesTest, ALinkTakesTheNameOfADevice) {
  LanguageGuard polish(kPolish);
  FakeMachine m;
  m.Link("COM33", "/dev/null");
  EXPECT_THAT(Labels(EnumeratePorts(m.roots)),
              ElementsAre("COM1 (ttyS0) | Port szeregowy", "COM33 (null) | dowiązanie użytkownika",
                          "COM66 (ttyACM1) | Urządzenie szeregowe USB (ACM)", "ttyUSB0 | FT232R USB UART",
                          "ttyUSB40 | Adapter szeregowy USB"));
}

TEST(PortNamesTest, NoSysfsAndNoLinksGiveAnEmptyList) {
  TempDir dir;
  EXPECT_TRUE(EnumeratePorts(PortNameRoots{dir.File("sys"), dir.File("dev"), dir.File("ports")}).empty());
}
