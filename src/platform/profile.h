// An initialisation file: sections in brackets and key=value lines. On Windows the platform's
// profile functions; on POSIX a reader and writer of the same format.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace clipwright::platform {

class Profile {
 public:
  explicit Profile(std::string path);

  // At most capacity - 1 UTF-16 units of the value are returned, as a buffer of `capacity`
  // characters would hold them.
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                        std::size_t capacity = 260) const;
  int GetInt(std::string_view section, std::string_view key, int fallback) const;
  // A struct value as the platform writes it: two hex digits per byte, then a checksum byte.
  // False when the key is missing, the length differs or the checksum is wrong.
  bool GetStruct(std::string_view section, std::string_view key, void* data, std::size_t size) const;

  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteStruct(std::string_view section, std::string_view key, const void* data, std::size_t size);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace clipwright::platform
