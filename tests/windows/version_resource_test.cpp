// The version information that the build puts into the programs: 1.8.0.0 with
// "Stravener Tool" as file description and product name.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/program_version.h"
#include "wine_paths.h"

using namespace stravener;

namespace {

// One string of the version information's U.S. English, Unicode block.
std::string VersionString(const std::string& path, const char* name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "(no version information)";
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return "(unreadable)";
  void* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueA(block.data(), query.c_str(), &value, &length) || value == nullptr) return "(missing)";
  return std::string(static_cast<const char*>(value));
}

}  // namespace

TEST(VersionResourceTest, TheCommandLineProgramCarriesItsVersion) {
  const std::string exe = WindowsPath(STRAVENER_EXE);
  EXPECT_EQ(FileVersionText(exe), "1.8.0.0");
  EXPECT_EQ(VersionString(exe, "FileDescription"), "Stravener Tool");
  EXPECT_EQ(VersionString(exe, "ProductName"), "Stravener Tool");
  EXPECT_EQ(VersionString(exe, "FileVersion"), "1.8.0.0");
  EXPECT_EQ(VersionString(exe, "ProductVersion"), "1.8.0.0");
  EXPECT_EQ(VersionString(exe, "OriginalFilename"), "stravener.exe");
}

TEST(VersionResourceTest, TheProgramReadsItsOwnFile) {
  // This test program carries the same resource as the programs.
  EXPECT_EQ(ProgramVersionText(), "1.8.0.0");
}

TEST(VersionResourceTest, AFileWithoutVersionInformationGivesNoText) {
  EXPECT_EQ(FileVersionText(WindowsPath(STRAVENER_SOURCE_FILE)), "");
  EXPECT_EQ(FileVersionText("C:\\stravener-no-such-file.exe"), "");
  EXPECT_EQ(FileVersionText(""), "");
}
