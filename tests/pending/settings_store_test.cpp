#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>

#include "ui/control_ids.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/fixture.h"
#include "win32/settings_pages.h"
#include "support/temp_dir.h"

namespace clipwright {
namespace {

using testing::SettingsBoxSpec;
using testing::SettingsPageBoxes;
using testing::StoredPages;
using testing::TempDir;

WindowPlacementBytes SomePlacement() {
  WindowPlacementBytes bytes{};
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{3});
  bytes[0] = 44;
  bytes[1] = bytes[2] = bytes[3] = 0;
  return bytes;
}

// Every stored control away from its default. The two patterns check opposite boxes and pick
// different entries, so that each box and list is seen to load both ways; each leaves one
// pair's list without a selection, which is saved as -1 and loads as the list's default.
void Configure(StoredPages& pages, int pattern) {
  int position = 0;
  for (const SettingsBoxSpec& spec : SettingsPageBoxes()) {
    pages.settings.SetChecked(spec.box, position++ % 2 == pattern);
    if (!spec.items.empty()) {
      pages.settings.SetComboIndex(spec.box + 1, pattern == 0 ? static_cast<int>(spec.items.size()) - 1 : 1);
    }
  }
  pages.settings.SetComboIndex(pattern == 0 ? IDC_OPT_STRICT_LIST : IDC_OPT_MAP_METADATA_LIST, -1);
  pages.settings.SetText(IDC_FFMPEG_PATH, pattern == 0 ? "C:\\ツール\\ffmpeg.exe" : "D:\\bin\\ffmpeg.exe");
  pages.settings.SetText(IDC_ALT_FFMPEG_PATH, pattern == 0 ? "C:\\Program Files\\ffmpeg 7\\ffmpeg.exe" : "");
  pages.settings.SetText(IDC_AACGAIN_PATH, pattern == 0 ? "C:\\音楽\\aacgain.exe" : "aacgain.exe");
  pages.split.SetChecked(IDC_SPLIT_AT_KEYFRAMES, pattern == 0);
  pages.separate.SetChecked(IDC_SEPARATE_AUDIO_ONLY, pattern == 1);
  pages.volume.SetChecked(IDC_VOLUME_AUDIO_ONLY, pattern == 0);
  pages.volume.SetText(IDC_VOLUME_TARGET, pattern == 0 ? "89.0" : "なし");
}

void ExpectSameStoredControls(StoredPages& loaded, StoredPages& saved) {
  for (const SettingsBoxSpec& spec : SettingsPageBoxes()) {
    EXPECT_EQ(loaded.settings.IsChecked(spec.box), saved.settings.IsChecked(spec.box)) << spec.caption;
    if (!spec.items.empty()) {
      const int list = spec.box + 1;
      const int expected = saved.settings.ComboIndex(list) >= 0 ? saved.settings.ComboIndex(list)
                           : list == IDC_OPT_STRICT_LIST      ? 2
                                                              : 0;
      EXPECT_EQ(loaded.settings.ComboIndex(list), expected) << spec.caption;
    }
  }
  for (int id : {IDC_FFMPEG_PATH, IDC_ALT_FFMPEG_PATH, IDC_AACGAIN_PATH}) {
    EXPECT_EQ(loaded.settings.Text(id), saved.settings.Text(id)) << id;
  }
  EXPECT_EQ(loaded.split.IsChecked(IDC_SPLIT_AT_KEYFRAMES), saved.split.IsChecked(IDC_SPLIT_AT_KEYFRAMES));
  EXPECT_EQ(loaded.separate.IsChecked(IDC_SEPARATE_AUDIO_ONLY), saved.separate.IsChecked(IDC_SEPARATE_AUDIO_ONLY));
  EXPECT_EQ(loaded.volume.IsChecked(IDC_VOLUME_AUDIO_ONLY), saved.volume.IsChecked(IDC_VOLUME_AUDIO_ONLY));
  EXPECT_EQ(loaded.volume.Text(IDC_VOLUME_TARGET), saved.volume.Text(IDC_VOLUME_TARGET));
}

bool Load(const SettingsFiles& files, StoredPages& pages, WindowPlacementBytes* placement) {
  return LoadSettings(files, pages.settings, pages.split, pages.separate, pages.volume, placement);
}

void Save(const SettingsFiles& files, StoredPages& pages, const WindowPlacementBytes& placement) {
  SaveSettings(files, pages.settings, pages.split, pages.separate, pages.volume, placement);
}

// The pages of one pattern, saved into a fresh folder.
class SettingsRoundTrip : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    Configure(saved, GetParam());
    Save(files, saved, SomePlacement());
  }
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  StoredPages saved;
};

TEST_P(SettingsRoundTrip, EveryStoredControlComesBack) {
  StoredPages loaded;
  WindowPlacementBytes placement{};
  ASSERT_TRUE(Load(files, loaded, &placement));
  EXPECT_EQ(placement, SomePlacement());
  ExpectSameStoredControls(loaded, saved);
}

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
  EXPECT_EQ(file.GetString("setting", "Target dB", ""), saved.volume.Text(IDC_VOLUME_TARGET));
  EXPECT_EQ(file.GetString("setting", "AACGain Path", "?"), saved.settings.Text(IDC_AACGAIN_PATH));
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsRoundTrip, ::testing::Values(0, 1));

// tests/fixtures/status_saved.ini is what the Windows build saved for the first pattern.
TEST(Settings, SavesTheBytesTheWindowsBuildSaves) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  StoredPages pages;
  Configure(pages, 0);
  Save(files, pages, SomePlacement());
  std::string saved;
  std::string fixture;
  ASSERT_TRUE(platform::ReadWholeFile(files.settings, &saved));
  ASSERT_TRUE(platform::ReadWholeFile(testing::FixturePath("status_saved.ini"), &fixture));
  EXPECT_EQ(saved, fixture);

  StoredPages loaded;
  WindowPlacementBytes placement{};
  const std::string copy = dir.Write("copy.ini", fixture);
  ASSERT_TRUE(Load(SettingsFiles{copy, ""}, loaded, &placement));
  EXPECT_EQ(placement, SomePlacement());
  ExpectSameStoredControls(loaded, pages);
}

TEST(Settings, WithoutAFileEveryControlTakesItsDefault) {
  TempDir dir;
  StoredPages pages;
  WindowPlacementBytes placement{};
  placement.fill(0xAB);
  EXPECT_FALSE(Load(SettingsPathsIn(dir.path()), pages, &placement));
  EXPECT_EQ(placement[0], 0xAB) << "no placement is handed back";

  for (const SettingsBoxSpec& spec : SettingsPageBoxes()) {
    EXPECT_FALSE(pages.settings.IsChecked(spec.box)) << spec.caption;
    if (!spec.items.empty()) {
      const std::string expected = spec.box == IDC_OPT_STRICT ? "normal" : spec.box == IDC_OPT_CPU_USED ? "0"
                                                                                                        : spec.items[0];
      EXPECT_EQ(pages.settings.ComboText(spec.box + 1), expected) << spec.caption;
    }
  }
  EXPECT_EQ(pages.settings.ComboIndex(IDC_OPT_STRICT_LIST), 2);
  EXPECT_EQ(pages.settings.ComboIndex(IDC_OPT_CPU_USED_LIST), 8);
  for (int id : {IDC_FFMPEG_PATH, IDC_ALT_FFMPEG_PATH, IDC_AACGAIN_PATH}) EXPECT_EQ(pages.settings.Text(id), "");
  EXPECT_EQ(pages.volume.Text(IDC_VOLUME_TARGET), "100.0");
  EXPECT_FALSE(pages.volume.IsChecked(IDC_VOLUME_AUDIO_ONLY));
  EXPECT_FALSE(pages.split.IsChecked(IDC_SPLIT_AT_KEYFRAMES));
  EXPECT_FALSE(pages.separate.IsChecked(IDC_SEPARATE_AUDIO_ONLY));
  // The two pages are told to update the controls that depend on their box, once each.
  EXPECT_EQ(pages.split.Commands(), std::vector<int>{IDC_SPLIT_AT_KEYFRAMES});
  EXPECT_EQ(pages.separate.Commands(), std::vector<int>{IDC_SEPARATE_AUDIO_ONLY});
  EXPECT_TRUE(pages.volume.Commands().empty());
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
  StoredPages pages;
  WindowPlacementBytes placement{};
  EXPECT_FALSE(Load(files, pages, &placement));
  EXPECT_EQ(pages.settings.Text(IDC_FFMPEG_PATH), long_path.substr(0, 259));
  EXPECT_EQ(platform::Utf16Length(pages.settings.Text(IDC_AACGAIN_PATH)), 259u);
  EXPECT_TRUE(pages.settings.IsChecked(IDC_OPT_STRICT));
  // An entry outside its list would put the option into every command without a value.
  EXPECT_EQ(pages.settings.ComboIndex(IDC_OPT_STRICT_LIST), 2) << "an entry beyond the list loads as the default";
  EXPECT_EQ(pages.settings.ComboIndex(IDC_OPT_CPU_USED_LIST), 8);
  EXPECT_EQ(pages.settings.ComboIndex(IDC_OPT_THREADS_LIST), 0) << "text that is no number reads as 0";
  EXPECT_TRUE(pages.settings.IsChecked(IDC_OPT_Y));
  EXPECT_FALSE(pages.settings.IsChecked(IDC_OPT_N)) << "a key of another section is not this one";
  EXPECT_EQ(pages.volume.Text(IDC_VOLUME_TARGET), "") << "a present but empty value is not the default";
}

TEST(Settings, APlacementIsOnlyHandedBackWithItsLengthAndChecksumRight) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  WindowPlacementBytes wrong_length = SomePlacement();
  wrong_length[0] = 40;
  for (const WindowPlacementBytes& stored : {SomePlacement(), wrong_length}) {
    platform::Profile(files.settings).WriteStruct("setting", "WindowPlacement", stored.data(), stored.size());
    StoredPages pages;
    WindowPlacementBytes placement{};
    EXPECT_EQ(Load(files, pages, &placement), stored == SomePlacement());
  }
  // One digit changed: the checksum no longer fits.
  std::string text = platform::Profile(files.settings).GetString("setting", "WindowPlacement", "", 1000);
  text[10] = text[10] == '0' ? '1' : '0';
  platform::Profile(files.settings).WriteString("setting", "WindowPlacement", text);
  StoredPages pages;
  WindowPlacementBytes placement{};
  EXPECT_FALSE(Load(files, pages, &placement));
}

// The error list is the program's own; an input.txt beside the program is not (the concat list
// is written beside the listed files), so it may well be a user's.
TEST(Settings, TheErrorListIsDeletedAtStartUpEvenWhenReadOnlyAndAnInputTxtIsKept) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  platform::WriteWholeFile(files.error_list, "Invalid data found when processing input 'a.mp4'\r\n");
  ASSERT_TRUE(platform::SetReadOnly(files.error_list));
  const std::string users = dir.Write("input.txt", "a user's notes");
  StoredPages pages;
  Load(files, pages, nullptr);
  EXPECT_FALSE(platform::PathExists(files.error_list));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(users, &bytes));
  EXPECT_EQ(bytes, "a user's notes");
}

TEST(Settings, AFolderNamedLikeALeftoverIsLeftAlone) {
  TempDir dir;
  const SettingsFiles files = SettingsPathsIn(dir.path());
  std::filesystem::create_directory(testing::FsPath(files.error_list));
  StoredPages pages;
  Load(files, pages, nullptr);
  EXPECT_TRUE(platform::IsDirectory(files.error_list));
}

}  // namespace
}  // namespace clipwright
