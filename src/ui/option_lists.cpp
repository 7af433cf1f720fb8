#include "ui/option_lists.h"

#include "ui/control_ids.h"

namespace clipwright {
namespace {

std::vector<std::string> WithUnspecified(std::vector<std::string> items) {
  items.insert(items.begin(), kUnspecified);
  return items;
}

// "-crf 30" … "-crf 10", "-global_quality 30" … "-global_quality 10", then fixed bit rates.
std::vector<std::string> VideoQualityItems() {
  std::vector<std::string> items{kUnspecified};
  for (int value = 30; value >= 10; --value) items.push_back("-crf " + std::to_string(value));
  for (int value = 30; value >= 10; --value) items.push_back("-global_quality " + std::to_string(value));
  for (const char* rate : {"128k", "256k", "512k", "1m", "2m", "4m", "8m", "16m", "32m", "64m"}) {
    items.push_back(std::string("-vb ") + rate);
  }
  return items;
}

}  // namespace

const std::vector<OptionList>& ConvertOptionLists() {
  static const std::vector<OptionList> lists = {
      {IDC_CONVERT_VCODEC,
       WithUnspecified({"copy", "libx264", "libx265", "libvpx", "libvpx-vp9", "libaom-av1", "mjpeg", "mpeg1video",
                        "mpeg2video", "wmv1", "wmv2", "wmv3", "h264_qsv", "hevc_qsv", "mjpeg_qsv", "mpeg2_qsv",
                        "vp8_qsv", "vp9_qsv", "h264_nvenc", "hevc_nvenc"})},
      {IDC_CONVERT_PRESET, WithUnspecified({"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow",
                                            "slower", "veryslow"})},
      {IDC_CONVERT_TUNE,
       WithUnspecified({"film", "animation", "grain", "stillimage", "fastdecode", "zerolatency"})},
      {IDC_CONVERT_VPROFILE, WithUnspecified({"baseline", "main", "high", "high10", "high422", "high444"})},
      {IDC_CONVERT_LEVEL, WithUnspecified({"1.0", "1.0b", "1.1", "1.2", "1.3", "2.0", "2.1", "2.2", "3.0", "3.1",
                                           "3.2", "4.0", "4.1", "4.2", "5.0", "5.1"})},
      {IDC_CONVERT_VQUALITY, VideoQualityItems()},
      {IDC_CONVERT_FRAME_RATE, WithUnspecified({"23.976", "29.97", "60", "120"})},
      {IDC_CONVERT_FRAME_SIZE,
       WithUnspecified({"256x144", "384x216", "426x240", "640x360", "854x480", "1280x720", "1920x1080", "256x192",
                        "320x240", "640x480", "800x600", "960x720", "1024x768", "1440x1080", "1600x1200"})},
      {IDC_CONVERT_ASPECT, WithUnspecified({"2.35", "19:10", "16:10", "16:9", "3:2", "4:3"})},
      {IDC_CONVERT_PIX_FMT, WithUnspecified({"yuv420p", "yuvj420p", "yuv422p", "yuv444p", "yuvj444p", "nv12", "nv16",
                                             "nv21", "yuv420p10le", "yuv422p10le", "yuv444p10le", "nv20le"})},
      {IDC_CONVERT_ACODEC,
       WithUnspecified({"copy", "pcm_s24le", "pcm_s16le", "pcm_u8", "flac", "libopus", "libvorbis", "libfdk_aac",
                        "aac", "libmp3lame", "eac3", "ac3", "wmav2", "wmav1"})},
      {IDC_CONVERT_APROFILE, WithUnspecified({"aac_low", "aac_he", "aac_he_v2", "aac_ld", "aac_eld"})},
      {IDC_CONVERT_AQUALITY,
       WithUnspecified({"-b:a 32k",  "-b:a 48k",  "-b:a 64k",  "-b:a 96k",  "-b:a 128k", "-b:a 160k", "-b:a 192k",
                        "-b:a 256k", "-b:a 320k", "-b:a 384k", "-vbr 5",    "-vbr 4",    "-vbr 3",    "-vbr 2",
                        "-vbr 1",    "-q:a 9",    "-q:a 8",    "-q:a 7",    "-q:a 6",    "-q:a 5",    "-q:a 4",
                        "-q:a 3",    "-q:a 2",    "-q:a 1",    "-q:a 0"})},
      {IDC_CONVERT_SAMPLE_RATE,
       WithUnspecified({"8000", "11025", "12000", "16000", "22050", "24000", "32000", "44100", "48000", "96000"})},
      {IDC_CONVERT_CHANNELS, WithUnspecified({"1", "2", "6"})},
      {IDC_CONVERT_CUTOFF, WithUnspecified({"10k", "11k", "12k", "13k", "14k", "15k", "16k", "17k", "18k", "19k",
                                            "20k", "22.5k", "24k"})},
      {IDC_CONVERT_VOLUME,
       WithUnspecified({"volume=0.2", "volume=0.5", "volume=1.5", "volume=2.0", "volume=-20dB", "volume=-15dB",
                        "volume=-10dB", "volume=-5dB", "volume=5dB", "volume=10dB", "volume=15dB", "volume=20dB"})},
      {IDC_CONVERT_SCODEC, WithUnspecified({"copy", "ass", "srt"})},
      {IDC_CONVERT_SPEED,
       WithUnspecified({"1/128", "1/120", "1/64", "1/60", "1/32", "1/30", "1/24", "1/16", "1/10", "1/8", "1/5",
                        "1/4", "1/3", "1/2", "2", "3", "4", "5", "6", "8", "10", "12", "16", "20", "24", "30",
                        "32", "60", "64", "120", "128"})},
  };
  return lists;
}

const OptionList* FindOptionList(int combo_id) {
  for (const OptionList& list : ConvertOptionLists()) {
    if (list.combo_id == combo_id) return &list;
  }
  return nullptr;
}

const std::vector<std::string>& OutputContainers() {
  static const std::vector<std::string> containers = {"mp4", "mkv", "webm", "mpg", "wmv", "aac", "mp3",
                                                      "ogg", "ac3", "wma", "flac", "wav", "ass", "srt"};
  return containers;
}

}  // namespace clipwright
