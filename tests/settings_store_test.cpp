#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "settings/settings_lists.h"
#include "support/fixture.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::TempDir;

WindowPlacementBytes SomePlacement() {
  WindowPlacementBytes bytes{};
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{3});
  bytes[0] = 44;
  bytes[1] = bytes[2] = bytes[3] = 0;
  return bytes;
}

int ListOf(const std::string& caption) {
  for (const SettingsBox& box : SettingsBoxes()) {
    if (caption == box.caption) return box.list;
  }
  return -1;
}

std::size_t BoxIndex(const std::string& caption) {
  for (std::size_t i = 0; i < SettingsBoxes().size(); ++i) {
    if (caption == SettingsBoxes()[i].caption) return i;
  }
  return SettingsBoxes().size();
}

// Every stored value away from its default. The two patterns check opposite boxes and pick
// different items, so that each box and list is seen to load both ways; each leaves one list
// without a choice (-1), which comes back without one.
StoredSettings Configured(int pattern) {
  StoredSettings settings;
  settings.placement = SomePlacement();
  int position = 0;
  for (const SettingsBox& box : SettingsBoxes()) {
    StoredBox stored;
    stored.checked = position++ % 2 == pattern;
    if (box.list >= 0) {
      const int items = static_cast<int>(SettingsLists()[static_cast<std::size_t>(box.list)].items.size());
      stored.choice = pattern == 0 ? items - 1 : 1;
    }
    settings.boxes.push_back(stored);
  }
  settings.boxes[BoxIndex(pattern == 0 ? "-strict" : "-map_metadata")].choice = -1;
  settings.ffmpeg_path = pattern == 0 ? "C:\\ツール\\ffmpeg.exe" : "D:\\bin\\ffmpeg.exe";
  settings.alt_ffmpeg_path = pattern == 0 ? "C:\\Program Files\\ffmpeg 7\\ffmpeg.exe" : "";
  settings.aacgain_path = pattern == 0 ? "C:\\音楽\\aacgain.exe" : "aacgain.exe";
  settings.split_at_keyframes = pattern == 0;
  settings.split_by_frame = pattern == 1;
  settings.separate_audio_only = pattern == 1;
  settings.volume_audio_only = pattern == 0;
  settings.target_level = pattern == 0 ? "89.0" : "なし";
  return settings;
}

void ExpectSame(const StoredSettings& loaded, const StoredSettings& expected) {
  EXPECT_EQ(loaded.placement, expected.placement);
  EXPECT_EQ(loaded.ffmpeg_path, expected.ffmpeg_path);
  EXPECT_EQ(loaded.alt_ffmpeg_path, expected.alt_ffmpeg_path);
  EXPECT_EQ(loaded.aacgain_path, expected.aacgain_path);
  ASSERT_EQ(loaded.boxes.size(), expected.boxes.size());
  for (std::size_t i = 0; i < loaded.boxes.size(); ++i) {
    EXPECT_EQ(loaded.boxes[i].checked, expected.boxes[i].checked) << SettingsBoxes()[i].caption;
    EXPECT_EQ(loaded.boxes[i].choice, expected.boxes[i].choice) << SettingsBoxes()[i].caption;
  }
  EXPECT_EQ(loaded.split_at_keyframes, expected.split_at_keyframes);
  EXPECT_EQ(loaded.split_by_frame, expected.split_by_frame);
  EXPECT_EQ(loaded.separate_audio_only, expected.separate_audio_only);
  EXPECT_EQ(loaded.target_level, expected.target_level);
  EXPECT_EQ(loaded.volume_audio_only, expected.volume_audio_only);
}

// The settings of one pattern, saved into a fresh folder.
class SettingsRoundTrip : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { SaveSettings(files, saved); }
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  const StoredSettings saved = Configured(GetParam());
};

TEST_P(SettingsRoundTrip, EveryStoredValueComesBack) { ExpectSame(LoadSettings(files), saved); }

TEST_P(SettingsRoundTrip, KeysAreTheCaptionsInSectionSetting) {
  const platform::Profile file(files.settings);
  const int checked = GetParam() == 0 ? 1 : 0;
  EXPECT_EQ(file.GetInt("setting", "-y", -5), checked);
  EXPECT_EQ(file.GetInt("setting", "-threads check", -5), checked);
  EXPECT_EQ(file.GetInt("setting", "-threads combo", -5), GetParam() == 0 ? 13 : 1);
  EXPECT_EQ(file.GetInt("setting", "-strict combo", -5), GetParam() == 0 ? -1 : 1);
  EXPECT_EQ(file.GetInt("setting", "-map_metadata combo", -5), GetParam() == 0 ? 1 : -1);
  EXPECT_EQ(file.GetInt("setting", "一時ファイルを作成する", -5), checked);
  EXPECT_EQ(file.GetInt("setting", "ID3タグ削除 [MP3のみ]", -5), checked);
  EXPECT_EQ(file.GetInt("setting", "キーフレームで全分割", -5), checked);
  EXPECT_EQ(file.GetInt("setting", "音声のみ抽出", -5), 1 - checked);
  EXPECT_EQ(file.GetInt("setting", "音声のみ", -5), checked);
  EXPECT_EQ(file.GetString("setting", "Target dB", ""), saved.target_level);
  EXPECT_EQ(file.GetString("setting", "AACGain Path", "?"), saved.aacgain_path);
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsRoundTrip, ::testing::Values(0, 1));

// tests/fixtures/status_saved.ini is what the Windows build saved for the first pattern.
TEST(Settings, SavesTheBytesTheWindowsBuildSaves) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  SaveSettings(files, Configured(0));
  std::string saved;
  std::string fixture;
  ASSERT_TRUE(platform::ReadWholeFile(files.settings, &saved));
  ASSERT_TRUE(platform::ReadWholeFile(testing::FixturePath("status_saved.ini"), &fixture));
  EXPECT_EQ(saved, fixture);

  const std::string copy = dir.Write("copy.ini", fixture);
  ExpectSame(LoadSettings(SettingsFiles{copy, ""}), Configured(0));
}

TEST(Settings, WithoutAFileEveryValueTakesItsDefault) {
  TempDir dir;
  const StoredSettings loaded = LoadSettings(SettingsPathsIn(dir.path()));
  EXPECT_FALSE(loaded.placement);
  ASSERT_EQ(loaded.boxes.size(), SettingsBoxes().size());
  for (std::size_t i = 0; i < loaded.boxes.size(); ++i) {
    const int list = SettingsBoxes()[i].list;
    EXPECT_FALSE(loaded.boxes[i].checked) << SettingsBoxes()[i].caption;
    EXPECT_EQ(loaded.boxes[i].choice, list < 0 ? -1 : SettingsLists()[static_cast<std::size_t>(list)].default_index)
        << SettingsBoxes()[i].caption;
  }
  const auto item = [&](const char* caption) {
    const std::size_t i = BoxIndex(caption);
    return SettingsLists()[static_cast<std::size_t>(ListOf(caption))].items[static_cast<std::size_t>(loaded.boxes[i].choice)];
  };
  EXPECT_EQ(item("-strict"), "normal");
  EXPECT_EQ(item("-cpu-used"), "0");
  EXPECT_EQ(item("-threads"), "0");
  EXPECT_EQ(loaded.ffmpeg_path + loaded.alt_ffmpeg_path + loaded.aacgain_path, "");
  EXPECT_EQ(loaded.target_level, "100.0");
  EXPECT_FALSE(loaded.volume_audio_only || loaded.split_at_keyframes || loaded.separate_audio_only);
  EXPECT_FALSE(platform::PathExists(SettingsPathsIn(dir.path()).settings)) << "loading creates no file";
}

TEST(Settings, AHandEditedFileLoadsWithoutOverrunning) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  const std::string long_path = "C:\\" + std::string(10000, 'a') + ".exe";
  std::string japanese;
  for (int i = 0; i < 400; ++i) japanese += "音";
  dir.Write("status.ini",
            "; a note\r\n"
            "[setting]\r\n"
            "FFmpeg Path=" + long_path + "\r\n"
            "AACGain Path=" + japanese + "\r\n"
            "a line without an equals sign\r\n"
            "unknown key=1\r\n"
            "-strict check = 1\r\n"
            "-strict combo=99\r\n"
            "-cpu-used combo=-1\r\n"
            "-threads combo=abc\r\n"
            "-y=2\r\n"
            "WindowPlacement=00\r\n"
            "Target dB=\r\n"
            "[elsewhere]\r\n"
            "-n=1\r\n");
  const StoredSettings loaded = LoadSettings(files);
  EXPECT_FALSE(loaded.placement);
  EXPECT_EQ(loaded.ffmpeg_path, long_path.substr(0, 259));
  EXPECT_EQ(platform::Utf16Length(loaded.aacgain_path), 259u);
  const auto box = [&](const char* caption) { return loaded.boxes[BoxIndex(caption)]; };
  EXPECT_TRUE(box("-strict").checked);
  // An item outside its list would put the option into every command without a value.
  EXPECT_EQ(box("-strict").choice, 2) << "an item beyond the list loads as the default";
  EXPECT_EQ(box("-cpu-used").choice, -1) << "a list saved without a choice comes back without one";
  EXPECT_EQ(box("-threads").choice, 0) << "text that is no number reads as 0";
  EXPECT_TRUE(box("-y").checked);
  EXPECT_FALSE(box("-n").checked) << "a key of another section is not this one";
  EXPECT_EQ(loaded.target_level, "") << "a present but empty value is not the default";
}

TEST(Settings, APlacementIsOnlyHandedBackWithItsLengthAndChecksumRight) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  WindowPlacementBytes wrong_length = SomePlacement();
  wrong_length[0] = 40;
  for (const WindowPlacementBytes& stored : {SomePlacement(), wrong_length}) {
    StoredSettings settings;
    settings.placement = stored;
    SaveSettings(files, settings);
    EXPECT_EQ(LoadSettings(files).placement.has_value(), stored == SomePlacement());
  }
  // One digit changed: the checksum no longer fits.
  std::string text = platform::Profile(files.settings).GetString("setting", "WindowPlacement", "", 1000);
  text[10] = text[10] == '0' ? '1' : '0';
  platform::Profile(files.settings).WriteString("setting", "WindowPlacement", text);
  EXPECT_FALSE(LoadSettings(files).placement);
}

// The error list is the program's own; an input.txt beside the program is not (the concat list
// is written beside the listed files), so it may well be a user's.
TEST(Settings, TheErrorListIsDeletedAtStartUpEvenWhenReadOnlyAndAnInputTxtIsKept) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  platform::WriteWholeFile(files.error_list, "Invalid data found when processing input 'a.mp4'\r\n");
  ASSERT_TRUE(platform::SetReadOnly(files.error_list));
  const std::string users = dir.Write("input.txt", "a user's notes");
  LoadSettings(files);
  EXPECT_FALSE(platform::PathExists(files.error_list));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(users, &bytes));
  EXPECT_EQ(bytes, "a user's notes");
}

TEST(Settings, AFolderNamedLikeALeftoverIsLeftAlone) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  std::filesystem::create_directory(testing::FsPath(files.error_list));
  LoadSettings(files);
  EXPECT_TRUE(platform::IsDirectory(files.error_list));
}

}  // namespace
}  // namespace clipwright
