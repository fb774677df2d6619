// stravener-sample-track: writes a realistic track of N records in the logger's layout 1
// or 2, as a binary track file holds it. The same options always give the same bytes.

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/synthetic_track.h"

namespace {

void Usage(FILE* out) {
  std::fprintf(out,
               "Usage: stravener-sample-track [--points N] [--layout 1|2] [--seed S] OUT.bin\n\n"
               "Writes N track records (default 5000, layout 2) of a moving route with varying\n"
               "speed, altitude, satellites and segment breaks.\n");
}

bool ParseNumber(const char* text, uint32_t& value) {
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, value);
  return result.ec == std::errc() && result.ptr == end && end != text;
}

}  // namespace

int main(int argc, char** argv) {
  stravener::sim::SyntheticTrackOptions options;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    }
    if (arg == "--points" || arg == "--layout" || arg == "--seed") {
      uint32_t value = 0;
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], value)) {
        std::fprintf(stderr, "stravener-sample-track: %s takes a number\n", arg.c_str());
        return 2;
      }
      ++i;
      if (arg == "--points") options.points = value;
      if (arg == "--seed") options.seed = value;
      if (arg == "--layout") {
        if (value != 1 && value != 2) {
          std::fprintf(stderr, "stravener-sample-track: --layout takes 1 or 2\n");
          return 2;
        }
        options.layout = static_cast<int>(value);
      }
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "stravener-sample-track: unknown option '%s'\n", arg.c_str());
      Usage(stderr);
      return 2;
    } else if (output.empty()) {
      output = arg;
    } else {
      Usage(stderr);
      return 2;
    }
  }
  if (output.empty()) {
    Usage(stderr);
    return 2;
  }

  FILE* file = std::fopen(output.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "stravener-sample-track: %s: %s\n", output.c_str(), std::strerror(errno));
    return 1;
  }
  const std::vector<uint8_t> track = stravener::sim::MakeSyntheticTrack(options);
  const bool written = std::fwrite(track.data(), 1, track.size(), file) == track.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "stravener-sample-track: writing %s failed: %s\n", output.c_str(), std::strerror(errno));
    return 1;
  }
  std::printf("%s: %u records of layout %d (%zu bytes)\n", output.c_str(), options.points, options.layout,
              track.size());
  return 0;
}
