// stravener convert, run as users run it: arguments, exit status, log on stderr, files.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/synthetic_track.h"
#include "support/run_program.h"
#include "support/scoped_time_zone.h"
#include "support/temp_dir.h"
#include "support/track_read_back.h"
#include "track/track_file_format.h"

namespace {

bool PathExistsForTest(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

const std::vector<unsigned char> kWorkedLayout2{0x73, 0x0C, 0x31, 0x95, 0xBB, 0x6E, 0x25, 0x23,
                                                0x45, 0x68, 0x0E, 0xF1, 0x27, 0x7F, 0x70, 0x00};
const char kWorkedLine[] = "52.225000,21.012200,1,367,38854.4309028,17-May-06,10:20:30,7,1.2,3D\r\n";

// The address sanitizer keeps freed memory aside for a while, which a peak of memory would
// count as held; without that quarantine the peak is what the program really holds.
void WithoutAsanQuarantine() {
#if defined(__SANITIZE_ADDRESS__)
  const char* options = getenv("ASAN_OPTIONS");
  const std::string noQuarantine = ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
  setenv("ASAN_OPTIONS", (std::string(options ? options : "") + noQuarantine).c_str(), 1);
#endif
}

// Runs stravener with the arguments in a folder, its settings kept in a folder of their
// own, standard input from /dev/null.
class Runner {
 public:
  Runner() { std::filesystem::create_directory(config()); }

  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string config() const { return dir_.File("config"); }

  // With measure, the program runs under the small probe process, so that its peak memory
  // is its own and not that of this test program, from which it would be forked.
  // inChild changes the program's environment before it starts.
  ProgramOutcome Run(const std::vector<std::string>& args, bool measure = false,
                     const std::function<void()>& inChild = {}) const {
    const std::string probePath = dir_.File(".probe");
    std::vector<std::string> argv;
    if (measure) argv = {RSS_PROBE_EXE, probePath};
    argv.push_back(program_);
    argv.insert(argv.end(), args.begin(), args.end());
    ProgramOutcome outcome = RunProgram(dir_, argv, measure ? WithoutAsanQuarantine : inChild);
    if (measure) {
      outcome.peakKilobytes = 0;
      std::sscanf(ReadTextFile(probePath).c_str(), "%d %ld", &outcome.status, &outcome.peakKilobytes);
    }
    return outcome;
  }

  const std::filesystem::path& Path() const { return dir_.Path(); }

  // From here on runs a copy of the program in the folder, which any user may run
  // wherever the build is.
  void RunACopy() {
    program_ = dir_.File("stravener");
    std::filesystem::copy_file(STRAVENER_EXE, program_);
  }

 private:
  TempDir dir_;
  std::string program_ = STRAVENER_EXE;
};

std::string Canonical(const std::string& path) { return std::filesystem::weakly_canonical(path).string(); }

}  // namespace

TEST(ConvertCliTest, WorkedRecordGivesTheWorkedLine) {
  Runner r;
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  const ProgramOutcome o = r.Run({"convert", "w.bin", "-o", "trip.plt"});
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string in = Canonical(r.File("w.bin")), out = Canonical(r.File("trip.plt"));
  EXPECT_EQ(o.err, "Converting file\n" + in + "\n--> " + out + "\nOK, 1 points written.\n");
  // It ends with the summary of the track on stdout, naming the file written.
  EXPECT_EQ(o.out, "File: " + out +
                       "\nPoints: 1\nSegments: 1\nStart: 2006-05-17 10:20:30\nEnd: 2006-05-17 10:20:30\n"
                       "Duration: 0:00:00\nDistance: 0.00 km\nAltitude: 112 to 112 m\nDays: 2006-05-17\n");
  const std::string plt = ReadTextFile(r.File("trip.plt"));
  EXPECT_EQ(plt.rfind("OziExplorer Track Point File Version 2.1\r\n", 0), 0u);
  EXPECT_NE(plt.find("\r\n0,2,16776960,trip,1,0,2,8421376\r\n0\r\n"), std::string::npos);
  ASSERT_GE(plt.size(), std::string(kWorkedLine).size());
  EXPECT_EQ(plt.substr(plt.size() - std::string(kWorkedLine).size()), kWorkedLine);
}

TEST(ConvertCliTest, DefaultOutputIsTodaysNameInTheCurrentFolder) {
  Runner r;
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  const std::string before = Today();
  const ProgramOutcome o = r.Run({"convert", "w.bin"});
  const std::string after = Today();
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(PathExistsForTest(r.File(before)) || PathExistsForTest(r.File(after))) << o.err;
}

TEST(ConvertCliTest, ReplacesAnExistingOutputOnlyWithForce) {
  Runner r;
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  WriteWholeFile(r.File("keep.plt"), {'o', 'l', 'd'});
  ProgramOutcome o = r.Run({"convert", "w.bin", "-o", "keep.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("already exists"), std::string::npos) << o.err;
  EXPECT_EQ(ReadTextFile(r.File("keep.plt")), "old");

  // Options may stand before the command name; ".plt" is added to a bare name.
  o = r.Run({"--force", "-o", "keep", "convert", "w.bin"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(ReadTextFile(r.File("keep.plt")).find(kWorkedLine), std::string::npos);
  o = r.Run({"convert", "--output=keep.plt", "w.bin", "--force", "--lang", "pl"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("OK, zapisano 1 punktów."), std::string::npos) << o.err;
  // A name that is only an extension has one: nothing is added to ".plt".
  o = r.Run({"convert", "w.bin", "-o", ".plt"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(ReadTextFile(r.File(".plt")).find("\r\n0,2,16776960,,1,0,2,8421376\r\n0\r\n"), std::string::npos);
  EXPECT_FALSE(PathExistsForTest(r.File(".plt.plt")));

#ifndef _WIN32
  // A device is written to as it is named, without --force and without an extension; the
  // files named after the output would land beside the device, so they are refused.
  std::filesystem::create_symlink("/dev/null", r.File("sink"));
  o = r.Run({"convert", "w.bin", "-o", "sink"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_FALSE(PathExistsForTest(r.File("sink.plt")));
  o = r.Run({"convert", "w.bin", "-o", "sink", "--split", "day"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("is not a file: --keep-raw and --split day need a file's name."), std::string::npos) << o.err;
#endif
  // A folder's name is refused, not given a hidden file.
  std::filesystem::create_directory(r.File("sub"));
  o = r.Run({"convert", "w.bin", "-o", "sub/"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("sub/ is a folder: name a file."), std::string::npos) << o.err;
  EXPECT_TRUE(std::filesystem::is_empty(r.File("sub")));
}

TEST(ConvertCliTest, FailuresEndWithStatus1AndTheirLines) {
  Runner r;
  ProgramOutcome o = r.Run({"convert", "missing.bin", "-o", "a.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error 0x2 opening binary track file.\nNo such file or directory\n"), std::string::npos)
      << o.err;
  o = r.Run({"convert", "missing.bin", "-o", "a.plt", "--lang", "pl"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Konwersja pliku\n"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("Błąd 0x2 otwarcia binarnego pliku śladu.\n"), std::string::npos) << o.err;

  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  o = r.Run({"convert", "w.bin", "-o", "no/such/folder/a.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error 0x2 creating track file.\n"), std::string::npos) << o.err;

  // A full disk, reached through a link that the output replaces.
  if (PathExistsForTest("/dev/full")) {
    std::filesystem::create_symlink("/dev/full", r.File("full.plt"));
    o = r.Run({"convert", "w.bin", "-o", "full.plt", "--force"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("Error 0x1c writing track file.\nNo space left on device\n"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("OK,"), std::string::npos) << o.err;
  }

  // A disk that fills up in the middle of a large file: here a limit on the size of the
  // files the program writes, which fails the write that reaches it (EFBIG, 0x1b). The
  // file it was to replace stays as it was; the text up to the limit, the same as the
  // whole file's beginning, is kept beside it.
  stravener::sim::SyntheticTrackOptions large;
  large.points = 30000;
  WriteWholeFile(r.File("large.bin"), stravener::sim::MakeSyntheticTrack(large));
  o = r.Run({"convert", "large.bin", "-o", "cut.plt"});
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string whole = ReadTextFile(r.File("cut.plt"));
  ASSERT_GT(whole.size(), 2000000u);
  o = r.Run({"convert", "large.bin", "-o", "cut.plt", "--force"}, false, [] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1000000;
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error 0x1b writing track file.\nFile too large\n" + r.File("cut.plt") +
                       " was left as it was; the incomplete track is in " + r.File("cut.partial.plt") + ".\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(o.err.find("OK,"), std::string::npos) << o.err;
  EXPECT_TRUE(ReadTextFile(r.File("cut.plt")) == whole) << "byte for byte";
  const std::string cut = ReadTextFile(r.File("cut.partial.plt"));
  EXPECT_EQ(cut.size(), 1000000u);
  EXPECT_TRUE(cut == whole.substr(0, cut.size()));
  for (const auto& entry : std::filesystem::directory_iterator(r.File("."))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << "a temporary file left: " << entry.path();
  }

  // Garbage: the first record beyond 90 degrees ends the run after the lines before it.
  std::vector<unsigned char> garbage = kWorkedLayout2;
  for (int i = 0; i < 16; ++i) garbage.push_back(0x7F);
  WriteWholeFile(r.File("garbage.bin"), garbage);
  // The lines before it are kept beside the chosen name, which only ever holds a whole
  // file; a partial file already there stays as it is.
  o = r.Run({"convert", "garbage.bin", "-o", "g.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error in track memory contents.\nThe incomplete track is in " + r.File("g.partial.plt") +
                       ".\n"),
            std::string::npos)
      << o.err;
  EXPECT_FALSE(PathExistsForTest(r.File("g.plt")));
  const std::string plt = ReadTextFile(r.File("g.partial.plt"));
  ASSERT_GE(plt.size(), std::string(kWorkedLine).size());
  EXPECT_EQ(plt.substr(plt.size() - std::string(kWorkedLine).size()), kWorkedLine);
  WriteWholeFile(r.File("g.partial.plt"), {'m', 'i', 'n', 'e'});
  o = r.Run({"convert", "garbage.bin", "-o", "g.plt"});
  EXPECT_NE(o.err.find("The incomplete track is in " + r.File("g.partial-2.plt") + ".\n"), std::string::npos) << o.err;
  EXPECT_EQ(ReadTextFile(r.File("g.partial.plt")), "mine");
  EXPECT_EQ(ReadTextFile(r.File("g.partial-2.plt")), plt);
  // A partial file converted again over the file it was kept beside: when that fails, the
  // new partial file takes the next free name, not its input's.
  WriteWholeFile(r.File("trip.bin"), {'o', 'l', 'd'});
  WriteWholeFile(r.File("trip.partial.bin"), garbage);
  o = r.Run({"convert", "trip.partial.bin", "-o", "trip.bin", "--format", "gpx", "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(ReadWholeFile(r.File("trip.partial.bin")), garbage);
  EXPECT_EQ(ReadTextFile(r.File("trip.bin")), "old");
  EXPECT_NE(ReadTextFile(r.File("trip.partial-2.bin")).find("</gpx>"), std::string::npos) << o.err;
  // Asked to, the run leaves the record out, counts it and goes on.
  o = r.Run({"convert", "garbage.bin", "-o", "g.plt", "--force", "--skip-invalid"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("1 invalid records left out.\nOK, 1 points written.\n"), std::string::npos) << o.err;
  o = r.Run({"convert", "garbage.bin", "-o", "g.plt", "--force", "--skip-invalid", "--lang", "pl"});
  EXPECT_NE(o.err.find("Pominięto 1 nieprawidłowych rekordów.\n"), std::string::npos) << o.err;

  // The input is never replaced by its own conversion.
  o = r.Run({"convert", "w.bin", "-o", "w.bin", "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(ReadWholeFile(r.File("w.bin")), kWorkedLayout2);
}

TEST(ConvertCliTest, FormatByTheExtensionOrByOptionAndTheLayout) {
  Runner r;
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  const auto starts = [&](const std::string& name, const std::string& start) {
    return ReadTextFile(r.File(name)).rfind(start, 0) == 0;
  };
  ProgramOutcome o = r.Run({"convert", "w.bin", "-o", "Trip.GPX"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("OK, 1 points written."), std::string::npos) << o.err;
  EXPECT_NE(ReadTextFile(r.File("Trip.GPX")).find("<gpx version=\"1.1\""), std::string::npos);
  // --format overrides the extension, and gives its own to a name without one.
  EXPECT_EQ(r.Run({"convert", "w.bin", "-o", "k.gpx", "--format", "kml"}).status, 0);
  EXPECT_TRUE(starts("k.gpx", "<?xml")) << ReadTextFile(r.File("k.gpx"));
  EXPECT_NE(ReadTextFile(r.File("k.gpx")).find("<kml "), std::string::npos);
  EXPECT_EQ(r.Run({"convert", "w.bin", "-o", "bare", "--format", "gpx"}).status, 0);
  EXPECT_TRUE(starts("bare.gpx", "<?xml"));
  EXPECT_EQ(r.Run({"convert", "w.bin", "-o", "Trip.SVG"}).status, 0);
  EXPECT_NE(ReadTextFile(r.File("Trip.SVG")).find("<svg "), std::string::npos);
  EXPECT_EQ(r.Run({"convert", "w.bin", "-o", "picture", "--format", "svg"}).status, 0);
  EXPECT_NE(ReadTextFile(r.File("picture.svg")).find(">Points: 1</text>"), std::string::npos);
  // bin (as any other extension) copies the records.
  EXPECT_EQ(r.Run({"convert", "w.bin", "-o", "copy.plt", "--format", "bin"}).status, 0);
  EXPECT_EQ(ReadWholeFile(r.File("copy.plt")), kWorkedLayout2);

  // A file saved from a layout-1 logger (here at 70 degrees north) is garbage as layout 2.
  const std::vector<unsigned char> layout1{0x17, 0x0C, 0xB1, 0x0C, 0x8A, 0x7A, 0x46, 0x0D,
                                           0x88, 0x13, 0x15, 0x00, 0x98, 0x1C, 0x70, 0x00};
  WriteWholeFile(r.File("old.bin"), layout1);
  o = r.Run({"convert", "old.bin", "-o", "old.plt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error in track memory contents."), std::string::npos) << o.err;
  o = r.Run({"convert", "old.bin", "-o", "old.plt", "--layout", "1", "--force"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(ReadTextFile(r.File("old.plt")).find("\r\n70.225000,21.012200,1,367,38854.4309028,17-May-06,"), std::string::npos);

  // A track file given in place of a binary one (whatever its name says) is refused before
  // anything is made.
  const struct {
    const char* file;
    const char* kind;
  } tracks[] = {{"Trip.GPX", "a GPX"}, {"k.gpx", "a KML"}, {"old.plt", "a PLT"}, {"w.svg", "an SVG"}};
  ASSERT_EQ(r.Run({"convert", "w.bin", "-o", "w.svg"}).status, 0);
  for (const auto& track : tracks) {
    o = r.Run({"convert", track.file, "-o", "again.gpx"});
    EXPECT_EQ(o.status, 1) << track.file;
    EXPECT_NE(o.err.find(std::string(track.file) + " is " + track.kind + " file, not a raw track file (.bin).\n"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(PathExistsForTest(r.File("again.gpx")));
    EXPECT_FALSE(PathExistsForTest(r.File("again.partial.gpx")));
  }
  o = r.Run({"convert", "old.plt", "-o", "again.gpx", "--lang", "pl"});
  EXPECT_NE(o.err.find("old.plt jest plikiem PLT, a nie binarnym plikiem śladu (.bin).\n"), std::string::npos) << o.err;
}

// The help of the commands that write track files names every track format: --format's
// words come from the formats' entries, and a format added without its name in the
// commands' summaries is caught here.
TEST(ConvertCliTest, TheHelpNamesEveryTrackFormat) {
  Runner r;
  std::string words;
  for (const stravener::TrackFileFormatEntry& entry : stravener::kTrackFileFormats) {
    words += (words.empty() ? "" : "|") + std::string(entry.extension);
  }
  for (const char* command : {"convert", "read-track"}) {
    for (const char* language : {"pl", "en"}) {
      const ProgramOutcome help = r.Run({command, "--help", "--lang", language});
      ASSERT_EQ(help.status, 0) << command << " " << language;
      EXPECT_NE(help.out.find("--format " + words + " "), std::string::npos) << help.out;
      // The one-line summary, after the usage line and a blank line.
      const size_t start = help.out.find("\n\n") + 2;
      const std::string summary = help.out.substr(start, help.out.find('\n', start) - start);
      for (const stravener::TrackFileFormatEntry& entry : stravener::kTrackFileFormats) {
        if (entry.makeText == nullptr) continue;  // the records unchanged are named in words
        EXPECT_NE(summary.find(entry.name), std::string::npos) << command << " " << language << ": " << summary;
      }
    }
  }
}

TEST(ConvertCliTest, WrongUsageGivesStatus2) {
  Runner r;
  EXPECT_EQ(r.Run({"convert"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "b.bin"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "--bogus"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "-o"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "-o", ""}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "--lang", "de"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "--force=yes"}).status, 2);
  const ProgramOutcome format = r.Run({"convert", "a.bin", "--format", "GPX"});
  EXPECT_EQ(format.status, 2);
  EXPECT_NE(format.err.find("--format takes plt, gpx, kml, svg or bin"), std::string::npos) << format.err;
  EXPECT_EQ(r.Run({"convert", "a.bin", "--format"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "--layout", "3"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "a.bin", "--layout", "01"}).status, 2);
  const ProgramOutcome help = r.Run({"convert", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: stravener convert FILE.bin"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("--force"), std::string::npos);
  EXPECT_NE(r.Run({"--help"}).out.find("convert"), std::string::npos);
  // The help speaks the language of the run, --lang standing before or after the command.
  EXPECT_NE(r.Run({"convert", "--help", "--lang", "pl"}).out.find("Użycie: stravener convert FILE.bin [OPCJE]"),
            std::string::npos);
  EXPECT_NE(r.Run({"--lang=pl", "--help"}).out.find("convert      przekształć zapisany binarny plik śladu"),
            std::string::npos);
}

TEST(ConvertCliTest, SummaryPrintsTheFiguresOfWhatATrackFileWouldGet) {
  Runner r;
  // The worked fix, then 90 s later 0.01 degree (119305 units) further north at 96 m.
  std::vector<unsigned char> two = kWorkedLayout2;
  two.insert(two.end(), {0x72, 0x0C, 0x31, 0x95, 0xBB, 0xC8, 0x25, 0x25, 0x17, 0x71, 0x0E, 0xF1, 0x27, 0x7F, 0x60, 0x00});
  WriteWholeFile(r.File("two.bin"), two);
  const std::string english =
      "Points: 2\nSegments: 1\nStart: 2006-05-17 10:20:30\nEnd: 2006-05-17 10:22:00\nDuration: 0:01:30\n"
      "Distance: 1.11 km\nAltitude: 96 to 112 m\nDays: 2006-05-17\n";
  ProgramOutcome o = r.Run({"summary", "two.bin"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, english);
  EXPECT_EQ(o.err, "");
  o = r.Run({"summary", "two.bin", "--lang", "pl", "--skip-invalid"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "Punkty: 2\nOdcinki: 1\nPoczątek: 2006-05-17 10:20:30\nKoniec: 2006-05-17 10:22:00\nCzas: 0:01:30\n"
            "Dystans: 1,11 km\nWysokość: od 96 do 112 m\nDni: 2006-05-17\nPominięto: 0\n");

  // A record that is not a valid point ends the track, as it ends a track file: the
  // figures of the points before it, and status 1; left out, it is counted.
  std::vector<unsigned char> spoiled = two;
  spoiled.insert(spoiled.end(), 16, 0x7F);
  spoiled.insert(spoiled.end(), two.begin() + 16, two.end());
  WriteWholeFile(r.File("spoiled.bin"), spoiled);
  o = r.Run({"summary", "spoiled.bin"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, english);
  EXPECT_EQ(o.err, "Record 3 is not a valid point; the track ends before it.\n");
  o = r.Run({"summary", "spoiled.bin", "--skip-invalid"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("Points: 3\nSegments: 2\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\nLeft out: 1\n"), std::string::npos) << o.out;

  // Nothing to sum up: a line that says why, nothing on stdout, status 1.
  WriteWholeFile(r.File("empty.bin"), std::vector<unsigned char>(15, 0));
  WriteWholeFile(r.File("garbage.bin"), std::vector<unsigned char>(32, 0x7F));
  const struct {
    std::vector<std::string> args;
    const char* line;
  } failures[] = {
      {{"summary", "empty.bin"}, "The file holds no track records.\n"},
      {{"summary", "empty.bin", "--lang", "pl"}, "Plik nie zawiera żadnego rekordu śladu.\n"},
      {{"summary", "garbage.bin"}, "The first record is not a valid point; the file holds no track.\n"},
      {{"summary", "garbage.bin", "--skip-invalid"}, "No record is a valid point (2 left out).\n"},
      {{"summary", "two.bin", "--layout", "1"}, "The first record is not a valid point; the file holds no track.\n"},
      {{"summary", "missing.bin"}, "Error 0x2 opening binary track file.\nNo such file or directory\n"},
  };
  for (const auto& f : failures) {
    o = r.Run(f.args);
    EXPECT_EQ(o.status, 1) << f.args[1];
    EXPECT_EQ(o.out, "") << f.args[1];
    EXPECT_EQ(o.err, f.line) << f.args[1];
  }
  EXPECT_EQ(r.Run({"summary"}).status, 2);
  EXPECT_EQ(r.Run({"summary", "two.bin", "--layout", "3"}).status, 2);
  EXPECT_EQ(r.Run({"summary", "two.bin", "-o", "x.plt"}).status, 2);
}

TEST(ConvertCliTest, LanguageDefaultsToTheStoredSettingElseToTheSystems) {
  Runner r;
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  const auto polishSystem = [] {
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "pl_PL.UTF-8", 1);
  };
  // Nothing stored: the system's language, and setup shows the language the programs take.
  ProgramOutcome o = r.Run({"convert", "w.bin", "-o", "first.plt"}, false, polishSystem);
  EXPECT_NE(o.err.find("OK, zapisano 1 punktów."), std::string::npos) << o.err;
  EXPECT_NE(r.Run({"setup"}, false, polishSystem).out.find("Język: pl (0)"), std::string::npos);
  ASSERT_EQ(r.Run({"setup", "--language", "en"}, false, polishSystem).status, 0);
  o = r.Run({"convert", "w.bin", "-o", "stored.plt"}, false, polishSystem);
  EXPECT_NE(o.err.find("OK, 1 points written."), std::string::npos) << o.err;

  ASSERT_EQ(r.Run({"setup", "--language", "pl"}).status, 0);
  EXPECT_NE(r.Run({"convert", "--help"}).out.find("--force                  zastąp plik wyjściowy, jeśli istnieje"),
            std::string::npos);
  o = r.Run({"convert", "w.bin", "-o", "a.plt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.err.find("OK, zapisano 1 punktów."), std::string::npos) << o.err;
  EXPECT_NE(ReadTextFile(r.File("a.plt")).find("17-maj-06"), std::string::npos);
}

TEST(ConvertCliTest, MemoryStaysFlatWhateverTheInputSize) {
  Runner r;
  stravener::sim::SyntheticTrackOptions options;
  options.points = 1000;
  WriteWholeFile(r.File("small.bin"), stravener::sim::MakeSyntheticTrack(options));
  options.points = 400000;
  WriteWholeFile(r.File("big.bin"), stravener::sim::MakeSyntheticTrack(options));
  const ProgramOutcome small = r.Run({"convert", "small.bin", "-o", "small.plt"}, true);
  const ProgramOutcome big = r.Run({"convert", "big.bin", "-o", "big.plt"}, true);
  ASSERT_GT(small.peakKilobytes, 0);
  ASSERT_EQ(small.status, 0) << small.err;
  ASSERT_EQ(big.status, 0) << big.err;
  EXPECT_NE(big.err.find("OK, 400000 points written."), std::string::npos);
  // 6.4 MB in and some 28 MB out: holding either would show many times over.
  EXPECT_GT(std::filesystem::file_size(r.File("big.plt")), 20u * 1000 * 1000);
  EXPECT_LT(big.peakKilobytes - small.peakKilobytes, 1024) << small.peakKilobytes << " kB, then " << big.peakKilobytes
                                                           << " kB";
  // A picture keeps its points, but never more than a logger holds: at most 32,768 of 20
  // bytes, in a vector that may reach twice that before it is thinned (about 1.3 MB). Kept
  // whole, the 400,000 points would take 8 MB.
  const ProgramOutcome smallSvg = r.Run({"convert", "small.bin", "-o", "small.svg"}, true);
  const ProgramOutcome bigSvg = r.Run({"convert", "big.bin", "-o", "big.svg"}, true);
  ASSERT_EQ(smallSvg.status, 0) << smallSvg.err;
  ASSERT_EQ(bigSvg.status, 0) << bigSvg.err;
  EXPECT_LT(bigSvg.peakKilobytes - smallSvg.peakKilobytes, 2048)
      << smallSvg.peakKilobytes << " kB, then " << bigSvg.peakKilobytes << " kB";

  // A KML track of one segment, whose coordinates all follow its times: some 22 MB of
  // them wait in a temporary file, not in memory.
  std::vector<unsigned char> oneSegment = ReadWholeFile(r.File("big.bin"));
  for (size_t i = 16; i < oneSegment.size(); i += 16) oneSegment[i] &= 0xFE;
  WriteWholeFile(r.File("one.bin"), oneSegment);
  const ProgramOutcome smallKml = r.Run({"convert", "small.bin", "-o", "small.kml"}, true);
  const ProgramOutcome bigKml = r.Run({"convert", "one.bin", "-o", "one.kml"}, true);
  ASSERT_EQ(smallKml.status, 0) << smallKml.err;
  ASSERT_EQ(bigKml.status, 0) << bigKml.err;
  EXPECT_EQ(Occurrences(ReadTextFile(r.File("one.kml")), "<gx:coord>"), 400000u);
  EXPECT_LT(bigKml.peakKilobytes - smallKml.peakKilobytes, 1024)
      << smallKml.peakKilobytes << " kB, then " << bigKml.peakKilobytes << " kB";
}

TEST(ConvertCliTest, AReplacedFileKeepsItsAccessWhateverItsNameOrFolder) {
  Runner r;
  r.RunACopy();
  WriteWholeFile(r.File("w.bin"), kWorkedLayout2);
  std::vector<unsigned char> garbage = kWorkedLayout2;
  garbage.resize(32, 0x7F);  // the second record beyond 90 degrees
  WriteWholeFile(r.File("garbage.bin"), garbage);
  const bool root = geteuid() == 0;
  const auto stat = [](const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
  };

  // A private track stays private, and its owner's where the system lets the user give it.
  ASSERT_EQ(r.Run({"convert", "w.bin", "-o", "private.plt"}).status, 0);
  ASSERT_EQ(chmod(r.File("private.plt").c_str(), 0600), 0);
  if (root) {
    ASSERT_EQ(chown(r.File("private.plt").c_str(), 4321, 4321), 0);
  }
  ASSERT_EQ(r.Run({"convert", "w.bin", "-o", "private.plt", "--force"}).status, 0);
  EXPECT_EQ(stat(r.File("private.plt")).st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(stat(r.File("private.plt")).st_uid, 4321u);
    EXPECT_EQ(stat(r.File("private.plt")).st_gid, 4321u);
  }

  // A name at the system's limit (122 Polish letters and ".plt", 248 bytes): the temporary
  // and the partial names are cut to fit.
  std::string name;
  for (int i = 0; i < 122; ++i) name += "\xC5\xBC";  // ż
  name += ".plt";
  ProgramOutcome o = r.Run({"convert", "w.bin", "-o", name});
  EXPECT_EQ(o.status, 0) << o.err;
  o = r.Run({"convert", "garbage.bin", "-o", name, "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find(" was left as it was; the incomplete track is in "), std::string::npos) << o.err;
  size_t partials = 0;
  for (const auto& entry : std::filesystem::directory_iterator(r.Path())) {
    partials += entry.path().filename().string().find(".partial.plt") != std::string::npos;
  }
  EXPECT_EQ(partials, 1u);

  // A folder the user may not write to, holding a file the user may: the track waits in
  // the user's temporary folder and is copied over the file once whole. Root, whom
  // permissions do not stop, runs the program as another user.
  const uid_t nobody = 65534;
  std::filesystem::create_directory(r.File("ro"));
  std::filesystem::create_directory(r.File("tmp"));
  const std::string keep = r.File("ro/keep.plt");
  WriteWholeFile(keep, {'o', 'l', 'd'});
  if (root) {
    ASSERT_EQ(chown(keep.c_str(), nobody, nobody), 0);
    ASSERT_EQ(chown(r.File("tmp").c_str(), nobody, nobody), 0);
  }
  ASSERT_EQ(chmod(r.File("ro").c_str(), 0555), 0);
  const ino_t inode = stat(keep).st_ino;
  const std::string tmp = r.File("tmp");
  const auto asUser = [root, nobody, tmp] {
    if (root && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(125);
    setenv("TMPDIR", tmp.c_str(), 1);
  };
  o = r.Run({"convert", "w.bin", "-o", keep, "--force"}, false, asUser);
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string converted = ReadTextFile(keep);
  EXPECT_NE(converted.find(kWorkedLine), std::string::npos);
  EXPECT_EQ(stat(keep).st_ino, inode);
  EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "no temporary file left";
  o = r.Run({"convert", "garbage.bin", "-o", keep, "--force"}, false, asUser);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(ReadTextFile(keep), converted);
  EXPECT_NE(o.err.find(keep + " was left as it was; the incomplete track is in " + tmp + "/keep.partial.plt.\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(r.File("ro")), std::filesystem::directory_iterator()), 1);
}

TEST(ConvertCliTest, SplitByDayChecksEveryNameFirstAndReplacesNothingWhenItFails) {
  Runner r;
  ScopedTimeZone warsaw("Europe/Warsaw");
  // Two fixes on the evening of 20 June, one past local midnight (22:00 UTC in summer).
  std::vector<unsigned char> track;
  for (const int minute : {0, 30, 90}) {
    const std::array<uint8_t, 16> record = stravener::sim::EncodeLayout2(stravener::sim::SyntheticPoint{
        52.2, 21.0, 100, stravener::sim::GpsSecondsFromCivil({2026, 6, 20, 21, minute % 60, 0}) + minute / 60 * 3600, 7,
        12});
    track.insert(track.end(), record.begin(), record.end());
  }
  WriteWholeFile(r.File("t.bin"), track);
  std::vector<unsigned char> garbage = track;
  garbage.insert(garbage.end(), 16, 0x7F);
  WriteWholeFile(r.File("garbage.bin"), garbage);
  const std::string first = r.File("trip-2026-06-20.gpx"), second = r.File("trip-2026-06-21.gpx");
  const auto files = [&r] {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(r.Path())) {
      const std::string name = entry.path().filename().string();
      count += name != "config" && name[0] != '.';  // the settings, the program's stdout and stderr
    }
    return count;
  };

  // One day's file exists: without --force the run is refused before a byte is written.
  WriteWholeFile(second, {'o', 'l', 'd'});
  ProgramOutcome o = r.Run({"convert", "t.bin", "-o", "trip.gpx", "--split", "day"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("The file " + second + " already exists; use --force to replace it.\n"), std::string::npos)
      << o.err;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(files(), 3u) << "nothing written";

  // With --force both are written, and the summary lists them with their local days.
  o = r.Run({"convert", "t.bin", "-o", "trip.gpx", "--split", "day", "--force"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out.rfind("Day 2026-06-20 (local time): " + first + ", points: 2\nDay 2026-06-21 (local time): " +
                            second + ", points: 1\nPoints: 3\n",
                        0),
            0u)
      << o.out;
  EXPECT_NE(o.out.find("\nDays: 2026-06-20\n"), std::string::npos) << "the summary's days are the files' UTC days";
  const std::string firstGpx = ReadTextFile(first), secondGpx = ReadTextFile(second);
  EXPECT_EQ(Occurrences(firstGpx, "<trkpt "), 2u);
  EXPECT_EQ(Occurrences(secondGpx, "<trkpt "), 1u);
  EXPECT_NE(secondGpx.find("<time>2026-06-20T22:30:00Z</time>"), std::string::npos) << "times stay UTC";

  // A failed run replaces no day file: what each got is in its partial file, closed.
  WriteWholeFile(first, {'o', 'n', 'e'});
  WriteWholeFile(second, {'t', 'w', 'o'});
  o = r.Run({"convert", "garbage.bin", "-o", "trip.gpx", "--split", "day", "--force"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("Error in track memory contents.\n" + first + " was left as it was; the incomplete track is in " +
                       r.File("trip-2026-06-20.partial.gpx") + ".\n" + second +
                       " was left as it was; the incomplete track is in " + r.File("trip-2026-06-21.partial.gpx") +
                       ".\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(ReadTextFile(first), "one");
  EXPECT_EQ(ReadTextFile(second), "two");
  EXPECT_TRUE(ReadTextFile(r.File("trip-2026-06-20.partial.gpx")) == firstGpx);
  EXPECT_TRUE(ReadTextFile(r.File("trip-2026-06-21.partial.gpx")) == secondGpx);
  EXPECT_EQ(files(), 6u) << "no temporary file left";

  // The memory unchanged is one file whatever its days.
  EXPECT_EQ(r.Run({"convert", "t.bin", "-o", "copy.bin", "--split", "day"}).status, 2);
  EXPECT_EQ(r.Run({"convert", "t.bin", "-o", "x.plt", "--split", "week"}).status, 2);
}
