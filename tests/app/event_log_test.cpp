#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "platform/system_error.h"
#include "support/language_guard.h"

using namespace stravener;

TEST(EventLogTest, KeepsAtMost501LinesDroppingTheOldest) {
  EventLog log;
  int drops = 0;
  log.SetListener([&](const LogEntry&, bool dropped) { drops += dropped ? 1 : 0; });
  for (int i = 0; i < 500; ++i) log.LogLine(LogKind::Info, "line %d", i);
  ASSERT_EQ(log.Entries().size(), 500u);
  log.LogLine(LogKind::Info, "line %d", 500);
  EXPECT_EQ(log.Entries().size(), 501u);
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(log.Entries().front().text, "line 0");
  log.LogLine(LogKind::Error, "line %d", 501);
  EXPECT_EQ(log.Entries().size(), 501u);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(log.Entries().front().text, "line 1");
  EXPECT_EQ(log.Entries().back().text, "line 501");
  EXPECT_EQ(log.Entries().back().kind, LogKind::Error);
}

TEST(EventLogTest, ListenerSeesEveryLineAsItIsAdded) {
  EventLog log;
  std::vector<std::string> seen;
  log.SetListener([&](const LogEntry& entry, bool) { seen.push_back(entry.text); });
  log.LogLine(LogKind::Info, "Changing port speed to %d bps.", 4800);
  log.Add(LogKind::Separator, "-----");
  EXPECT_EQ(seen, (std::vector<std::string>{"Changing port speed to 4800 bps.", "-----"}));
}

TEST(EventLogTest, LongLinesAreNotCut) {
  EventLog log;
  const std::string path(5000, 'x');
  log.LogLine(LogKind::Info, "--> %s", path.c_str());
  EXPECT_EQ(log.Entries().back().text, "--> " + path);
}

TEST(EventLogTest, TextPairsFollowTheLanguage) {
  EventLog log;
  {
    LanguageGuard polish(kPolish);
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x otwarcia portu %s.", "Error 0x%x opening port %s.", 2u, "COM9");
  }
  {
    LanguageGuard english(kEnglish);
    LOG_TEXT(log, LogKind::Error, "Błąd 0x%x otwarcia portu %s.", "Error 0x%x opening port %s.", 0x1fu, "COM9");
    LOG_TEXT(log, LogKind::Info, "Port otwarty.", "Port opened.");
  }
  ASSERT_EQ(log.Entries().size(), 3u);
  EXPECT_EQ(log.Entries()[0].text, "Błąd 0x2 otwarcia portu COM9.");
  EXPECT_EQ(log.Entries()[1].text, "Error 0x1f opening port COM9.");
  EXPECT_EQ(log.Entries()[2].text, "Port opened.");
  EXPECT_EQ(log.Entries()[2].kind, LogKind::Info);
}

TEST(EventLogTest, SystemErrorTextIsAddedLiterally) {
  EventLog log;
  std::string expected;
  ASSERT_TRUE(SystemErrorText(ENOENT, expected));
  log.LogSystemError(LogKind::Error, ENOENT);
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_EQ(log.Entries()[0].text, expected);
  EXPECT_EQ(log.Entries()[0].kind, LogKind::Error);
#if !defined(_WIN32)
  EXPECT_EQ(expected, "No such file or directory");
#endif
}

TEST(EventLogTest, NoSystemTextAddsNothing) {
  EventLog log;
  log.LogSystemError(LogKind::Error, 0x7ffffff0u);
  EXPECT_TRUE(log.Entries().empty());
}

TEST(EventLogTest, PercentSignsInAddedTextStayAsTheyAre) {
  EventLog log;
  log.Add(LogKind::Error, "100% of %1 %s %d");
  EXPECT_EQ(log.Entries()[0].text, "100% of %1 %s %d");
}
