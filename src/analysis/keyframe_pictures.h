// The pictures of a video's keyframes, as the split page shows them while its trackbars move.
// A picture is made when it is first wanted, on a thread of the store's own, and kept in a small
// cache; so opening a long video does not wait for its pictures, and the memory they take does
// not grow with the number of keyframes. The page asks only for "the picture of keyframe k", so
// how the pictures are kept can change without the page knowing.
//
// The maker thread is the one exception to "at most one worker, started by the progress dialog":
// a modal dialog for every trackbar move would make the page unusable. It touches nothing but
// this store (under its lock) and its own FFmpeg run, and tells the page through a notice that
// only posts a message. Clear ends its FFmpeg and waits for it, so no picture outlives the video
// it belongs to, the page or the program.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "analysis/keyframe_picture.h"

namespace clipwright {

class KeyframePictures {
 public:
  enum class State {
    kReady,   // here it is
    kComing,  // being made; the notice comes when it is ready
    kNone,    // keyframe k has no picture (the end of the video, or one that cannot be made)
  };
  struct Wanted {
    State state = State::kNone;
    std::shared_ptr<const Picture> picture;  // kReady only
  };

  // Pictures are forgotten, oldest use first, once they take more than this; the one wanted
  // last always stays. About 70 pictures of a 16:9 video.
  static constexpr std::size_t kBudgetBytes = std::size_t{16} << 20;

  KeyframePictures() = default;
  ~KeyframePictures();
  KeyframePictures(const KeyframePictures&) = delete;
  KeyframePictures& operator=(const KeyframePictures&) = delete;

  // How the page hears that the picture it wants last is ready (or cannot be made). It is called
  // on the maker thread, so it must do no more than post a message. Set once, before any video.
  void SetReadyNotice(std::function<void()> notice);

  // Ends the making of a picture (its FFmpeg is stopped and waited for), forgets every picture
  // and removes the video's folder. Afterwards nothing of the video is running or on disk.
  void Clear();
  // A newly scanned video whose pictures FFmpeg makes when wanted, into `folder`: a folder of
  // the scan's own, which the store owns from now on and removes when it is cleared.
  void Open(PictureSource source, std::string folder);
  // A video whose pictures the decoding scan has written, one file per keyframe (empty: none),
  // all in `folder`, which the store owns from now on; the pictures of other frames are made
  // from `source`.
  void OpenFiles(std::vector<std::string> files, std::string folder, PictureSource source = {});

  // Makes picture k on the calling thread (the analysis worker, before the page shows the
  // video); a RunVerdict.
  int MakeNow(std::uint32_t k, const std::atomic<int>& abort);

  // The page is to show keyframe k's picture: it is ready, coming, or there is none. A picture
  // being made for another keyframe is given up, and the neighbours of k are made after it.
  Wanted Want(std::uint32_t k);
  // The pictures of frames share the store with those of keyframes, under this mark.
  static constexpr std::uint32_t kFrame = std::uint32_t{1} << 31;
  // The same for frame `frame` of the video, keyframe or not (the range stepping frame by frame).
  Wanted WantFrame(std::uint32_t frame) { return Want(kFrame | frame); }
  // After the notice: the state of the picture wanted last.
  Wanted LastWanted();

  // The picture of keyframe k when it is held; null otherwise (nothing is made).
  std::shared_ptr<const Picture> Of(std::uint32_t k) const;
  // Bytes of pixel rows held.
  std::size_t Bytes() const;

 private:
  bool Exists(std::uint32_t k) const;

  struct Held {
    std::shared_ptr<const Picture> picture;
    std::uint64_t used = 0;
  };

  // The rest run with the lock held.
  std::uint32_t Count() const;
  bool Settled(std::uint32_t k) const;
  Wanted StateOf(std::uint32_t k);
  void Keep(std::uint32_t k, Picture picture);
  void Settle(std::uint32_t k, int verdict, Picture picture);
  std::optional<std::uint32_t> NextToMake() const;
  std::string FileOf(std::uint32_t k) const;

  void Run();  // the maker thread

  mutable std::mutex mutex_;
  std::condition_variable work_;
  std::thread maker_;
  std::function<void()> notice_;
  // What the video's pictures are made from. Changed only while no maker runs, so the maker
  // reads them without the lock.
  PictureSource source_;
  std::vector<std::string> files_;
  bool from_files_ = false;
  std::string folder_;
  std::map<std::uint32_t, Held> held_;
  std::size_t bytes_ = 0;
  std::set<std::uint32_t> failed_;
  std::optional<std::uint32_t> wanted_;
  std::optional<std::uint32_t> making_;
  std::uint64_t uses_ = 0;
  bool stop_ = false;
  std::atomic<int> abort_{0};
};

}  // namespace clipwright
