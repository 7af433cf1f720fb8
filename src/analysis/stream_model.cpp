#include "analysis/stream_model.h"

#include <array>
#include <utility>

namespace clipwright {

StreamKind StreamKindOf(std::string_view line) {
  static constexpr std::array<std::pair<std::string_view, StreamKind>, 5> kKinds = {{
      {": Video:", StreamKind::kVideo},
      {": Audio:", StreamKind::kAudio},
      {": Subtitle:", StreamKind::kSubtitle},
      {": Data:", StreamKind::kData},
      {": Attachment:", StreamKind::kAttachment},
  }};
  // The first kind named after the stream's number; a title tag further on names nothing.
  std::size_t first = std::string_view::npos;
  StreamKind kind = StreamKind::kUnknown;
  for (const auto& [word, named] : kKinds) {
    const std::size_t at = line.find(word);
    if (at < first) {
      first = at;
      kind = named;
    }
  }
  return kind;
}

bool IsAttachedPicture(std::string_view line) { return line.find("(attached pic)") != std::string_view::npos; }

}  // namespace clipwright
