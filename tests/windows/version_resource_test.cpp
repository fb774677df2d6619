// The version information that the build puts into the programs: 1.8.0.0 with
// "Stravener Tool" as file description and product name; and their manifest.

#include <windows.h>

#include <gmock/gmock.h>
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

// The manifest a program file carries for the loader: resource 1 of type RT_MANIFEST.
std::string ManifestOf(const std::string& path) {
  const HMODULE file = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (file == nullptr) return "(unreadable)";
  std::string text = "(no manifest)";
  if (const HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    if (const void* data = LockResource(LoadResource(file, found))) {
      text.assign(static_cast<const char*>(data), SizeofResource(file, found));
    }
  }
  FreeLibrary(file);
  return text;
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

TEST(VersionResourceTest, BothProgramsCarryTheManifest) {
  using ::testing::HasSubstr;
  for (const char* program : {STRAVENER_EXE, STRAVENER_TOOL_EXE}) {
    const std::string manifest = ManifestOf(WindowsPath(program));
    EXPECT_THAT(manifest, HasSubstr(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")")) << program;
    EXPECT_THAT(manifest, HasSubstr(">PerMonitorV2, PerMonitor</dpiAwareness>")) << program;
    EXPECT_THAT(manifest, HasSubstr(">UTF-8</activeCodePage>")) << program;
  }
}
