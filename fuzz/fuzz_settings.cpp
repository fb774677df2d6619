// The settings file as a user may have edited it.
//
// Input: three values (longs), then the text of the file.
//
// Promises checked: the text never stops the reader; damaged lines never spoil the good
// lines after them (the text followed by a file as the program writes it gives exactly
// that file's values, with LF or CR LF line ends); a value is only ever taken from a line
// of its own name; reading the file from the settings folder gives what the text holds,
// or the defaults where it holds nothing.

#include <cstdlib>

#include "app/format.h"
#include "app/settings_store_posix.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "platform/system_language.h"

using namespace stravener;
using namespace stravener::fuzz;

namespace {

void CheckValues(const StoredValues& values, uint32_t language, uint32_t port, uint32_t maxSpeed, const char* how) {
  FUZZ_CHECK(values.language == language, std::string("Language lost after damage, ") + how);
  FUZZ_CHECK(values.port == port, std::string("Port lost after damage, ") + how);
  FUZZ_CHECK(values.maxSpeed == maxSpeed, std::string("MaxSpeed lost after damage, ") + how);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint32_t language = in.Long();
  const uint32_t port = in.Long();
  const uint32_t maxSpeed = in.Long();
  const std::string text = in.Text(in.Remaining());

  const StoredValues values = ParseSettingsText(text);
  if (values.language) FUZZ_CHECK(text.find("Language=") != std::string::npos, "Language from nowhere");
  if (values.port) FUZZ_CHECK(text.find("Port=") != std::string::npos, "Port from nowhere");
  if (values.maxSpeed) FUZZ_CHECK(text.find("MaxSpeed=") != std::string::npos, "MaxSpeed from nowhere");

  const std::string written = FormatText("Language=%u\nPort=%u\nMaxSpeed=%u\n", language, port, maxSpeed);
  CheckValues(ParseSettingsText(text + "\n" + written), language, port, maxSpeed, "LF");
  const std::string windows = FormatText("Language=%u\r\nPort=%u\r\nMaxSpeed=%u\r\n", language, port, maxSpeed);
  CheckValues(ParseSettingsText(text + "\r\n" + windows), language, port, maxSpeed, "CR LF");

  // The same text as the settings file.
  static const bool folderSet = [] {
    ::setenv("XDG_CONFIG_HOME", FuzzFolder().c_str(), 1);
    std::filesystem::create_directories(FuzzFolder() / "Quillet");
    return true;
  }();
  (void)folderSet;
  WriteFileBytes(SettingsDirectory() + "/settings", std::vector<uint8_t>(text.begin(), text.end()));
  uint32_t loadedPort = 0;
  uint32_t loadedSpeed = 0;
  LoadPortSettings(loadedPort, loadedSpeed);
  if (text.size() <= 64 * 1024) {
    FUZZ_CHECK(loadedPort == values.port.value_or(kDefaultPort), "Port read from the file");
    FUZZ_CHECK(loadedSpeed == values.maxSpeed.value_or(kDefaultMaxSpeed), "MaxSpeed read from the file");
    FUZZ_CHECK(static_cast<uint32_t>(ReadLanguageSetting()) == values.language.value_or(static_cast<uint32_t>(SystemLanguage())),
               "Language read from the file");
  }
  return 0;
}
