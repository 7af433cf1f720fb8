// The pictures of a video's keyframes, as the split page shows them while its trackbars move.
// The page asks only for "the picture of keyframe k", so how the pictures are kept can change
// without the page knowing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialog.h"

namespace clipwright {

class KeyframePictures {
 public:
  // Forgets every picture.
  void Clear();
  // Keeps `picture` as the picture of keyframe k.
  void Put(std::uint32_t k, Picture picture);
  // The picture of keyframe k; null when it has none.
  const Picture* Of(std::uint32_t k) const;
  // Bytes of pixel rows held.
  std::size_t Bytes() const;

 private:
  std::vector<std::optional<Picture>> pictures_;
};

// The pixel rows of a BMP file as FFmpeg writes it (uncompressed, 24 bits per pixel); nothing
// when the bytes are no such file, or are cut short.
std::optional<Picture> ReadBmp(std::string_view bytes);

// Reads the BMP file at `path` into picture k of `pictures`; false, and keyframe k has no
// picture, when it cannot be read.
bool LoadThumbnail(KeyframePictures& pictures, const std::string& path, std::uint32_t k);

}  // namespace clipwright
