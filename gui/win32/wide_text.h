#pragma once

#include <string>

namespace stravener::win32 {

// The program's texts are UTF-8; the window system takes and gives UTF-16 (the W calls),
// so Polish letters show whatever the system's 8-bit code page is.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text, size_t length);

}  // namespace stravener::win32
