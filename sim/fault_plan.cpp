#include "sim/fault_plan.h"

#include <charconv>

namespace stravener::sim {

namespace {

constexpr struct {
  const char* name;
  FaultKind kind;
} kFaultNames[] = {
    {"checksum", FaultKind::Checksum}, {"length", FaultKind::Length},       {"short", FaultKind::Short},
    {"silent", FaultKind::Silent},     {"garbage", FaultKind::Garbage},     {"vanish", FaultKind::Vanish},
    {"signature", FaultKind::Signature}, {"ack", FaultKind::WrongAck}, {"noack", FaultKind::MissingAck},
};

bool IsFrameFault(FaultKind kind) {
  switch (kind) {
    case FaultKind::Checksum:
    case FaultKind::Length:
    case FaultKind::Short:
    case FaultKind::Silent:
    case FaultKind::Garbage:
    case FaultKind::Vanish:
      return true;
    default:
      return false;
  }
}

}  // namespace

const char* FaultKindName(FaultKind kind) {
  for (const auto& entry : kFaultNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "?";
}

std::optional<Fault> ParseFault(std::string_view text, std::string* error) {
  const size_t at = text.find('@');
  if (at == std::string_view::npos) {
    if (error) *error = "a fault is KIND@N, for instance checksum@3";
    return std::nullopt;
  }
  const std::string_view name = text.substr(0, at);
  const std::string_view number = text.substr(at + 1);
  std::optional<FaultKind> kind;
  for (const auto& entry : kFaultNames) {
    if (name == entry.name) kind = entry.kind;
  }
  if (!kind) {
    if (error) *error = "unknown fault kind '" + std::string(name) + "'";
    return std::nullopt;
  }
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size()) {
    if (error) *error = "the N of " + std::string(text) + " is not a number";
    return std::nullopt;
  }
  const bool ordinal = *kind != FaultKind::WrongAck && *kind != FaultKind::MissingAck;
  if (ordinal && value == 0) {
    if (error) *error = "the N of " + std::string(text) + " counts from 1";
    return std::nullopt;
  }
  return Fault{*kind, value};
}

std::vector<FaultKind> FaultPlan::TakeFrameFaults(uint32_t ordinal) {
  std::vector<FaultKind> due;
  for (size_t i = 0; i < faults_.size(); ++i) {
    if (!fired_[i] && IsFrameFault(faults_[i].kind) && faults_[i].at == ordinal) {
      fired_[i] = true;
      due.push_back(faults_[i].kind);
    }
  }
  return due;
}

bool FaultPlan::WrongSignature(uint32_t ordinal) {
  // One fault covers the first N requests; it is spent once they have passed.
  bool wrong = false;
  for (size_t i = 0; i < faults_.size(); ++i) {
    if (fired_[i] || faults_[i].kind != FaultKind::Signature) continue;
    if (ordinal <= faults_[i].at) wrong = true;
    if (ordinal >= faults_[i].at) fired_[i] = true;
  }
  return wrong;
}

std::optional<FaultKind> FaultPlan::TakePageFault(uint32_t page) {
  for (size_t i = 0; i < faults_.size(); ++i) {
    if (fired_[i]) continue;
    if ((faults_[i].kind == FaultKind::WrongAck || faults_[i].kind == FaultKind::MissingAck) &&
        faults_[i].at == page) {
      fired_[i] = true;
      return faults_[i].kind;
    }
  }
  return std::nullopt;
}

}  // namespace stravener::sim
