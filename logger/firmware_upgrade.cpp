#include "logger/firmware_upgrade.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/format.h"
#include "app/language.h"
#include "logger/find_logger.h"
#include "logger/logger_commands.h"
#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/system_error.h"

namespace stravener {

namespace {

constexpr uint32_t kSwitchPauseMs = 100;
constexpr uint32_t kRestartPauseMs = 20;
// How long the answers of a page the boot loader did not take may still come.
constexpr uint32_t kSettlePauseMs = 200;
constexpr int kSignatureAttempts = 10;
constexpr uint8_t kAcknowledgement = 0x0D;
constexpr uint8_t kPadding = 0xFF;

// How programming the memory ended.
enum class Programmed {
  Done,
  Failed,        // reported; the upgrade ends
  PageNotTaken,  // a page written at once was not acknowledged: the byte-by-byte way follows
};

class Upgrade {
 public:
  Upgrade(PortConnection& connection, Host& host, ReportFlag report, const UpgradeOptions& options)
      : connection_(connection), host_(host), log_(*connection.log), report_(report), options_(options) {}

  int Run(const std::string& path);

 private:
  int Identify();
  int ReadImageFile(const std::string& path);
  int ImageLengthError();
  // An image too large for the processor identified: nothing is erased yet, so the boot
  // loader restarts the processor into the firmware it still holds.
  int RefuseImageTooLarge();
  // Erases the program memory and writes every page: each page in one write with one
  // drain, or every byte written and drained by itself.
  Programmed Program(bool byteByByte);
  int SendPage(uint32_t wordAddress, bool byteByByte);
  // The boot loader as the failed page left it, for the byte-by-byte run: identified
  // again once its answers have passed.
  int IdentifyAgain();
  bool ReadAcknowledgement();
  int ProtocolError();
  // A stop request before the erase: the boot loader restarts the processor into the
  // firmware it still holds. After it: the memory is incomplete, and the user is told.
  int StopBeforeErase();
  int StopWithMemoryIncomplete();
  int Stop() { return erased_ ? StopWithMemoryIncomplete() : StopBeforeErase(); }
  int Send(uint8_t byte) { return WritePortByte(connection_, byte, report_); }

  PortConnection& connection_;
  Host& host_;
  EventLog& log_;
  const ReportFlag report_;
  const UpgradeOptions options_;
  ProcessorProfile profile_{};
  std::unique_ptr<uint8_t[]> image_;
  uint32_t imageSize_ = 0;
  uint32_t pageCount_ = 0;
  bool erased_ = false;
  // The firmware did not answer the information request: only a boot loader may be there.
  bool firmwareSilent_ = false;
  uint32_t failedPage_ = 0;
};

int Upgrade::Run(const std::string& path) {
  Clock& clock = host_.GetClock();
  // What can be checked of the file is checked before anything is sent, so that a file
  // that cannot be loaded never leaves the logger in its boot loader.
  if (ReadImageFile(path) != 0) return -1;

  LoggerInfo info;
  switch (FindLogger(connection_, clock, info, report_, BootLoaderSearch::LeaveToCaller)) {
    case LoggerFound::Firmware:
      if (SendCommand(connection_, clock, kUpgradeSentence, report_) != 0) return -1;
      if (report_) {
        LOG_TEXT(log_, LogKind::Info, "Wysłano komendę aktualizacji oprogramowania.", "Firmware upgrade command sent.");
      }
      clock.Sleep(kSwitchPauseMs);
      break;
    case LoggerFound::NoLogger:
      // Not even after the way back from the transfer speeds: the logger may be in its
      // boot loader already, where an upgrade that was stopped or killed left it.
      firmwareSilent_ = true;
      if (report_) {
        LOG_TEXT(log_, LogKind::Info, "Oprogramowanie loggera nie odpowiedziało; szukanie programu ładującego.",
                 "The logger's firmware did not answer; looking for its boot loader.");
      }
      break;
    case LoggerFound::BootLoader:
    case LoggerFound::Failed:
      return -1;
  }
  if (SetPortSpeed(connection_, kBootLoaderSpeed, report_) != 0) return -1;
  clock.Sleep(kSwitchPauseMs);

  if (Identify() != 0) return -1;
  if (imageSize_ > profile_.largestImage) return RefuseImageTooLarge();
  pageCount_ = (imageSize_ + profile_.BytesPerPage() - 1) / profile_.BytesPerPage();
  if (StopRequested()) return StopBeforeErase();

  Programmed programmed = Program(options_.byteByByte);
  if (programmed == Programmed::PageNotTaken) {
    // A boot loader that cannot take a page's bytes back to back still gets its firmware:
    // once more from the signature request, every byte written and drained by itself.
    if (report_) {
      LOG_TEXT(log_, LogKind::Info,
               "Program ładujący nie przyjął strony %u wysłanej w całości; ponowne ładowanie oprogramowania bajt po "
               "bajcie.",
               "The boot loader did not take page %u sent whole; loading the firmware again, byte by byte.",
               failedPage_);
    }
    if (IdentifyAgain() != 0) return -1;
    programmed = Program(true);
  }
  if (programmed != Programmed::Done) return -1;
  host_.SetProgressPosition(pageCount_);
  if (report_) LOG_TEXT(log_, LogKind::Info, "Oprogramowanie załadowane do stravenera.", "Firmware loaded into stravener.");

  clock.Sleep(kRestartPauseMs);
  if (Send(kRestartCommand) != 0) return -1;
  host_.SetProgressPosition(0);
  if (report_) LOG_TEXT(log_, LogKind::Info, "Wysłano komendę restartu procesora.", "Processor restart command sent.");
  ClosePort(connection_, report_);
  return 0;
}

Programmed Upgrade::Program(bool byteByByte) {
  if (report_) LOG_TEXT(log_, LogKind::Info, "Czyszczenie pamięci programu.", "Erasing program memory.");
  if (Send(kEraseCommand) != 0) return Programmed::Failed;
  erased_ = true;
  if (!ReadAcknowledgement()) {
    ProtocolError();
    return Programmed::Failed;
  }

  if (report_) {
    LOG_TEXT(log_, LogKind::Info, "Programowanie pamięci (%u bajt%s).", "Programming memory (%u bytes%s).",
             imageSize_, BytePluralEnding(imageSize_));
  }
  host_.SetProgressRange(pageCount_);
  const uint32_t words = profile_.wordsPerPage;
  uint32_t address = 0;
  for (uint32_t page = 0; page < pageCount_; ++page) {
    // Only between pages: a page once begun is written and acknowledged whole.
    if (StopRequested()) {
      Stop();
      return Programmed::Failed;
    }
    host_.SetProgressPosition(page);
    host_.Repaint();
    if (SendPage(address, byteByByte) != 0) return Programmed::Failed;
    // One acknowledgement for each 'A', 'c', 'C' and 'm' of the page, read after it.
    for (uint32_t k = 0; k < 2 * words + 3; ++k) {
      if (ReadAcknowledgement()) continue;
      ProtocolError();
      if (byteByByte || PortWentAway(connection_, false)) return Programmed::Failed;
      failedPage_ = page;
      return Programmed::PageNotTaken;
    }
    address += words;
  }
  return Programmed::Done;
}

int Upgrade::SendPage(uint32_t wordAddress, bool byteByByte) {
  const uint32_t words = profile_.wordsPerPage;
  const uint8_t high = static_cast<uint8_t>((wordAddress >> 8) & 0xff);
  const uint8_t low = static_cast<uint8_t>(wordAddress & 0xff);
  std::vector<uint8_t> bytes;
  bytes.reserve(4 * words + 7);
  bytes.insert(bytes.end(), {kAddressCommand, high, low});
  for (uint32_t j = 0; j < words; ++j) {
    const uint32_t at = 2 * (wordAddress + j);
    bytes.insert(bytes.end(), {kLowByteCommand, image_[at], kHighByteCommand, image_[at + 1]});
  }
  bytes.insert(bytes.end(), {kAddressCommand, high, low, kWritePageCommand});
  if (!byteByByte) return WritePort(connection_, bytes.data(), bytes.size(), report_);
  for (const uint8_t byte : bytes) {
    if (Send(byte) != 0) return -1;
  }
  return 0;
}

int Upgrade::IdentifyAgain() {
  // The boot loader has erased the memory and may still be taking the page's bytes and
  // answering them; it may wait for the operand of a command whose bytes it lost, and its
  // page buffer may hold half a page. Its answers are let pass first. A signature request
  // it takes for an operand is answered by an acknowledgement or by nothing, and Identify
  // asks again; the erase and the pages that follow overwrite every word of the buffer.
  host_.GetClock().Sleep(kSettlePauseMs);
  const ProcessorProfile identified = profile_;
  if (Identify() != 0) return -1;
  if (profile_.signature != identified.signature) return ProtocolError();
  return 0;
}

int Upgrade::Identify() {
  uint8_t signature[3] = {0, 0, 0};
  bool anythingCame = false;
  for (int attempt = 0; attempt < kSignatureAttempts; ++attempt) {
    if (StopRequested()) return Stop();
    if (PurgePort(connection_, report_) != 0) return -1;
    if (Send(kSignatureCommand) != 0) return -1;
    // Bytes that do not arrive show as 00 in the message.
    std::memset(signature, 0, sizeof signature);
    const int got = ReadPort(connection_, signature, 3, report_);
    anythingCame = anythingCame || got > 0;
    if (got == 3) {
      if (const auto profile = FindProcessorProfile(signature)) {
        profile_ = *profile;
        return 0;
      }
    }
  }
  if (report_) {
    LOG_TEXT(log_, LogKind::Error, "Niewłaściwa sygnatura procesora (%02X,%02X,%02X).",
             "Bad processor signature (%02X,%02X,%02X).", signature[0], signature[1], signature[2]);
    LOG_TEXT(log_, LogKind::Error, "Podłącz stravener i rozpocznij apgrejd ponownie.",
             "Connect stravener and begin upgrade again.");
    // Neither the firmware nor a boot loader said anything: most likely another port.
    if (firmwareSilent_ && !erased_ && !anythingCame) ReportNoLoggerAnswered(connection_);
  }
  return -1;
}

int Upgrade::ReadImageFile(const std::string& path) {
  File file;
  if (const uint32_t code = file.OpenForReading(path); code != 0) {
    if (report_) {
      LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x otwierania pliku apgrejdu.", "Error 0x%x opening firmware file.", code);
      log_.LogSystemError(LogKind::Error, code);
    }
    return -1;
  }
  uint64_t size = 0;
  if (const uint32_t code = file.Size(size); code != 0) {
    file.Close();
    if (report_) {
      LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x pobierania rozmiaru pliku apgrejdu.",
               "Error 0x%x getting firmware file size.", code);
      log_.LogSystemError(LogKind::Error, code);
    }
    return -1;
  }
  // No processor takes more than the largest image. The whole size counts: a file of
  // 4 GiB and a few bytes is not a few bytes long.
  if (size == 0 || size > kLargestFirmwareImage) {
    file.Close();
    return ImageLengthError();
  }
  imageSize_ = static_cast<uint32_t>(size);
  // Past the image, the buffer holds 0xFF: a last partial page is sent padded with it.
  image_ = std::make_unique<uint8_t[]>(kLargestFirmwareImage);
  std::fill_n(image_.get(), kLargestFirmwareImage, kPadding);
  size_t got = 0;
  uint32_t code = file.Read(image_.get(), imageSize_, got);
  if (code != 0 || got != imageSize_) {
    if (code == 0) code = LastSystemError();
    if (report_) {
      LOG_TEXT(log_, LogKind::Error, "Błąd 0x%x odczytu pliku apgrejdu.", "Error 0x%x reading firmware file.", code);
      log_.LogSystemError(LogKind::Error, code);
    }
    file.Close();
    return -1;
  }
  file.Close();
  return 0;
}

int Upgrade::ImageLengthError() {
  if (report_) LOG_TEXT(log_, LogKind::Error, "Niewłaściwa długość pliku apgrejdu.", "Unproper firmware file length.");
  return -1;
}

int Upgrade::RefuseImageTooLarge() {
  if (Send(kRestartCommand) != 0) return -1;
  return ImageLengthError();
}

bool Upgrade::ReadAcknowledgement() {
  uint8_t answer = 0;
  int got = ReadPort(connection_, &answer, 1, report_);
  // A stop request cuts short the read that waits when it comes; the page goes on.
  if (got == 0 && StopRequested()) got = ReadPort(connection_, &answer, 1, report_);
  return got == 1 && answer == kAcknowledgement;
}

int Upgrade::StopBeforeErase() {
  if (report_) {
    LOG_TEXT(log_, LogKind::Error,
             "Apgrejd przerwany przed czyszczeniem pamięci programu; oprogramowanie loggera nie zostało zmienione.",
             "Upgrade stopped before the program memory was erased; the logger's firmware is unchanged.");
  }
  if (Send(kRestartCommand) == 0 && report_) {
    LOG_TEXT(log_, LogKind::Info, "Wysłano komendę restartu procesora.", "Processor restart command sent.");
  }
  return -1;
}

int Upgrade::StopWithMemoryIncomplete() {
  if (report_) {
    LOG_TEXT(log_, LogKind::Error,
             "Apgrejd przerwany: pamięć programu loggera jest niekompletna. Uruchom apgrejd ponownie; program "
             "ładujący nadal odpowiada.",
             "Upgrade stopped: the logger's program memory is incomplete. Run the upgrade again; the boot loader "
             "still answers.");
  }
  return -1;
}

int Upgrade::ProtocolError() {
  // A device that went away has said so already.
  if (PortWentAway(connection_, report_)) return -1;
  if (report_) LOG_TEXT(log_, LogKind::Error, "Błąd protokołu.", "Protocol error.");
  ClearLineErrors(connection_);
  return -1;
}

}  // namespace

int UpgradeFirmware(PortConnection& connection, Host& host, const std::string& path, ReportFlag report,
                    const UpgradeOptions& options) {
  Upgrade upgrade(connection, host, report, options);
  return upgrade.Run(path);
}

}  // namespace stravener
