// The system's error texts on Windows: FormatMessageA from the system's table, inserts
// left untouched, one line, converted from the ANSI code page to the UTF-8 of the log.
// Texts differ between Windows and Wine, so the checks hold against the system itself
// (its wide-character text of the same code), never against a wording.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/event_log.h"
#include "platform/system_error.h"
#include "system_text_oracle.h"

using namespace stravener;

TEST(SystemErrorTest, LastErrorIsTheCodeOfTheFailedCall) {
  const HANDLE h = CreateFileA("C:\\stravener-no-such-folder\\x.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST(SystemErrorTest, TextsAreSingleUtf8LinesOfTheSystemTable) {
  for (uint32_t code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
                        ERROR_INVALID_PARAMETER, ERROR_INVALID_HANDLE, ERROR_NO_SYSTEM_RESOURCES}) {
    std::string text;
    ASSERT_TRUE(SystemErrorText(code, text)) << code;
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
    EXPECT_TRUE(IsValidUtf8(text)) << code;
    EXPECT_EQ(text, WideSystemText(code)) << code;
  }
}

TEST(SystemErrorTest, ACodeWithoutTextLogsNothing) {
  std::string text = "untouched";
  EXPECT_FALSE(SystemErrorText(0xDEADBEEFu, text));
  EventLog log;
  log.LogLine(LogKind::Error, "Error 0x%x opening port %s.", 0xDEADBEEFu, "COM3");
  log.LogSystemError(LogKind::Error, 0xDEADBEEFu);
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_EQ(log.Entries()[0].text, "Error 0xdeadbeef opening port COM3.");
}

TEST(SystemErrorTest, InsertsAndPercentSignsStayAsTheSystemWroteThem) {
  // "%1 is not a valid Win32 application." and its like: the insert is not filled in, and
  // the text is not used as a format.
  std::string text;
  ASSERT_TRUE(SystemErrorText(ERROR_BAD_EXE_FORMAT, text));
  ASSERT_NE(text.find("%1"), std::string::npos) << text;
  EventLog log;
  log.LogSystemError(LogKind::Info, ERROR_BAD_EXE_FORMAT);
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_EQ(log.Entries()[0].text, text);
  EXPECT_EQ(log.Entries()[0].kind, LogKind::Info);
}
