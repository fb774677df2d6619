// The logger operations against the simulated logger on a pseudo-terminal, through the
// machine's own serial code: the sentences in the order the logger received them, the
// pauses as the logger measured them, the speeds, the downloads, faults and the upgrade.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_commands.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "logger/track_download.h"
#include "expected_plt.h"
#include "sim_logger_bench.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/stop_request_guard.h"
#include "support/read_track_into.h"
#include "support/temp_dir.h"

using namespace stravener;
using stravener::sim::FaultKind;
using stravener::sim::LoggerMode;
using stravener::sim::MillisecondsBetween;
using stravener::sim::SentenceKind;
using stravener::sim::SimulatedLoggerOptions;
using stravener::sim::TraceEvent;
using stravener::sim::TraceKind;
using stravener::sim::Verdict;
using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {

const std::string kAttention = "$PMLR,06,00,02A9\r\n";

// A pause the tool makes, as the logger sees it: the pause, give or take the moments the
// logger's thread takes to notice a byte or a speed change (a few milliseconds on a busy
// machine), and not much more.
void ExpectPause(double measuredMs, double pauseMs, const std::string& what) {
  EXPECT_GE(measuredMs, pauseMs - 5.0) << what;
  EXPECT_LT(measuredMs, pauseMs + 80.0) << what;
}

// The first event after `after` (by index) of a kind that matches.
std::optional<TraceEvent> Next(const std::vector<TraceEvent>& events, size_t after,
                               const std::function<bool(const TraceEvent&)>& match) {
  for (const TraceEvent& e : events) {
    if (e.index > after && match(e)) return e;
  }
  return std::nullopt;
}

std::vector<unsigned char> Prefix(const std::vector<uint8_t>& bytes, size_t count) {
  return std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace

TEST(LoggerSimTest, InformationOnTheWireWithItsPause) {
  LanguageGuard english(kEnglish);
  SimLoggerBench bench(Unpaced(5000));
  ASSERT_TRUE(bench.Started());
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);

  const auto sentences = bench.Events(TraceKind::Sentence);
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(sentences[0].text, kAttention);
  EXPECT_EQ(sentences[1].text, "$PQRVI,\r\n");
  EXPECT_EQ(sentences[1].verdict, Verdict::Accepted);
  EXPECT_EQ(sentences[1].toolSpeed, 4800u);
  ExpectPause(MillisecondsBetween(sentences[0].time, sentences[1].time), 150, "attention to command");
  EXPECT_TRUE(bench.Events(TraceKind::Noise).empty());
  // The default logger: 5000 records (its report is LoggerInfoTest's).
  EXPECT_EQ(info.UsedBytes(), 80000u);
}

TEST(LoggerSimTest, OneBlockDownloadOnTheWireWithItsPauses) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options = Unpaced(162);  // 2592 bytes: 10 pages and 32 bytes
  SimLoggerBench bench(options);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin")), OperationResult::Done);
  // The logger watches the tool's speed about every millisecond.
  ASSERT_TRUE(bench.Sim().Trace().WaitFor(
      [](const TraceEvent& e) { return e.kind == TraceKind::ToolSpeed && e.toolSpeed == 4800; },
      std::chrono::milliseconds(1000), bench.Sim().Trace().SentencesOf(SentenceKind::TrackBlock).back().index));

  EXPECT_THAT(bench.SentenceTexts(), ElementsAre(kAttention, "$PQRVI,\r\n", kAttention, "$PQRVS,1\r\n",
                                                 "$PQRVT,0,2592,\r\n", "$PQRVS,0\r\n"));
  for (const TraceEvent& s : bench.Events(TraceKind::Sentence)) {
    EXPECT_TRUE(s.verdict == Verdict::Accepted || s.verdict == Verdict::Attention) << s.text;
  }
  const auto answers = bench.Events(TraceKind::Answer);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].bytes.size(), 22u + 3u);
  EXPECT_EQ(answers[1].bytes.size(), 2592u + 3u);
  EXPECT_FALSE(answers[1].Garbled());
  EXPECT_EQ(ReadWholeFile(dir.File("t.bin")), Prefix(bench.Sim().UsedMemory(), 2592));

  // The pauses as the logger saw them.
  const auto events = bench.Events();
  const auto sentences = bench.Events(TraceKind::Sentence);
  ExpectPause(MillisecondsBetween(sentences[0].time, sentences[1].time), 150, "first attention");
  ExpectPause(MillisecondsBetween(sentences[2].time, sentences[3].time), 150, "second attention");
  const auto toFast = Next(events, sentences[3].index, [](const TraceEvent& e) {
    return e.kind == TraceKind::ToolSpeed && e.toolSpeed == 115200;
  });
  ASSERT_TRUE(toFast);
  ExpectPause(MillisecondsBetween(sentences[3].time, toFast->time), 100, "speed sentence to the port's switch");
  ExpectPause(MillisecondsBetween(toFast->time, sentences[4].time), 100, "port's switch to the first request");
  const auto back = Next(events, sentences[5].index, [](const TraceEvent& e) {
    return e.kind == TraceKind::ToolSpeed && e.toolSpeed == 4800;
  });
  ASSERT_TRUE(back);
  ExpectPause(MillisecondsBetween(sentences[5].time, back->time), 100, "way back to the port's switch");

  const std::vector<std::string> lines = LogLines(bench.host.log);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_THAT(lines[3], "I Track read (2592 bytes).");
  EXPECT_THAT(lines[6], "I Changing port speed to 4800 bps.");
}

TEST(LoggerSimTest, DownloadsAtEverySpeedOfTheTable) {
  LanguageGuard english(kEnglish);
  struct Case {
    uint32_t limit;
    const char* sentence;
    uint32_t speed;
  };
  for (const Case& c : {Case{38400, "$PQRVS,3\r\n", 38400}, Case{57600, "$PQRVS,5\r\n", 57600},
                        Case{115200, "$PQRVS,1\r\n", 115200}, Case{230400, "$PQRVS,2\r\n", 230400},
                        Case{460800, "$PQRVS,4\r\n", 460800}, Case{19200, "$PQRVS,1\r\n", 115200}}) {
    SimLoggerBench bench(Unpaced(1500), c.limit);  // 24000 bytes
    ASSERT_TRUE(bench.Started());
    TempDir dir;
    EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin")), OperationResult::Done) << c.limit;
    EXPECT_EQ(ReadWholeFile(dir.File("t.bin")), Prefix(bench.Sim().UsedMemory(), 24000)) << c.limit;
    const auto sentences = bench.SentenceTexts();
    ASSERT_GE(sentences.size(), 4u);
    EXPECT_EQ(sentences[3], c.sentence) << c.limit;
    // Every block reached the tool at the speed it listened at.
    for (const TraceEvent& answer : bench.Events(TraceKind::Answer)) {
      EXPECT_FALSE(answer.Garbled()) << c.limit << ": " << answer.text;
    }
    for (const TraceEvent& block : bench.Sim().Trace().SentencesOf(SentenceKind::TrackBlock)) {
      EXPECT_EQ(block.loggerSpeed, c.speed) << c.limit;
    }
    ASSERT_TRUE(bench.AwaitMode(LoggerMode::Command)) << c.limit;
    EXPECT_EQ(bench.Sim().Speed(), 4800u);
  }
}

TEST(LoggerSimTest, PltOutputOfBothLayoutsMatchesTheLoggersMemory) {
  LanguageGuard english(kEnglish);
  for (int layout : {1, 2}) {
    SimulatedLoggerOptions options = Unpaced(2000);
    options.layout = layout;
    SimLoggerBench bench(options);
    ASSERT_TRUE(bench.Started());
    TempDir dir, other;
    EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("20060315_log.plt")), OperationResult::Done) << layout;
    EXPECT_EQ(ReadTextFile(dir.File("20060315_log.plt")),
              ExpectedPlt(other.File("20060315_log.plt"), bench.Sim().UsedMemory(), layout))
        << layout;
    EXPECT_THAT(LogLines(bench.host.log), ::testing::Contains("I Track read (32000 bytes).")) << layout;
  }
}

TEST(LoggerSimTest, PacedDownloadReportsWhatTheLineCarried) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options;
  options.points = 3000;  // 48000 bytes
  SimLoggerBench bench(options, 230400);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  TrackReadSummary summary;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin"), &summary), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(dir.File("t.bin")), Prefix(bench.Sim().UsedMemory(), 48000));
  // 48000 bytes of 10 bits take 2083 ms at 230400 bit/s; no download beats the line.
  EXPECT_GE(summary.elapsedMs, 2083 - 5);
  EXPECT_LE(summary.averageBps, 230400 * 101 / 100);
  EXPECT_GE(summary.averageBps, 230400 / 3) << "far slower than the line";
  EXPECT_THAT(LogLines(bench.host.log),
              ::testing::Contains("I Average transfer: " + std::to_string(summary.averageBps) + " bps."));
}

TEST(LoggerSimTest, FourFailuresOfABlockAreRepeated) {
  LanguageGuard english(kEnglish);
  // Frame 1 is the information record, frame 2 the first block; the second block fails
  // four times in four ways and then comes.
  SimulatedLoggerOptions options = Unpaced(1000);  // 16000 bytes: six blocks at 115200
  options.faults = {{FaultKind::Checksum, 3}, {FaultKind::Length, 4}, {FaultKind::Garbage, 5}, {FaultKind::Short, 6}};
  SimLoggerBench bench(options);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin")), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(dir.File("t.bin")), Prefix(bench.Sim().UsedMemory(), 16000));
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Repeating command."), 4);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "E Transfer aborted."), 0);
  EXPECT_THAT(lines, ::testing::IsSupersetOf(std::vector<std::string>{
                         "E Checksum error.", "E Protocol error.", "E Port read timeout exceeded."}));
  // A repeat asks for the same page and byte count.
  const auto blocks = bench.Sim().Trace().SentencesOf(SentenceKind::TrackBlock);
  ASSERT_EQ(blocks.size(), 6u + 4u);
  for (size_t i = 1; i <= 5; ++i) EXPECT_EQ(blocks[i].text, "$PQRVT,12,3072,\r\n");
}

TEST(LoggerSimTest, TheFifthFailureAt38400AbortsAndLeavesTheLoggerInCommandMode) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options = Unpaced(1000);
  options.faults = {{FaultKind::Checksum, 4}, {FaultKind::Checksum, 5}, {FaultKind::Silent, 6},
                    {FaultKind::Checksum, 7}, {FaultKind::Checksum, 8}};
  SimLoggerBench bench(options, 38400);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin")), OperationResult::Failed);
  // Blocks 1 and 2 came: the partial file holds exactly them.
  EXPECT_EQ(ReadWholeFile(dir.File("t.partial.bin")), Prefix(bench.Sim().UsedMemory(), 2048));
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Repeating command."), 4);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 5, lines.end()),
              ElementsAre("E Checksum error.", "I Speed change command sent.", "I Changing port speed to 4800 bps.",
                          "E Transfer aborted.", "I The incomplete track is in " + dir.File("t.partial.bin") + "."));
  EXPECT_EQ(bench.SentenceTexts().back(), "$PQRVS,0\r\n");
  ASSERT_TRUE(bench.AwaitMode(LoggerMode::Command));
  EXPECT_EQ(bench.connection.currentSpeed, 4800u);
  EXPECT_EQ(bench.host.progressPositions.back(), 0u);

  // The logger answers commands again.
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
}

TEST(LoggerSimTest, TheDeviceVanishingMidTransferEndsAtOnceInPlainWords) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options = Unpaced(1000);
  options.faults = {{FaultKind::Vanish, 3}};
  SimLoggerBench bench(options);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin")), OperationResult::Failed);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0) << "no repeats, no pauses";
  EXPECT_TRUE(bench.Sim().Vanished());
  EXPECT_EQ(ReadWholeFile(dir.File("t.partial.bin")), Prefix(bench.Sim().UsedMemory(), 3072));
  // The read error as always, then the plain line; nothing more is tried on the dead line.
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 5, lines.end()),
              ElementsAre("E Error 0x5 reading port.", SystemTextLine(EIO),
                          "E The port went away: was the logger's cable pulled?", "E Transfer aborted.",
                          "I The incomplete track is in " + dir.File("t.partial.bin") + "."));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "I Speed change command sent."), 1) << "only the first";
  EXPECT_EQ(bench.host.progressPositions.back(), 0u);
  EXPECT_TRUE(bench.connection.deviceGone);
}

TEST(LoggerSimTest, ADownloadAt460800OnAnAdapterThatHolds115200StepsDownAndFinishesByteExact) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options = Unpaced(3000);  // 48000 bytes
  options.adapterCeiling = 115200;
  SimLoggerBench bench(options, 460800);
  ASSERT_TRUE(bench.Started());
  TempDir dir;
  TrackReadSummary summary;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("t.bin"), &summary), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(dir.File("t.bin")), Prefix(bench.Sim().UsedMemory(), 48000));
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_THAT(lines, ::testing::IsSupersetOf(std::vector<std::string>{
                         "I Transfer at 460800 bps failed; continuing at 230400 bps.",
                                              "I Transfer at 230400 bps failed; continuing at 115200 bps.",
                                              "I Average transfer: " + std::to_string(summary.averageBps) + " bps."}));
  // The logger took every step: the first block was asked for at each speed in turn.
  std::vector<uint32_t> speeds;
  for (const TraceEvent& block : bench.Sim().Trace().SentencesOf(SentenceKind::TrackBlock)) {
    if (block.text.rfind("$PQRVT,0,", 0) == 0) speeds.push_back(block.loggerSpeed);
  }
  EXPECT_EQ(speeds, (std::vector<uint32_t>{460800, 460800, 460800, 460800, 460800, 230400, 230400, 230400, 230400,
                                           230400, 115200}));
  EXPECT_EQ(bench.connection.speedLimit, 115200u);
  // What the line carried, over all the time it took.
  EXPECT_LE(summary.averageBps, 115200);
  ASSERT_TRUE(bench.AwaitMode(LoggerMode::Command));
}

TEST(LoggerSimTest, EraseConfigurationAndRestart) {
  LanguageGuard english(kEnglish);
  SimulatedLoggerOptions options = Unpaced(100);
  options.skip = 5;
  SimLoggerBench bench(options);
  ASSERT_TRUE(bench.Started());

  // The Configuration command: the information request, then the setting saved.
  LoggerInfo info;
  ASSERT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
  EXPECT_EQ(info.SkipSetting(), 5);
  EXPECT_EQ(ConfigureLogger(bench.connection, bench.host, 9), OperationResult::Done);
  EXPECT_EQ(bench.Sim().SkipSetting(), 9);
  ASSERT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
  EXPECT_EQ(ConfigureLogger(bench.connection, bench.host, 0), OperationResult::Done);
  EXPECT_EQ(bench.Sim().SkipSetting(), 0);

  EXPECT_EQ(EraseTrackMemory(bench.connection, bench.host), OperationResult::Done);
  EXPECT_EQ(bench.Sim().UsedBytes(), 0u);

  // Handed over to its boot loader, as an upgrade killed there leaves it: the restart finds
  // the boot loader, which restarts the firmware, and only then sends its sentence.
  ASSERT_EQ(SendCommand(bench.connection, bench.host.clock, kUpgradeSentence, true), 0);
  ASSERT_TRUE(bench.AwaitMode(LoggerMode::BootLoader));
  EXPECT_EQ(RestartLogger(bench.connection, bench.host), OperationResult::Done);
  EXPECT_EQ(bench.connection.openFlag, 0);
  // The logger takes the sentence a moment after the tool has written it.
  const auto restart = bench.Sim().Trace().WaitFor(
      [](const TraceEvent& e) { return e.kind == TraceKind::Sentence && e.sentence == SentenceKind::Restart; },
      std::chrono::milliseconds(1000));
  ASSERT_TRUE(restart);
  EXPECT_EQ(restart->verdict, Verdict::Accepted);

  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_THAT(std::vector(lines.begin(), lines.begin() + 8),
              ElementsAre("I Read info command sent.", "I Save configuration command sent.",
                          "I The configuration was saved.", "I Read info command sent.",
                          "I Save configuration command sent.", "I The configuration was saved.",
                          "I Read info command sent.", "I Track memory erase command sent."));
  EXPECT_THAT(std::vector(lines.end() - 4, lines.end()),
              ElementsAre("I The logger's boot loader answered; restarting the logger.",
                          "I Processor restart command sent.", "I Port closed.", "S -----"));
  const auto sentences = bench.Events(TraceKind::Sentence);
  for (size_t i = 0; i < sentences.size(); ++i) {
    if (sentences[i].loggerSpeed != 4800) continue;  // heard by the boot loader
    EXPECT_TRUE(sentences[i].verdict == Verdict::Accepted || sentences[i].verdict == Verdict::Attention)
        << sentences[i].text;
    if (i > 0 && sentences[i - 1].text == kAttention) {
      ExpectPause(MillisecondsBetween(sentences[i - 1].time, sentences[i].time), 150, sentences[i].text);
    }
  }
}

namespace {

std::vector<unsigned char> Image(size_t size, unsigned seed) {
  std::vector<unsigned char> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<unsigned char>((i * 131 + seed) >> 3);
  return image;
}

struct UpgradeRun {
  UpgradeRun(const std::array<uint8_t, 3>& signature, size_t imageSize, std::vector<stravener::sim::Fault> faults = {},
             std::optional<AdapterModelOptions> adapter = std::nullopt)
      : bench(
            [&] {
              SimulatedLoggerOptions options = Unpaced(10);
              options.signature = signature;
              options.faults = std::move(faults);
              return options;
            }(),
            115200, adapter),
        image(Image(imageSize, static_cast<unsigned>(imageSize))) {
    path = dir.File("firmware.upg");
    WriteWholeFile(path, image);
  }
  int Run() { return UpgradeFirmware(bench.connection, bench.host, path, true); }

  SimLoggerBench bench;
  TempDir dir;
  std::vector<unsigned char> image;
  std::string path;
};

}  // namespace

TEST(LoggerSimTest, EachProfilesLargestImageLandsByteExactOverAnAdapterWithCostlyDrains) {
  LanguageGuard english(kEnglish);
  for (const stravener::ProcessorProfile& profile : stravener::kProcessorProfiles) {
    UpgradeRun run(profile.signature, profile.largestImage, {}, AdapterModelOptions{std::chrono::milliseconds(1)});
    ASSERT_TRUE(run.bench.Started());
    EXPECT_EQ(run.Run(), 0) << profile.largestImage;
    EXPECT_EQ(run.bench.Sim().ProgrammedImage(), run.image) << profile.largestImage;
    EXPECT_EQ(LogLines(run.bench.host.log).back(), "S -----");
    EXPECT_TRUE(run.bench.AwaitMode(LoggerMode::Command, 2000)) << "restarted by 'r'";
  }
}

TEST(LoggerSimTest, ALastPartialPageIsPaddedWithFF) {
  LanguageGuard english(kEnglish);
  UpgradeRun run({0x07, 0x93, 0x1E}, 65);
  ASSERT_TRUE(run.bench.Started());
  EXPECT_EQ(run.Run(), 0);
  std::vector<unsigned char> expected = run.image;
  expected.resize(128, 0xFF);
  EXPECT_EQ(run.bench.Sim().ProgrammedImage(), expected);
  EXPECT_THAT(LogLines(run.bench.host.log), ::testing::Contains("I Programming memory (65 bytes)."));

  // The pauses around the switch to the boot loader's speed, and before the restart.
  ASSERT_TRUE(run.bench.Sim().Trace().WaitFor(
      [](const TraceEvent& e) { return e.kind == TraceKind::BootByte && e.bytes == std::vector<uint8_t>{'r'}; },
      std::chrono::milliseconds(1000)));
  const auto events = run.bench.Events();
  const auto upgrade = Next(events, 0, [](const TraceEvent& e) { return e.sentence == SentenceKind::Upgrade; });
  ASSERT_TRUE(upgrade);
  const auto fast = Next(events, upgrade->index, [](const TraceEvent& e) {
    return e.kind == TraceKind::ToolSpeed && e.toolSpeed == 115200;
  });
  ASSERT_TRUE(fast);
  ExpectPause(MillisecondsBetween(upgrade->time, fast->time), 100, "upgrade sentence to 115200");
  const auto boot = run.bench.Events(TraceKind::BootByte);
  ASSERT_GE(boot.size(), 2u);
  EXPECT_EQ(boot.front().bytes, std::vector<uint8_t>{'s'});
  ExpectPause(MillisecondsBetween(fast->time, boot.front().time), 100, "115200 to the signature request");
  EXPECT_EQ(boot.back().bytes, std::vector<uint8_t>{'r'});
  EXPECT_GE(MillisecondsBetween(boot[boot.size() - 2].time, boot.back().time), 20.0 - 5.0) << "the wait before 'r'";
}

// The refusal after ten is FirmwareUpgradeTest's; here, that the tenth attempt still counts.
TEST(LoggerSimTest, SignatureRepeatsUpToTenTimes) {
  LanguageGuard english(kEnglish);
  // Nine reversed answers: the tenth attempt is right.
  UpgradeRun nine({0x02, 0x95, 0x1E}, 300, {{FaultKind::Signature, 9}});
  ASSERT_TRUE(nine.bench.Started());
  EXPECT_EQ(nine.Run(), 0);
  std::vector<unsigned char> padded = nine.image;
  padded.resize(384, 0xFF);  // three pages of 128 bytes
  EXPECT_EQ(nine.bench.Sim().ProgrammedImage(), padded) << "then the image loads";
}

TEST(LoggerSimTest, AWrongOrMissingAcknowledgementRunsTheUpgradeAgainByteByByte) {
  LanguageGuard english(kEnglish);
  // Once: the upgrade runs again from the signature, every byte drained by itself, and the
  // image lands whole (the wrong answer over an adapter whose drains cost 1 ms).
  for (FaultKind fault : {FaultKind::WrongAck, FaultKind::MissingAck}) {
    std::optional<AdapterModelOptions> adapter;
    if (fault == FaultKind::WrongAck) adapter = AdapterModelOptions{std::chrono::milliseconds(1)};
    UpgradeRun run({0x07, 0x93, 0x1E}, 640, {{fault, 3}}, adapter);
    ASSERT_TRUE(run.bench.Started());
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.bench.Sim().ProgrammedImage(), run.image);
    EXPECT_THAT(LogLines(run.bench.host.log),
                ::testing::Contains(
                    "I The boot loader did not take page 3 sent whole; loading the firmware again, byte by byte."));
    if (run.bench.adapter) {
      // The information request and the hand-over; 's', 'e' and four pages written whole;
      // then 's', 'e', ten pages and 'r', every byte by itself.
      const size_t byteByByte = 2 + 10 * (3 + 4 * 32 + 4) + 1;
      EXPECT_EQ(run.bench.adapter->Writes(), 4 + 2 + 4 + byteByByte);
      EXPECT_EQ(run.bench.adapter->Flushes(), run.bench.adapter->Writes());
    }
    EXPECT_TRUE(run.bench.AwaitMode(LoggerMode::Command, 2000));
  }

  // Twice: the second run ends the upgrade.
  UpgradeRun twice({0x07, 0x93, 0x1E}, 640, {{FaultKind::WrongAck, 3}, {FaultKind::WrongAck, 3}});
  ASSERT_TRUE(twice.bench.Started());
  EXPECT_EQ(twice.Run(), -1);
  EXPECT_EQ(LogLines(twice.bench.host.log).back(), "E Protocol error.");
  EXPECT_EQ(twice.bench.connection.openFlag, 1);
  EXPECT_EQ(twice.bench.connection.currentSpeed, 115200u);
  EXPECT_EQ(twice.bench.host.progressPositions.back(), 3u) << "the bar stays where the failure came";
  // Nothing follows the page whose acknowledgement failed the second time.
  size_t pages = 0;
  for (const TraceEvent& e : twice.bench.Events(TraceKind::BootByte)) pages += e.bytes == std::vector<uint8_t>{'m'};
  EXPECT_EQ(pages, 4u + 4u);
}

TEST(LoggerSimTest, AStopRequestFinishesThePageAndTheBootLoaderTakesTheUpgradeAgain) {
  LanguageGuard english(kEnglish);
  StopRequestGuard stop;
  UpgradeRun run({0x07, 0x93, 0x1E}, 640);  // ten pages of 64 bytes
  ASSERT_TRUE(run.bench.Started());
  // The request comes while page 3 is on its way.
  run.bench.host.onProgress = [](uint32_t page) {
    if (page == 3) RequestStop();
  };
  EXPECT_EQ(run.Run(), -1);
  EXPECT_EQ(LogLines(run.bench.host.log).back(),
            "E Upgrade stopped: the logger's program memory is incomplete. Run the upgrade again; the boot loader "
            "still answers.");
  size_t pages = 0;
  for (const TraceEvent& e : run.bench.Events(TraceKind::BootByte)) pages += e.bytes == std::vector<uint8_t>{'m'};
  EXPECT_EQ(pages, 4u) << "page 3 written and acknowledged whole";
  EXPECT_EQ(run.bench.connection.openFlag, 1);

  // The program memory half written, a restart brings the processor back into its boot
  // loader: every other command says so, and the upgrade finds the boot loader and goes on.
  ClearStopRequest();
  run.bench.host.onProgress = nullptr;
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(run.bench.connection, run.bench.host.clock, info), -1);
  EXPECT_EQ(LogLines(run.bench.host.log).back(),
            "E The logger is in its boot loader: its firmware must be loaded again with Upgrade.");
  EXPECT_EQ(run.bench.Sim().Mode(), LoggerMode::BootLoader);
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.bench.Sim().ProgrammedImage(), run.image);
  EXPECT_TRUE(run.bench.AwaitMode(LoggerMode::Command, 2000));
}
