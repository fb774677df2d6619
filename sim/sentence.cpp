#include "sim/sentence.h"

namespace stravener::sim {

namespace {

// A decimal number as the tool writes it: "0" or a nonzero digit first, no sign, no
// leading zeros, and no larger than 32 bits.
bool TakeNumber(std::string_view& text, uint32_t& value) {
  size_t digits = 0;
  uint64_t number = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    number = number * 10 + static_cast<uint64_t>(text[digits] - '0');
    if (number > 0xFFFFFFFFu) return false;
    ++digits;
  }
  if (digits == 0 || (digits > 1 && text[0] == '0')) return false;
  value = static_cast<uint32_t>(number);
  text.remove_prefix(digits);
  return true;
}

bool TakeText(std::string_view& text, std::string_view expected) {
  if (text.substr(0, expected.size()) != expected) return false;
  text.remove_prefix(expected.size());
  return true;
}

}  // namespace

const char* SentenceKindName(SentenceKind kind) {
  switch (kind) {
    case SentenceKind::Attention: return "attention";
    case SentenceKind::Information: return "information";
    case SentenceKind::Restart: return "restart";
    case SentenceKind::Erase: return "erase";
    case SentenceKind::Configuration: return "configuration";
    case SentenceKind::SpeedSwitch: return "speed switch";
    case SentenceKind::TrackBlock: return "track block";
    case SentenceKind::Upgrade: return "firmware upgrade";
    case SentenceKind::Unknown: break;
  }
  return "unknown";
}

Sentence ParseSentence(std::string_view text) {
  Sentence s;
  const struct {
    std::string_view text;
    SentenceKind kind;
  } exact[] = {{kAttentionSentence, SentenceKind::Attention},
               {kInformationSentence, SentenceKind::Information},
               {kRestartSentence, SentenceKind::Restart},
               {kEraseSentence, SentenceKind::Erase},
               {kUpgradeSentence, SentenceKind::Upgrade}};
  for (const auto& e : exact) {
    if (text == e.text) {
      s.kind = e.kind;
      s.wellFormed = true;
      return s;
    }
  }

  std::string_view rest = text;
  if (TakeText(rest, "$PQRVC,")) {
    s.kind = SentenceKind::Configuration;
    s.wellFormed = TakeNumber(rest, s.first) && s.first == 0 && TakeText(rest, ",") &&
                   TakeNumber(rest, s.second) && s.second <= 255 && rest == ",\r\n";
  } else if (TakeText(rest, "$PQRVS,")) {
    s.kind = SentenceKind::SpeedSwitch;
    s.wellFormed = TakeNumber(rest, s.first) && SpeedOfCode(s.first).has_value() && rest == "\r\n";
  } else if (TakeText(rest, "$PQRVT,")) {
    s.kind = SentenceKind::TrackBlock;
    s.wellFormed = TakeNumber(rest, s.first) && TakeText(rest, ",") && TakeNumber(rest, s.second) &&
                   rest == ",\r\n";
  }
  return s;
}

std::optional<uint32_t> SpeedOfCode(uint32_t code) {
  static constexpr uint32_t kSpeeds[] = {4800, 115200, 230400, 38400, 460800, 57600};
  if (code >= sizeof kSpeeds / sizeof kSpeeds[0]) return std::nullopt;
  return kSpeeds[code];
}

SentenceAssembler::Result SentenceAssembler::Add(uint8_t byte) {
  Result result;
  const char c = static_cast<char>(byte);
  if (c == '$') {
    result.noise = partial_;
    partial_.assign(1, c);
    return result;
  }
  if (partial_.empty()) {
    result.noise.assign(1, c);
    return result;
  }
  partial_.push_back(c);
  // A line feed ends a sentence only within the longest length a sentence can have.
  if (partial_.size() > kMaxSentence) {
    result.noise = std::move(partial_);
    partial_.clear();
  } else if (c == '\n') {
    result.sentence = std::move(partial_);
    partial_.clear();
  }
  return result;
}

}  // namespace stravener::sim
