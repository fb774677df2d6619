#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "support/temp_dir.h"
#include "track/plt_writer.h"

// The PLT file the writer makes of these records, written record by record at `path` for
// comparison with what a download saved under the same file name.
inline std::string ExpectedPlt(const std::string& path, const std::vector<unsigned char>& used, int layout) {
  stravener::EventLog log;
  stravener::File file;
  EXPECT_EQ(file.Create(path), 0u);
  const uint32_t points = static_cast<uint32_t>(used.size() / 16);
  for (uint32_t i = 0; i < points; ++i) {
    EXPECT_NE(stravener::WritePltPoint(log, file, i == 0 ? path : "", layout, used.data() + 16 * i, i == 0, true,
                                       points),
              -1);
  }
  file.Close();
  return ReadTextFile(path);
}
