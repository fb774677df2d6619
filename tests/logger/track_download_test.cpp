// The track download against a scripted logger behind the serial test double: the block
// rule, the requests and their order, the speed table, the outputs, every refusal and
// failure path with its pauses and closing steps.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "expected_plt.h"
#include "fake_logger_bench.h"
#include "logger/track_download.h"
#include "platform/file.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/read_track_into.h"
#include "support/temp_dir.h"

using namespace stravener;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace {

const std::string kAttention = "$PMLR,06,00,02A9\r\n";

// The block requests written, in order.
std::vector<std::string> Requests(const ScriptedLogger& logger) {
  std::vector<std::string> requests;
  for (const std::string& s : logger.sentences) {
    if (s.rfind("$PQRVT,", 0) == 0) requests.push_back(s);
  }
  return requests;
}

std::vector<unsigned char> Used(const ScriptedLogger& logger, size_t bytes) {
  return std::vector<unsigned char>(logger.memory.begin(), logger.memory.begin() + static_cast<std::ptrdiff_t>(bytes));
}

struct Download : FakeLoggerBench {
  Download(uint16_t fullPages, uint16_t partial, uint32_t limit = 115200) {
    logger.SetGeometry(2048, 256, fullPages, partial);
    logger.SetUsedMemory(fullPages * 256u + partial);
    connection.speedLimit = limit;
  }
  // Read track into `path`, as a user who chose that file.
  OperationResult Run(const TrackReadOptions& options = {}) {
    return ReadTrackInto(connection, host, path, &summary, options);
  }
  // What is in the folder so far: the track being written, under its temporary name until
  // it is whole.
  uintmax_t BytesWritten() const {
    uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) bytes += entry.file_size();
    return bytes;
  }

  TempDir dir;
  std::string path = dir.File("track.bin");
  TrackReadSummary summary;
};

// The codes a direct attempt meets: creating a file at the path, and writing to it.
uint32_t CreateError(const std::string& path) {
  File probe;
  const uint32_t code = probe.Create(path);
  if (code == 0) {
    probe.Close();
    std::remove(path.c_str());
  }
  return code;
}
uint32_t WriteError(const std::string& path) {
  File probe;
  if (probe.Create(path) != 0) return 0;
  const uint8_t bytes[16] = {};
  size_t written = 0;
  return probe.Write(bytes, sizeof bytes, written);
}

std::string Hex(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", code);
  return text;
}

}  // namespace

TEST(TrackBlockSizeTest, AQuarterSecondOfLineTimeInAnEvenNumberOfPages) {
  EXPECT_EQ(TrackBlockSize(38400, 256, 1u << 20), 1024u);
  EXPECT_EQ(TrackBlockSize(57600, 256, 1u << 20), 1536u);
  EXPECT_EQ(TrackBlockSize(115200, 256, 1u << 20), 3072u);
  EXPECT_EQ(TrackBlockSize(230400, 256, 1u << 20), 5632u);
  EXPECT_EQ(TrackBlockSize(460800, 256, 1u << 20), 11776u);
  EXPECT_EQ(TrackBlockSize(115200, 8192, 1u << 20), 16384u) << "never less than two pages";
  EXPECT_EQ(TrackBlockSize(115200, 256, 2592), 2592u) << "cut to what remains";
  EXPECT_EQ(TrackBlockSize(38400, kLargestPageSize, 1u << 20), 65534u) << "the largest page still fits a frame";
}

TEST(TrackDownloadTest, OneBlockDownloadOnTheWireAndInTheLog) {
  LanguageGuard english(kEnglish);
  Download d(10, 32);
  EXPECT_EQ(d.Run(), OperationResult::Done);

  EXPECT_EQ(d.Wire(), kAttention + "$PQRVI,\r\n" + kAttention + "$PQRVS,1\r\n" + "$PQRVT,0,2592,\r\n" + "$PQRVS,0\r\n");
  EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 2592));
  const std::vector<std::string> lines = LogLines(d.host.log);
  ASSERT_EQ(lines.size(), 7u) << ::testing::PrintToString(lines);
  EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              ElementsAre("I Read info command sent.", "I Speed change command sent.",
                          "I Changing port speed to 115200 bps.", "I Track read (2592 bytes)."));
  EXPECT_THAT(lines[4], StartsWith("I Average transfer: "));
  EXPECT_THAT(std::vector<std::string>(lines.begin() + 5, lines.end()),
              ElementsAre("I Speed change command sent.", "I Changing port speed to 4800 bps."));
  // 150 after each attention, 100 after the speed sentence and after the port's switch,
  // 100 after the way back.
  EXPECT_THAT(d.host.clock.sleeps, ElementsAre(150u, 150u, 100u, 100u, 100u));
  EXPECT_THAT(d.host.progressRanges, ElementsAre(2592u));
  EXPECT_THAT(d.host.progressPositions, ElementsAre(0u, 2592u, 0u));
  EXPECT_EQ(d.line.speed, 4800u);
  EXPECT_EQ(d.connection.currentSpeed, 4800u);
  EXPECT_EQ(d.summary.bytes, 2592u);
  EXPECT_TRUE(d.summary.raw);
  EXPECT_EQ(d.summary.path, d.dir.File("track.bin"));
}

TEST(TrackDownloadTest, BlocksOfWholePagesWithTheLastCut) {
  LanguageGuard polish(kPolish);
  Download d(40, 0);
  EXPECT_EQ(d.Run(), OperationResult::Done);
  EXPECT_THAT(Requests(d.logger), ElementsAre("$PQRVT,0,3072,\r\n", "$PQRVT,12,3072,\r\n", "$PQRVT,24,3072,\r\n",
                                              "$PQRVT,36,1024,\r\n"));
  EXPECT_THAT(d.host.progressRanges, ElementsAre(10240u));
  EXPECT_THAT(d.host.progressPositions, ElementsAre(0u, 3072u, 6144u, 9216u, 10240u, 0u));
  EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 10240));
  EXPECT_THAT(LogLines(d.host.log), ::testing::Contains("I Odczyt śladu zakończony (10240 bajtów)."));
  // One repaint after every block at least.
  EXPECT_GE(d.host.repaints, 4);
}

TEST(TrackDownloadTest, TheNextRequestIsOnTheWireBeforeThePreviousBlockIsWritten) {
  Download d(40, 0);
  std::vector<uintmax_t> fileSizeAtRequest;
  d.logger.onBlockRequest = [&](uint32_t, uint32_t) {
    fileSizeAtRequest.push_back(d.BytesWritten());
  };
  EXPECT_EQ(d.Run(), OperationResult::Done);
  // At the request for block k, blocks 0 .. k-2 are in the file.
  EXPECT_THAT(fileSizeAtRequest, ElementsAre(0u, 0u, 3072u, 6144u));
}

TEST(TrackDownloadTest, EverySpeedOfTheTable) {
  LanguageGuard english(kEnglish);
  struct Case {
    uint32_t limit;
    const char* sentence;
    uint32_t speed;
    const char* firstRequest;
  };
  const Case cases[] = {
      {38400, "$PQRVS,3\r\n", 38400, "$PQRVT,0,1024,\r\n"},     {57600, "$PQRVS,5\r\n", 57600, "$PQRVT,0,1536,\r\n"},
      {115200, "$PQRVS,1\r\n", 115200, "$PQRVT,0,3072,\r\n"},   {230400, "$PQRVS,2\r\n", 230400, "$PQRVT,0,5632,\r\n"},
      {460800, "$PQRVS,4\r\n", 460800, "$PQRVT,0,11776,\r\n"},  {9600, "$PQRVS,1\r\n", 115200, "$PQRVT,0,3072,\r\n"},
      {0, "$PQRVS,1\r\n", 115200, "$PQRVT,0,3072,\r\n"},        {921600, "$PQRVS,1\r\n", 115200, "$PQRVT,0,3072,\r\n"},
  };
  for (const Case& c : cases) {
    Download d(80, 0, c.limit);
    EXPECT_EQ(d.Run(), OperationResult::Done) << c.limit;
    ASSERT_GE(d.logger.sentences.size(), 5u);
    EXPECT_EQ(d.logger.sentences[3], c.sentence) << c.limit;
    EXPECT_EQ(d.logger.sentences[4], c.firstRequest) << c.limit;
    EXPECT_THAT(LogLines(d.host.log), ::testing::Contains("I Changing port speed to " + std::to_string(c.speed) +
                                                          " bps."))
        << c.limit;
    EXPECT_EQ(d.connection.speedLimit, c.speed) << "a limit outside the table becomes 115200 and stays so";
    EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 80 * 256)) << c.limit;
  }
}

TEST(TrackDownloadTest, PltInAnyLetterCaseConvertsOtherExtensionsSaveRaw) {
  LanguageGuard english(kEnglish);
  Download plt(10, 32);
  plt.path = plt.dir.File("Trip.PLT");
  EXPECT_EQ(plt.Run(), OperationResult::Done);
  EXPECT_FALSE(plt.summary.raw);
  TempDir other;
  EXPECT_EQ(ReadTextFile(plt.dir.File("Trip.PLT")), ExpectedPlt(other.File("Trip.PLT"), Used(plt.logger, 2592), 2));
  const std::string text = ReadTextFile(plt.dir.File("Trip.PLT"));
  EXPECT_THAT(text, HasSubstr("0,2,16776960,Trip,1,0,2,8421376\r\n162\r\n"));
  EXPECT_EQ(text.find("OziExplorer", 1), std::string::npos) << "one header: the path went to the writer once";

  // The extension is the text after the last dot of the file name, so a name that is
  // only ".plt" is a PLT file, while a dot in a folder's name or at the end gives none.
  Download bare(10, 32);
  bare.path = bare.dir.File(".plt");
  EXPECT_EQ(bare.Run(), OperationResult::Done);
  EXPECT_FALSE(bare.summary.raw);
  EXPECT_THAT(ReadTextFile(bare.dir.File(".plt")), HasSubstr("0,2,16776960,,1,0,2,8421376\r\n162\r\n"));

  // GPX and KML by their extensions, in any letter case; the options' format before the
  // extension.
  Download gpx(10, 32);
  gpx.path = gpx.dir.File("Trip.GpX");
  EXPECT_EQ(gpx.Run(), OperationResult::Done);
  EXPECT_EQ(gpx.summary.format, TrackFileFormat::Gpx);
  EXPECT_THAT(ReadTextFile(gpx.dir.File("Trip.GpX")), ::testing::EndsWith("</trkpt>\r\n    </trkseg>\r\n  </trk>\r\n</gpx>\r\n"));
  Download kml(10, 32);
  kml.path = kml.dir.File("trip.plt");
  TrackReadOptions asKml;
  asKml.format = TrackFileFormat::Kml;
  EXPECT_EQ(kml.Run(asKml), OperationResult::Done);
  EXPECT_THAT(ReadTextFile(kml.dir.File("trip.plt")), ::testing::EndsWith("</kml>\r\n"));
  Download svg(10, 32);
  svg.path = svg.dir.File("Trip.SVG");
  EXPECT_EQ(svg.Run(), OperationResult::Done);
  EXPECT_EQ(svg.summary.format, TrackFileFormat::Svg);
  EXPECT_THAT(ReadTextFile(svg.dir.File("Trip.SVG")), HasSubstr(">Points: 162</text>"));

  for (const char* name : {"track.txt", "track", "track.plt.bak", "track.", "folder.plt/track"}) {
    Download raw(10, 32);
    std::filesystem::create_directory(raw.dir.File("folder.plt"));
    raw.path = raw.dir.File(name);
    EXPECT_EQ(raw.Run(), OperationResult::Done) << name;
    EXPECT_TRUE(raw.summary.raw) << name;
    EXPECT_EQ(ReadWholeFile(raw.dir.File(name)), Used(raw.logger, 2592)) << name;
  }
}

TEST(TrackDownloadTest, AnIncompleteLastRecordStaysOutOfThePltFile) {
  LanguageGuard english(kEnglish);
  // 2600 bytes: 162 whole records and 8 bytes of a record the logger had not finished.
  Download plt(10, 40);
  plt.path = plt.dir.File("t.plt");
  EXPECT_EQ(plt.Run(), OperationResult::Done);
  TempDir other;
  EXPECT_EQ(ReadTextFile(plt.dir.File("t.plt")), ExpectedPlt(other.File("t.plt"), Used(plt.logger, 2592), 2));
  EXPECT_THAT(LogLines(plt.host.log), ::testing::Contains("I Track read (2600 bytes)."));
  for (const std::string& line : LogLines(plt.host.log)) EXPECT_THAT(line, StartsWith("I "));

  // The raw file keeps every byte.
  Download raw(10, 40);
  EXPECT_EQ(raw.Run(), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(raw.dir.File("track.bin")), Used(raw.logger, 2600));

  // Less than one record in use: a PLT file of its header alone, never an empty file
  // under the success line.
  for (uint16_t used : {1, 15}) {
    Download tiny(0, used);
    tiny.path = tiny.dir.File("tiny.plt");
    EXPECT_EQ(tiny.Run(), OperationResult::Done) << used;
    EXPECT_EQ(ReadTextFile(tiny.dir.File("tiny.plt")),
              "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
              "0,2,16776960,tiny,1,0,2,8421376\r\n0\r\n")
        << used;
    EXPECT_THAT(LogLines(tiny.host.log), ::testing::Contains("I Track read (" + std::to_string(used) + " bytes)."));
  }
}

TEST(TrackDownloadTest, NoticesThatStopBeforeTheSaveChoice) {
  LanguageGuard english(kEnglish);
  struct Case {
    const char* what;
    std::function<void(ScriptedLogger&)> setUp;
    const char* notice;
  };
  const Case cases[] = {
      {"format 3", [](ScriptedLogger& l) { l.info[8] = '3'; }, "Improper logger firmware version."},
      {"format 0", [](ScriptedLogger& l) { l.info[8] = '0'; }, "Improper logger firmware version."},
      {"empty", [](ScriptedLogger& l) { l.SetGeometry(2048, 256, 0, 0); }, "The track memory is clear."},
      {"page size 0", [](ScriptedLogger& l) { l.SetGeometry(2048, 0, 10, 32); },
       "The track cannot be read: the logger reports a memory page size of 0 bytes."},
      {"page size 32768", [](ScriptedLogger& l) { l.SetGeometry(16, 32768, 1, 0); },
       "The track cannot be read: the logger reports a memory page size of 32768 bytes."},
  };
  for (const Case& c : cases) {
    Download d(10, 32);
    c.setUp(d.logger);
    const TrackReadStart start = PrepareTrackRead(d.connection, d.host);
    EXPECT_EQ(start.result, OperationResult::Stopped) << c.what;
    EXPECT_EQ(start.notice, c.notice) << c.what;
    EXPECT_EQ(d.Wire(), kAttention + "$PQRVI,\r\n") << c.what;
    EXPECT_THAT(LogLines(d.host.log), ElementsAre("I Read info command sent.")) << c.what;
    // Handed such a record all the same, the download sends nothing and says why.
    EXPECT_EQ(ReadTrack(d.connection, d.host, start.info, d.path), OperationResult::Failed) << c.what;
    EXPECT_EQ(d.Wire(), kAttention + "$PQRVI,\r\n") << c.what;
    EXPECT_EQ(LogLines(d.host.log).back(), std::string("E ") + c.notice) << c.what;
  }
  LanguageGuard polish(kPolish);
  Download d(10, 32);
  d.logger.SetGeometry(2048, 0, 10, 32);
  EXPECT_EQ(PrepareTrackRead(d.connection, d.host).notice,
            "Nie można odczytać śladu: logger podaje rozmiar strony pamięci 0 bajtów.");
}

TEST(TrackDownloadTest, TheLargestPageSizeStillDownloads) {
  Download d(0, 0);
  d.logger.SetGeometry(4, kLargestPageSize, 0, 0);
  d.logger.SetUsedMemory(2u * kLargestPageSize);
  EXPECT_EQ(d.Run(), OperationResult::Done);
  EXPECT_THAT(Requests(d.logger), ElementsAre("$PQRVT,0,65534,\r\n"));
  EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 65534));
}

TEST(TrackDownloadTest, ARawCopyThatWouldTakeTheTracksNameSendsNothingMore) {
  LanguageGuard english(kEnglish);
  Download same(10, 32);
  TrackReadOptions options;
  options.format = TrackFileFormat::Gpx;
  options.keepRaw = true;
  EXPECT_EQ(same.Run(options), OperationResult::Failed);
  EXPECT_EQ(same.Wire(), kAttention + "$PQRVI,\r\n");
  EXPECT_EQ(LogLines(same.host.log).back(), "E The file " + same.dir.File("track.bin") +
                                                " would be both the track file and the raw copy. Choose other names.");
  EXPECT_FALSE(std::filesystem::exists(same.dir.File("track.bin")));
}

TEST(TrackDownloadTest, AShortTransferStillReportsAnAverage) {
  LanguageGuard english(kEnglish);
  Download d(10, 32);
  d.host.clock.counter = 12345;  // no time passes at all
  EXPECT_EQ(d.Run(), OperationResult::Done);
  // Counted as 1 ms: 2592 bytes of 10 bits in 1 ms.
  EXPECT_THAT(LogLines(d.host.log), ::testing::Contains("I Average transfer: 25920000 bps."));
  EXPECT_EQ(d.summary.elapsedMs, 0);
}

TEST(TrackDownloadTest, FourFailuresOfABlockAreRepeatedTheFifthAborts) {
  LanguageGuard english(kEnglish);
  // Frame 1 is the information record, frame 2 the first block; frames 3-6 fail.
  Download repeated(40, 0);
  repeated.logger.alterFrame = [](int ordinal, std::vector<uint8_t>& frame) {
    if (ordinal >= 3 && ordinal <= 6) frame.back() ^= 0xFF;
  };
  EXPECT_EQ(repeated.Run(), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(repeated.dir.File("track.bin")), Used(repeated.logger, 10240));
  EXPECT_THAT(Requests(repeated.logger),
              ElementsAre("$PQRVT,0,3072,\r\n", "$PQRVT,12,3072,\r\n", "$PQRVT,12,3072,\r\n", "$PQRVT,12,3072,\r\n",
                          "$PQRVT,12,3072,\r\n", "$PQRVT,12,3072,\r\n", "$PQRVT,24,3072,\r\n", "$PQRVT,36,1024,\r\n"));
  const std::vector<std::string> lines = LogLines(repeated.host.log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Repeating command."), 4);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "E Checksum error."), 4);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "E Transfer aborted."), 0);
  EXPECT_EQ(std::count(repeated.host.clock.sleeps.begin(), repeated.host.clock.sleeps.end(), 500u), 4);

  // A block that fails at every speed: a fifth failure above 38400 bit/s steps both sides
  // down to the next speed of the table, and at 38400 the fifth failure ends the transfer.
  Download aborted(40, 0);
  aborted.logger.alterFrame = [](int ordinal, std::vector<uint8_t>& frame) {
    if (ordinal >= 3) frame.back() ^= 0xFF;
  };
  EXPECT_EQ(aborted.Run(), OperationResult::Failed);
  // The first block stays, never under the chosen name: a file there is taken for a whole track.
  EXPECT_FALSE(std::filesystem::exists(aborted.dir.File("track.bin")));
  const std::string partial = aborted.dir.File("track.partial.bin");
  EXPECT_EQ(ReadWholeFile(partial), Used(aborted.logger, 3072)) << "the first block stays";
  std::vector<std::string> requests{"$PQRVT,0,3072,\r\n"};
  for (const char* block : {"$PQRVT,12,3072,\r\n", "$PQRVT,12,1536,\r\n", "$PQRVT,12,1024,\r\n"}) {
    requests.insert(requests.end(), 5, block);
  }
  EXPECT_THAT(Requests(aborted.logger), ElementsAreArray(requests));
  const std::vector<std::string> end = LogLines(aborted.host.log);
  ASSERT_GE(end.size(), 5u);
  EXPECT_THAT(std::vector<std::string>(end.end() - 5, end.end()),
              ElementsAre("E Checksum error.", "I Speed change command sent.", "I Changing port speed to 4800 bps.",
                          "E Transfer aborted.", "I The incomplete track is in " + partial + "."));
  EXPECT_EQ(std::count(end.begin(), end.end(), "I Repeating command."), 3 * 4);
  EXPECT_THAT(end, ::testing::IsSupersetOf({"I Transfer at 115200 bps failed; continuing at 57600 bps.",
                                            "I Transfer at 57600 bps failed; continuing at 38400 bps."}));
  EXPECT_EQ(aborted.logger.sentences.back(), "$PQRVS,0\r\n");
  EXPECT_EQ(aborted.line.speed, 4800u);
  // Four repeats of 500 ms, then 1000 ms after the failure, then 100 ms after the way back.
  const std::vector<uint32_t>& sleeps = aborted.host.clock.sleeps;
  EXPECT_THAT(std::vector<uint32_t>(sleeps.end() - 6, sleeps.end()), ElementsAre(500u, 500u, 500u, 500u, 1000u, 100u));
  EXPECT_THAT(aborted.host.progressPositions.back(), 0u);
  EXPECT_FALSE(aborted.summary.bytes);
}

TEST(TrackDownloadTest, ABlockThatFailsFiveTimesStepsTheSpeedDownAndGoesOn) {
  LanguageGuard english(kEnglish);
  // The second block fails five times at 460800 bit/s, then comes at 230400 bit/s.
  Download d(200, 0, 460800);
  d.logger.alterFrame = [](int ordinal, std::vector<uint8_t>& frame) {
    if (ordinal >= 3 && ordinal <= 7) frame.back() ^= 0xFF;
  };
  EXPECT_EQ(d.Run(), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 200 * 256));
  // Back to 4800 bit/s, the attention sentence and the next lower speed, then the same
  // block again, sized for the new speed.
  const std::vector<std::string>& sentences = d.logger.sentences;
  const auto back = std::find(sentences.begin(), sentences.end(), "$PQRVS,0\r\n");
  ASSERT_NE(back, sentences.end());
  EXPECT_THAT(std::vector<std::string>(back - 1, back + 5),
              ElementsAre("$PQRVT,46,11776,\r\n", "$PQRVS,0\r\n", kAttention, "$PQRVS,2\r\n",
                          "$PQRVT,46,5632,\r\n", "$PQRVT,68,5632,\r\n"));
  const std::vector<std::string> lines = LogLines(d.host.log);
  const auto stepped = std::find(lines.begin(), lines.end(), "I Transfer at 460800 bps failed; continuing at 230400 bps.");
  ASSERT_NE(stepped, lines.end());
  EXPECT_THAT(std::vector<std::string>(stepped, stepped + 5),
              ElementsAre(*stepped, "I Speed change command sent.", "I Changing port speed to 4800 bps.",
                          "I Speed change command sent.", "I Changing port speed to 230400 bps."));
  // The speed that carried the blocks is the limit from now on.
  EXPECT_EQ(d.connection.speedLimit, 230400u);
  EXPECT_EQ(d.summary.bytes, 200u * 256);
  EXPECT_THAT(lines, ::testing::Contains("I Average transfer: " + std::to_string(d.summary.averageBps) + " bps."));
}

TEST(TrackDownloadTest, ABlockPendingWhenTheNextRequestFailsIsWrittenAfterTheRepeat) {
  LanguageGuard english(kEnglish);
  Download d(40, 0);
  // The writes: attention, info, attention, speed, request 0, request 12 (fails).
  d.line.Fail(FakeCall::Write, 13, 5);
  std::vector<uintmax_t> fileSizeAtRequest;
  d.logger.onBlockRequest = [&](uint32_t, uint32_t) {
    fileSizeAtRequest.push_back(d.BytesWritten());
  };
  EXPECT_EQ(d.Run(), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(d.dir.File("track.bin")), Used(d.logger, 10240));
  EXPECT_THAT(Requests(d.logger), ElementsAre("$PQRVT,0,3072,\r\n", "$PQRVT,12,3072,\r\n", "$PQRVT,24,3072,\r\n",
                                              "$PQRVT,36,1024,\r\n"));
  // The block of page 0 was still pending when the repeat of page 12 went out.
  EXPECT_THAT(fileSizeAtRequest, ElementsAre(0u, 0u, 3072u, 6144u));
  EXPECT_THAT(LogLines(d.host.log), ::testing::IsSupersetOf({"E Error 0xd writing port.", "I Repeating command."}));
}

TEST(TrackDownloadTest, FailuresAfterTheSpeedSentenceStillTakeTheLoggerBack) {
  LanguageGuard english(kEnglish);
  // The port refuses the transfer speed.
  Download slow(10, 32, 460800);
  slow.line.maxSpeed = 230400;
  EXPECT_EQ(slow.Run(), OperationResult::Failed);
  EXPECT_EQ(slow.logger.sentences.back(), "$PQRVS,0\r\n");
  EXPECT_THAT(Requests(slow.logger), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(slow.dir.File("track.bin")));
  EXPECT_THAT(slow.host.clock.sleeps, ElementsAre(150u, 150u, 100u, 1000u, 100u));
  EXPECT_EQ(LogLines(slow.host.log).back(), "E Transfer aborted.");
  EXPECT_EQ(slow.line.speed, 4800u);

  // The file cannot be created.
  Download nowhere(10, 32);
  nowhere.path = nowhere.dir.File("missing/track.bin");
  const uint32_t createCode = CreateError(nowhere.path);  // ENOENT; on Windows, path not found
  ASSERT_NE(createCode, 0u);
  EXPECT_EQ(nowhere.Run(), OperationResult::Failed);
  EXPECT_THAT(LogLines(nowhere.host.log),
              ::testing::IsSupersetOf(std::vector<std::string>{"E Error " + Hex(createCode) + " creating track file.",
                                                               SystemTextLine(createCode), "E Transfer aborted."}));
  EXPECT_THAT(nowhere.host.clock.sleeps, ElementsAre(150u, 150u, 100u, 100u, 1000u, 100u));
  EXPECT_EQ(nowhere.logger.sentences.back(), "$PQRVS,0\r\n");

  // The disk is full: the raw write fails (ENOSPC; under Wine the same device gives the
  // disk-full code of Windows).
  Download full(10, 32);
  full.path = "/dev/full";
  const uint32_t writeCode = WriteError("/dev/full");
  if (writeCode == 0) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(full.Run(), OperationResult::Failed);
  const std::vector<std::string> lines = LogLines(full.host.log);
  EXPECT_THAT(lines, ::testing::IsSupersetOf(std::vector<std::string>{"E Error " + Hex(writeCode) + " writing track file.",
                                                                      SystemTextLine(writeCode)}));
  EXPECT_EQ(lines.back(), "E Transfer aborted.");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Track read (2592 bytes)."), 0);
}

TEST(TrackDownloadTest, ARecordTheWriterRefusesEndsTheTransfer) {
  LanguageGuard english(kEnglish);
  Download d(40, 0);
  // A record of the second block with a latitude near 180 degrees.
  const uint8_t latitude[4] = {0x7F, 0xFF, 0xFF, 0xFF};
  std::copy(std::begin(latitude), std::end(latitude), d.logger.memory.begin() + 3072 + 16 * 5 + 6);
  d.path = d.dir.File("t.plt");
  EXPECT_EQ(d.Run(), OperationResult::Failed);
  const std::vector<std::string> lines = LogLines(d.host.log);
  EXPECT_THAT(lines, ::testing::Contains("E Error in track memory contents."));
  EXPECT_EQ(lines[lines.size() - 2], "E Transfer aborted.");
  EXPECT_EQ(d.logger.sentences.back(), "$PQRVS,0\r\n");
  // The 192 records of the first block and the 5 before the bad one are in the partial file.
  EXPECT_FALSE(std::filesystem::exists(d.dir.File("t.plt")));
  const std::string plt = ReadTextFile(d.dir.File("t.partial.plt"));
  EXPECT_EQ(std::count(plt.begin(), plt.end(), '\n'), 6 + 192 + 5);

  // A GPX file is closed all the same.
  Download g(40, 0);
  std::copy(std::begin(latitude), std::end(latitude), g.logger.memory.begin() + 3072 + 16 * 5 + 6);
  g.path = g.dir.File("t.gpx");
  EXPECT_EQ(g.Run(), OperationResult::Failed);
  const std::string gpx = ReadTextFile(g.dir.File("t.partial.gpx"));
  EXPECT_THAT(gpx, ::testing::EndsWith("</trkpt>\r\n    </trkseg>\r\n  </trk>\r\n</gpx>\r\n"));
  size_t points = 0;
  for (size_t at = 0; (at = gpx.find("<trkpt ", at)) != std::string::npos; ++at) ++points;
  EXPECT_EQ(points, 192u + 5);
}
