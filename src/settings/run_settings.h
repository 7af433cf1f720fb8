// What a run takes from the settings page (and the page that starts it), read once when its run
// button is pressed: the tools, the general FFmpeg options, and the choices about its files.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace clipwright {

// The general FFmpeg options of the settings page, in the order they are written: entries 0
// ("-y") to 17 (the bitexact flags). A convert takes them all, the copy operations those from
// kCopyOptionsFirst, the volume job's copies the metadata ones from kMetadataOptionsFirst.
inline constexpr int kGeneralOptionCount = 18;
// "-y" and "-n": every output is a file the run has just made for itself, which FFmpeg is always
// told to write over, so these two are never passed on ("-n" would make FFmpeg refuse its own file).
inline constexpr int kOverwriteOptionCount = 2;
inline constexpr int kCopyOptionsFirst = 14;
inline constexpr int kMetadataOptionsFirst = 15;

struct RunSettings {
  std::string ffmpeg;   // the FFmpeg path the run uses (the alternative one when the page asks for it)
  std::string aacgain;
  // The argument text of each checked option ("-threads 4"); empty for an unchecked one.
  std::array<std::string, kGeneralOptionCount> options;
  bool temp_copies = false;  // "一時ファイルを作成する": each job works on a copy of its input
  bool command_log = false;  // "コマンドログ作成": job commands go to log.txt
  bool strip_tags = false;   // "ID3タグ削除 [MP3のみ]"
  bool power_off = false;    // the page's "完了後に電源断"
  // Where log.txt is kept, ending in a separator; empty: the executable's folder.
  std::string log_folder;
};

// The checked options from entry `first` to the last, each with a blank before it.
std::string GeneralOptions(const RunSettings& settings, int first);

// A path text as a buffer of PATH_CAPACITY UTF-16 units holds it with its terminator: at most
// PATH_CAPACITY - 1 units, never a character cut in two (bytes that are no UTF-8 become U+FFFD).
std::string FitToPathBuffer(std::string_view text);

// What may be wrong with a tool path.
enum class ToolPathProblem {
  kNone,
  kMissing,      // no file can be opened for reading there, or the path does not fit a path buffer
                 // whole (a cut path may name some other file)
  kNotAProgram,  // a batch file (".bat", ".cmd", run by cmd.exe, which expands %…% in file names),
                 // or on Windows anything but an ".exe"
};
ToolPathProblem CheckToolPath(std::string_view path);
inline bool ToolPathUsable(std::string_view path) { return CheckToolPath(path) == ToolPathProblem::kNone; }

}  // namespace clipwright
