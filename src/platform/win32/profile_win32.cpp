// Profile through the platform's own profile functions.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/win32/wide.h"

namespace clipwright::platform {
namespace {

// The profile functions look for a bare file name in the Windows folder, so the path is made
// full first: the file that is read is then the file that is prepared and written.
std::wstring FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return wide;
  full.resize(written);
  return full;
}

// The profile functions write a file in the encoding they find it in, and a file they create
// in the ANSI code page, where Japanese keys turn into question marks on other systems and
// collide. A file that holds nothing but a UTF-16LE byte-order mark makes them write Unicode.
void PrepareUnicodeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart == 0) {
    static constexpr unsigned char kMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, kMark, sizeof kMark, &written, nullptr);
  }
  CloseHandle(file);
}

}  // namespace

Profile::Profile(std::string path) : path_(std::move(path)) {}

std::string Profile::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                               std::size_t capacity) const {
  if (capacity == 0) return {};
  // The value is read into a buffer that grows up to the capacity, so that a small capacity
  // costs nothing and a large one is not reserved up front. A result of size - 1 units means
  // "cut off"; size - 2 can mean it too, when enclosing quotes were removed from a cut value.
  const std::size_t limit = std::min<std::size_t>(capacity, 0x7FFFFFFF);
  const std::wstring file = FullPath(path_);
  const std::wstring wide_section = Widen(section);
  const std::wstring wide_key = Widen(key);
  const std::wstring wide_fallback = Widen(fallback);
  std::vector<wchar_t> buffer;
  std::size_t size = std::min<std::size_t>(limit, 1024);
  DWORD length = 0;
  for (;;) {
    buffer.assign(size, L'\0');
    length = GetPrivateProfileStringW(wide_section.c_str(), wide_key.c_str(), wide_fallback.c_str(), buffer.data(),
                                      static_cast<DWORD>(size), file.c_str());
    if (length + 2 < size || size == limit) break;
    size = std::min(limit, size * 2);
  }
  // A pair of surrogates cut in two loses its first half rather than leaving it alone.
  if (length > 0 && length + 1 == size && buffer[length - 1] >= 0xD800 && buffer[length - 1] <= 0xDBFF) --length;
  return Narrow(std::wstring_view(buffer.data(), length));
}

int Profile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  return static_cast<int>(GetPrivateProfileIntW(Widen(section).c_str(), Widen(key).c_str(), fallback,
                                                FullPath(path_).c_str()));
}

bool Profile::GetStruct(std::string_view section, std::string_view key, void* data, std::size_t size) const {
  // Read into a copy: the platform fills the buffer as it decodes, before it has seen the checksum.
  std::vector<unsigned char> copy(size + 1);
  if (!GetPrivateProfileStructW(Widen(section).c_str(), Widen(key).c_str(), copy.data(), static_cast<UINT>(size),
                                FullPath(path_).c_str())) {
    return false;
  }
  std::copy_n(copy.begin(), size, static_cast<unsigned char*>(data));
  return true;
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::wstring file = FullPath(path_);
  PrepareUnicodeFile(file);
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(), file.c_str()) !=
         0;
}

bool Profile::WriteStruct(std::string_view section, std::string_view key, const void* data, std::size_t size) {
  const std::wstring file = FullPath(path_);
  PrepareUnicodeFile(file);
  return WritePrivateProfileStructW(Widen(section).c_str(), Widen(key).c_str(), const_cast<void*>(data),
                                    static_cast<UINT>(size), file.c_str()) != 0;
}

}  // namespace clipwright::platform
