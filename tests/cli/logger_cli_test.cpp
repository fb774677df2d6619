// The logger commands of stravener, run as users run them, against the simulated logger
// on a pseudo-terminal: arguments, exit status, the report on stdout, the log on stderr,
// files and what reached the logger.

#include <gtest/gtest.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/simulated_logger.h"
#include "sim/synthetic_track.h"
#include "support/run_program.h"
#include "support/scoped_time_zone.h"
#include "support/temp_dir.h"
#include "support/track_read_back.h"

using stravener::sim::SentenceKind;
using stravener::sim::SimulatedLogger;
using stravener::sim::SimulatedLoggerOptions;

namespace {

// A simulated logger, and stravener run in a folder of its own with its settings in a
// folder of their own and standard input from /dev/null (no terminal to ask on).
class LoggerCli {
 public:
  explicit LoggerCli(SimulatedLoggerOptions options) : sim_(std::move(options)) {
    std::string error;
    EXPECT_EQ(sim_.Start(&error), 0) << error;
    std::filesystem::create_directory(dir_.File("config"));
  }

  SimulatedLogger& Sim() { return sim_; }
  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string Port() const { return sim_.SlavePath(); }

  // Runs stravener with --port for the logger's line and --lang en added at the end.
  ProgramOutcome Run(std::vector<std::string> args, bool addPort = true) {
    return RunProgram(dir_, Arguments(std::move(args), addPort));
  }
  // The same with its stdout and stderr into a pipe whose reader (`reader`, a shell
  // command) may leave early; the status is stravener's own.
  ProgramOutcome RunIntoPipe(std::vector<std::string> args, const std::string& reader) {
    std::string command;
    for (const std::string& a : Arguments(std::move(args), true)) command += "'" + a + "' ";
    return RunProgram(dir_, {"/bin/bash", "-c", command + "2>&1 | " + reader + "; exit ${PIPESTATUS[0]}"});
  }
  // The same, left running.
  std::unique_ptr<StartedProgram> Start(std::vector<std::string> args) {
    return std::make_unique<StartedProgram>(dir_, Arguments(std::move(args), true));
  }

  size_t Sentences(SentenceKind kind) const { return sim_.Trace().SentencesOf(kind).size(); }

  // Waits until the logger has sent this many track blocks since its trace had `from` events.
  bool AwaitBlocks(size_t blocks, size_t from = 0) {
    for (size_t seen = 0; seen < blocks; ++seen) {
      const auto answer = sim_.Trace().WaitFor(
          [](const stravener::sim::TraceEvent& e) {
            return e.kind == stravener::sim::TraceKind::Answer && e.text.find("track block") != std::string::npos;
          },
          std::chrono::milliseconds(5000), from);
      if (!answer) return false;
      from = answer->index + 1;
    }
    return true;
  }
  // The temporary files in the program's folder.
  size_t TemporaryFiles() const {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) count += entry.path().extension() == ".tmp";
    return count;
  }
  // Waits until the logger has put the answer it was sending, if any, on the line.
 private:
  std::vector<std::string> Arguments(std::vector<std::string> args, bool addPort) const {
    if (addPort) args.insert(args.end(), {"--port", Port()});
    bool hasLanguage = false;
    for (const std::string& a : args) hasLanguage = hasLanguage || a == "--lang";
    if (!hasLanguage) args.insert(args.end(), {"--lang", "en"});
    args.insert(args.begin(), STRAVENER_EXE);
    return args;
  }

  TempDir dir_;
  SimulatedLogger sim_;
};

SimulatedLoggerOptions Quick(uint32_t points = 700) {
  SimulatedLoggerOptions options;
  options.points = points;
  options.pace = false;
  return options;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(LoggerCliTest, InfoPrintsTheReportOnStdoutAndTheLogOnStderr) {
  LoggerCli cli(Quick(5000));
  ProgramOutcome o = cli.Run({"info"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "Information about stravener:\n\nSerial number: 01-001234\nProduction date: 15.03.2006\n"
            "Firmware version: 2.10\n\nMemory size: 524288 bytes\nUsed: 80000 bytes (15.3%)\n"
            "Free: 444288 bytes (84.7%)\n");
  EXPECT_EQ(o.err,
            "Port opened.\nChanging port speed to 4800 bps.\nRead info command sent.\nPort closed.\n-----\n");

  // Options before the command name, in Polish.
  o = cli.Run({"--lang", "pl", "--port", cli.Port(), "info"}, false);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.out, "Numer seryjny: 01-001234\nData produkcji: 15.03.2006")) << o.out;
  EXPECT_TRUE(Has(o.err, "Wysłano komendę odczytu informacji.")) << o.err;

  // With a wire trace: the same report, and in the trace, after the line was set to 4800
  // bit/s, the 18 + 9 bytes sent with the pause between them and the 25 bytes received.
  o = cli.Run({"info", "--trace", "wire.txt"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.out, "Serial number: 01-001234")) << o.out;
  const std::string trace = ReadTextFile(cli.File("wire.txt"));
  std::vector<std::string> exchange;
  std::istringstream lines(trace);
  const std::regex event(R"(^ +\d+\.\d{3}  ((speed \d+|pause \d+|write \d+|read \d+ of \d+)).*)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, event)) continue;
    if (m[1] == "speed 4800") exchange.clear();
    exchange.push_back(m[1]);
  }
  EXPECT_EQ(exchange, (std::vector<std::string>{"speed 4800", "write 18", "pause 150", "write 9", "read 2 of 2",
                                                "read 22 of 22", "read 1 of 1"}))
      << trace;
  EXPECT_TRUE(Has(trace, "24 50 51 52 56 49 2c 0d  0a                       $PQRVI,..")) << trace;

  // The trace follows the rules of an output file: an existing one is replaced only with
  // --force, and it is never a file the command writes otherwise, checked before anything
  // is emptied.
  o = cli.Run({"info", "--trace", "wire.txt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "The file " + cli.File("wire.txt") + " already exists; use --force to replace it.")) << o.err;
  EXPECT_EQ(ReadTextFile(cli.File("wire.txt")), trace);
  EXPECT_EQ(cli.Run({"info", "--trace", "wire.txt", "--force"}).status, 0);
  WriteWholeFile(cli.File("trip.bin"), {'o', 'l', 'd'});
  o = cli.Run({"read-track", "-o", "trip.bin", "--trace", "trip.bin", "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "The file " + cli.File("trip.bin") +
                             " would be both the trace file and the track file. Choose other names."))
      << o.err;
  EXPECT_EQ(ReadTextFile(cli.File("trip.bin")), "old");
  o = cli.Run({"read-track", "-o", "t.gpx", "--keep-raw", "--trace", "t.bin", "--lang", "pl"});
  EXPECT_TRUE(Has(o.err, "Plik " + cli.File("t.bin") +
                             " byłby jednocześnie: plik zapisu transmisji i surowa kopia pamięci. Wybierz inne nazwy."))
      << o.err;
  EXPECT_EQ(cli.Sentences(SentenceKind::SpeedSwitch), 0u);
}

TEST(LoggerCliTest, WrongPortsAndSpeeds) {
  LoggerCli cli(Quick());
  ProgramOutcome o = cli.Run({"info", "--port", cli.File("no-such-device")}, false);
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "Error 0x2 opening port " + cli.File("no-such-device") + ".")) << o.err;
  o = cli.Run({"info", "--max-speed", "12345"});
  EXPECT_EQ(o.status, 2);
  o = cli.Run({"info", "--port", "nonsense"}, false);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(cli.Sentences(SentenceKind::Information), 0u);
}

TEST(LoggerCliTest, PortsFindAndPortAutoFindTheLoggerLinkedAsAComPort) {
  LoggerCli cli(Quick());
  const std::filesystem::path ports = std::filesystem::path(cli.File("config")) / "Quillet" / "ports";
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink(cli.Port(), ports / "COM9");
  std::filesystem::create_symlink("/dev/null", ports / "COM10");  // not a serial port: does not open

  ProgramOutcome o = cli.Run({"ports", "--find"}, false);
  EXPECT_EQ(o.status, 0) << o.err;
  const std::regex found("(^|\n)COM9 +" + cli.Port() + " +logger 01-001234, firmware 2\\.10\n");
  EXPECT_TRUE(std::regex_search(o.out, found)) << o.out;
  EXPECT_FALSE(Has(o.out, "COM10")) << "only where a logger answered";
  EXPECT_TRUE(std::regex_search(o.err, std::regex("COM10 +/dev/null +does not open: .*\\(0x19\\)"))) << o.err;
  // Nothing but the attention and information sentences reached the logger.
  EXPECT_EQ(cli.Sentences(SentenceKind::Information), 1u);
  EXPECT_EQ(cli.Sim().Trace().Events().size() > 0, true);
  for (const auto& e : cli.Sim().Trace().Events()) {
    if (e.kind == stravener::sim::TraceKind::Sentence) {
      EXPECT_TRUE(e.sentence == SentenceKind::Attention || e.sentence == SentenceKind::Information) << e.text;
    }
  }

  o = cli.Run({"info", "--port", "auto"}, false);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.out, "Serial number: 01-001234")) << o.out;
  EXPECT_TRUE(Has(o.err, "Logger found on COM9 (" + cli.Port() + "): logger 01-001234, firmware 2.10.\nPort opened.\n"))
      << o.err;

  // With no logger on any port, --port auto is an error.
  std::filesystem::remove(ports / "COM9");
  o = cli.Run({"info", "--port", "AUTO", "--lang", "pl"}, false);
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "Port COM10 (/dev/null) nie otwiera się: ")) << o.err;
  EXPECT_TRUE(Has(o.err, "Na żadnym porcie nie odpowiedział logger.\n")) << o.err;
  EXPECT_FALSE(Has(o.err, "Port otwarty.")) << o.err;
}

TEST(LoggerCliTest, ReadTrackSavesPltOrRawAndKeepsExistingFiles) {
  LoggerCli cli(Quick());
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();

  ProgramOutcome o = cli.Run({"read-track", "-o", "trip.plt"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.err, "Track read (11200 bytes).\nAverage transfer: ")) << o.err;
  const std::string plt = ReadTextFile(cli.File("trip.plt"));
  EXPECT_EQ(plt.rfind("OziExplorer Track Point File Version 2.1\r\n", 0), 0u);
  EXPECT_TRUE(Has(plt, "\r\n0,2,16776960,trip,1,0,2,8421376\r\n700\r\n"));
  EXPECT_EQ(std::count(plt.begin(), plt.end(), '\n'), 6 + 700);
  // The download ends with the summary of the track on stdout, naming the file.
  EXPECT_EQ(o.out.rfind("File: " + cli.File("trip.plt") + "\nPoints: 700\nSegments: ", 0), 0u) << o.out;
  EXPECT_TRUE(Has(o.out, "\nDays: 2026-06-20\n")) << o.out;

  o = cli.Run({"read-track", "-o", "trip.bin", "--max-speed", "38400"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadWholeFile(cli.File("trip.bin")), std::vector<unsigned char>(used.begin(), used.end()));
  // The memory unchanged is summed up as a track file of it would be.
  EXPECT_EQ(o.out.rfind("File: " + cli.File("trip.bin") + "\nPoints: 700\nSegments: ", 0), 0u) << o.out;
  EXPECT_EQ(cli.Sim().Trace().SentencesOf(SentenceKind::SpeedSwitch)[2].text, "$PQRVS,3\r\n");

  // An existing file stays as it is without --force, and the logger is not asked for the track.
  WriteWholeFile(cli.File("keep.plt"), {'o', 'l', 'd'});
  const size_t switches = cli.Sentences(SentenceKind::SpeedSwitch);
  o = cli.Run({"read-track", "-o", "keep.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "already exists")) << o.err;
  EXPECT_EQ(ReadTextFile(cli.File("keep.plt")), "old");
  EXPECT_EQ(cli.Sentences(SentenceKind::SpeedSwitch), switches);
  o = cli.Run({"read-track", "-o", "keep.plt", "--force"});
  EXPECT_EQ(o.status, 0) << o.err;
  std::string replaced = ReadTextFile(cli.File("keep.plt"));
  const size_t name = replaced.find(",keep,");
  ASSERT_NE(name, std::string::npos);
  EXPECT_TRUE(replaced.replace(name, 6, ",trip,") == plt) << "the same track under its own name";

  // The default name is the save dialog's: today's, with ".plt".
  const std::string before = Today();
  o = cli.Run({"read-track"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(std::filesystem::exists(cli.File(before)) || std::filesystem::exists(cli.File(Today())));
  EXPECT_EQ(cli.Sim().UsedBytes(), 11200u) << "nothing is erased without --erase-after";
}

TEST(LoggerCliTest, ReadTrackToGpxAndKmlThatGpsBabelReadsBack) {
  LoggerCli cli(Quick(3000));
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();
  size_t segments = 0;
  for (size_t i = 0; i < used.size() / 16; ++i) segments += (i == 0 || (used[16 * i] & 1) != 0) ? 1 : 0;
  ASSERT_GT(segments, 1u);
  for (const char* name : {"trip.gpx", "trip.KML"}) {
    const ProgramOutcome o = cli.Run({"read-track", "-o", name});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(Has(o.err, "Track read (48000 bytes).\nAverage transfer: ")) << o.err;
    ASSERT_TRUE(WellFormedXml(TempDir(), cli.File(name))) << name;
    std::string gpx;
    ASSERT_TRUE(GpsBabelReadsBack(TempDir(), cli.File(name), name[5] == 'g' ? "gpx" : "kml", gpx)) << name;
    EXPECT_EQ(Occurrences(gpx, "<trkpt "), 3000u) << name;
    EXPECT_EQ(Occurrences(gpx, "<trkseg>"), segments) << name;
  }
}

TEST(LoggerCliTest, ReadTrackWithEraseAfterAndOnAnEmptyLogger) {
  LoggerCli cli(Quick());
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();
  // A memory image that is not on disk under its name with the used memory's length (here
  // written through a link to a device that keeps nothing) erases nothing.
  std::filesystem::create_symlink("/dev/null", cli.File("sink.bin"));
  ProgramOutcome o = cli.Run({"read-track", "-o", "sink.bin", "--force", "--erase-after"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, cli.File("sink.bin") + " does not hold the whole track; the track memory was not erased."))
      << o.err;
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u);

  o = cli.Run({"read-track", "-o", "all.bin", "--erase-after"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadWholeFile(cli.File("all.bin")), std::vector<unsigned char>(used.begin(), used.end()));
  EXPECT_EQ(cli.Sim().UsedBytes(), 0u);
  EXPECT_TRUE(Has(o.err, "Track memory erase command sent.")) << o.err;

  // Nothing left to read: the notice on stdout, status 1, no file.
  o = cli.Run({"read-track", "-o", "none.plt", "--erase-after"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "The track memory is clear.\n");
  EXPECT_FALSE(std::filesystem::exists(cli.File("none.plt")));
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 1u);
}

TEST(LoggerCliTest, ReadTrackStopsWhenTheTransferFails) {
  SimulatedLoggerOptions options = Quick();
  // The second block of two downloads spoiled five times: frames 3-7, then 10-14 (frame 8
  // is the second download's information record). At 38400 bit/s there is no slower speed
  // to go on at.
  for (uint32_t frame : {3, 4, 5, 6, 7, 10, 11, 12, 13, 14}) options.faults.push_back({stravener::sim::FaultKind::Checksum, frame});
  LoggerCli cli(options);
  const ProgramOutcome o = cli.Run({"read-track", "-o", "part.bin", "--erase-after", "--max-speed", "38400"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "Transfer aborted.\nThe incomplete track is in " + cli.File("part.partial.bin") +
                             ".\nPort closed.\n-----\n"))
      << o.err;
  EXPECT_FALSE(std::filesystem::exists(cli.File("part.bin"))) << "the chosen name holds only a whole track";
  EXPECT_EQ(ReadWholeFile(cli.File("part.partial.bin")).size(), 1024u) << "what came is kept";
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u) << "an incomplete track is never erased";
  EXPECT_EQ(cli.Sim().UsedBytes(), 11200u);

  // Over a file that was there: it stays byte for byte, what came is kept beside it.
  const std::vector<unsigned char> old{'o', 'l', 'd', 0, 0xFF};
  WriteWholeFile(cli.File("keep.bin"), old);
  const ProgramOutcome over = cli.Run({"read-track", "-o", "keep.bin", "--force", "--max-speed", "38400"});
  EXPECT_EQ(over.status, 1);
  EXPECT_EQ(ReadWholeFile(cli.File("keep.bin")), old);
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();
  ASSERT_EQ(used.size(), 11200u);
  EXPECT_EQ(ReadWholeFile(cli.File("keep.partial.bin")), std::vector<unsigned char>(used.begin(), used.begin() + 1024));
  EXPECT_TRUE(Has(over.err, "Transfer aborted.\n" + cli.File("keep.bin") +
                                " was left as it was; the incomplete track is in " + cli.File("keep.partial.bin") +
                                ".\nPort closed.\n"))
      << over.err;
  for (const auto& entry : std::filesystem::directory_iterator(cli.File("."))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << "a temporary file left: " << entry.path();
  }
}

TEST(LoggerCliTest, ReadTrackLeavesASpoiledRecordOutWhenAskedAndKeepsTheRawMemory) {
  stravener::sim::SyntheticTrackOptions track;
  track.points = 700;
  std::vector<uint8_t> memory = stravener::sim::MakeSyntheticTrack(track);
  for (int i = 6; i < 10; ++i) memory[16 * 300 + i] = 0x7F;  // record 300: a latitude beyond 90 degrees
  SimulatedLoggerOptions options = Quick();
  options.track = memory;
  LoggerCli cli(options);

  ProgramOutcome o = cli.Run({"read-track", "-o", "trip.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "Error in track memory contents.")) << o.err;
  // The record left out is in no file: the memory is not erased.
  o = cli.Run({"read-track", "-o", "trip.plt", "--force", "--skip-invalid", "--erase-after"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "the track memory was not erased (save it with --keep-raw).")) << o.err;
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u);

  o = cli.Run({"read-track", "-o", "trip.gpx", "--skip-invalid", "--keep-raw"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.err, "1 invalid records left out.\nTrack read (11200 bytes).")) << o.err;
  const std::string gpx = ReadTextFile(cli.File("trip.gpx"));
  size_t points = 0;
  for (size_t at = gpx.find("<trkpt "); at != std::string::npos; at = gpx.find("<trkpt ", at + 1)) ++points;
  EXPECT_EQ(points, 699u);
  EXPECT_EQ(ReadWholeFile(cli.File("trip.bin")), std::vector<unsigned char>(memory.begin(), memory.end()));

  // The raw copy is refused, as the track file is, when it is there already.
  o = cli.Run({"read-track", "-o", "trip.kml", "--keep-raw"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "The file " + cli.File("trip.bin") + " already exists; use --force to replace it.")) << o.err;
  // And when it would take the track file's own name: neither file would be whole, and
  // nothing must be erased.
  const size_t switches = cli.Sentences(SentenceKind::SpeedSwitch);
  o = cli.Run({"read-track", "-o", "x.bin", "--format", "gpx", "--keep-raw", "--skip-invalid", "--erase-after"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "The file " + cli.File("x.bin") +
                             " would be both the track file and the raw copy. Choose other names."))
      << o.err;
  EXPECT_FALSE(std::filesystem::exists(cli.File("x.bin")));
  EXPECT_EQ(cli.Sentences(SentenceKind::SpeedSwitch), switches);
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u);
}

TEST(LoggerCliTest, AReaderOfTheLogThatGoesAwayNeitherEndsNorStrandsTheDownload) {
  LoggerCli cli(Quick());
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();
  // head ends after the first line; every later line meets a closed pipe.
  const ProgramOutcome o = cli.RunIntoPipe({"read-track", "-o", "piped.bin"}, "head -1 >/dev/null");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(ReadWholeFile(cli.File("piped.bin")), std::vector<unsigned char>(used.begin(), used.end()));
  EXPECT_EQ(cli.TemporaryFiles(), 0u);
  EXPECT_EQ(cli.Sim().Mode(), stravener::sim::LoggerMode::Command);
}

TEST(LoggerCliTest, EraseAsksAndRefusesWithoutATerminal) {
  LoggerCli cli(Quick());
  ProgramOutcome o = cli.Run({"erase"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "Do you want to erase track memory?\nNo terminal to ask on; confirm with --yes.")) << o.err;
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u);
  EXPECT_EQ(cli.Sim().UsedBytes(), 11200u);

  o = cli.Run({"erase", "--yes"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(cli.Sim().UsedBytes(), 0u);
}

TEST(LoggerCliTest, ConfigShowsAndSavesTheSkipSetting) {
  SimulatedLoggerOptions options = Quick();
  options.skip = 3;
  LoggerCli cli(options);
  ProgramOutcome o = cli.Run({"config"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "Points skipped between writes: 3\n");

  o = cli.Run({"config", "--skip", "7"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.err, "Save configuration command sent.\nThe configuration was saved.")) << o.err;
  EXPECT_EQ(cli.Sim().SkipSetting(), 7);

  o = cli.Run({"config", "--no-skip"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(cli.Sim().SkipSetting(), 0);
  o = cli.Run({"config"});
  EXPECT_EQ(o.out, "Points skipped between writes: 0 (every point is written)\n");

  // Numbers the dialog refuses never reach the logger.
  const size_t saves = cli.Sentences(SentenceKind::Configuration);
  for (const char* bad : {"0", "256", "abc", "-1", ""}) {
    o = cli.Run({"config", "--skip", bad});
    EXPECT_EQ(o.status, 2) << bad;
  }
  o = cli.Run({"config", "--skip", "256"});
  EXPECT_TRUE(Has(o.err, "Input number from 1 to 255.")) << o.err;
  o = cli.Run({"config", "--skip", "5", "--no-skip"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(cli.Sentences(SentenceKind::Configuration), saves);
  EXPECT_EQ(cli.Sim().SkipSetting(), 0);
}

TEST(LoggerCliTest, UpgradeLoadsTheImageAndRestartRestarts) {
  SimulatedLoggerOptions options = Quick();
  options.signature = {0x07, 0x93, 0x1E};
  LoggerCli cli(options);
  std::vector<unsigned char> image(1000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 13);
  WriteWholeFile(cli.File("new.upg"), image);

  ProgramOutcome o = cli.Run({"upgrade", "new.upg"});
  EXPECT_EQ(o.status, 0) << o.err;
  std::vector<unsigned char> expected = image;
  expected.resize(1024, 0xFF);  // 16 pages of 64 bytes
  EXPECT_EQ(cli.Sim().ProgrammedImage(), expected);
  EXPECT_TRUE(Has(o.err, "Programming memory (1000 bytes).\nFirmware loaded into stravener.\n"
                         "Processor restart command sent.\nPort closed.\n-----\n"))
      << o.err;

  // A file that is not there, or a trace that would empty the image: the logger is not touched.
  const size_t upgrades = cli.Sentences(SentenceKind::Upgrade);
  o = cli.Run({"upgrade", "new.upg", "--trace", "new.upg", "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "would be both the trace file and the input file.")) << o.err;
  EXPECT_EQ(ReadWholeFile(cli.File("new.upg")), image);
  o = cli.Run({"upgrade", "missing.upg"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "missing.upg: no such file")) << o.err;
  EXPECT_EQ(cli.Sentences(SentenceKind::Upgrade), upgrades);
  o = cli.Run({"upgrade"});
  EXPECT_EQ(o.status, 2);

  // The boot loader's restart leaves the logger deaf for a moment.
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  o = cli.Run({"restart"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(Has(o.err, "Processor restart command sent.\nPort closed.\n-----\n")) << o.err;
  EXPECT_TRUE(cli.Sim().Trace().WaitFor(
      [](const stravener::sim::TraceEvent& e) {
        return e.kind == stravener::sim::TraceKind::Sentence && e.sentence == SentenceKind::Restart &&
               e.verdict == stravener::sim::Verdict::Accepted;
      },
      std::chrono::milliseconds(1000)));
}

TEST(LoggerCliTest, CtrlCDuringADownloadTakesTheLoggerBackAndKeepsWhatCame) {
  SimulatedLoggerOptions options;
  options.points = 2000;  // 32000 bytes: 8 s at 38400 bit/s, in blocks of 1024 bytes
  LoggerCli cli(options);
  const std::vector<uint8_t> used = cli.Sim().UsedMemory();
  std::unique_ptr<StartedProgram> download =
      cli.Start({"read-track", "-o", "part.bin", "--max-speed", "38400", "--trace", "wire.txt"});
  ASSERT_TRUE(cli.AwaitBlocks(3));
  // Well inside the quarter of a second the fourth block takes.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const size_t requested = cli.Sentences(SentenceKind::TrackBlock);
  download->Signal(SIGINT);
  const ProgramOutcome o = download->Wait();
  EXPECT_EQ(o.status, 130) << o.err;
  EXPECT_TRUE(Has(o.err, "Speed change command sent.\nChanging port speed to 4800 bps.\nTransfer aborted.\n"
                         "The incomplete track is in " + cli.File("part.partial.bin") + ".\nPort closed.\n-----\n"))
      << o.err;
  // Stopped while the block on its way was read, with no request after it.
  EXPECT_EQ(cli.Sentences(SentenceKind::TrackBlock), requested);
  EXPECT_TRUE(Has(ReadTextFile(cli.File("wire.txt")), "(ended by a stop request)"));
  const std::vector<unsigned char> file = ReadWholeFile(cli.File("part.partial.bin"));
  EXPECT_GE(file.size(), 3u * 1024);
  EXPECT_LT(file.size(), used.size());
  EXPECT_EQ(file.size() % 1024, 0u) << "whole blocks only";
  EXPECT_TRUE(std::equal(file.begin(), file.end(), used.begin())) << "an exact prefix";
  EXPECT_EQ(cli.Sim().Mode(), stravener::sim::LoggerMode::Command);
  EXPECT_EQ(cli.TemporaryFiles(), 0u);

  // The next command works at once.
  const ProgramOutcome next = cli.Run({"info"});
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_FALSE(Has(next.err, "did not answer")) << next.err;
}

TEST(LoggerCliTest, TheNextCommandRecoversALoggerLeftAtTheTransferSpeed) {
  SimulatedLoggerOptions options;
  options.points = 2000;
  options.signature = {0x07, 0x93, 0x1E};
  LoggerCli cli(options);
  std::vector<unsigned char> image(100, 0x3C);
  WriteWholeFile(cli.File("new.upg"), image);
  // Each command finds the logger before its own sentence, whatever that sentence is.
  struct Case {
    const char* how;
    std::vector<std::string> command;
  };
  for (const Case& c : {Case{"killed", {"info"}}, Case{"killed", {"restart"}}, Case{"killed", {"upgrade", "new.upg"}},
                        Case{"stopped twice", {"erase", "--yes"}}}) {
    const std::string how = std::string(c.how) + ", then " + c.command[0];
    const size_t before = cli.Sim().Trace().Size();
    const size_t temporary = cli.TemporaryFiles();
    std::unique_ptr<StartedProgram> download = cli.Start({"read-track", "-o", "part.bin", "--force"});
    ASSERT_TRUE(cli.AwaitBlocks(2, before)) << how;
    if (std::string(c.how) == "killed") {
      download->Signal(SIGKILL);
      download->Wait();
    } else {
      // The second request ends the program during the closing steps' pause, before it
      // could send the logger back; it removes its temporary file on its way out (the
      // killed one could not).
      download->Signal(SIGINT);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      download->Signal(SIGINT);
      const ProgramOutcome o = download->Wait();
      EXPECT_EQ(o.status, 130) << o.err;
      EXPECT_FALSE(Has(o.err, "Transfer aborted.")) << o.err;
      EXPECT_EQ(cli.TemporaryFiles(), temporary);
    }
    ASSERT_EQ(cli.Sim().Mode(), stravener::sim::LoggerMode::Transfer) << how;

    // At once, while the logger may still be sending the blocks asked for: heard at 4800
    // bit/s that is noise; once it has sent them, it is silence.
    const ProgramOutcome o = cli.Run(c.command);
    EXPECT_EQ(o.status, 0) << how << ": " << o.err;
    const std::string opening = "Port opened.\nChanging port speed to 4800 bps.\nRead info command sent.\n";
    EXPECT_THAT(o.err, ::testing::AnyOf(::testing::StartsWith(opening + "The logger did not answer; asking it to return to 4800 bit/s.\n"),
                                        ::testing::StartsWith(opening + "Protocol error.\nThe logger's answer was garbled; asking it "
                                                                        "to return to 4800 bit/s.\n")))
        << how;
    if (c.command[0] == "info") {
      EXPECT_TRUE(Has(o.out, "Used: 32000 bytes")) << how << ": " << o.out;
      EXPECT_EQ(cli.Sim().Mode(), stravener::sim::LoggerMode::Command) << how;
    } else if (c.command[0] == "restart") {
      // Heard: not only said to be sent.
      EXPECT_TRUE(cli.Sim().Trace().WaitFor(
          [](const stravener::sim::TraceEvent& e) {
            return e.kind == stravener::sim::TraceKind::Sentence && e.sentence == SentenceKind::Restart &&
                   e.verdict == stravener::sim::Verdict::Accepted;
          },
          std::chrono::milliseconds(1000), before))
          << how;
    } else if (c.command[0] == "upgrade") {
      image.resize(128, 0xFF);
      EXPECT_EQ(cli.Sim().ProgrammedImage(), image) << how;
    } else {
      EXPECT_EQ(cli.Sim().UsedBytes(), 0u) << how;
    }
    // A restart leaves the logger deaf for a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
}

TEST(LoggerCliTest, ReadTrackSplitByLocalDayKeepsTheRawCopyAndErasesOnceAllIsSaved) {
  ScopedTimeZone warsaw("Europe/Warsaw");
  // 700 fixes from 23:50 local time (UTC+2) on 20 June, a fix every 2 s: past midnight.
  stravener::sim::SyntheticTrackOptions track;
  track.points = 700;
  track.startGpsSeconds = stravener::sim::GpsSecondsFromCivil({2026, 6, 20, 21, 50, 0});
  const std::vector<uint8_t> memory = stravener::sim::MakeSyntheticTrack(track);
  SimulatedLoggerOptions options = Quick();
  options.track = memory;
  LoggerCli cli(options);

  // A day's file exists: known only once the memory has come, it is refused before a day
  // file is written, the memory kept as read and not erased.
  WriteWholeFile(cli.File("trip-2026-06-21.plt"), {'o', 'l', 'd'});
  ProgramOutcome o = cli.Run({"read-track", "-o", "trip.plt", "--split", "day", "--erase-after"});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(Has(o.err, "The file " + cli.File("trip-2026-06-21.plt") + " already exists; use --force to replace it.\n" +
                             "The track memory as read is in " + cli.File("trip.partial.bin") + ".\n"))
      << o.err;
  EXPECT_EQ(ReadWholeFile(cli.File("trip.partial.bin")), std::vector<unsigned char>(memory.begin(), memory.end()));
  EXPECT_FALSE(std::filesystem::exists(cli.File("trip-2026-06-20.plt")));
  EXPECT_EQ(ReadTextFile(cli.File("trip-2026-06-21.plt")), "old");
  EXPECT_EQ(cli.Sentences(SentenceKind::Erase), 0u);

  o = cli.Run({"read-track", "-o", "trip.plt", "--split", "day", "--keep-raw", "--erase-after", "--force"});
  EXPECT_EQ(o.status, 0) << o.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(o.out, m,
                                std::regex("^Day 2026-06-20 \\(local time\\): (.+), points: (\\d+)\n"
                                           "Day 2026-06-21 \\(local time\\): (.+), points: (\\d+)\n"
                                           "Raw copy: (.+)\nPoints: 700\n")))
      << o.out;
  EXPECT_EQ(m[1], cli.File("trip-2026-06-20.plt"));
  EXPECT_EQ(m[3], cli.File("trip-2026-06-21.plt"));
  EXPECT_EQ(m[5], cli.File("trip.bin"));
  const int first = std::stoi(m[2]), second = std::stoi(m[4]);
  EXPECT_EQ(first + second, 700);
  // Each a whole PLT file whose header counts its own points; the memory unchanged beside.
  for (const auto& [name, points] : {std::pair{"trip-2026-06-20", first}, std::pair{"trip-2026-06-21", second}}) {
    const std::string plt = ReadTextFile(cli.File(std::string(name) + ".plt"));
    EXPECT_TRUE(Has(plt, std::string(",") + name + ",1,0,2,8421376\r\n" + std::to_string(points) + "\r\n")) << name;
    EXPECT_EQ(std::count(plt.begin(), plt.end(), '\n'), 6 + points) << name;
  }
  EXPECT_EQ(ReadWholeFile(cli.File("trip.bin")), std::vector<unsigned char>(memory.begin(), memory.end()));
  EXPECT_FALSE(std::filesystem::exists(cli.File("trip.plt")));
  EXPECT_EQ(cli.TemporaryFiles(), 0u);
  EXPECT_EQ(cli.Sim().UsedBytes(), 0u) << "erased once every file was saved";
}
