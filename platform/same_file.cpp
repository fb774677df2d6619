#if defined(_WIN32)
#include <windows.h>
#endif

#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/utf8_path.h"

namespace stravener {

namespace {

// The path made absolute, with every link and "." or ".." of the part that exists resolved.
std::filesystem::path Resolved(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path.lexically_normal();
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

bool SameName(const std::filesystem::path& a, const std::filesystem::path& b) {
#if defined(_WIN32)
  // Windows names are one in any letter case, Polish letters included.
  const std::wstring& wa = a.native();
  const std::wstring& wb = b.native();
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
#else
  return a == b;
#endif
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  const std::filesystem::path pa = PathFromUtf8(a);
  const std::filesystem::path pb = PathFromUtf8(b);
  if (pa.empty() || pb.empty()) return false;
  std::error_code error;
  const bool same = std::filesystem::equivalent(pa, pb, error);
  if (!error) return same;
  // Neither exists yet (or the system will not say): the names decide.
  return SameName(Resolved(pa), Resolved(pb));
}

}  // namespace stravener
