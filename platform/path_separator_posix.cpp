#include "platform/path_separator.h"

namespace stravener {

const char kPathSeparator = '/';

bool IsPathSeparator(char c) { return c == '/'; }

}  // namespace stravener
