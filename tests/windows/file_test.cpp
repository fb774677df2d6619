// Files on Windows: every failure gives the GetLastError code, which the messages show
// with "0x%x"; the binary track file conversion reports them so.

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/language.h"
#include "platform/file.h"
#include "platform/system_error.h"
#include "platform/utf8_path.h"
#include "support/language_guard.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "track/binary_conversion.h"
#include "../track/worked_records.h"

using namespace stravener;

TEST(WindowsFileTest, OpenAndCreateFailuresGiveTheirCodes) {
  TempDir dir;
  File file;
  EXPECT_EQ(file.OpenForReading(dir.File("missing.bin")), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(file.OpenForReading(dir.File("gone\\missing.bin")), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(file.Create(dir.File("gone\\out.plt")), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_EQ(file.Create(dir.File("folder")), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(file.IsOpen());

  // A file created here is not shared: nobody else opens it while it is being written.
  File writer;
  ASSERT_EQ(writer.Create(dir.File("busy.plt")), 0u);
  File reader;
  EXPECT_EQ(reader.OpenForReading(dir.File("busy.plt")), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  File second;
  EXPECT_EQ(second.Create(dir.File("busy.plt")), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
}

TEST(WindowsFileTest, WriteReadSizeAndClose) {
  TempDir dir;
  const std::string path = dir.File("data.bin");
  std::vector<unsigned char> bytes(70000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  {
    File out;
    ASSERT_EQ(out.Create(path), 0u);
    size_t written = 0;
    ASSERT_EQ(out.Write(bytes.data(), bytes.size(), written), 0u);
    EXPECT_EQ(written, bytes.size());
    EXPECT_EQ(out.Close(), 0u);
    EXPECT_FALSE(out.IsOpen());
  }
  File in;
  ASSERT_EQ(in.OpenForReading(path), 0u);
  uint64_t size = 0;
  ASSERT_EQ(in.Size(size), 0u);
  EXPECT_EQ(size, bytes.size());
  std::vector<unsigned char> back(bytes.size() + 10);
  size_t got = 0;
  ASSERT_EQ(in.Read(back.data(), back.size(), got), 0u);
  EXPECT_EQ(got, bytes.size());
  back.resize(got);
  EXPECT_EQ(back, bytes);
  // At the end of the file a read gives nothing, without an error.
  ASSERT_EQ(in.Read(back.data(), 16, got), 0u);
  EXPECT_EQ(got, 0u);
  // Writing through a handle opened for reading is refused by the system.
  size_t written = 0;
  EXPECT_EQ(in.Write(bytes.data(), 16, written), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(written, 0u);
  // Once closed, every call tells that the handle is not open.
  ASSERT_EQ(in.Close(), 0u);
  EXPECT_EQ(in.Read(back.data(), 16, got), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(in.Size(size), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

namespace {

std::string SystemText(uint32_t code) {
  std::string text;
  EXPECT_TRUE(SystemErrorText(code, text)) << code;
  return text;
}

}  // namespace

TEST(WindowsFileTest, ConversionReportsTheCodesOfItsFiles) {
  LanguageGuard english(kEnglish);
  TempDir dir;
  const std::string input = dir.File("track.bin");
  {
    TestHost host;
    EXPECT_FALSE(ConvertBinaryTrackFile(host, input, dir.File("out.plt")));
    const auto lines = host.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Error 0x2 opening binary track file.");
    EXPECT_EQ(lines[4], SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(PathExists(dir.File("out.plt")));
  }
  WriteWholeFile(input, std::vector<unsigned char>(kWorkedLayout2.begin(), kWorkedLayout2.end()));
  {
    TestHost host;
    EXPECT_FALSE(ConvertBinaryTrackFile(host, input, dir.File("gone\\out.plt")));
    const auto lines = host.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Error 0x3 creating track file.");
    EXPECT_EQ(lines[4], SystemText(ERROR_PATH_NOT_FOUND));
  }
  {
    // The same file under another spelling: Windows names are not case-sensitive, and
    // ".\\" is the folder itself.
    for (const std::string& other : {dir.File("TRACK.BIN"), dir.File(".\\track.bin"), dir.File("track.bin")}) {
      TestHost host;
      EXPECT_FALSE(ConvertBinaryTrackFile(host, input, other)) << other;
      ASSERT_FALSE(host.Lines().empty());
      EXPECT_EQ(host.Lines().back(), "The track file cannot replace the binary file being converted.") << other;
      EXPECT_EQ(ReadWholeFile(input).size(), 16u);
    }
  }
  {
    LanguageGuard polish(kPolish);
    TestHost host;
    EXPECT_TRUE(ConvertBinaryTrackFile(host, input, dir.File("out.plt")));
    EXPECT_EQ(host.Lines().back(), "OK, zapisano 1 punktów.");
  }
}

TEST(WindowsFileTest, PolishLettersInPathsNameTheFilesTheySay) {
  // Paths are UTF-8 in the program; the files must bear the same letters for the system,
  // whatever its 8-bit code page.
  TempDir dir;
  const std::string folder = Utf8FromPath(dir.Path() / PathFromUtf8("Łódź"));
  ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
  ASSERT_TRUE(std::filesystem::exists(dir.Path() / L"\u0141\u00f3d\u017a"));  // Łódź
  const std::string path = folder + "\\ślad żółw.bin";
  {
    File out;
    ASSERT_EQ(out.Create(path), 0u);
    size_t written = 0;
    ASSERT_EQ(out.Write(kWorkedLayout2.data(), kWorkedLayout2.size(), written), 0u);
  }
  EXPECT_NE(GetFileAttributesW((dir.Path() / L"\u0141\u00f3d\u017a" / L"\u015blad \u017c\u00f3\u0142w.bin").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(PathExists(path));
  EXPECT_FALSE(PathExists(folder + "\\slad zolw.bin"));
  File in;
  ASSERT_EQ(in.OpenForReading(path), 0u);
  uint64_t size = 0;
  EXPECT_EQ(in.Size(size), 0u);
  EXPECT_EQ(size, 16u);
  in.Close();

  // The conversion finds its files by those names, and knows its input under them.
  LanguageGuard polish(kPolish);
  TestHost host;
  EXPECT_TRUE(ConvertBinaryTrackFile(host, path, folder + "\\ślad.plt")) << ::testing::PrintToString(host.Lines());
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / L"\u0141\u00f3d\u017a" / L"\u015blad.plt"));
  EXPECT_EQ(host.Lines()[1], path);
  TestHost same;
  EXPECT_FALSE(ConvertBinaryTrackFile(same, path, folder + "\\.\\ślad żółw.bin"));
  EXPECT_EQ(same.Lines().back(), "Plik śladu nie może zastąpić konwertowanego pliku binarnego.");
  // The input is whole.
  ASSERT_EQ(in.OpenForReading(path), 0u);
  std::vector<uint8_t> back(32);
  size_t got = 0;
  ASSERT_EQ(in.Read(back.data(), back.size(), got), 0u);
  back.resize(got);
  EXPECT_EQ(back, std::vector<uint8_t>(kWorkedLayout2.begin(), kWorkedLayout2.end()));
}

namespace {

// The access list of a file in the system's text form.
std::wstring AccessText(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  if (GetNamedSecurityInfoW(PathFromUtf8(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return L"?";
  }
  LPWSTR text = nullptr;
  std::wstring result = L"?";
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr)) {
    result = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return result;
}

}  // namespace

TEST(WindowsFileTest, AReplacedFileKeepsItsAccessAndLongNamesAndPartialNamesFit) {
  LanguageGuard english(kEnglish);
  TempDir dir;
  const std::string input = dir.File("track.bin");
  WriteWholeFile(input, std::vector<unsigned char>(kWorkedLayout2.begin(), kWorkedLayout2.end()));
  std::vector<unsigned char> garbage(kWorkedLayout2.begin(), kWorkedLayout2.end());
  garbage.resize(32, 0x7F);
  const std::string spoiled = dir.File("spoiled.bin");
  WriteWholeFile(spoiled, garbage);
  const auto convert = [](const std::string& from, const std::string& to) {
    TestHost host;
    const bool converted = ConvertBinaryTrackFile(host, from, to);
    return converted ? std::string() : host.Lines().back();
  };

  // A file shared with everyone and hidden stays so when replaced.
  const std::string output = dir.File("out.plt");
  ASSERT_EQ(convert(input, output), "");
  const std::wstring wide = PathFromUtf8(output).wstring();
  PSECURITY_DESCRIPTOR everyone = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &everyone,
                                                                   nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(everyone, &present, &dacl, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoW(const_cast<LPWSTR>(wide.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  dacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(everyone);
  const std::wstring access = AccessText(output);
  const bool hidden = SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN) &&
                      (GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
  ASSERT_EQ(convert(input, output), "");
  EXPECT_EQ(AccessText(output), access);
  if (hidden) {
    EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  }

  // A name at the limit (122 Polish letters and ".plt", 248 bytes of UTF-8): its temporary
  // and partial names are cut to fit, and a second partial file takes the next name.
  std::string name;
  for (int i = 0; i < 122; ++i) name += "\xC5\xBC";  // ż
  const std::string longName = Utf8FromPath(dir.Path() / PathFromUtf8(name + ".plt"));
  ASSERT_EQ(convert(input, longName), "");
  EXPECT_TRUE(PathExists(longName));
  const std::string first = convert(spoiled, longName);
  const std::string second = convert(spoiled, longName);
  EXPECT_NE(first.find(" was left as it was; the incomplete track is in "), std::string::npos) << first;
  EXPECT_NE(second.find(".partial-2.plt."), std::string::npos) << second;
  EXPECT_NE(first.substr(first.rfind(' ') + 1), second.substr(second.rfind(' ') + 1));
  size_t partials = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    partials += Utf8FromPath(entry.path().filename()).find(".partial") != std::string::npos;
  }
  EXPECT_EQ(partials, 2u);
}
