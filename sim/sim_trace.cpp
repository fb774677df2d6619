#include "sim/sim_trace.h"

#include "app/format.h"

namespace stravener::sim {

namespace {

std::string Printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (u < 0x20 || u >= 0x7F || c == '\\') {
      out += FormatText("\\x%02X", u);
    } else {
      out += c;
    }
  }
  return out;
}

std::string Hex(const std::vector<uint8_t>& bytes, size_t limit = 24) {
  std::string out;
  for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
    if (i) out += ' ';
    out += FormatText("%02X", bytes[i]);
  }
  if (bytes.size() > limit) out += FormatText(" ... (%zu bytes)", bytes.size());
  return out;
}

}  // namespace

const char* TraceKindName(TraceKind kind) {
  switch (kind) {
    case TraceKind::Sentence: return "sentence";
    case TraceKind::BootByte: return "boot byte";
    case TraceKind::Noise: return "noise";
    case TraceKind::ToolSpeed: return "tool speed";
    case TraceKind::LoggerSpeed: return "logger speed";
    case TraceKind::Mode: return "mode";
    case TraceKind::Answer: return "answer";
    case TraceKind::Fault: return "fault";
    case TraceKind::Note: return "note";
  }
  return "?";
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::None: return "";
    case Verdict::Attention: return "awake";
    case Verdict::Accepted: return "accepted";
    case Verdict::TooSoon: return "ignored: too soon after the attention";
    case Verdict::NoAttention: return "ignored: no attention before it";
    case Verdict::Unknown: return "ignored: unknown sentence";
    case Verdict::Malformed: return "malformed";
    case Verdict::WrongMode: return "ignored in this mode";
    case Verdict::BeyondMemory: return "ignored: beyond the track memory";
  }
  return "?";
}

double MillisecondsBetween(SteadyTime a, SteadyTime b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

std::string FormatTraceEvent(const TraceEvent& e, SteadyTime origin) {
  const double seconds = MillisecondsBetween(origin, e.time) / 1000.0;
  std::string line = FormatText("%10.4f ", seconds);
  const std::string speeds = FormatText("tool %6u logger %6u", e.toolSpeed, e.loggerSpeed);
  switch (e.kind) {
    case TraceKind::Sentence:
      line += FormatText("%s  <- %s  [%s%s%s]", speeds.c_str(), Printable(e.text).c_str(),
                         SentenceKindName(e.sentence), e.verdict == Verdict::None ? "" : ": ",
                         VerdictName(e.verdict));
      break;
    case TraceKind::BootByte:
      line += FormatText("%s  <- boot %02X '%s'  %s", speeds.c_str(), e.bytes.empty() ? 0 : e.bytes[0],
                         Printable(std::string(e.bytes.begin(), e.bytes.end())).c_str(), e.text.c_str());
      break;
    case TraceKind::Noise:
      line += FormatText("%s  <- noise %s  %s", speeds.c_str(), Hex(e.bytes).c_str(), e.text.c_str());
      break;
    case TraceKind::ToolSpeed:
      line += FormatText("tool side now at %u bit/s", e.toolSpeed);
      break;
    case TraceKind::LoggerSpeed:
      line += FormatText("logger now at %u bit/s", e.loggerSpeed);
      break;
    case TraceKind::Mode:
      line += FormatText("mode: %s", e.text.c_str());
      break;
    case TraceKind::Answer:
      line += FormatText("%s  -> %s (%zu bytes in %.3f ms)%s: %s", speeds.c_str(), e.text.c_str(), e.bytes.size(),
                         MillisecondsBetween(e.start, e.time), e.Garbled() ? ", garbled on the line" : "",
                         Hex(e.bytes).c_str());
      break;
    case TraceKind::Fault:
      line += FormatText("FAULT %s", e.text.c_str());
      break;
    case TraceKind::Note:
      line += e.text;
      break;
  }
  return line;
}

void SimTrace::Record(TraceEvent event) {
  // Events come from the logger's thread only, so the listener sees them in order.
  std::function<void(const TraceEvent&)> listener;
  std::optional<TraceEvent> copy;
  {
    std::lock_guard lock(mutex_);
    event.index = next_++;
    listener = listener_;
    if (listener) copy = event;
    if (keep_) events_.push_back(std::move(event));
  }
  changed_.notify_all();
  if (listener) listener(*copy);
}

void SimTrace::SetListener(std::function<void(const TraceEvent&)> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void SimTrace::SetKeeping(bool keep) {
  std::lock_guard lock(mutex_);
  keep_ = keep;
}

size_t SimTrace::Size() const {
  std::lock_guard lock(mutex_);
  return next_;
}

std::vector<TraceEvent> SimTrace::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<TraceEvent> SimTrace::Events(TraceKind kind) const {
  std::lock_guard lock(mutex_);
  std::vector<TraceEvent> out;
  for (const TraceEvent& e : events_) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

std::vector<TraceEvent> SimTrace::SentencesOf(SentenceKind kind) const {
  std::lock_guard lock(mutex_);
  std::vector<TraceEvent> out;
  for (const TraceEvent& e : events_) {
    if (e.kind == TraceKind::Sentence && e.sentence == kind) out.push_back(e);
  }
  return out;
}

std::optional<TraceEvent> SimTrace::WaitFor(const std::function<bool(const TraceEvent&)>& match,
                                            std::chrono::milliseconds timeout, size_t from) const {
  std::unique_lock lock(mutex_);
  const auto deadline = SteadyClock::now() + timeout;
  size_t checked = 0;  // position in events_ already looked at
  for (;;) {
    if (checked > events_.size()) checked = 0;  // cleared meanwhile
    for (; checked < events_.size(); ++checked) {
      const TraceEvent& e = events_[checked];
      if (e.index >= from && match(e)) return e;
    }
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      for (; checked < events_.size(); ++checked) {
        if (events_[checked].index >= from && match(events_[checked])) return events_[checked];
      }
      return std::nullopt;
    }
  }
}

void SimTrace::Clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

}  // namespace stravener::sim
