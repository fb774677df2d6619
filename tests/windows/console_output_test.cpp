// stravener.exe on a Windows console: what it writes reaches the console's screen buffer
// letter for letter, Polish letters included, whatever the console's code page (it writes
// UTF-16); to a file or a pipe it writes UTF-8, as the logger tests under Wine read it.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wine_paths.h"

namespace {

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                      wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

// A console of this program's own, shared with the programs it starts, and gone again with
// the object.
class OwnConsole {
 public:
  OwnConsole() {
    FreeConsole();
    ok_ = AllocConsole() != 0;
  }
  ~OwnConsole() { FreeConsole(); }
  OwnConsole(const OwnConsole&) = delete;
  OwnConsole& operator=(const OwnConsole&) = delete;
  bool Ok() const { return ok_; }

  // Runs a program on this console and waits for it: its exit status, or -1.
  static int Run(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return -1;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
  }

  // The screen buffer's lines up to the cursor, without their trailing blanks.
  static std::vector<std::wstring> Lines() {
    std::vector<std::wstring> lines;
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE) return lines;
    if (GetConsoleScreenBufferInfo(screen, &info)) {
      for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, line.data(), static_cast<DWORD>(line.size()), COORD{0, row}, &read);
        line.resize(read);
        line.erase(line.find_last_not_of(L' ') + 1);
        lines.push_back(line);
      }
    }
    CloseHandle(screen);
    return lines;
  }

 private:
  bool ok_ = false;
};

}  // namespace

TEST(ConsoleOutputTest, PolishLettersReachTheConsoleWholeOnStdoutAndStderr) {
  using ::testing::Contains;
  using ::testing::HasSubstr;
  OwnConsole console;
  ASSERT_TRUE(console.Ok());
  // A code page without the Polish letters: text written as bytes could not show them.
  SetConsoleOutputCP(850);
  const std::wstring exe = L"\"" + Wide(WindowsPath(STRAVENER_EXE)) + L"\"";
  EXPECT_EQ(OwnConsole::Run(exe + L" setup --lang pl"), 0);
  // The log on stderr names the file with its letters.
  EXPECT_EQ(OwnConsole::Run(exe + L" convert C:\\nie-ma-takiego\\żółw.bin -o C:\\nie-ma-takiego\\ślad.plt --lang pl"),
            1);
  const std::vector<std::wstring> lines = OwnConsole::Lines();
  EXPECT_THAT(lines, Contains(HasSubstr(L"Maksymalna prędkość transferu: ")));
  EXPECT_THAT(lines, Contains(HasSubstr(L"Język: ")));
  EXPECT_THAT(lines, Contains(HasSubstr(L"C:\\nie-ma-takiego\\żółw.bin")));
  EXPECT_THAT(lines, Contains(HasSubstr(L"Błąd 0x3 otwarcia binarnego pliku śladu.")));
  EXPECT_EQ(GetConsoleOutputCP(), 850u) << "the console's code page is the user's";
}
