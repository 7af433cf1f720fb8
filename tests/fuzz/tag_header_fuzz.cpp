// The ID3v2 tag reader on any file start: the length it finds always lies within the bytes, and
// what follows it starts with no further tag.
#include <cstdint>
#include <string_view>

#include "jobs/tag_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t length = clipwright::TagHeaderLength(bytes);
  if (length > bytes.size()) __builtin_trap();
  if (length > 0 && clipwright::TagHeaderLength(bytes.substr(length)) != 0) __builtin_trap();
  return 0;
}
