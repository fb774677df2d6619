#include "sim/boot_loader.h"

#include <algorithm>

#include "app/format.h"

namespace stravener::sim {

BootLoader::BootLoader(ProgramMemory& memory, FaultPlan& faults, std::chrono::microseconds eraseTime,
                       std::chrono::microseconds pageWriteTime)
    : memory_(memory),
      faults_(faults),
      eraseTime_(eraseTime),
      pageWriteTime_(pageWriteTime),
      pageBuffer_(memory.Profile().PageBytes(), 0xFF) {}

void BootLoader::Reset() {
  expect_ = Expect::Command;
  address_ = 0;
  afterPageWrite_ = false;
  std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
}

BootLoader::Reply BootLoader::Feed(uint8_t byte) {
  Reply reply;
  const ProcessorProfile& profile = memory_.Profile();
  const size_t slot = static_cast<size_t>(address_ % profile.wordsPerPage) * 2;

  switch (expect_) {
    case Expect::AddressHigh:
      addressHigh_ = byte;
      expect_ = Expect::AddressLow;
      reply.note = "address high byte";
      return reply;
    case Expect::AddressLow:
      address_ = static_cast<uint16_t>(addressHigh_ << 8 | byte);
      expect_ = Expect::Command;
      reply.note = FormatText("address low byte: word address 0x%04X", address_);
      reply.bytes = {kAcknowledge};
      return reply;
    case Expect::LowByte:
      pageBuffer_[slot] = byte;
      expect_ = Expect::Command;
      reply.note = FormatText("low byte of word 0x%04X", address_);
      reply.bytes = {kAcknowledge};
      return reply;
    case Expect::HighByte:
      pageBuffer_[slot + 1] = byte;
      reply.note = FormatText("high byte of word 0x%04X", address_);
      address_ = static_cast<uint16_t>(address_ + 1);
      expect_ = Expect::Command;
      reply.bytes = {kAcknowledge};
      return reply;
    case Expect::Command:
      break;
  }
  const bool afterPageWrite = afterPageWrite_;
  afterPageWrite_ = false;

  switch (byte) {
    case 's': {
      ++signatureRequests_;
      reply.bytes.assign(profile.signature.begin(), profile.signature.end());
      reply.note = "signature request";
      if (faults_.WrongSignature(signatureRequests_)) {
        std::reverse(reply.bytes.begin(), reply.bytes.end());
        reply.fault = FormatText("signature: request %u answered with the bytes reversed", signatureRequests_);
      }
      break;
    }
    case 'e':
      memory_.Erase();
      reply.bytes = {kAcknowledge};
      reply.delay = eraseTime_;
      reply.note = "erase program memory";
      break;
    case 'A':
      expect_ = Expect::AddressHigh;
      reply.note = "set address";
      break;
    case 'c':
      expect_ = Expect::LowByte;
      reply.note = "load low byte";
      break;
    case 'C':
      expect_ = Expect::HighByte;
      reply.note = "load high byte";
      break;
    case 'm': {
      const uint32_t page = address_ / profile.wordsPerPage;
      if (!memory_.WritePage(page, pageBuffer_.data())) {
        reply.bytes = {kUnknown};
        reply.note = FormatText("write page %u: beyond the program memory", page);
        break;
      }
      std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
      reply.delay = pageWriteTime_;
      reply.note = FormatText("write page %u", page);
      reply.bytes = {kAcknowledge};
      afterPageWrite_ = true;
      if (const auto fault = faults_.TakePageFault(page)) {
        afterPageWrite_ = false;
        if (*fault == FaultKind::WrongAck) {
          reply.bytes = {0x0A};
          reply.fault = FormatText("ack: page %u acknowledged with 0x0A", page);
        } else {
          reply.bytes.clear();
          reply.fault = FormatText("noack: page %u not acknowledged", page);
        }
      }
      break;
    }
    case 'r':
      if (afterPageWrite) memory_.MarkFirmwareComplete();
      reply.restart = true;
      reply.intoFirmware = memory_.HoldsFirmware();
      reply.note = reply.intoFirmware ? "restart" : "restart: no firmware to start";
      break;
    default:
      reply.bytes = {kUnknown};
      reply.note = "unknown command";
      break;
  }
  return reply;
}

}  // namespace stravener::sim
