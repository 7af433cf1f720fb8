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

std::vector<std::string_view> StreamLineFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (const std::string_view kind : {": Video: ", ": Audio: "}) {
    const std::size_t at = line.find(kind);
    if (at == std::string_view::npos) continue;
    line.remove_prefix(at + kind.size());
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '(' || line[i] == '[') ++depth;
      if ((line[i] == ')' || line[i] == ']') && depth > 0) --depth;
      if (line[i] == ',' && depth == 0) {
        fields.push_back(line.substr(start, i - start));
        start = i + 2 <= line.size() ? i + 2 : line.size();
      }
    }
    fields.push_back(line.substr(start));
    break;
  }
  return fields;
}

bool IsAttachedPicture(std::string_view line) { return line.find("(attached pic)") != std::string_view::npos; }

}  // namespace clipwright
