// The simulated logger's reading of what arrives on its line: the sentence assembler on a
// byte stream, the sentence parser on every sentence and on the raw text, and the fault
// parser of its command line.
//
// Input: any bytes.
//
// Promises checked: no byte is lost or made up (noise, sentences and the unfinished rest
// add up to the input); a sentence starts with "$", ends with the line feed and is no
// longer than any the logger knows; a sentence taken as well formed is exactly the text
// the tool writes for its numbers; a fault parsed from text is one of the known kinds.

#include <string_view>

#include "app/format.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_support.h"
#include "sim/fault_plan.h"
#include "sim/sentence.h"

using namespace stravener;
using namespace stravener::fuzz;
using namespace stravener::sim;

namespace {

void CheckSentence(std::string_view text) {
  const Sentence s = ParseSentence(text);
  if (!s.wellFormed) return;
  FUZZ_CHECK(s.kind != SentenceKind::Unknown, "a well-formed unknown sentence");
  std::string again;
  switch (s.kind) {
    case SentenceKind::Configuration:
      FUZZ_CHECK(s.first == 0 && s.second <= 255, "configuration fields");
      again = FormatText("$PQRVC,%u,%u,\r\n", s.first, s.second);
      break;
    case SentenceKind::SpeedSwitch:
      FUZZ_CHECK(SpeedOfCode(s.first).has_value(), "speed code");
      again = FormatText("$PQRVS,%u\r\n", s.first);
      break;
    case SentenceKind::TrackBlock: again = FormatText("$PQRVT,%u,%u,\r\n", s.first, s.second); break;
    default: again = std::string(text); break;
  }
  FUZZ_CHECK(again == text, "taken as well formed: " + std::string(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  CheckSentence(raw);

  SentenceAssembler assembler;
  std::string seen;
  for (size_t i = 0; i < size; ++i) {
    SentenceAssembler::Result result = assembler.Add(data[i]);
    seen += result.noise;
    if (result.sentence) {
      const std::string& sentence = *result.sentence;
      FUZZ_CHECK(sentence.size() >= 2 && sentence.front() == '$' && sentence.back() == '\n', "sentence bounds");
      FUZZ_CHECK(sentence.size() <= SentenceAssembler::kMaxSentence, "sentence longer than any known");
      CheckSentence(sentence);
      seen += sentence;
    }
  }
  // Whatever is still being collected is the input's tail.
  FUZZ_CHECK(seen.size() <= size && raw.substr(0, seen.size()) == seen, "bytes lost or reordered");
  FUZZ_CHECK(assembler.InSentence() == (seen.size() < size), "an unfinished sentence unaccounted for");
  if (seen.size() < size) FUZZ_CHECK(raw[seen.size()] == '$', "an unfinished sentence that does not begin with $");

  std::string error;
  if (const std::optional<Fault> fault = ParseFault(raw, &error)) {
    FUZZ_CHECK(std::string(FaultKindName(fault->kind)) != "?", "unnamed fault kind");
    const std::string prefix = std::string(FaultKindName(fault->kind)) + "@";
    FUZZ_CHECK(raw.substr(0, prefix.size()) == prefix, "fault taken from " + std::string(raw));
    const std::string_view number = raw.substr(prefix.size());
    FUZZ_CHECK(!number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos,
               "fault number taken from " + std::string(raw));
  } else {
    FUZZ_CHECK(!error.empty(), "a refused fault without a reason");
  }
  return 0;
}
