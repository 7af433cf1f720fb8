// A run as a list of files to make, each described as data: what it reads, the commands that make
// it (with the names the run takes left open), how its output is named at first and at last, the
// steps after the tool, and what the output must hold. A plan of each kind of run fills these;
// the run driver carries out any of them the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "tools/analysis_result.h"
#include "tools/command_line.h"
#include "tools/packet_listing.h"
#include "tools/run_observer.h"

namespace clipwright {

// One argument of a planned command, or a file the driver names when it makes the file.
struct CommandPiece {
  enum class Kind {
    kText,        // as it stands (quoted only where it must be)
    kQuoted,      // in quotes whatever it holds
    kInput,       // input `input` as the command reads it (the listed file or its temp copy)
    kConcatList,  // the concat list the run wrote
    kOutput,      // the output being made
    kNewOutput,   // the new copy of the output a step writes, which then takes its place
    kOutputName,  // the output's bare name (the tool starts in the output's folder)
    kGain,        // the gain the analysis step found
    kPartName,    // the bare name of part `input` of the file's parts, made on the way to the
                  // output (the tool starts in the output's folder, where they are)
  };
  Kind kind = Kind::kText;
  std::string text;
  int input = 0;
};

class PlannedCommand {
 public:
  explicit PlannedCommand(Tool tool = Tool::kFfmpeg) : tool_(tool) {}

  PlannedCommand& Add(std::string_view argument);
  PlannedCommand& AddWords(std::string_view words);
  PlannedCommand& AddQuoted(std::string_view argument);
  PlannedCommand& Input(int index);
  PlannedCommand& ConcatList();
  PlannedCommand& Output();
  PlannedCommand& NewOutput();
  PlannedCommand& OutputName();
  PlannedCommand& Gain();
  PlannedCommand& PartName(int index);

  Tool tool() const { return tool_; }
  const std::vector<CommandPiece>& pieces() const { return pieces_; }
  bool Takes(CommandPiece::Kind kind) const;

 private:
  Tool tool_;
  std::vector<CommandPiece> pieces_;
};

// The names a command is made with.
struct CommandNames {
  std::string program;
  std::vector<std::string> inputs;
  std::string concat_list;
  std::string output;
  std::string new_output;
  int gain = GAIN_NOT_FOUND;
  std::vector<std::string> parts = {};
};
CommandLine ResolveCommand(const PlannedCommand& command, const CommandNames& names);

// One step of making a file.
struct FileStep {
  enum class Kind {
    kTool,       // run a tool: FFmpeg or AACGain
    kStripTags,  // remove the ID3v2 tags from the start of the output
  };
  Kind kind = Kind::kTool;
  PlannedCommand command;
  int mode = SCAN_JOB;            // the ScanMode of the tool's output
  double duration = 0;            // the input's play time, for the predicted time; 0: none
  bool logged = false;            // into log.txt, when the settings ask for it
  bool in_output_folder = false;  // the tool starts in the output's folder
  bool clears_output = false;     // the tool output shown so far is cleared first
  // What is reported: as the step starts, when it succeeded, when it failed. kRunning names none.
  std::optional<StageEvent> running;
  std::optional<Stage> succeeded;
  std::optional<Stage> failed;
  // The step encodes expected.frames->encoded[n] again, and its encoder reports each frame.
  std::optional<std::size_t> encodes;
  // An FFmpeg step that reads only the inputs and writes only its part: it starts with the file's
  // first step, beside it, and what it reports is told when its turn comes. One encoder seldom
  // keeps every core busy.
  bool starts_early = false;
};

// How the output gets its first name, which is the run's own (taken by making the file).
struct OutputStart {
  enum class Beside {
    kLastInputRead,  // "<name>_<n><ext>" beside what the command reads last (an input, its copy, the list)
    kFirstInput,     // "temp<nnnn><ext>" beside the first input as listed
  };
  Beside beside = Beside::kLastInputRead;
  std::string extension;  // with its dot
  // The output is a byte copy of the first input rather than a file a tool writes.
  bool copy_of_input = false;
  std::optional<Stage> copying;  // reported while the copy is made, when it is one
  std::optional<Stage> made;
  Stage failed = Stage::kOutputNameFailed;  // with the display name as its text

  // Name n of the series beside `beside` (the first input, or what the command reads last).
  std::string NameFor(const std::string& beside, int n) const;
};

// The name the output ends with, once it has passed its check.
struct FinalName {
  enum class Kind {
    kKeep,      // the first name stays
    kNumbered,  // the first free of first_choice, then "<stem><n><extension>" from n = 1 (or 2)
    kReplace,   // `path`, in place of whatever of that name an earlier run left
  };
  Kind kind = Kind::kKeep;
  std::string first_choice;
  std::string stem;
  std::string extension;
  std::string path;

  // Name n of the numbered series.
  std::string NumberedFor(int n) const;
};

// What an output must hold to count as made; the driver reads it back to see.
struct OutputExpectation {
  // The kinds of the streams the command maps, in output order; empty when FFmpeg chooses them.
  std::vector<StreamKind> streams;
  // A cut of a range: listed whole, and held to what its own stream must show, while another
  // stream may well have no packet within the range. Any other output: every video and audio
  // stream has a packet, which the first packets tell.
  bool cut = false;
  // A cut of a video: the output stream of the cut's video, and how many packets it holds.
  std::optional<int> cut_video;
  std::optional<std::int64_t> video_packets;
  // A cut of an audio file: how long its audio plays, give or take audio_frame seconds.
  std::optional<double> audio_length;
  double audio_frame = 0;
  // A file a tool changed in place (AACGain rewrites the audio frames): it must also decode to
  // its end without an error, which its packets alone do not show.
  bool decodes = false;
  // A frame-precise cut: the output's pictures against the source's, frame by frame.
  struct Frames {
    std::string source;
    int source_video = 0;   // FFmpeg's number of the source's video stream
    double seek = 0;        // the time of the first frame in the source
    std::int64_t count = 0;
    // Frames copied from the source, which must decode to the very same pictures; the others
    // were encoded again and must come close (kLeastPsnr).
    std::int64_t copied_first = 0, copied_end = 0;
    double frame_step = 0;  // seconds between two frames; no gap may be wider
    // Where the copied packets stand in the source's listing, in decode order. Known, the
    // copied packets are held to the source's checksums and only the pictures about the joins
    // are compared; unknown, every picture is.
    std::optional<std::int64_t> source_first_packet;
    double copy_start = 0;  // the first copied keyframe's time in the source
    // Copied frames compared after the join into them: as far as the join's B-frames and
    // references may reach, or as far as the source's encoder says they do.
    std::int64_t seam_frames = 16;
    // The source's copied packets (their checksums and which are keyframes), in decode order;
    // empty when not known (the source is then listed again).
    std::vector<StreamPacket> copied_packets = {};
    // The runs of frames encoded again (before and after the copied ones). The run fills in
    // what the encoder said of each frame and the part it made; the output must hold that
    // part's very packets, and then only the first picture of the run is compared, to show
    // that the encoder was given the right frames.
    struct Encoded {
      std::int64_t first = 0;  // output frames first … first + count - 1
      std::int64_t count = 0;
      std::size_t part = 0;     // the plan's part it is made into
      double source_seek = 0;   // the time of its first frame in the source
      // The plan's part into which the encode keeps the first frame it was given, raw: the
      // source's picture, which the check then need not decode from the keyframe before.
      std::optional<std::size_t> first_picture_part = std::nullopt;
      // Filled in by the run: each frame's PSNR, in display order (none: the encoder did not
      // tell, and every picture is compared), the part's file and the kept picture's.
      std::optional<std::vector<double>> psnr = std::nullopt;
      std::string part_file = {};
      std::string first_picture_file = {};
    };
    std::vector<Encoded> encoded = {};
    int luma_weight = 4;  // of a frame's PSNR over its planes: 4 for 4:2:0, 2 for 4:2:2, 1 for 4:4:4
  };
  std::optional<Frames> frames;
};

// The least PSNR, in dB, of a frame a frame-precise cut encoded again.
inline constexpr double kLeastPsnr = 40.0;

struct FilePlan {
  std::string display_name;         // the listed file the dialog names
  std::vector<std::string> inputs;  // as listed
  // The inputs as they were when they were added (by input; none: not looked at). One that has
  // changed since is refused: its frame data or streams may belong to another file.
  std::vector<std::optional<platform::FileStamp>> stamps;
  bool temp_copies = false;         // the commands read copies of the inputs, made first
  bool concat_list = false;         // the command reads a concat list of the inputs (of the parts, when any)
  // Files made on the way to the output: a frame cut's pieces, and the pictures its encodes keep
  // for the check. They are named beside the first input like the run's other files of its own,
  // and removed at the end.
  struct Part {
    double length = 0;      // how long a joined piece plays
    bool joined = true;     // one of the pieces the concat list joins
    std::string extension;  // with its dot; empty: the output's
  };
  std::vector<Part> parts;
  OutputStart output;
  std::vector<FileStep> steps;
  OutputExpectation expected;
  FinalName final_name;
  // The file cannot be made; this says why (and nothing is run).
  std::optional<StageEvent> refused;
};

// The names a file's commands will most likely be given (the first of each series, the widest
// gain), for their length before the run; the program and the output's names are the caller's.
CommandNames LikelyNames(const FilePlan& file);

struct RunPlan {
  std::vector<FilePlan> files;
  bool needs_aacgain = false;
  // A run that ends before its first file still shows its counts (every file failed).
  bool counts_early_end = true;
  // Each output is read back while the next file is made: for many small outputs, whose check
  // would otherwise cost about as much as making them, and for outputs decoded whole.
  bool overlap_checks = false;
};

}  // namespace clipwright
