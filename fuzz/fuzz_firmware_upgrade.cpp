// The firmware upgrade with an image file of any content and length, against a boot loader
// whose answers the input may spoil.
//
// Input: flags (bit 0 Polish; bit 1 report; bits 2-3 the processor, an index into the
// three profiles, 3 meaning that the signature answer is the next three input bytes, a
// processor of the profile they name or, naming none, of the first profile; bit 4 adds 65536 to the image length;
// bit 5 the logger is in its boot loader already, its firmware silent),
// [three signature bytes], the image length (word), the serial call that fails (word, 0 for none), a chunk of answer
// actions (one an answer of the boot loader, in order: 0-3 as it is, 4 dropped, 5 spoiled (0x0A for an acknowledgement,
// the bytes reversed for a signature, with FF first where reversed they would name a processor), 6 followed by a stray
// byte 0x55, 7 held back until the next answer; when they run out, every answer is right), and the rest, repeated, as
// the image's bytes.
//
// Promises checked: an upgrade reported as done wrote exactly the image, padded with 0xFF
// to whole pages, into a processor that really has the signature it identified, sent the
// restart last and closed the port; the boot loader gets a command byte alone or a whole
// page in one write; the logger is handed over only after its firmware
// answered the information request; an image of the wrong length is refused before
// anything is erased, and one that no processor takes before anything is sent; a failed
// upgrade leaves an Error line (when reporting) and the port open; no page is written
// beyond the program memory.

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "logger/firmware_upgrade.h"
#include "logger/logger_info.h"
#include "sim/answer_frame.h"

using namespace stravener;
using namespace stravener::fuzz;

namespace {

// The processor's boot loader, as far as the upgrade relies on it.
struct BootLoaderDouble {
  explicit BootLoaderDouble(const ProcessorProfile& p)
      : profile(p), memory(p.largestImage, 0x00), page(p.BytesPerPage(), 0xFF) {}

  const ProcessorProfile& profile;
  std::array<uint8_t, 3> signature{};
  std::vector<uint8_t> memory;
  std::vector<uint8_t> page;
  uint32_t highestPage = 0;
  bool written = false;
  bool erased = false;
  bool commandMode = false;  // after the upgrade sentence
  bool outOfRange = false;
  uint8_t lastByte = 0;

  enum class Expect { Command, AddressHigh, AddressLow, LowByte, HighByte } expect = Expect::Command;
  uint16_t address = 0;
  uint8_t addressHigh = 0;

  // An answer of up to four bytes (held without allocating: the image is fed byte by byte).
  struct Answer {
    std::array<uint8_t, 4> bytes{};
    size_t size = 0;
    Answer() = default;
    Answer(std::initializer_list<uint8_t> list) : size(list.size()) {
      std::copy(list.begin(), list.end(), bytes.begin());
    }
    bool empty() const { return size == 0; }
  };

  // The answer to one byte from the tool.
  Answer Feed(uint8_t byte) {
    lastByte = byte;
    const size_t slot = static_cast<size_t>(address % profile.wordsPerPage) * 2;
    switch (expect) {
      case Expect::AddressHigh:
        addressHigh = byte;
        expect = Expect::AddressLow;
        return {};
      case Expect::AddressLow: address = static_cast<uint16_t>(addressHigh << 8 | byte); break;
      case Expect::LowByte: page[slot] = byte; break;
      case Expect::HighByte:
        page[slot + 1] = byte;
        address = static_cast<uint16_t>(address + 1);
        break;
      case Expect::Command:
        switch (byte) {
          case 's': return {signature[0], signature[1], signature[2]};
          case 'e':
            erased = true;
            std::fill(memory.begin(), memory.end(), 0xFF);
            return {0x0D};
          case 'A': expect = Expect::AddressHigh; return {};
          case 'c': expect = Expect::LowByte; return {};
          case 'C': expect = Expect::HighByte; return {};
          case 'm': {
            const uint32_t number = address / profile.wordsPerPage;
            if (number >= profile.largestImage / profile.BytesPerPage()) {
              outOfRange = true;
              return {'?'};
            }
            std::copy(page.begin(), page.end(), memory.begin() + number * profile.BytesPerPage());
            std::fill(page.begin(), page.end(), 0xFF);
            highestPage = written ? std::max(highestPage, number) : number;
            written = true;
            return {0x0D};
          }
          case 'r': return {};
          default: return {'?'};
        }
    }
    expect = Expect::Command;
    return {0x0D};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.Byte();
  Language = (flags & 1) != 0 ? kPolish : kEnglish;
  const bool report = (flags & 2) != 0;
  const int processor = (flags >> 2) & 3;
  // Three signature bytes of the input: a processor of the profile they name, if they name
  // one; otherwise a processor of the first profile that answers with bytes of no profile.
  std::array<uint8_t, 3> signature = kProcessorProfiles[processor == 3 ? 0 : processor].signature;
  if (processor == 3) {
    for (uint8_t& b : signature) b = in.Byte();
  }
  const std::optional<ProcessorProfile> named = FindProcessorProfile(signature.data());
  const ProcessorProfile& profile =
      named ? *std::find_if(std::begin(kProcessorProfiles), std::end(kProcessorProfiles),
                            [&](const ProcessorProfile& p) { return p.signature == signature; })
            : kProcessorProfiles[0];
  BootLoaderDouble bootLoader(profile);
  bootLoader.signature = signature;
  const uint32_t imageLength = in.Word() + ((flags & 0x10) != 0 ? 65536u : 0u);
  const uint16_t failAt = in.Word();
  const std::vector<uint8_t> actions = in.Chunk();
  const std::vector<uint8_t> pattern = in.Rest();

  std::vector<uint8_t> image(imageLength);
  for (uint32_t i = 0; i < imageLength; ++i) image[i] = pattern.empty() ? 0x3C : pattern[i % pattern.size()];
  const std::string path = FuzzFile("image.upg");
  WriteFileBytes(path, image);

  FakeSerialLine line;
  line.recordCalls = false;  // counted only: a run makes thousands
  size_t nextAction = 0;
  std::vector<uint8_t> heldBack;
  bool sentAnything = false;
  bool infoAnswered = false;
  bootLoader.commandMode = (flags & 0x20) != 0;
  const std::array<uint8_t, LoggerInfo::kSize> record{};
  std::function<void(uint8_t)> answerByte;
  line.respond = [&](FakeSerialLine&, const std::vector<uint8_t>& bytes) {
    sentAnything = true;
    const std::string text(bytes.begin(), bytes.end());
    if (!bootLoader.commandMode) {
      // Sentences at 4800 bit/s until the upgrade sentence hands over to the boot loader.
      if (text == "$PQRVI,\r\n") {
        const std::vector<uint8_t> frame = sim::BuildFrame(record.data(), record.size(), sim::FrameCheck::Crc);
        line.input.insert(line.input.end(), frame.begin(), frame.end());
        infoAnswered = true;
      }
      if (text == "$PQRVU,\r\n") {
        FUZZ_CHECK(infoAnswered, "handed over without the firmware's answer");
        bootLoader.commandMode = true;
      }
      return;
    }
    // What the tool sends at other speeds is noise to the boot loader, and so, here, is the
    // way back from the transfer speeds at its own.
    if (line.speed != kBootLoaderSpeed || text == "$PQRVS,0\r\n") return;
    // A command byte alone, or a page's bytes in one write: a page begins with 'A' and
    // ends with 'm'.
    FUZZ_CHECK(bytes.size() == 1 || (bytes.front() == kAddressCommand && bytes.back() == kWritePageCommand),
               "a write of " + std::to_string(bytes.size()) + " bytes that is not a page");
    for (const uint8_t byte : bytes) answerByte(byte);
  };
  answerByte = [&](uint8_t byte) {
    const BootLoaderDouble::Answer reply = bootLoader.Feed(byte);
    if (reply.empty()) return;
    const uint8_t action = nextAction < actions.size() ? actions[nextAction++] & 7 : 0;
    if (action < 4 && heldBack.empty()) {
      line.input.insert(line.input.end(), reply.bytes.begin(), reply.bytes.begin() + reply.size);
      return;
    }
    std::vector<uint8_t> answer(reply.bytes.begin(), reply.bytes.begin() + static_cast<std::ptrdiff_t>(reply.size));
    switch (action) {
      case 4: answer.clear(); break;
      case 5:
        if (answer.size() == 3) {
          // A spoiled signature never names a processor: reversed, one that is not a
          // processor's can turn into one (1E 93 07 into 07 93 1E), and no processor's
          // signature begins with FF.
          std::reverse(answer.begin(), answer.end());
          if (FindProcessorProfile(answer.data())) answer[0] = 0xFF;
        } else {
          answer = {0x0A};
        }
        break;
      case 6: answer.push_back(0x55); break;
      case 7: heldBack.insert(heldBack.end(), answer.begin(), answer.end()); return;
      default: break;
    }
    line.input.insert(line.input.end(), heldBack.begin(), heldBack.end());
    heldBack.clear();
    line.input.insert(line.input.end(), answer.begin(), answer.end());
  };

  TestHost host;
  RunAtOnce(host);
  const FuzzContextScope context([&host] { PrintLog(host.log); });
  PortConnection connection(host.log, line.Opener());
  if (OpenPort(connection, true) != 0) return 0;
  line.failAtCall = failAt == 0 ? 0 : line.callCount + failAt;
  const size_t logBefore = host.log.Entries().size();

  const int result = UpgradeFirmware(connection, host, path, report);

  FUZZ_CHECK(!bootLoader.outOfRange, "a page written beyond the program memory");
  if (imageLength == 0 || imageLength > kLargestFirmwareImage) {
    FUZZ_CHECK(!sentAnything, "something sent for an image that no processor takes");
  }
  const bool knownSignature = FindProcessorProfile(bootLoader.signature.data()).has_value();
  if (result == 0) {
    FUZZ_CHECK(knownSignature, "done with an unknown processor");
    FUZZ_CHECK(imageLength > 0 && imageLength <= profile.largestImage, "done with an image of the wrong length");
    FUZZ_CHECK(connection.openFlag == 0, "done and the port still open");
    FUZZ_CHECK(bootLoader.lastByte == 'r', "the restart was not sent last");
    if (bootLoader.signature == profile.signature) {
      const uint32_t pageBytes = profile.BytesPerPage();
      const uint32_t padded = (imageLength + pageBytes - 1) / pageBytes * pageBytes;
      FUZZ_CHECK(bootLoader.erased && bootLoader.written, "done without erasing and writing");
      FUZZ_CHECK((bootLoader.highestPage + 1) * pageBytes == padded, "pages written");
      for (uint32_t i = 0; i < padded; ++i) {
        const uint8_t want = i < imageLength ? image[i] : 0xFF;
        FUZZ_CHECK(bootLoader.memory[i] == want, "program memory differs at " + std::to_string(i));
      }
    }
  } else {
    FUZZ_CHECK(result == -1, "result neither 0 nor -1");
    FUZZ_CHECK(connection.openFlag == 1, "a failed upgrade closed the port");
    if (report) {
      bool error = false;
      for (size_t i = logBefore; i < host.log.Entries().size(); ++i) {
        error |= host.log.Entries()[i].kind == LogKind::Error;
      }
      FUZZ_CHECK(error, "a failed upgrade without an Error line");
    }
    if (knownSignature && bootLoader.signature == profile.signature &&
        (imageLength == 0 || imageLength > profile.largestImage)) {
      FUZZ_CHECK(!bootLoader.erased, "erased for an image of the wrong length");
    }
  }
  return 0;
}
