#include "jobs/tag_header.h"

#include "platform/files.h"

namespace clipwright {
namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kFooterSize = 10;
constexpr unsigned char kFooterFlag = 0x10;

// Length of the one tag at `offset`, or 0.
std::size_t OneTagLength(std::string_view bytes, std::size_t offset) {
  if (bytes.size() - offset < kHeaderSize || bytes.compare(offset, 3, "ID3") != 0) return 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[offset + k]); };
  if (byte(3) == 0xFF || byte(4) == 0xFF) return 0;
  std::size_t body = 0;
  for (std::size_t k = 6; k < 10; ++k) {
    if (byte(k) > 0x7F) return 0;
    body = (body << 7) | byte(k);
  }
  std::size_t length = kHeaderSize + body;
  if (byte(3) == 4 && (byte(5) & kFooterFlag) != 0) length += kFooterSize;
  return length <= bytes.size() - offset ? length : 0;
}

}  // namespace

std::size_t TagHeaderLength(std::string_view bytes) {
  std::size_t total = 0;
  while (const std::size_t length = OneTagLength(bytes, total)) total += length;
  return total;
}

bool StripTagHeader(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, &bytes) || bytes.size() < kSmallestStrippableFile) return false;
  const std::size_t tag = TagHeaderLength(bytes);
  if (tag == 0) return true;
  // The new file's name is taken by creating it, so that nothing of anyone else's is written.
  std::string fresh;
  for (int counter = 1;; ++counter) {
    fresh = path + ".strip" + std::to_string(counter);
    const platform::NewFile taken = platform::CreateNewFile(fresh);
    if (taken == platform::NewFile::kCreated) break;
    if (taken == platform::NewFile::kFailed) return false;
  }
  if (!platform::WriteWholeFile(fresh, std::string_view(bytes).substr(tag))) {
    platform::DeleteFileForced(fresh);
    return false;
  }
  if (!platform::DeleteFileForced(path)) {
    platform::DeleteFileForced(fresh);
    return false;
  }
  return platform::RenameFile(fresh, path);
}

}  // namespace clipwright
