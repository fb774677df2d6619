#include <memory>

#include "platform/file.h"

namespace stravener {

namespace {
constexpr size_t kCopyBlockSize = 1 << 20;
}  // namespace

uint32_t CopyFileOver(const std::string& from, const std::string& to) {
  File source;
  if (const uint32_t code = source.OpenForReading(from); code != 0) return code;
  uint64_t size = 0;
  if (const uint32_t code = source.Size(size); code != 0) return code;
  File target;
  if (const uint32_t code = target.OpenForOverwriting(to, size); code != 0) return code;
  const std::unique_ptr<unsigned char[]> block(new unsigned char[kCopyBlockSize]);
  for (;;) {
    size_t got = 0;
    if (const uint32_t code = source.Read(block.get(), kCopyBlockSize, got); code != 0) return code;
    if (got == 0) break;
    size_t written = 0;
    if (const uint32_t code = target.Write(block.get(), got, written); code != 0) return code;
  }
  if (const uint32_t code = target.SetSize(size); code != 0) return code;
  return target.Close();
}

}  // namespace stravener
