#include "support/picture_watch.h"

#include <chrono>

namespace clipwright::testing {

PictureWatch::PictureWatch(KeyframePictures& pictures) : pictures_(pictures) {
  pictures_.SetReadyNotice([this] {
    std::lock_guard lock(mutex_);
    ++notices_;
    came_.notify_all();
  });
}

PictureWatch::~PictureWatch() { pictures_.Clear(); }

std::shared_ptr<const Picture> PictureWatch::Show(std::uint32_t k) {
  std::unique_lock lock(mutex_);
  const int before = notices_;
  lock.unlock();
  KeyframePictures::Wanted wanted = pictures_.Want(k);
  if (wanted.state == KeyframePictures::State::kComing) {
    lock.lock();
    came_.wait_for(lock, std::chrono::seconds(60), [&] { return notices_ > before; });
    lock.unlock();
    wanted = pictures_.LastWanted();
  }
  return wanted.state == KeyframePictures::State::kReady ? wanted.picture : nullptr;
}

}  // namespace clipwright::testing
