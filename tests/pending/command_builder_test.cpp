#include "jobs/command_builder.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "platform/text.h"
#include "win32/fake_dialog.h"
#include "win32/job_pages.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::FakeDialog;
using testing::FakeRequests;
using testing::TempDir;

const std::string kFfmpeg = "C:\\tools\\ffmpeg.exe";
const std::string kVideo = "Stream #0:0: Video: h264 (High), yuv420p, 320x240";
const std::string kAudio = "Stream #0:1: Audio: aac (LC), 44100 Hz, stereo";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FillSettingsPage(settings());
    job.program_folder = log_dir.path();
  }

  FakeDialog& settings() { return requests.page(PAGE_SETTINGS); }
  FakeDialog& page(int index) { return requests.page(index); }

  bool Build(int operation, int file_index = 0, bool temp_copies = false, const std::string& ffmpeg = kFfmpeg) {
    job.operation = operation;
    return BuildJobCommand(job, page(PageOf(operation)), progress, requests, ffmpeg, file_index, temp_copies,
                           &files);
  }

  static int PageOf(int operation) {
    switch (operation) {
      case OP_SPLIT:
        return PAGE_SPLIT;
      case OP_CONCATENATE:
        return PAGE_CONCATENATE;
      case OP_MULTIPLEX:
        return PAGE_MULTIPLEX;
      case OP_SEPARATE:
        return PAGE_SEPARATE;
      default:
        return PAGE_CONVERT;
    }
  }

  // A separate page with one file of two streams, both selected.
  void OneSeparateFile(const std::string& name = "movie.mkv") {
    page(PAGE_SEPARATE).AddRows(IDC_SEPARATE_FILES, {dir.File(name)});
    testing::SelectContainer(page(PAGE_SEPARATE), IDC_SEPARATE_CONTAINER, "mkv");
    UseOneFileEntry();
  }

  void OneConvertFile(const std::string& name = "movie.mkv") {
    page(PAGE_CONVERT).AddRows(IDC_CONVERT_FILES, {dir.File(name)});
    testing::SelectContainer(page(PAGE_CONVERT), IDC_CONVERT_CONTAINER, "mp4");
    testing::FillConvertOptionLists(page(PAGE_CONVERT));
    UseOneFileEntry();
  }

  // File 0 of both list pages: two streams, both selected.
  void UseOneFileEntry() {
    if (file_list.files.empty()) file_list.files.push_back(FileEntry{{{kVideo, 1}, {kAudio, 1}}, 12.0});
    job.files = &file_list;
  }

  TempDir dir;
  TempDir log_dir;
  FakeRequests requests;
  FakeDialog progress;
  JobContext job;
  JobFiles files;
  FileList file_list;
};

struct SplitCase {
  double start, end;
  std::string before_input, after_input;
};

TEST_F(CommandTest, SplitTakesItsRangeAroundTheInput) {
  const SplitCase cases[] = {
      {0, 10, "", " -t 10.000000"},
      {2.5, 10, " -ss 2.500000", " -ss 0 -t 7.500000"},
      {12.5, 60, " -ss 12.500000", " -ss 0 -t 47.500000"},
  };
  page(PAGE_SPLIT).SetText(IDC_SPLIT_PATH, dir.File("clip.mp4"));
  page(PAGE_SPLIT).AddRows(IDC_SPLIT_STREAMS, {kVideo, kAudio}, true);
  page(PAGE_SPLIT).SetRowChecked(IDC_SPLIT_STREAMS, 0, false);
  testing::SelectContainer(page(PAGE_SPLIT), IDC_SPLIT_CONTAINER, "mp4");
  for (const SplitCase& c : cases) {
    job.start_time = c.start;
    job.end_time = c.end;
    ASSERT_TRUE(Build(OP_SPLIT));
    EXPECT_EQ(files.command, Quoted(kFfmpeg) + c.before_input + " -i " + Quoted(dir.File("clip.mp4")) +
                                 c.after_input + " -map 0:1 -c copy " + Quoted(dir.File("clip_1.mp4")));
    EXPECT_EQ(files.display_name, dir.File("clip.mp4"));
    EXPECT_EQ(files.input_path, dir.File("clip.mp4"));
    EXPECT_EQ(files.output_path, dir.File("clip_1.mp4"));
    EXPECT_EQ(job.container, "mp4");
  }
}

TEST_F(CommandTest, ConcatenateReadsTheListItWroteBesideTheLastFile) {
  page(PAGE_CONCATENATE).AddRows(IDC_CONCAT_FILES, {dir.File("a.mkv"), dir.File("b.mkv")});
  page(PAGE_CONCATENATE).AddRows(IDC_CONCAT_STREAMS, {kVideo, kAudio}, true);
  testing::SelectContainer(page(PAGE_CONCATENATE), IDC_CONCAT_CONTAINER, "mkv");
  ASSERT_TRUE(Build(OP_CONCATENATE));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -f concat -safe 0 -i " + Quoted(dir.File("input.txt")) +
                               " -map 0:0 -map 0:1 -c copy " + Quoted(dir.File("input_1.mkv")));
  EXPECT_EQ(files.display_name, dir.File("b.mkv"));
  EXPECT_EQ(files.input_path, dir.File("input.txt"));
  std::string list;
  ASSERT_TRUE(platform::ReadWholeFile(dir.File("input.txt"), &list));
  EXPECT_EQ(list, "file '" + dir.File("a.mkv") + "'\r\nfile '" + dir.File("b.mkv") + "'\r\n");
}

TEST_F(CommandTest, MultiplexTakesOnlyInputsWithACheckedStream) {
  FakeDialog& mux = page(PAGE_MULTIPLEX);
  mux.SetText(IDC_MUX_PATH1, dir.File("video.mp4"));
  mux.SetText(IDC_MUX_PATH2, dir.File("sound.m4a"));
  mux.AddRows(IDC_MUX_STREAMS1, {kVideo, kAudio});
  mux.AddRows(IDC_MUX_STREAMS2, {"Stream #0:0: Audio: aac"}, true);
  testing::SelectContainer(mux, IDC_MUX_CONTAINER, "mp4");

  ASSERT_TRUE(Build(OP_MULTIPLEX));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("sound.m4a")) + " -map 0:0 -c copy " +
                               Quoted(dir.File("sound_1.mp4")));

  mux.SetRowChecked(IDC_MUX_STREAMS1, 0, true);
  ASSERT_TRUE(Build(OP_MULTIPLEX));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("video.mp4")) + " -i " +
                               Quoted(dir.File("sound.m4a")) + " -map 0:0 -map 1:0 -c copy " +
                               Quoted(dir.File("sound_1.mp4")));
  EXPECT_EQ(files.display_name, dir.File("sound.m4a"));

  mux.SetRowChecked(IDC_MUX_STREAMS2, 0, false);
  ASSERT_TRUE(Build(OP_MULTIPLEX));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("video.mp4")) + " -map 0:0 -c copy " +
                               Quoted(dir.File("video_1.mp4")));
}

TEST_F(CommandTest, SeparateWithAudioOnlyMapsTheAudioStreams) {
  OneSeparateFile();
  file_list.files[0].streams[1].selected = 0;
  page(PAGE_SEPARATE).SetChecked(IDC_SEPARATE_AUDIO_ONLY, true);
  ASSERT_TRUE(Build(OP_SEPARATE));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("movie.mkv")) + " -map 0:1 -c copy " +
                               Quoted(dir.File("movie_1.mkv")));
}

TEST_F(CommandTest, ConvertExampleInItsPieces) {
  OneConvertFile();
  FakeDialog& convert = page(PAGE_CONVERT);
  testing::SelectOption(convert, IDC_CONVERT_VCODEC, "libx264");
  testing::SelectOption(convert, IDC_CONVERT_PRESET, "medium");
  testing::SelectOption(convert, IDC_CONVERT_VQUALITY, "-crf 23");
  testing::SelectOption(convert, IDC_CONVERT_ACODEC, "aac");
  testing::SelectOption(convert, IDC_CONVERT_AQUALITY, "-b:a 128k");
  testing::SelectOption(convert, IDC_CONVERT_SPEED, "1/2");
  testing::CheckOption(settings(), IDC_OPT_THREADS, "4");
  testing::CheckOption(settings(), IDC_OPT_TRANSPOSE, "1");
  ASSERT_TRUE(Build(OP_CONVERT));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("movie.mkv")) +
                               " -map 0:0 -vcodec libx264 -preset medium -crf 23"
                               " -map 0:1 -c:a aac -aac_coder twoloop -b:a 128k"
                               " -filter_complex setpts=(PTS-STARTPTS)/0.5;atempo=0.5"
                               " -threads 4 -vf transpose=1 " +
                               Quoted(dir.File("movie_1.mp4")));
}

// Every settings box checked: a convert takes all eighteen in order, the copy operations the
// last four only; with none checked nothing is added.
TEST_F(CommandTest, SettingsOptionsByOperation) {
  const std::string copy_options =
      " -segment_format mpegts -map_chapters -1 -map_metadata 0 -fflags +bitexact -flags:v +bitexact"
      " -flags:a +bitexact";
  const std::string convert_options =
      " -y -n -threads 14 -strict experimental -deadline good -cpu-used 3 -row-mt 1 -look_ahead 1"
      " -look_ahead_depth 40 -b:v 0 -vf transpose=3 -movflags faststart -flags +loop-global_header"
      " -bsf h264_mp4toannexb" +
      copy_options;
  OneSeparateFile();
  OneConvertFile();
  const std::string separate_plain = Quoted(kFfmpeg) + " -i " + Quoted(dir.File("movie.mkv")) +
                                     " -map 0:0 -map 0:1 -c copy";
  const std::string convert_plain = Quoted(kFfmpeg) + " -i " + Quoted(dir.File("movie.mkv")) + " -map 0:0 -map 0:1";

  ASSERT_TRUE(Build(OP_SEPARATE));
  EXPECT_EQ(files.command, separate_plain + " " + Quoted(dir.File("movie_1.mkv")));
  testing::CheckOption(settings(), IDC_OPT_Y);
  ASSERT_TRUE(Build(OP_SEPARATE));
  EXPECT_EQ(files.command, separate_plain + " " + Quoted(dir.File("movie_1.mkv")));

  for (const auto& [box, value] : std::initializer_list<std::pair<int, std::string>>{
           {IDC_OPT_N, ""},
           {IDC_OPT_THREADS, "14"},
           {IDC_OPT_STRICT, "experimental"},
           {IDC_OPT_DEADLINE, "good"},
           {IDC_OPT_CPU_USED, "3"},
           {IDC_OPT_ROW_MT, ""},
           {IDC_OPT_LOOK_AHEAD, ""},
           {IDC_OPT_LOOK_AHEAD_DEPTH, "40"},
           {IDC_OPT_BV0, ""},
           {IDC_OPT_TRANSPOSE, "3"},
           {IDC_OPT_FASTSTART, ""},
           {IDC_OPT_LOOP_GLOBAL_HEADER, ""},
           {IDC_OPT_ANNEXB, ""},
           {IDC_OPT_SEGMENT_MPEGTS, ""},
           {IDC_OPT_MAP_CHAPTERS, "-1"},
           {IDC_OPT_MAP_METADATA, "0"},
           {IDC_OPT_BITEXACT, ""},
           {IDC_OPT_STRIP_ID3, ""},
           {IDC_COMMAND_LOG, ""},
       }) {
    testing::CheckOption(settings(), box, value);
  }
  ASSERT_TRUE(Build(OP_SEPARATE));
  EXPECT_EQ(files.command, separate_plain + copy_options + " " + Quoted(dir.File("movie_1.mkv")));
  ASSERT_TRUE(Build(OP_CONVERT));
  EXPECT_EQ(files.command, convert_plain + convert_options + " " + Quoted(dir.File("movie_1.mp4")));

  // The caption is read from the page at run time; the value list only counts while its box is.
  settings().SetText(IDC_OPT_ROW_MT, "-row-mt 0");
  settings().SetChecked(IDC_OPT_THREADS, false);
  ASSERT_TRUE(Build(OP_CONVERT));
  EXPECT_NE(files.command.find(" -strict experimental -deadline good -cpu-used 3 -row-mt 0 "), std::string::npos)
      << files.command;
  EXPECT_EQ(files.command.find("-threads"), std::string::npos);
}

TEST(GeneralOptions, ValueSeparators) {
  FakeRequests requests;
  FakeDialog& settings = requests.page(PAGE_SETTINGS);
  testing::FillSettingsPage(settings);
  EXPECT_EQ(GetOptionText(settings, IDC_OPT_TRANSPOSE, true), "");
  testing::CheckOption(settings, IDC_OPT_TRANSPOSE, "1");
  EXPECT_EQ(GetOptionText(settings, IDC_OPT_TRANSPOSE, true), "-vf transpose=1");
  testing::CheckOption(settings, IDC_OPT_THREADS, "4");
  EXPECT_EQ(GetOptionText(settings, IDC_OPT_THREADS, true), "-threads 4");
  EXPECT_EQ(GetOptionText(settings, IDC_OPT_THREADS, false), "-threads");
  std::string text = "x";
  AppendGeneralOptions(text, requests, 2);
  EXPECT_EQ(text, "x -threads 4 -vf transpose=1");
  text = "x";
  AppendGeneralOptions(text, requests, 14);
  EXPECT_EQ(text, "x");
}

TEST_F(CommandTest, TempCopyIsTheInputAndNamesTheOutput) {
  OneConvertFile();
  dir.Write("movie.mkv", "movie bytes");
  ASSERT_TRUE(Build(OP_CONVERT, 0, true));
  EXPECT_EQ(files.display_name, dir.File("movie.mkv"));
  EXPECT_EQ(files.input_path, dir.File("temp0001.mkv"));
  EXPECT_EQ(files.output_path, dir.File("temp0001_1.mp4"));
  EXPECT_EQ(files.command, Quoted(kFfmpeg) + " -i " + Quoted(dir.File("temp0001.mkv")) + " -map 0:0 -map 0:1 " +
                               Quoted(dir.File("temp0001_1.mp4")));
  ASSERT_EQ(job.temp_slots.size(), 1u);
  EXPECT_EQ(job.temp_slots[0], dir.File("temp0001.mkv"));
  std::string copy;
  ASSERT_TRUE(platform::ReadWholeFile(dir.File("temp0001.mkv"), &copy));
  EXPECT_EQ(copy, "movie bytes");
}

// The limit counts UTF-16 units: 507 are accepted, 508 refused with 510 in the caption, and a
// character outside the BMP counts two.
TEST_F(CommandTest, CommandLengthLimit) {
  OneSeparateFile();
  ASSERT_TRUE(Build(OP_SEPARATE, 0, false, "x"));
  const std::size_t base = platform::Utf16Length(files.command);
  const std::string pad(507 - base, 'x');
  ASSERT_TRUE(Build(OP_SEPARATE, 0, false, "x" + pad));
  EXPECT_EQ(platform::Utf16Length(files.command), 507u);

  EXPECT_FALSE(Build(OP_SEPARATE, 0, false, "xx" + pad));
  EXPECT_EQ(files.command, "");
  auto boxes = progress.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "コマンドラインが長くなり過ぎです。 [ 510 byte ]\r\nファイル名を短くして下さい。");
  EXPECT_EQ(boxes[0].text, Quoted("xx" + pad) + " -i " + Quoted(dir.File("movie.mkv")) + " -map 0:0 -map 0:1 -c copy " +
                               Quoted(dir.File("movie_1.mkv")));
  EXPECT_EQ(boxes[0].buttons, kMessageOk);

  // "動" is one unit, "😀" two: one replaces one x, the other two.
  EXPECT_TRUE(Build(OP_SEPARATE, 0, false, "動" + pad));
  EXPECT_TRUE(Build(OP_SEPARATE, 0, false, "😀" + pad.substr(1)));
  EXPECT_FALSE(Build(OP_SEPARATE, 0, false, "😀" + pad));
  boxes = progress.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "コマンドラインが長くなり過ぎです。 [ 510 byte ]\r\nファイル名を短くして下さい。");
}

TEST_F(CommandTest, TheLogGetsRefusedCommandsToo) {
  OneSeparateFile();
  testing::CheckOption(settings(), IDC_COMMAND_LOG);
  ASSERT_TRUE(Build(OP_SEPARATE));
  const std::string accepted = files.command;
  ASSERT_FALSE(Build(OP_SEPARATE, 0, false, std::string(600, 'x')));
  std::string log;
  ASSERT_TRUE(platform::ReadWholeFile(log_dir.File("log.txt"), &log));
  EXPECT_EQ(log, "\xEF\xBB\xBF" + accepted + "\r\n" + progress.MessageBoxes()[0].text + "\r\n");
}

}  // namespace
}  // namespace clipwright
