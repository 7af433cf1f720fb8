// What the fuzz targets share: the first bytes of an input choose how the rest is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace clipwright::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : bytes_(reinterpret_cast<const char*>(data), size) {}

  // The next byte, or 0 when none is left.
  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return byte;
  }
  // Everything not taken yet.
  std::string_view Rest() const { return bytes_; }

 private:
  std::string_view bytes_;
};

}  // namespace clipwright::fuzz
