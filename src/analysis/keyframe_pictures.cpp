#include "analysis/keyframe_pictures.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace clipwright {
namespace {

std::uint32_t ReadLittleEndian32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

std::uint16_t ReadLittleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// File header (14 bytes) and the info header's fields up to the compression (30 more).
constexpr std::size_t kHeaderBytes = 14 + 20;

}  // namespace

void KeyframePictures::Clear() { pictures_.clear(); }

void KeyframePictures::Put(std::uint32_t k, Picture picture) {
  if (pictures_.size() <= k) pictures_.resize(static_cast<std::size_t>(k) + 1);
  pictures_[k] = std::move(picture);
}

const Picture* KeyframePictures::Of(std::uint32_t k) const {
  return k < pictures_.size() && pictures_[k] ? &*pictures_[k] : nullptr;
}

std::size_t KeyframePictures::Bytes() const {
  std::size_t bytes = 0;
  for (const auto& picture : pictures_) bytes += picture ? picture->rows.size() : 0;
  return bytes;
}

std::optional<Picture> ReadBmp(std::string_view bytes) {
  if (bytes.size() < kHeaderBytes || bytes.substr(0, 2) != "BM") return std::nullopt;
  const std::uint32_t offset = ReadLittleEndian32(bytes, 10);
  const auto width = static_cast<std::int32_t>(ReadLittleEndian32(bytes, 18));
  const auto height = static_cast<std::int32_t>(ReadLittleEndian32(bytes, 22));
  const std::uint16_t bits = ReadLittleEndian16(bytes, 28);
  const std::uint32_t compression = ReadLittleEndian32(bytes, 30);
  // Widths past this could not be shown anyway, and keep the sizes below far from overflowing.
  constexpr std::int32_t kSideLimit = 1 << 15;
  if (bits != 24 || compression != 0 || width <= 0 || width > kSideLimit || height == 0 || height < -kSideLimit ||
      height > kSideLimit) {
    return std::nullopt;
  }
  const std::size_t size = PictureRowBytes(width) * static_cast<std::size_t>(std::abs(height));
  if (offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
  Picture picture{width, height, {}};
  picture.rows.assign(bytes.begin() + offset, bytes.begin() + offset + static_cast<std::ptrdiff_t>(size));
  return picture;
}

bool LoadThumbnail(KeyframePictures& pictures, const std::string& path, std::uint32_t k) {
  std::string bytes;
  std::optional<Picture> picture;
  if (platform::ReadWholeFile(path, &bytes)) picture = ReadBmp(bytes);
  if (!picture) return false;
  pictures.Put(k, std::move(*picture));
  return true;
}

}  // namespace clipwright
