// The logger operations of the Windows build against simulated loggers that
// stravener-sim-service runs natively: information, downloads into raw and PLT files at
// every speed limit, a repeated block, erase, configuration, restart and the firmware
// upgrade, through the Win32 serial code on a COM port; and stravener.exe doing the same
// from the command line. What the logger holds afterwards is asked from the service.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/language.h"
#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "logger/track_download.h"
#include "platform/file.h"
#include "platform/utf8_path.h"
#include "sim_service_session.h"
#include "support/adapter_model.h"
#include "support/language_guard.h"
#include "support/log_lines.h"
#include "support/read_track_into.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "wine_paths.h"

using namespace stravener;
using ::testing::ElementsAre;

namespace {

// A simulated logger from the service and the tool's connection to it, opened as a COM
// port. Sleeps really pass: the logger needs its pauses.
class RemoteLoggerBench {
 public:
  explicit RemoteLoggerBench(std::vector<std::string> options, uint32_t speedLimit = 115200,
                             const std::vector<uint8_t>& track = {},
                             std::optional<AdapterModelOptions> adapterOptions = std::nullopt) {
    error_ = session.StartLogger(options, track);
    host.clock.realSleeps = true;
    // Seen through a model of a USB adapter: the Win32 serial device inside it.
    if (adapterOptions) {
      adapter = std::make_unique<AdapterModel>(*adapterOptions);
      connection.opener = adapter->Opener(std::move(connection.opener));
    }
    connection.portNumber = session.ComNumber();
    connection.speedLimit = 460800;
    if (error_.empty() && OpenPort(connection, false) != 0) error_ = "COM" + std::to_string(session.ComNumber()) +
                                                                     " does not open";
    connection.speedLimit = speedLimit;
  }
  ~RemoteLoggerBench() { CloseHandleSilently(connection); }
  RemoteLoggerBench(const RemoteLoggerBench&) = delete;
  RemoteLoggerBench& operator=(const RemoteLoggerBench&) = delete;

  // Empty when the logger runs and the port is open.
  const std::string& Error() const { return error_; }

  // Waits until the logger is in this mode ("command mode", "transfer mode", "boot loader"):
  // it switches a moment after the sentence.
  bool AwaitMode(const std::string& mode) {
    return Await([&] { return session.Mode() == mode; });
  }
  // Waits until the logger has noticed the tool's side of the line at this speed: it looks
  // between its reads, which a busy machine can hold up.
  bool AwaitToolSpeed(uint32_t speed) {
    return Await([&] { return session.ToolSpeed() == speed; });
  }

  SimServiceSession session;
  std::unique_ptr<AdapterModel> adapter;
  TestHost host;
  PortConnection connection{host.log};

 private:
  template <typename Condition>
  static bool Await(Condition condition, int timeoutMs = 2000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
  }

  std::string error_;
};

std::vector<unsigned char> Unsigned(const std::vector<uint8_t>& bytes) {
  return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

size_t Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace

TEST(WineLoggerTest, InformationReport) {
  LanguageGuard english(kEnglish);
  RemoteLoggerBench bench({"points=5000", "pace=0"});
  ASSERT_EQ(bench.Error(), "");
  LoggerInfo info;
  EXPECT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
  // The record came whole through the Win32 serial code (its report is LoggerInfoTest's).
  EXPECT_EQ(info.FirmwareVersion(), "2.10");
  EXPECT_EQ(info.UsedBytes(), 80000u);
  EXPECT_THAT(LogLines(bench.host.log), ElementsAre("I Read info command sent."));
  EXPECT_EQ(bench.session.ToolSpeed(), 4800u);
}

TEST(WineLoggerTest, RawDownloadsAtEverySpeedLimit) {
  LanguageGuard english(kEnglish);
  for (uint32_t limit : {460800u, 230400u, 115200u, 57600u, 38400u}) {
    RemoteLoggerBench bench({"points=1500", "pace=0"}, limit);  // 24000 bytes
    ASSERT_EQ(bench.Error(), "") << limit;
    TempDir dir;
    EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("track.bin")), OperationResult::Done) << limit;
    const std::vector<uint8_t> used = bench.session.UsedMemory();
    ASSERT_EQ(used.size(), 24000u);
    EXPECT_EQ(ReadWholeFile(dir.File("track.bin")), Unsigned(used)) << limit;
    const std::vector<std::string> lines = LogLines(bench.host.log);
    EXPECT_EQ(Count(lines, "I Changing port speed to " + std::to_string(limit) + " bps."), 1u) << limit;
    EXPECT_EQ(lines.back(), "I Changing port speed to 4800 bps.") << limit;
    EXPECT_EQ(Count(lines, "I Repeating command."), 0u) << limit;
    // Both sides are back at 4800 bit/s, the logger in command mode.
    EXPECT_EQ(bench.connection.currentSpeed, 4800u);
    EXPECT_TRUE(bench.AwaitMode("command mode")) << limit;
    EXPECT_TRUE(bench.AwaitToolSpeed(4800)) << limit << ": " << bench.session.ToolSpeed();
  }
}

TEST(WineLoggerTest, AFailedBlockIsRepeated) {
  LanguageGuard english(kEnglish);
  // Frame 1 is the information record; frame 3 the second block, which comes with a wrong
  // checksum once.
  RemoteLoggerBench bench({"points=1000", "pace=0", "fault=checksum@3"});
  ASSERT_EQ(bench.Error(), "");
  TempDir dir;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("track.bin")), OperationResult::Done);
  EXPECT_EQ(ReadWholeFile(dir.File("track.bin")), Unsigned(bench.session.UsedMemory()));
  const std::vector<std::string> lines = LogLines(bench.host.log);
  EXPECT_EQ(Count(lines, "E Checksum error."), 1u);
  EXPECT_EQ(Count(lines, "I Repeating command."), 1u);
  // The information record, every block, and the second block once more.
  uint32_t blocks = 0;
  for (uint32_t remaining = 16000; remaining > 0; ++blocks) remaining -= TrackBlockSize(115200, 256, remaining);
  EXPECT_GE(blocks, 2u);
  EXPECT_EQ(bench.session.FramesAnswered(), 1u + blocks + 1u);
}

TEST(WineLoggerTest, AnAdapterPulledOutEndsTheDownloadAtOnceInPlainWords) {
  LanguageGuard english(kEnglish);
  // Gone halfway through the second block: the information frame, then the first block.
  AdapterModelOptions pulled;
  pulled.pullOutAfterBytesRead = (2 + 22 + 1) + (2 + 3072 + 1) + 1000;
  RemoteLoggerBench bench({"points=1000", "pace=0"}, 115200, {}, pulled);
  ASSERT_EQ(bench.Error(), "");
  TempDir dir;
  EXPECT_EQ(ReadTrackInto(bench.connection, bench.host, dir.File("track.bin")), OperationResult::Failed);
  const std::vector<unsigned char> used = Unsigned(bench.session.UsedMemory());
  ASSERT_EQ(used.size(), 16000u);
  EXPECT_EQ(ReadWholeFile(dir.File("track.partial.bin")), std::vector<unsigned char>(used.begin(), used.begin() + 3072));
  const std::vector<std::string> lines = LogLines(bench.host.log);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 5, lines.end()),
              ElementsAre("E Error 0x5 reading port.", SystemTextLine(ERROR_ACCESS_DENIED),
                          "E The port went away: was the logger's cable pulled?", "E Transfer aborted.",
                          "I The incomplete track is in " + dir.File("track.partial.bin") + "."));
  EXPECT_EQ(Count(lines, "I Speed change command sent."), 1u) << "nothing more written to the port";
  EXPECT_TRUE(bench.connection.deviceGone);
}

TEST(WineLoggerTest, ConfigurationEraseAndRestart) {
  LanguageGuard english(kEnglish);
  RemoteLoggerBench bench({"points=100", "pace=0", "skip=5"});
  ASSERT_EQ(bench.Error(), "");

  // The Configuration command: the information request, then the setting saved.
  LoggerInfo info;
  ASSERT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
  EXPECT_EQ(info.SkipSetting(), 5);
  EXPECT_EQ(ConfigureLogger(bench.connection, bench.host, 9), OperationResult::Done);
  EXPECT_EQ(bench.session.SkipSetting(), 9);
  ASSERT_EQ(ReadLoggerInfo(bench.connection, bench.host.clock, info), 0);
  EXPECT_EQ(ConfigureLogger(bench.connection, bench.host, 0), OperationResult::Done);
  EXPECT_EQ(bench.session.SkipSetting(), 0);

  ASSERT_EQ(bench.session.UsedMemory().size(), 1600u);
  EXPECT_EQ(EraseTrackMemory(bench.connection, bench.host), OperationResult::Done);
  EXPECT_TRUE(bench.session.UsedMemory().empty());

  EXPECT_EQ(RestartLogger(bench.connection, bench.host), OperationResult::Done);
  EXPECT_EQ(bench.connection.openFlag, 0);
  EXPECT_THAT(LogLines(bench.host.log),
              ElementsAre("I Read info command sent.", "I Save configuration command sent.",
                          "I The configuration was saved.", "I Read info command sent.",
                          "I Save configuration command sent.", "I The configuration was saved.",
                          "I Read info command sent.", "I Track memory erase command sent.",
                          "I Read info command sent.", "I Processor restart command sent.", "I Port closed.", "S -----"));
}

TEST(WineLoggerTest, FirmwareUpgradeLandsByteExactOneWriteAPage) {
  LanguageGuard english(kEnglish);
  RemoteLoggerBench bench({"points=10", "pace=0", "signature=02951E"}, 115200, {}, AdapterModelOptions{});
  ASSERT_EQ(bench.Error(), "");
  TempDir dir;
  std::vector<unsigned char> image(300);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<unsigned char>((i * 131 + 7) >> 3);
  WriteWholeFile(dir.File("firmware.upg"), image);
  EXPECT_EQ(UpgradeFirmware(bench.connection, bench.host, dir.File("firmware.upg"), true), 0);
  EXPECT_THAT(LogLines(bench.host.log), ::testing::Contains("I Programming memory (300 bytes)."));
  EXPECT_EQ(LogLines(bench.host.log).back(), "S -----");
  EXPECT_EQ(bench.connection.openFlag, 0);
  // Three pages of 128 bytes, the last one padded with 0xFF; then the boot loader's 'r'
  // restarted the logger.
  image.resize(384, 0xFF);
  EXPECT_EQ(Unsigned(bench.session.ProgrammedImage()), image);
  EXPECT_TRUE(bench.AwaitMode("command mode"));
  // One WriteFile and one FlushFileBuffers for each page: besides the four sentences, 's',
  // 'e' and 'r' alone, and three pages.
  EXPECT_EQ(bench.adapter->Writes(), 4u + 3u + 3u);
  EXPECT_EQ(bench.adapter->Flushes(), 4u + 3u + 3u);
}

namespace {

// Runs stravener.exe with these arguments, its output into files; the exit status.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
  std::string failure;  // why the program could not be run
};

std::wstring Wide(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), size);
  return wide;
}

// stravener.exe started and left running. Arguments are UTF-8 and go through the wide
// command line, as a shell passes them. `creationFlags` as CreateProcessW takes them.
class StartedStravener {
 public:
  StartedStravener(const std::vector<std::string>& args, const TempDir& dir, DWORD creationFlags = 0) {
    std::string commandLine = "\"" + WindowsPath(STRAVENER_EXE) + "\"";
    for (const std::string& arg : args) commandLine += " \"" + arg + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    static int runs = 0;
    ++runs;
    outPath_ = dir.File("stdout-" + std::to_string(runs) + ".txt");
    errPath_ = dir.File("stderr-" + std::to_string(runs) + ".txt");
    HANDLE out = CreateFileA(outPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
      run_.failure = "cannot create the output files: " + std::to_string(GetLastError());
      return;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring line = Wide(commandLine);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, creationFlags, nullptr,
                        dir.Path().wstring().c_str(), &startup, &process_)) {
      run_.failure = "cannot start " + commandLine + ": " + std::to_string(GetLastError());
    }
    CloseHandle(out);
    CloseHandle(err);
  }
  ~StartedStravener() {
    if (process_.hProcess != nullptr) {
      TerminateProcess(process_.hProcess, 1);
      Wait();
    }
  }
  StartedStravener(const StartedStravener&) = delete;
  StartedStravener& operator=(const StartedStravener&) = delete;

  DWORD ProcessId() const { return process_.dwProcessId; }

  ProgramRun Wait() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        run_.status = static_cast<int>(code);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
      process_ = {};
      run_.out = ReadTextFile(outPath_);
      run_.err = ReadTextFile(errPath_);
    }
    return run_;
  }

 private:
  PROCESS_INFORMATION process_{};
  std::string outPath_;
  std::string errPath_;
  ProgramRun run_;
};

ProgramRun RunStravener(const std::vector<std::string>& args, const TempDir& dir) {
  return StartedStravener(args, dir).Wait();
}

// Presses Ctrl+C in the console of a program started with CREATE_NEW_CONSOLE: this program
// joins that console for the moment, ignoring the event itself.
bool PressCtrlC(DWORD processId) {
  FreeConsole();
  if (!AttachConsole(processId)) return false;
  SetConsoleCtrlHandler(nullptr, TRUE);
  const bool sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
  FreeConsole();
  return sent;
}

}  // namespace

TEST(WineLoggerTest, TheCommandLineProgramReadsConfiguresAndErases) {
  SimServiceSession logger;
  ASSERT_EQ(logger.StartLogger({"points=2000", "pace=0"}), "");
  const std::string port = "COM" + std::to_string(logger.ComNumber());
  TempDir dir;

  ProgramRun run = RunStravener({"info", "--port", port, "--lang", "en"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_THAT(run.out, ::testing::HasSubstr("Used: 32000 bytes"));

  run = RunStravener({"read-track", "--port", port, "--max-speed", "460800", "-o", "trip.bin", "--lang", "en"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_EQ(ReadWholeFile(dir.File("trip.bin")), Unsigned(logger.UsedMemory()));

  run = RunStravener({"config", "--port", port, "--skip", "7", "--lang", "pl"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_EQ(logger.SkipSetting(), 7);

  run = RunStravener({"erase", "--port", port, "--yes", "--lang", "en"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_TRUE(logger.UsedMemory().empty());

  // A port that is not there: the system's code, and the failure status.
  run = RunStravener({"info", "--port", "COM199", "--lang", "en"}, dir);
  EXPECT_EQ(run.status, 1) << run.failure;
  EXPECT_THAT(run.err, ::testing::HasSubstr("Error 0x2 opening port COM199."));
}

TEST(WineCommandLineTest, PolishLettersInFileNamesAndMessages) {
  TempDir dir;
  const std::string folder = Utf8FromPath(dir.Path() / PathFromUtf8("Łódź"));
  ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
  const std::string input = folder + "\\ślad.bin";
  {
    File file;
    ASSERT_EQ(file.Create(input), 0u);
    std::vector<uint8_t> track(32, 0);
    track[5] = 1;  // two records 1 and 3 s after the GPS epoch, at 0 degrees north and east
    track[16 + 5] = 3;
    size_t written = 0;
    ASSERT_EQ(file.Write(track.data(), track.size(), written), 0u);
  }
  const std::string output = folder + "\\żółw.plt";
  ProgramRun run = RunStravener({"convert", input, "-o", output, "--lang", "pl"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_TRUE(PathExists(output));
  // The log names the files with their letters, in UTF-8, and the texts are the Polish ones.
  EXPECT_THAT(run.err, ::testing::HasSubstr("Konwersja pliku"));
  EXPECT_THAT(run.err, ::testing::HasSubstr(input));
  EXPECT_THAT(run.err, ::testing::HasSubstr("--> " + output));
  EXPECT_THAT(run.err, ::testing::HasSubstr("OK, zapisano 2 punktów."));

  // The same again replaces the file in one move (MoveFileExW); a run that fails leaves it
  // as it was and keeps its lines beside it.
  const std::string converted = ReadTextFile(output);
  run = RunStravener({"convert", input, "-o", output, "--force", "--lang", "pl"}, dir);
  EXPECT_EQ(run.status, 0) << run.err << run.failure;
  EXPECT_EQ(ReadTextFile(output), converted);
  const std::string spoiled = folder + "\\zły.bin";
  {
    File file;
    ASSERT_EQ(file.Create(spoiled), 0u);
    std::vector<uint8_t> track(32, 0);
    track[5] = 1;
    track[16 + 6] = 0x7F;  // the second record's latitude beyond 90 degrees
    size_t written = 0;
    ASSERT_EQ(file.Write(track.data(), track.size(), written), 0u);
  }
  run = RunStravener({"convert", spoiled, "-o", output, "--force", "--lang", "en"}, dir);
  EXPECT_EQ(run.status, 1) << run.err << run.failure;
  EXPECT_EQ(ReadTextFile(output), converted);
  const std::string partial = folder + "\\żółw.partial.plt";
  EXPECT_THAT(run.err, ::testing::HasSubstr(output + " was left as it was; the incomplete track is in " + partial));
  EXPECT_TRUE(PathExists(partial));
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << Utf8FromPath(entry.path());
  }
}

TEST(WineLoggerTest, CtrlCInTheConsoleDuringADownloadTakesTheLoggerBack) {
  SimServiceSession logger;
  ASSERT_EQ(logger.StartLogger({"points=2000"}), "");  // 32000 bytes, 8 s at 38400 bit/s
  const std::string port = "COM" + std::to_string(logger.ComNumber());
  TempDir dir;
  StartedStravener download({"read-track", "--port", port, "--max-speed", "38400", "-o", "part.bin", "--lang", "en"},
                            dir, CREATE_NEW_CONSOLE);
  // The information record and three blocks.
  for (int waited = 0; waited < 10000 && logger.FramesAnswered() < 4; waited += 20) Sleep(20);
  ASSERT_GE(logger.FramesAnswered(), 4u);
  ASSERT_TRUE(PressCtrlC(download.ProcessId())) << GetLastError();
  const ProgramRun run = download.Wait();
  EXPECT_EQ(run.status, 130) << run.err << run.failure;
  EXPECT_THAT(run.err, ::testing::HasSubstr("Transfer aborted."));
  EXPECT_FALSE(PathExists(dir.File("part.bin"))) << "the chosen name holds only a whole track";
  const std::vector<unsigned char> file = ReadWholeFile(dir.File("part.partial.bin"));
  const std::vector<unsigned char> used = Unsigned(logger.UsedMemory());
  EXPECT_GE(file.size(), 3u * 1024);
  EXPECT_LT(file.size(), used.size());
  EXPECT_TRUE(std::equal(file.begin(), file.end(), used.begin())) << "an exact prefix";
  for (int waited = 0; waited < 2000 && logger.Mode() != "command mode"; waited += 20) Sleep(20);
  EXPECT_EQ(logger.Mode(), "command mode");

  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_NE(entry.path().extension(), ".tmp") << Utf8FromPath(entry.path());
  }

  const ProgramRun next = RunStravener({"info", "--port", port, "--lang", "en"}, dir);
  EXPECT_EQ(next.status, 0) << next.err << next.failure;
  EXPECT_THAT(next.err, ::testing::Not(::testing::HasSubstr("did not answer")));
}
