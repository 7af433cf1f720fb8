// Text conversions. Everything inside the program is UTF-8; UTF-16 exists only at the Windows API
// and in the limits the user can see, which are counted in UTF-16 code units.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace clipwright::platform {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Number of UTF-16 code units of a UTF-8 text (a character outside the BMP counts two).
std::size_t Utf16Length(std::string_view utf8);

bool IsValidUtf8(std::string_view bytes);

// Tool output to UTF-8: valid UTF-8 stays as it is; anything else is decoded from the system
// ANSI code page on Windows, and has its invalid bytes replaced by U+FFFD on POSIX.
std::string DecodeToolOutput(std::string_view bytes);

}  // namespace clipwright::platform

namespace clipwright::platform {
// Valid sequences unchanged, every invalid byte replaced by U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view bytes);
}  // namespace clipwright::platform
