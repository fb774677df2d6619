// Writes the seed corpora of the fuzz targets: for each target a folder of inputs in the
// target's own input order, made from the project's own encoders (the simulated logger's
// records, frames and information record), so that fuzzing starts from answers and files
// that go all the way through.
//
//   stravener-fuzz-seeds OUTPUT_FOLDER      (one subfolder per target)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "sim/answer_frame.h"
#include "sim/info_record.h"
#include "sim/synthetic_track.h"

using namespace stravener;
using namespace stravener::fuzz;
using namespace stravener::sim;

namespace {

class Corpus {
 public:
  Corpus(const std::filesystem::path& root, const std::string& target) : folder_(root / target) {
    std::filesystem::create_directories(folder_);
  }
  void Add(const FuzzSeed& seed) {
    const std::filesystem::path path = folder_ / ("seed_" + std::to_string(++count_));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(seed.Data().data()), static_cast<std::streamsize>(seed.Data().size()));
  }

 private:
  std::filesystem::path folder_;
  int count_ = 0;
};

std::vector<uint8_t> Track(int layout, uint32_t points, uint32_t seed = 1) {
  SyntheticTrackOptions options;
  options.layout = layout;
  options.points = points;
  options.seed = seed;
  return MakeSyntheticTrack(options);
}

std::array<uint8_t, 22> Record(const std::string& firmware, uint16_t pageSize, uint32_t usedBytes, uint8_t skip = 0) {
  InfoRecordFields fields;
  fields.serial = {0x01, 0x00, 0x12, 0x34};
  fields.productionDate = {0x15, 0x03, 0x20, 0x06};
  fields.firmware = firmware;
  fields.pageCount = 2048;
  fields.pageSize = pageSize;
  fields.usedBytes = usedBytes;
  fields.skip = skip;
  return BuildInfoRecord(fields);
}

template <typename Container>
std::vector<uint8_t> Frame(const Container& payload, FrameCheck check) {
  return BuildFrame(payload.data(), payload.size(), check);
}

std::vector<uint8_t> Text(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

void ReadFrameSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "read_frame");
  const auto record = Record("2.10", 256, 2592);
  corpus.Add(FuzzSeed().Byte(2).Word(22).Word(0).Bytes(Frame(record, FrameCheck::Crc)));
  const std::vector<uint8_t> block = Track(2, 32);
  corpus.Add(FuzzSeed().Byte(3).Word(512).Word(0).Bytes(Frame(block, FrameCheck::Xor)));
  const std::vector<uint8_t> one{1};
  corpus.Add(FuzzSeed().Byte(2).Word(1).Word(0).Bytes(Frame(one, FrameCheck::Crc)).Bytes(Frame(one, FrameCheck::Crc)));
  corpus.Add(FuzzSeed().Byte(3).Word(0).Word(0).Bytes(Frame(std::vector<uint8_t>{}, FrameCheck::Xor)));
  corpus.Add(FuzzSeed().Byte(6).Word(3).Word(3).Bytes(Frame(Text("abc"), FrameCheck::Crc)));
}

// The download's input: flags, record, failing call, actions, memory.
FuzzSeed Download(uint8_t flags, const std::array<uint8_t, 22>& record, const std::vector<uint8_t>& actions,
                  const std::vector<uint8_t>& memory, uint16_t failAt = 0) {
  return FuzzSeed().Byte(flags).Bytes(record).Word(failAt).Chunk(actions).Bytes(memory);
}

void DownloadSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "track_download");
  constexpr uint8_t k115200 = 2 << 1;
  constexpr uint8_t k460800 = 4 << 1;
  constexpr uint8_t k38400 = 0;
  constexpr uint8_t kPlt = 0x10;
  const std::vector<uint8_t> layout2 = Track(2, 640);
  const std::vector<uint8_t> layout1 = Track(1, 640, 7);
  corpus.Add(Download(k115200, Record("2.10", 256, 2592), {}, layout2));
  corpus.Add(Download(k115200 | kPlt, Record("2.10", 256, 10240), {}, layout2));
  corpus.Add(Download(k460800 | kPlt | 1, Record("1.05", 256, 10240), {}, layout1));
  corpus.Add(Download(k38400, Record("2.10", 128, 10240), {0, 3, 4, 5, 6, 7, 0, 1}, layout2));
  corpus.Add(Download(k115200, Record("2.10", 256, 10240), {0, 3, 3, 3, 3, 3}, layout2));
  corpus.Add(Download(k115200 | 0x40, Record("2.10", 256, 2592), {}, layout2));
  corpus.Add(Download(k115200, Record("2.10", 256, 2592), {}, layout2, 40));
  corpus.Add(Download(k115200, Record("3.00", 256, 2592), {}, layout2));
  corpus.Add(Download(k115200, Record("2.10", 256, 0), {}, layout2));
  corpus.Add(Download(k115200, Record("2.10", 0, 0), {}, layout2));
  corpus.Add(Download(k115200 | kPlt, Record("2.10", 8192, 16400), {}, layout2));
  const auto record = Record("2.10", 256, 2592);
  const std::vector<uint8_t> verbatim = Frame(record, FrameCheck::Crc);
  corpus.Add(FuzzSeed().Byte(k115200 | 0x20).Chunk(verbatim).Word(0).Chunk(std::vector<uint8_t>{}).Bytes(layout2));
}

void LoggerCommandSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "logger_commands");
  const auto record = Record("2.10", 256, 2592, 5);
  const std::vector<uint8_t> recordBytes(record.begin(), record.end());
  for (uint8_t language : {0, 1}) {
    corpus.Add(FuzzSeed().Byte(0).Byte(static_cast<uint8_t>(2 | language)).Word(0).Chunk(Text("")).Chunk(recordBytes));
  }
  corpus.Add(FuzzSeed().Byte(0).Byte(0).Word(0).Chunk(Text("")).Chunk(Frame(record, FrameCheck::Crc)));
  // Erase asks for the record first.
  corpus.Add(FuzzSeed().Byte(1).Byte(2).Word(0).Chunk(Text("")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{1}));
  corpus.Add(FuzzSeed().Byte(1).Byte(2).Word(0).Chunk(Text("")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{0}));
  corpus.Add(FuzzSeed().Byte(1).Byte(0x12).Word(0).Chunk(Text("")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{1}));
  corpus.Add(FuzzSeed().Byte(2).Byte(2).Word(0).Chunk(Text("5")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{0}));
  corpus.Add(FuzzSeed().Byte(2).Byte(2).Word(0).Chunk(Text("7")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{2}));
  corpus.Add(FuzzSeed().Byte(2).Byte(0xA).Word(0).Chunk(Text("256")).Chunk(recordBytes).Chunk(std::vector<uint8_t>{0}));
  corpus.Add(FuzzSeed().Byte(2).Byte(6).Word(0).Chunk(Text("")).Chunk(recordBytes));
  corpus.Add(FuzzSeed().Byte(3).Byte(0).Word(0).Chunk(Text("")));
  corpus.Add(FuzzSeed().Byte(3).Byte(0).Word(4).Chunk(Text("")));
  corpus.Add(FuzzSeed().Byte(3).Byte(2).Word(0).Chunk(Text("")).Chunk(recordBytes));
  // A logger in its boot loader: two requests unanswered, the signature, then the record
  // after the restart.
  const std::vector<uint8_t> none;
  corpus.Add(FuzzSeed().Byte(3).Byte(2).Word(0).Chunk(Text("")).Chunk(none).Chunk(none).Chunk(
      std::vector<uint8_t>{0x02, 0x95, 0x1E}).Chunk(recordBytes));
}

void TrackRecordSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "track_record");
  const std::vector<std::string> paths = {"C:\\Tracks\\20060517_log.plt", "/home/user/My tracks/trip, day 1.plt",
                                          "/tmp/old.dir/track", "/tmp/.plt", "/tmp/ślad łąka.plt"};
  for (int layout : {1, 2}) {
    for (size_t i = 0; i < paths.size(); ++i) {
      const std::vector<uint8_t> records = Track(layout, 40, static_cast<uint32_t>(i + 1));
      corpus.Add(FuzzSeed()
                     .Byte(static_cast<uint8_t>(i & 1))
                     .Byte(static_cast<uint8_t>(layout))
                     .Chunk(Text(paths[i]))
                     .Bytes(records));
    }
  }
  corpus.Add(FuzzSeed().Byte(0).Byte(3).Chunk(Text("/tmp/x.plt")).Bytes(Track(2, 2)));
}

void BinaryConversionSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "binary_conversion");
  corpus.Add(FuzzSeed().Byte(0).Bytes(Track(2, 200)));
  corpus.Add(FuzzSeed().Byte(1).Bytes(Track(2, 2)).Bytes(std::vector<uint8_t>(8, 0x11)));
  corpus.Add(FuzzSeed().Byte(0).Bytes(Track(1, 20)));
  corpus.Add(FuzzSeed().Byte(0));
  // Track files given in place of a binary one.
  for (const std::string text : {"<?xml version=\"1.0\"?>\r\n<gpx version=\"1.1\">", "<kml>",
                                 "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n"}) {
    corpus.Add(FuzzSeed().Byte(0).Bytes(std::vector<uint8_t>(text.begin(), text.end())));
  }
}

// Bytes that look like a program: a fixed pseudo-random stream.
std::vector<uint8_t> Program(size_t count) {
  std::vector<uint8_t> bytes(count);
  uint32_t state = 12345;
  for (uint8_t& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<uint8_t>(state >> 16);
  }
  return bytes;
}

FuzzSeed Upgrade(uint8_t flags, uint32_t length, const std::vector<uint8_t>& actions, uint16_t failAt = 0) {
  FuzzSeed seed;
  seed.Byte(static_cast<uint8_t>(flags | (length >= 65536 ? 0x10 : 0)));
  if (((flags >> 2) & 3) == 3) seed.Byte(0x1E).Byte(0x93).Byte(0x07);
  return seed.Word(static_cast<uint16_t>(length & 0xFFFF)).Word(failAt).Chunk(actions).Bytes(Program(509));
}

void FirmwareSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "firmware_upgrade");
  constexpr uint8_t kReport = 2;
  corpus.Add(Upgrade(kReport | (1 << 2), 65, {}));
  corpus.Add(Upgrade(kReport | (1 << 2) | 0x20, 65, {}));  // the logger in its boot loader already
  corpus.Add(Upgrade(kReport | (0 << 2), 7936, {}));
  corpus.Add(Upgrade(kReport | (0 << 2), 7937, {}));
  corpus.Add(Upgrade(kReport | (1 << 2), 32256, {}));
  corpus.Add(Upgrade(kReport | (2 << 2) | 1, 130048, {}));
  corpus.Add(Upgrade(kReport | (2 << 2), 130049, {}));
  corpus.Add(Upgrade(kReport | (1 << 2), 0, {}));
  corpus.Add(Upgrade(kReport | (1 << 2), 300, {0, 0, 0, 0, 5}));
  corpus.Add(Upgrade(kReport | (1 << 2), 300, {4, 5, 6, 7, 0, 0, 0, 4}));
  corpus.Add(Upgrade(kReport | (3 << 2), 300, {}));
  corpus.Add(Upgrade(1 << 2, 300, {}, 60));
}

void SentenceSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "sim_sentence");
  for (const char* text :
       {"$PMLR,06,00,02A9\r\n", "$PQRVI,\r\n", "$PQRVX,\r\n", "$PQRVE,\r\n", "$PQRVU,\r\n", "$PQRVC,0,5,\r\n",
        "$PQRVS,1\r\n", "$PQRVS,0\r\n", "$PQRVT,12,3072,\r\n", "\x13$PQRV$PMLR,06,00,02A9\r\n$PQRVT,0,2592,\r\n$PQ",
        "checksum@3", "noack@0", "signature@10"}) {
    corpus.Add(FuzzSeed().Text(text));
  }
}

void SettingsSeeds(const std::filesystem::path& root) {
  Corpus corpus(root, "settings");
  corpus.Add(FuzzSeed().Long(1).Long(9).Long(460800).Text("Language=0\nPort=3\nMaxSpeed=460800\n"));
  corpus.Add(FuzzSeed().Long(0).Long(1).Long(115200).Text("Language=-1\r\nPort=COM3\nMaxSpeed=4294967296\n"));
  corpus.Add(FuzzSeed().Long(2).Long(0).Long(38400).Text("# edited\nPort = 7\n=5\nLanguage=\nMaxSpeed=57600"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  ReadFrameSeeds(root);
  DownloadSeeds(root);
  LoggerCommandSeeds(root);
  TrackRecordSeeds(root);
  BinaryConversionSeeds(root);
  FirmwareSeeds(root);
  SentenceSeeds(root);
  SettingsSeeds(root);
  return 0;
}
