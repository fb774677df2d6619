#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stravener::sim {

// The sentences the logger's firmware knows, each taken only in its exact form.
inline constexpr std::string_view kAttentionSentence = "$PMLR,06,00,02A9\r\n";
inline constexpr std::string_view kInformationSentence = "$PQRVI,\r\n";
inline constexpr std::string_view kRestartSentence = "$PQRVX,\r\n";
inline constexpr std::string_view kEraseSentence = "$PQRVE,\r\n";
inline constexpr std::string_view kUpgradeSentence = "$PQRVU,\r\n";

enum class SentenceKind {
  Attention,      // "$PMLR,06,00,02A9\r\n"
  Information,    // "$PQRVI,\r\n"
  Restart,        // "$PQRVX,\r\n"
  Erase,          // "$PQRVE,\r\n"
  Configuration,  // "$PQRVC,0,n,\r\n"
  SpeedSwitch,    // "$PQRVS,k\r\n"
  TrackBlock,     // "$PQRVT,page,count,\r\n"
  Upgrade,        // "$PQRVU,\r\n"
  Unknown,
};

const char* SentenceKindName(SentenceKind kind);

// A received sentence as the firmware reads it. The configuration, speed and block
// sentences are recognised by their first field; `wellFormed` then says whether the rest
// is exactly right: decimal numbers without sign or leading zeros, every comma, and the
// closing "\r\n".
struct Sentence {
  SentenceKind kind = SentenceKind::Unknown;
  bool wellFormed = false;
  uint32_t first = 0;   // configuration: the leading 0; speed: the code; block: the page
  uint32_t second = 0;  // configuration: the skip setting; block: the byte count
};

Sentence ParseSentence(std::string_view text);

// The line speed of a speed code, or nothing for a code the logger does not have.
std::optional<uint32_t> SpeedOfCode(uint32_t code);

// Collects received bytes into sentences: a sentence starts at '$' and ends with the
// line feed; a '$' in the middle starts over. Bytes outside a sentence, a sentence cut
// off by a new '$', and a run longer than any sentence the logger knows are noise.
class SentenceAssembler {
 public:
  static constexpr size_t kMaxSentence = 82;

  struct Result {
    std::optional<std::string> sentence;  // completed with this byte
    std::string noise;                    // bytes this byte made into noise
  };
  Result Add(uint8_t byte);
  void Reset() { partial_.clear(); }
  bool InSentence() const { return !partial_.empty(); }

 private:
  std::string partial_;
};

}  // namespace stravener::sim
