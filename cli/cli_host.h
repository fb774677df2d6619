#pragma once

#include <cstdint>
#include <string>

#include "app/host.h"

namespace stravener::cli {

// The terminal as the sink an operation reports to: log lines go to stderr as they are
// logged, and the progress bar is drawn on stderr when it is a terminal. The commands also
// show their notices and ask their questions here, themselves, before or between the
// operations they call.
class CliHost : public Host {
 public:
  CliHost();
  ~CliHost() override;

  EventLog& Log() override { return log_; }
  void SetProgressRange(uint32_t maximum) override;
  void SetProgressPosition(uint32_t position) override;
  void Repaint() override;
  Clock& GetClock() override { return clock_ != nullptr ? *clock_ : Host::GetClock(); }

  // The clock the operations use in place of the machine's (a tracing one, for --trace).
  void SetClock(Clock* clock) { clock_ = clock; }

  // A notice (the information report, "The track memory is clear.") on stdout, its lines
  // ended as a terminal wants them.
  void ShowNotice(const std::string& text);
  // A question answered on the terminal: true for yes ("y" or "t" in any case). Without a
  // terminal to ask on it says so, pointing to --yes, and answers no.
  bool AskYesNo(const std::string& text);

 private:
  void PrintLine(const LogEntry& entry);
  void ClearProgress();
  void DrawProgress();

  EventLog log_;
  bool stderrIsTerminal_;
  bool progressShown_ = false;
  uint32_t progressMaximum_ = 0;
  uint32_t progressPosition_ = 0;
  Clock* clock_ = nullptr;
};

}  // namespace stravener::cli
