// Keyframe pictures as the split page waits for them: wanted, and when one is still coming, its
// ready notice waited for.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "analysis/keyframe_pictures.h"

namespace clipwright::testing {

class PictureWatch {
 public:
  // Takes the store's ready notice, which is set once, before any video.
  explicit PictureWatch(KeyframePictures& pictures);
  // Clears the store first: its thread must not tell a watch that is gone.
  ~PictureWatch();
  PictureWatch(const PictureWatch&) = delete;
  PictureWatch& operator=(const PictureWatch&) = delete;

  // Keyframe k's picture, made if need be (waiting at most 60 s); null when there is none.
  std::shared_ptr<const Picture> Show(std::uint32_t k);

 private:
  KeyframePictures& pictures_;
  std::mutex mutex_;
  std::condition_variable came_;
  int notices_ = 0;
};

}  // namespace clipwright::testing
