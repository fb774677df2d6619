#include "cli/cli_host.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/console_text.h"
#include "cli/terminal.h"

namespace stravener::cli {

namespace {

std::string TerminalText(const std::string& text) {
  // Message texts use CR LF between lines, as message boxes want; a terminal wants LF.
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

CliHost::CliHost() : stderrIsTerminal_(StderrTakesEscapes()) {
  log_.SetListener([this](const LogEntry& entry, bool) { PrintLine(entry); });
}

CliHost::~CliHost() { ClearProgress(); }

void CliHost::PrintLine(const LogEntry& entry) {
  ClearProgress();
  if (stderrIsTerminal_ && entry.kind == LogKind::Error) {
    PrintText(stderr, "\033[31m%s\033[0m\n", entry.text.c_str());
  } else {
    PrintText(stderr, "%s\n", entry.text.c_str());
  }
  std::fflush(stderr);
  if (progressMaximum_ > 0 && progressPosition_ > 0) DrawProgress();
}

void CliHost::SetProgressRange(uint32_t maximum) {
  progressMaximum_ = maximum;
  progressPosition_ = 0;
}

void CliHost::SetProgressPosition(uint32_t position) {
  progressPosition_ = position;
  if (position == 0) {
    ClearProgress();
  } else {
    DrawProgress();
  }
}

void CliHost::DrawProgress() {
  if (!stderrIsTerminal_ || progressMaximum_ == 0) return;
  constexpr int kWidth = 40;
  const uint64_t position = progressPosition_ > progressMaximum_ ? progressMaximum_ : progressPosition_;
  const int filled = static_cast<int>(position * kWidth / progressMaximum_);
  const int percent = static_cast<int>(position * 100 / progressMaximum_);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  PrintText(stderr, "\r[%s] %3d%% ", bar.c_str(), percent);
  std::fflush(stderr);
  progressShown_ = true;
}

void CliHost::ClearProgress() {
  if (!progressShown_) return;
  PrintText(stderr, "\r\033[K");
  std::fflush(stderr);
  progressShown_ = false;
}

void CliHost::Repaint() { std::fflush(stderr); }

void CliHost::ShowNotice(const std::string& text) {
  ClearProgress();
  PrintText(stdout, "%s\n", TerminalText(text).c_str());
  std::fflush(stdout);
}

bool CliHost::AskYesNo(const std::string& text) {
  ClearProgress();
  if (!StdinIsTerminal()) {
    PrintText(stderr, "%s\n%s\n", TerminalText(text).c_str(),
              PickTextOrEmpty("Brak terminala do zadania pytania; potwierdź opcją --yes.",
                              "No terminal to ask on; confirm with --yes."));
    return false;
  }
  PrintText(stderr, "%s [%s] ", TerminalText(text).c_str(), PickTextOrEmpty("t/N", "y/N"));
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 't' || answer[0] == 'T');
}

}  // namespace stravener::cli
