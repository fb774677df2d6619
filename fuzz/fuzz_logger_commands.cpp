// The Information, Erase track, Configuration and Restart commands against answers that
// come from the input, and the information report of any record.
//
// Input: the command (0 Information, 1 Erase track, 2 Configuration, 3 Restart, by the
// low two bits), flags (bit 0 Polish; bit 1 each answer is framed by the logger with a
// right CRC, else taken verbatim; bit 2 Cancel in the dialog; bit 3 the user clicks the
// check box; bit 4 the erase question is declined), the serial call that fails (word, 0
// for none), a chunk the user types into the dialog's number field, then one chunk per
// sentence that the logger answers, or signature request of the boot loader (that chunk
// always verbatim).
//
// Promises checked: every sentence sent is one the logger knows, in its exact form (the
// skip count of the configuration sentence within 0..255), and every other write is the
// search for the boot loader; the boot loader is told to restart only after it answered
// with a known signature; restart and erase are sent only to a logger that has just
// answered the information request; a command reported as done got the answer that means
// success; a failed command left an Error line; a declined question sends nothing; the
// report never fails for any record in either language.

#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "gui/common/configuration_dialog.h"
#include "logger/boot_loader_protocol.h"
#include "logger/configure_logger.h"
#include "logger/erase_track_memory.h"
#include "logger/logger_info.h"
#include "logger/restart_logger.h"
#include "sim/answer_frame.h"
#include "sim/sentence.h"
#include "support/dialog_controls.h"

using namespace stravener;
using namespace stravener::fuzz;

namespace {

// Whether the bytes on the line began with the right one-byte frame of `value`.
bool StartsWithFrameOf(const std::vector<uint8_t>& bytes, uint8_t value) {
  const std::vector<uint8_t> frame = sim::BuildFrame(&value, 1, sim::FrameCheck::Crc);
  return bytes.size() >= frame.size() && std::equal(frame.begin(), frame.end(), bytes.begin());
}

// Whether the bytes on the line began with a right frame of an information record.
bool StartsWithInfoFrame(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < LoggerInfo::kSize + 3u || bytes[0] != LoggerInfo::kSize || bytes[1] != 0) return false;
  const std::vector<uint8_t> frame = sim::BuildFrame(bytes.data() + 2, LoggerInfo::kSize, sim::FrameCheck::Crc);
  return std::equal(frame.begin(), frame.end(), bytes.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int command = in.Byte() & 3;
  const uint8_t flags = in.Byte();
  Language = (flags & 1) != 0 ? kPolish : kEnglish;
  const bool framed = (flags & 2) != 0;
  const uint16_t failAt = in.Word();
  const std::vector<uint8_t> typed = in.Chunk();
  std::vector<std::vector<uint8_t>> answers;
  while (!in.Empty() && answers.size() < 5) answers.push_back(in.Chunk());

  FakeSerialLine line;
  line.recordCalls = false;  // counted only: a run makes thousands
  size_t nextAnswer = 0;
  std::vector<uint8_t> lastAnswer;  // the bytes of the last answer, as they went on the line
  std::vector<sim::Sentence> sentences;
  bool infoAnswered = false;    // the last information request got a right record
  bool bootLoaderKnown = false;  // the last signature request got a known signature
  line.respond = [&](FakeSerialLine&, const std::vector<uint8_t>& bytes) {
    if (IsBootLoaderSearch(line, bytes)) {
      if (bytes[0] == kRestartCommand) {
        FUZZ_CHECK(bootLoaderKnown, "a restart without a boot loader's signature");
        return;
      }
      bootLoaderKnown = false;
      if (nextAnswer >= answers.size()) return;
      const std::vector<uint8_t>& answer = answers[nextAnswer++];
      bootLoaderKnown = answer.size() >= 3 && FindProcessorProfile(answer.data()).has_value();
      line.input.insert(line.input.end(), answer.begin(), answer.end());
      return;
    }
    const std::string text(bytes.begin(), bytes.end());
    const sim::Sentence sentence = sim::ParseSentence(text);
    FUZZ_CHECK(sentence.kind != sim::SentenceKind::Unknown && sentence.wellFormed, "the tool sent: " + text);
    if (sentence.kind == sim::SentenceKind::Attention) return;
    if (sentence.kind == sim::SentenceKind::Restart || sentence.kind == sim::SentenceKind::Erase) {
      FUZZ_CHECK(infoAnswered, "sent to a logger that did not answer: " + text);
    }
    sentences.push_back(sentence);
    if (sentence.kind == sim::SentenceKind::Information) infoAnswered = false;
    const bool answered = sentence.kind == sim::SentenceKind::Information ||
                          sentence.kind == sim::SentenceKind::Erase ||
                          sentence.kind == sim::SentenceKind::Configuration;
    if (!answered || nextAnswer >= answers.size()) return;
    const std::vector<uint8_t>& answer = answers[nextAnswer++];
    lastAnswer = framed ? sim::BuildFrame(answer.data(), answer.size(), sim::FrameCheck::Crc) : answer;
    if (sentence.kind == sim::SentenceKind::Information) infoAnswered = StartsWithInfoFrame(lastAnswer);
    line.input.insert(line.input.end(), lastAnswer.begin(), lastAnswer.end());
  };

  TestHost host;
  RunAtOnce(host);
  const FuzzContextScope context([&host] { PrintLog(host.log); });
  const bool answerOk = (flags & 0x10) == 0;
  const bool cancelDialog = (flags & 4) != 0;
  const bool toggleBox = (flags & 8) != 0;
  PortConnection connection(host.log, line.Opener());
  if (OpenPort(connection, true) != 0) return 0;
  line.failAtCall = failAt == 0 ? 0 : line.callCount + failAt;

  // Each command in the order of its callers: what the user is asked comes where the
  // operations leave room for it.
  OperationResult result = OperationResult::Failed;
  std::vector<std::string> notices;
  LoggerInfo record;
  switch (command) {
    case 0:
      if (ReadLoggerInfo(connection, host.clock, record) == 0) {
        notices.push_back(FormatLoggerInfoReport(record));
        result = OperationResult::Done;
      }
      break;
    case 1: result = answerOk ? EraseTrackMemory(connection, host) : OperationResult::Cancelled; break;
    case 2: {
      if (ReadLoggerInfo(connection, host.clock, record) != 0) break;
      // The dialog opened on the logger's setting; the user types, may click the box, and
      // presses Save (or Cancel).
      gui::ConfigurationDialog dialog;
      dialog.skipCount = record.SkipSetting();
      DialogControls controls;
      dialog.Attach(&controls);
      dialog.InitDialog();
      result = OperationResult::Cancelled;
      if (cancelDialog) break;
      controls.field = std::string(typed.begin(), typed.end());
      if (toggleBox) {
        controls.boxChecked = !controls.boxChecked;
        dialog.OnSkipClicked();
      }
      if (dialog.OnSave()) result = ConfigureLogger(connection, host, dialog.ValueToSave());
      break;
    }
    default: result = RestartLogger(connection, host); break;
  }

  switch (result) {
    case OperationResult::Done:
      if (command == 0) {
        FUZZ_CHECK(notices.size() == 1 && !notices[0].empty(), "information done without its report");
      } else if (command == 1) {
        FUZZ_CHECK(StartsWithFrameOf(lastAnswer, 1), "erase done without the answer 1");
      } else if (command == 2) {
        FUZZ_CHECK(StartsWithFrameOf(lastAnswer, 0), "configuration done without the answer 0");
      } else {
        FUZZ_CHECK(connection.openFlag == 0, "restart left the port open");
      }
      break;
    case OperationResult::Cancelled:
      FUZZ_CHECK(command == 1 || command == 2, "cancelled without a question");
      if (command == 1) FUZZ_CHECK(sentences.empty(), "a declined erase sent a sentence");
      if (command == 2) {
        // The information request (asked twice, with "$PQRVS,0" at each transfer speed
        // between, when the first got no answer or a garbled one), and nothing after the
        // dialog.
        const bool onlyTheRequest = std::all_of(sentences.begin(), sentences.end(), [](const sim::Sentence& s) {
          return s.kind == sim::SentenceKind::Information || (s.kind == sim::SentenceKind::SpeedSwitch && s.first == 0);
        });
        FUZZ_CHECK(onlyTheRequest, "a cancelled configuration sent more than the request");
      }
      break;
    case OperationResult::Stopped: FUZZ_CHECK(false, "no command here stops with a notice"); break;
    case OperationResult::Failed: FUZZ_CHECK(host.HasError(), "a failure without an Error line"); break;
  }

  // The report of the record that came, whatever it holds, in every language.
  if (command == 0 && framed && !answers.empty()) {
    LoggerInfo info;
    std::copy_n(answers[0].begin(), std::min<size_t>(answers[0].size(), LoggerInfo::kSize), info.bytes.begin());
    for (const int language : {kPolish, kEnglish, 7}) {
      Language = language;
      const std::string report = FormatLoggerInfoReport(info);
      FUZZ_CHECK(language == 7 || !report.empty(), "empty report");
      FUZZ_CHECK(info.FreeBytes() <= info.MemorySize(), "more free than memory");
    }
  }
  return 0;
}
