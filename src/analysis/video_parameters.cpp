#include "analysis/video_parameters.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "analysis/stream_model.h"
#include "common/ascii_case.h"
#include "platform/files.h"

namespace clipwright {
namespace {

// x264 and x265 write their settings into the first frame, well within the file's start.
constexpr std::size_t kSettingsSearched = 4 * 1024 * 1024;

// The encoder's profile name for the one FFmpeg shows; empty for one it does not make.
std::string ProfileFor(std::string_view codec, std::string_view shown) {
  static const std::map<std::string_view, std::string_view> h264 = {
      {"Constrained Baseline", "baseline"}, {"Baseline", "baseline"}, {"Main", "main"}, {"High", "high"},
      {"High 10", "high10"}, {"High 4:2:2", "high422"}, {"High 4:4:4 Predictive", "high444"}};
  static const std::map<std::string_view, std::string_view> hevc = {
      {"Main", "main"}, {"Main 10", "main10"}, {"Rext", ""}, {"Main Still Picture", "mainstillpicture"}};
  const auto& names = codec == "h264" ? h264 : hevc;
  const auto found = names.find(shown);
  return found == names.end() ? std::string() : std::string(found->second);
}

// The words in the first "(…)" of `field`, and what follows it.
std::string_view Bracketed(std::string_view field, std::size_t* after = nullptr) {
  const std::size_t open = field.find('(');
  const std::size_t close = open == std::string_view::npos ? open : field.find(')', open);
  if (close == std::string_view::npos) return {};
  if (after != nullptr) *after = close + 1;
  return field.substr(open + 1, close - open - 1);
}

// The settings that shape the parameter sets and the GOPs, under the names the encoder's
// parameter option takes, with the value each has when not given (the encoders' medium preset):
// only those that differ are passed, for the commands stay within their length limit.
struct Setting {
  const char* stored;
  const char* name;
  const char* default_value;
};

constexpr Setting kX264Settings[] = {{"cabac", "cabac", "1"},     {"ref", "ref", "3"},
                                     {"8x8dct", "8x8dct", "1"},   {"bframes", "bframes", "3"},
                                     {"weightb", "weightb", "1"}, {"weightp", "weightp", "2"},
                                     {"keyint", "keyint", ""},    {"constrained_intra", "constrained-intra", "0"},
                                     {"b_pyramid", "b-pyramid", "2"}};
constexpr Setting kX265Settings[] = {
    {"ref", "ref", "3"},       {"bframes", "bframes", "4"},   {"keyint", "keyint", ""},
    {"min-keyint", "min-keyint", ""}, {"b-pyramid", "b-pyramid", "1"}, {"weightp", "weightp", "1"},
    {"weightb", "weightb", "0"}, {"sao", "sao", "1"},         {"amp", "amp", "0"},
    {"rect", "rect", "0"},     {"signhide", "signhide", "1"}, {"tskip", "tskip", "0"},
    {"strong-intra-smoothing", "strong-intra-smoothing", "1"}, {"temporal-mvp", "temporal-mvp", "1"},
    {"constrained-intra", "constrained-intra", "0"}, {"wpp", "wpp", "1"}, {"ctu", "ctu", "64"},
    {"min-cu-size", "min-cu-size", "8"}, {"max-tu-size", "max-tu-size", "32"}};

template <std::size_t N>
void AddSettings(const std::map<std::string, std::string>& found, const Setting (&table)[N],
                 std::vector<std::string>& settings) {
  static const char* const kPyramid[] = {"none", "strict", "normal"};
  for (const Setting& setting : table) {
    const auto value = found.find(setting.stored);
    if (value == found.end() || value->second == setting.default_value) continue;
    std::string text = value->second;
    // x264 takes its pyramid by name.
    if (std::string_view(setting.stored) == "b_pyramid") {
      if (text.size() != 1 || text[0] < '0' || text[0] > '2') continue;
      text = kPyramid[text[0] - '0'];
    }
    settings.push_back(std::string(setting.name) + "=" + text);
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> EncoderSettingsIn(std::string_view bytes, std::string_view codec) {
  std::vector<std::pair<std::string, std::string>> settings;
  const std::string_view mark = codec == "h264" ? "x264 - core " : "x265 (build ";
  const std::size_t at = bytes.find(mark);
  const std::size_t options = at == std::string_view::npos ? at : bytes.find("options: ", at);
  if (options == std::string_view::npos || options - at > 1024) return settings;
  std::string_view text = bytes.substr(options + 9);
  text = text.substr(0, std::min(text.find('\0'), std::size_t{16384}));
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (word.empty()) continue;
    const std::size_t equals = word.find('=');
    if (equals != std::string_view::npos) {
      settings.emplace_back(std::string(word.substr(0, equals)), std::string(word.substr(equals + 1)));
    } else if (word.starts_with("no-")) {
      settings.emplace_back(std::string(word.substr(3)), "0");
    } else {
      settings.emplace_back(std::string(word), "1");
    }
  }
  return settings;
}

std::optional<VideoParameters> ReadVideoParameters(const std::string& path, std::string_view stream_line) {
  const std::vector<std::string_view> fields = StreamLineFields(stream_line);
  if (fields.size() < 2 || StreamKindOf(stream_line) != StreamKind::kVideo) return std::nullopt;
  VideoParameters video;
  video.codec = std::string(FirstWord(fields[0]));
  if (video.codec != "h264" && video.codec != "hevc") return std::nullopt;
  std::size_t after = 0;
  video.profile = ProfileFor(video.codec, Bracketed(fields[0], &after));
  const std::string_view tag = Bracketed(fields[0].substr(after));
  video.tag = std::string(tag.substr(0, tag.find(" / ")));
  if (video.profile.empty()) return std::nullopt;
  video.pixel_format = std::string(FirstWord(fields[1]));
  const std::string_view details = Bracketed(fields[1]);
  if (details.find("top first") != std::string_view::npos || details.find("bottom first") != std::string_view::npos) {
    return std::nullopt;
  }
  // The full-range "yuvj" formats are left out: a re-encoded piece would come out limited-range.
  static const char* const kFormats[] = {"yuv420p", "yuv422p", "yuv444p", "yuv420p10le", "yuv422p10le", "yuv444p10le"};
  if (std::find(std::begin(kFormats), std::end(kFormats), video.pixel_format) == std::end(kFormats)) {
    return std::nullopt;
  }
  for (const std::string_view field : fields) {
    // "12800 tbn", also with " (default)" after it on the last field.
    const std::string_view number = field.substr(0, field.find(' '));
    if (field.substr(number.size()).substr(0, 4) != " tbn") continue;
    // "90k tbn" for the rounder time bases.
    int value = 0;
    for (const char c : number) value = c >= '0' && c <= '9' ? value * 10 + (c - '0') : (c == 'k' ? value * 1000 : value);
    video.timescale = value;
  }

  std::string bytes;
  if (!platform::ReadFileStart(path, kSettingsSearched, &bytes)) return std::nullopt;
  std::map<std::string, std::string> found;
  for (auto& [key, value] : EncoderSettingsIn(bytes, video.codec)) found.emplace(key, value);
  const auto open_gop = found.find(video.codec == "h264" ? "open_gop" : "open-gop");
  if (open_gop != found.end() && open_gop->second != "0") return std::nullopt;
  const auto count = [&](const char* key) -> std::optional<int> {
    const auto setting = found.find(key);
    if (setting == found.end()) return std::nullopt;
    const std::string& text = setting->second;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 16) return std::nullopt;
    return value;
  };
  const std::optional<int> b_frames = count("bframes");
  const std::optional<int> references = count("ref");
  if (open_gop != found.end() && b_frames && references) {
    video.closed_gops = VideoParameters::ClosedGops{*b_frames, std::max(*references, 1)};
  }
  const auto interlaced = found.find(video.codec == "h264" ? "interlaced" : "interlace");
  if (interlaced != found.end() && interlaced->second != "0") return std::nullopt;
  if (video.codec == "h264") {
    AddSettings(found, kX264Settings, video.settings);
  } else {
    AddSettings(found, kX265Settings, video.settings);
  }
  return video;
}

std::vector<std::string> EncoderArguments(const VideoParameters& video) {
  const bool h264 = video.codec == "h264";
  std::vector<std::string> arguments = {"-c:v", h264 ? "libx264" : "libx265", "-profile:v", video.profile,
                                        "-pix_fmt", video.pixel_format};
  // Well above what the eye tells apart; the pieces are a few seconds each.
  arguments.insert(arguments.end(), {"-crf", h264 ? "16" : "14"});
  std::string settings;
  for (const std::string& setting : video.settings) settings += (settings.empty() ? "" : ":") + setting;
  // x264 then measures each frame it makes against the frame it was given.
  if (h264) settings += (settings.empty() ? "" : ":") + std::string("psnr=1");
  if (!settings.empty()) arguments.insert(arguments.end(), {h264 ? "-x264-params" : "-x265-params", settings});
  if (!video.tag.empty() && (video.tag == "hvc1" || video.tag == "hev1" || video.tag == "avc1" || video.tag == "avc3")) {
    arguments.insert(arguments.end(), {"-tag:v", video.tag});
  }
  return arguments;
}

}  // namespace clipwright
