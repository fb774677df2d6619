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
  return expect_ == Expect::Command ? RunCommand(byte) : TakeOperand(byte);
}

BootLoader::Reply BootLoader::TakeOperand(uint8_t byte) {
  Reply reply;
  const size_t slot = static_cast<size_t>(address_ % memory_.Profile().wordsPerPage) * 2;
  switch (expect_) {
    case Expect::AddressHigh:
      addressHigh_ = byte;
      expect_ = Expect::AddressLow;
      reply.note = "address high byte";
      return reply;
    case Expect::AddressLow:
      address_ = static_cast<uint16_t>(addressHigh_ << 8 | byte);
      reply.note = FormatText("address low byte: word address 0x%04X", address_);
      break;
    case Expect::LowByte:
      pageBuffer_[slot] = byte;
      reply.note = FormatText("low byte of word 0x%04X", address_);
      break;
    case Expect::HighByte:
      pageBuffer_[slot + 1] = byte;
      reply.note = FormatText("high byte of word 0x%04X", address_);
      address_ = static_cast<uint16_t>(address_ + 1);
      break;
    case Expect::Command:
      break;
  }
  expect_ = Expect::Command;
  reply.bytes = {kAcknowledge};
  return reply;
}

BootLoader::Reply BootLoader::RunCommand(uint8_t command) {
  const bool afterPageWrite = afterPageWrite_;
  afterPageWrite_ = false;
  Reply reply;
  switch (command) {
    case 's':
      return AnswerSignature();
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
    case 'm':
      return WriteBufferedPage();
    case 'r':
      return Restart(afterPageWrite);
    default:
      reply.bytes = {kUnknown};
      reply.note = "unknown command";
      break;
  }
  return reply;
}

BootLoader::Reply BootLoader::AnswerSignature() {
  Reply reply;
  ++signatureRequests_;
  const ProcessorProfile& profile = memory_.Profile();
  reply.bytes.assign(profile.signature.begin(), profile.signature.end());
  reply.note = "signature request";
  if (faults_.WrongSignature(signatureRequests_)) {
    std::reverse(reply.bytes.begin(), reply.bytes.end());
    reply.fault = FormatText("signature: request %u answered with the bytes reversed", signatureRequests_);
  }
  return reply;
}

BootLoader::Reply BootLoader::WriteBufferedPage() {
  Reply reply;
  const uint32_t page = address_ / memory_.Profile().wordsPerPage;
  if (!memory_.WritePage(page, pageBuffer_.data())) {
    reply.bytes = {kUnknown};
    reply.note = FormatText("write page %u: beyond the program memory", page);
    return reply;
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
  return reply;
}

BootLoader::Reply BootLoader::Restart(bool afterPageWrite) {
  Reply reply;
  if (afterPageWrite) memory_.MarkFirmwareComplete();
  reply.restart = true;
  reply.intoFirmware = memory_.HoldsFirmware();
  reply.note = reply.intoFirmware ? "restart" : "restart: no firmware to start";
  return reply;
}

}  // namespace stravener::sim
