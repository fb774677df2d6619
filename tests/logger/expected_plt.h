#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "support/temp_dir.h"
#include "track/track_writer.h"

// The PLT file the writer makes of these records, written at `path` for comparison with
// what a download saved under the same file name.
inline std::string ExpectedPlt(const std::string& path, const std::vector<unsigned char>& used, int layout) {
  stravener::EventLog log;
  stravener::File file;
  EXPECT_EQ(file.Create(path), 0u);
  stravener::TrackWriterOptions options;
  options.layout = layout;
  options.pointCount = static_cast<uint32_t>(used.size() / 16);
  options.emptyWithoutRecords = true;
  {
    stravener::TrackWriter writer(log, file, path, options);
    for (size_t at = 0; at + 16 <= used.size(); at += 16) EXPECT_TRUE(writer.Write(used.data() + at));
    EXPECT_TRUE(writer.End());
  }
  file.Close();
  return ReadTextFile(path);
}
