// What the volume tests judge an output by: AACGain's own analysis of it, whether FFmpeg decodes
// it, and what a folder holds.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace clipwright::testing {

// The gain in 1.5 dB steps that the real AACGain recommends for `file` at a target of 100 dB
// ("/d 11"), analysed from a copy with an ASCII name in a folder of its own (an MP4 stream copy
// for raw AAC, which AACGain does not read); nullopt when it recommends none.
std::optional<int> Recommendation(const std::string& file);

// The gain of the job's "ファイルにMP3ゲイン[n]を適用中です..." statuses, in order.
std::vector<int> AppliedGains(const std::vector<std::string>& statuses);

// FFmpeg decodes the whole file without an error.
bool Decodes(const std::string& file);

// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

std::string FileBytes(const std::string& path);

// An MP3 of `seconds` of a tone with an ID3v2.3 tag that holds a title and a cover picture.
bool MakeTaggedMp3(const std::string& path, double seconds);

}  // namespace clipwright::testing
