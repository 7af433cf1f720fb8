// Removal of the ID3v2 tag that FFmpeg writes at the start of an MP3 file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace clipwright {

// Files of this size or less are never rewritten.
inline constexpr std::size_t kSmallestStrippableFile = 21;

// Bytes taken by the ID3v2 tags at the start of `bytes`, one after another: each a 10-byte header
// "ID3", version, revision, flags and a synchsafe size, its body, and a 10-byte footer when a
// version-4 tag sets the footer flag. A header with a size byte above 0x7F, a version or
// revision of 0xFF, or a size past the end of the bytes is not a tag. 0 when there is none.
std::size_t TagHeaderLength(std::string_view bytes);

// Rewrites the file without its leading ID3v2 tags. True when the file now starts without a tag
// (also when it had none and was left untouched); false when it could not be read or rewritten,
// or holds fewer than kSmallestStrippableFile bytes, and is then unchanged. The rest is written
// to a new file beside it, which then takes the original's place in one step: the file is never
// missing under its name, and a failed write loses nothing. A working file that could not be
// removed again is added to `left_behind`.
bool StripTagHeader(const std::string& path, std::vector<std::string>* left_behind = nullptr);

}  // namespace clipwright
