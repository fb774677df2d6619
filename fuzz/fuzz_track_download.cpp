// The track download against a logger whose information record and block answers come
// from the input: every field of the record, and each block answered well or spoiled.
//
// Input: flags (bit 0 Polish; bits 1-3 the speed limit, an index into kLimits; bit 4 save
// as PLT, else raw; bit 5 the information answer is taken verbatim from a chunk instead of
// being framed by the logger; bit 6 the port refuses speeds above 38400 once open), the 22-byte
// information record (or the verbatim chunk), the serial call that fails (word, 0 for
// none), a chunk of block actions (one a block request, in order: 0-2 a good frame, 3 a
// wrong checksum, 4 a length word one too long, 5 cut off halfway, 6 no answer, 7 three
// stray bytes before a good frame; when they run out, good frames up to 256 KiB, then no
// answer), and the rest, repeated, as the track memory.
//
// Promises checked: every sentence the tool sends is one the logger knows, in its exact
// form (besides the boot loader's signature request when the firmware stays silent), and
// every block lies inside the used memory; a download reported as done left a
// file holding exactly the used memory (raw) or the header and one line per whole record
// (PLT, the header alone when less than one record is in use); one that
// failed after the speed sentence says "Transfer aborted.", leaves nothing under the chosen
// name and what came as NAME.partial.EXT, a prefix of the memory, and has sent
// "$PQRVS,0\r\n" and switched the port back to 4800.

#include <string_view>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "logger/logger_info.h"
#include "logger/track_download.h"
#include "sim/answer_frame.h"
#include "sim/sentence.h"

using namespace stravener;
using namespace stravener::fuzz;

namespace {

constexpr uint32_t kLimits[8] = {38400, 57600, 115200, 230400, 460800, 9600, 0, 4800};
constexpr size_t kGoodAnswersAfterActions = 256 * 1024;

struct ScriptedLogger {
  std::vector<uint8_t> infoFrame;
  std::vector<uint8_t> actions;
  std::vector<uint8_t> pattern;
  uint32_t pageSize = 0;
  uint32_t usedBytes = 0;
  bool checkBlocks = false;

  size_t nextAction = 0;
  size_t served = 0;
  bool speedSentenceSeen = false;
  std::string lastSentence;

  uint8_t MemoryAt(uint64_t at) const { return pattern.empty() ? 0xFF : pattern[at % pattern.size()]; }

  void Answer(FakeSerialLine& line, const std::vector<uint8_t>& data) {
    // No boot loader answers here: it is asked for, but never told to restart.
    if (IsBootLoaderSearch(line, data)) {
      FUZZ_CHECK(data[0] == kSignatureCommand, "a restart with no boot loader there");
      return;
    }
    const std::string text(data.begin(), data.end());
    const sim::Sentence sentence = sim::ParseSentence(text);
    FUZZ_CHECK(sentence.kind != sim::SentenceKind::Unknown && sentence.wellFormed, "the tool sent: " + text);
    lastSentence = text;
    switch (sentence.kind) {
      case sim::SentenceKind::Information:
        line.input.insert(line.input.end(), infoFrame.begin(), infoFrame.end());
        break;
      case sim::SentenceKind::SpeedSwitch:
        if (sentence.first != 0) speedSentenceSeen = true;
        break;
      case sim::SentenceKind::TrackBlock: AnswerBlock(line, sentence.first, sentence.second); break;
      default: break;
    }
  }

  void AnswerBlock(FakeSerialLine& line, uint32_t page, uint32_t count) {
    const uint64_t start = uint64_t{page} * pageSize;
    if (checkBlocks) {
      FUZZ_CHECK(count > 0 && count <= 65535, "block of " + std::to_string(count) + " bytes");
      FUZZ_CHECK(start + count <= usedBytes, "block past the used memory");
    }
    if (count > 65535) return;
    uint8_t action = 0;
    if (nextAction < actions.size()) {
      action = actions[nextAction++] & 7;
    } else if (served >= kGoodAnswersAfterActions) {
      action = 6;
    }
    std::vector<uint8_t> payload(count);
    for (uint32_t i = 0; i < count; ++i) payload[i] = MemoryAt(start + i);
    std::vector<uint8_t> frame = sim::BuildFrame(payload.data(), payload.size(), sim::FrameCheck::Xor);
    switch (action) {
      case 3: frame.back() ^= 0x5A; break;
      case 4:
        frame[0] = static_cast<uint8_t>(count + 1);
        frame[1] = static_cast<uint8_t>((count + 1) >> 8);
        break;
      case 5: frame.resize(2 + count / 2); break;
      case 6: frame.clear(); break;
      case 7: frame.insert(frame.begin(), {0x24, 0x0D, 0x0A}); break;
      default: served += count; break;
    }
    line.input.insert(line.input.end(), frame.begin(), frame.end());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.Byte();
  Language = (flags & 1) != 0 ? kPolish : kEnglish;
  const uint32_t limit = kLimits[(flags >> 1) & 7];
  const bool plt = (flags & 0x10) != 0;
  const bool verbatimInfo = (flags & 0x20) != 0;

  ScriptedLogger logger;
  LoggerInfo info;
  if (verbatimInfo) {
    logger.infoFrame = in.Chunk();
  } else {
    const std::vector<uint8_t> record = in.Bytes(LoggerInfo::kSize);
    std::copy(record.begin(), record.end(), info.bytes.begin());
    logger.infoFrame = sim::BuildFrame(info.bytes.data(), info.bytes.size(), sim::FrameCheck::Crc);
    logger.pageSize = info.PageSize();
    logger.usedBytes = info.UsedBytes();
    logger.checkBlocks = true;
  }
  const uint16_t failAt = in.Word();
  logger.actions = in.Chunk();
  logger.pattern = in.Rest();

  FakeSerialLine line;
  line.recordCalls = false;  // counted only: a run makes thousands
  line.respond = [&](FakeSerialLine& l, const std::vector<uint8_t>& bytes) { logger.Answer(l, bytes); };
  TestHost host;
  RunAtOnce(host);
  const FuzzContextScope context([&host] { PrintLog(host.log); });
  PortConnection connection(host.log, line.Opener());
  connection.speedLimit = limit;
  if (OpenPort(connection, true) != 0) return 0;
  if ((flags & 0x40) != 0) line.maxSpeed = 38400;
  line.failAtCall = failAt == 0 ? 0 : line.callCount + failAt;

  const std::string path = FuzzFile(plt ? "track.PLT" : "track.bin");
  const std::string partial = FuzzFile(plt ? "track.partial.PLT" : "track.partial.bin");
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::remove(partial, ignored);

  // Read track as its callers run it: the record and its checks, then the download into
  // the chosen file.
  const TrackReadStart start = PrepareTrackRead(connection, host);
  const OperationResult result =
      start.result == OperationResult::Done ? ReadTrack(connection, host, start.info, path) : start.result;
  const std::string aborted = PickTextOrEmpty("Transfer przerwany.", "Transfer aborted.");
  const bool fileExists = std::filesystem::exists(path);
  const std::vector<uint8_t> file = fileExists ? ReadFileBytes(path) : std::vector<uint8_t>();

  if (result == OperationResult::Done) {
    FUZZ_CHECK(!host.HasLine(aborted), "done and aborted");
    FUZZ_CHECK(fileExists, "done without a file");
    if (!verbatimInfo) {
      if (plt) {
        const uint32_t records = logger.usedBytes / 16;
        FUZZ_CHECK(CountLines(file) == 6 + records, "PLT lines");
      } else {
        FUZZ_CHECK(file.size() == logger.usedBytes, "raw file size");
        for (size_t i = 0; i < file.size(); ++i) FUZZ_CHECK(file[i] == logger.MemoryAt(i), "raw file content");
      }
    }
  } else {
    FUZZ_CHECK(host.HasError() || !start.notice.empty(), "a download that ended unsaid");
    FUZZ_CHECK(!fileExists, "an incomplete track under the chosen name");
  }
  if (logger.speedSentenceSeen) {
    // The logger left 4800 bit/s: it must have been told to come back.
    FUZZ_CHECK(result == OperationResult::Done || host.HasLine(aborted), "no \"Transfer aborted.\"");
    if (!line.failedAtCall) {
      FUZZ_CHECK(logger.lastSentence == "$PQRVS,0\r\n", "last sentence " + logger.lastSentence);
      FUZZ_CHECK(connection.currentSpeed == 4800, "port left at " + std::to_string(connection.currentSpeed));
    }
    FUZZ_CHECK(host.progressPositions.empty() || host.progressPositions.back() == 0, "progress bar not reset");
    if (!verbatimInfo && !plt && std::filesystem::exists(partial)) {
      const std::vector<uint8_t> kept = ReadFileBytes(partial);
      FUZZ_CHECK(kept.size() <= logger.usedBytes, "partial raw file longer than the used memory");
      for (size_t i = 0; i < kept.size(); ++i) FUZZ_CHECK(kept[i] == logger.MemoryAt(i), "partial raw file not a prefix");
    }
  } else {
    FUZZ_CHECK(!fileExists, "a file created before the speed sentence");
    FUZZ_CHECK(result != OperationResult::Done, "done without a transfer");
  }
  return 0;
}
