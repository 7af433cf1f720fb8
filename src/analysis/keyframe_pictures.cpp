#include "analysis/keyframe_pictures.h"

#include <algorithm>

#include "platform/temp_folder.h"
#include "tools/analysis_result.h"

namespace clipwright {

KeyframePictures::~KeyframePictures() { Clear(); }

void KeyframePictures::SetReadyNotice(std::function<void()> notice) {
  std::lock_guard lock(mutex_);
  notice_ = std::move(notice);
}

void KeyframePictures::Clear() {
  std::thread maker;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    abort_ = 1;
    maker = std::move(maker_);
  }
  work_.notify_all();
  if (maker.joinable()) maker.join();
  std::lock_guard lock(mutex_);
  held_.clear();
  bytes_ = 0;
  failed_.clear();
  wanted_.reset();
  making_.reset();
  stop_ = false;
  abort_ = 0;
  source_ = {};
  files_.clear();
  from_files_ = false;
  if (!folder_.empty()) platform::RemoveTempFolder(folder_);
  folder_.clear();
}

void KeyframePictures::Open(PictureSource source, std::string folder) {
  Clear();
  std::lock_guard lock(mutex_);
  source_ = std::move(source);
  folder_ = std::move(folder);
}

void KeyframePictures::OpenFiles(std::vector<std::string> files, std::string folder, PictureSource source) {
  Clear();
  std::lock_guard lock(mutex_);
  source_ = std::move(source);
  files_ = std::move(files);
  from_files_ = true;
  folder_ = std::move(folder);
}

int KeyframePictures::MakeNow(std::uint32_t k, const std::atomic<int>& abort) {
  Picture picture;
  const int verdict = MakeKeyframePicture(source_, k, FileOf(k), abort, &picture);
  std::lock_guard lock(mutex_);
  Settle(k, verdict, std::move(picture));
  return verdict;
}

KeyframePictures::Wanted KeyframePictures::Want(std::uint32_t k) {
  std::lock_guard lock(mutex_);
  wanted_ = k;
  const bool missing = Exists(k) && !Settled(k);
  if (from_files_ && (k & kFrame) == 0) {
    if (missing) {
      // A file of the decoding scan's own folder: read at once, it takes no time to speak of.
      std::optional<Picture> picture = ReadBmpFile(files_[k]);
      Settle(k, picture ? VERDICT_SUCCESS : VERDICT_FAILURE, picture ? std::move(*picture) : Picture{});
    }
  } else if (NextToMake()) {
    // Only the picture wanted last matters; one being made for an earlier move gives way.
    if (missing && making_ && *making_ != k) abort_ = 1;
    if (!maker_.joinable()) maker_ = std::thread(&KeyframePictures::Run, this);
    work_.notify_one();
  }
  return StateOf(k);
}

KeyframePictures::Wanted KeyframePictures::LastWanted() {
  std::lock_guard lock(mutex_);
  return wanted_ ? StateOf(*wanted_) : Wanted{};
}

std::shared_ptr<const Picture> KeyframePictures::Of(std::uint32_t k) const {
  std::lock_guard lock(mutex_);
  const auto held = held_.find(k);
  return held == held_.end() ? nullptr : held->second.picture;
}

std::size_t KeyframePictures::Bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

std::uint32_t KeyframePictures::Count() const {
  return static_cast<std::uint32_t>(from_files_ ? files_.size() : source_.keyframe_times.size());
}

bool KeyframePictures::Exists(std::uint32_t k) const {
  // A frame's picture needs the time of the frame after it too.
  return (k & kFrame) != 0 ? (k & ~kFrame) + 1 < source_.frame_times.size() : k < Count();
}

bool KeyframePictures::Settled(std::uint32_t k) const { return held_.contains(k) || failed_.contains(k); }

KeyframePictures::Wanted KeyframePictures::StateOf(std::uint32_t k) {
  const auto held = held_.find(k);
  if (held != held_.end()) {
    held->second.used = ++uses_;
    return {State::kReady, held->second.picture};
  }
  return {Exists(k) && !failed_.contains(k) ? State::kComing : State::kNone, nullptr};
}

void KeyframePictures::Keep(std::uint32_t k, Picture picture) {
  bytes_ += picture.rows.size();
  held_[k] = {std::make_shared<const Picture>(std::move(picture)), ++uses_};
  while (bytes_ > kBudgetBytes && held_.size() > 1) {
    auto oldest = held_.end();
    for (auto at = held_.begin(); at != held_.end(); ++at) {
      if (at->first != wanted_ && (oldest == held_.end() || at->second.used < oldest->second.used)) oldest = at;
    }
    if (oldest == held_.end()) break;
    bytes_ -= oldest->second.picture->rows.size();
    held_.erase(oldest);
  }
}

void KeyframePictures::Settle(std::uint32_t k, int verdict, Picture picture) {
  if (verdict == VERDICT_SUCCESS) Keep(k, std::move(picture));
  // An aborted picture is made again when it is wanted again.
  if (verdict == VERDICT_FAILURE) failed_.insert(k);
}

std::optional<std::uint32_t> KeyframePictures::NextToMake() const {
  if (!wanted_) return std::nullopt;
  // The picture wanted, then the ones a step either way, which the user is likely to go to next.
  const std::int64_t k = *wanted_;
  for (const std::int64_t candidate : {k, k + 1, k - 1}) {
    // A step from frame 0 down gives no keyframe: its number is beyond them all. The decoding
    // scan's keyframe pictures are files already, never made.
    const auto key = static_cast<std::uint32_t>(candidate);
    if (from_files_ && (key & kFrame) == 0) continue;
    if (candidate >= 0 && Exists(key) && !Settled(key)) {
      return static_cast<std::uint32_t>(candidate);
    }
  }
  return std::nullopt;
}

std::string KeyframePictures::FileOf(std::uint32_t k) const {
  return folder_ + ((k & kFrame) != 0 ? "frame" + std::to_string(k & ~kFrame) : "keyframe" + std::to_string(k)) + ".bmp";
}

void KeyframePictures::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::optional<std::uint32_t> next;
    work_.wait(lock, [&] { return stop_ || (next = NextToMake()).has_value(); });
    if (stop_) return;
    making_ = next;
    abort_ = 0;
    const std::string file = FileOf(*next);
    lock.unlock();
    Picture picture;
    const int verdict = (*next & kFrame) != 0 ? MakeFramePicture(source_, *next & ~kFrame, file, abort_, &picture)
                                              : MakeKeyframePicture(source_, *next, file, abort_, &picture);
    lock.lock();
    making_.reset();
    if (stop_) return;
    Settle(*next, verdict, std::move(picture));
    if (verdict != VERDICT_ABORTED && wanted_ == next && notice_) {
      const std::function<void()> notice = notice_;
      lock.unlock();
      notice();
      lock.lock();
    }
  }
}

}  // namespace clipwright
