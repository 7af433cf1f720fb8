// What every page holds right after start-up, read back from the real controls.
#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "ui/option_lists.h"
#include "ui/page_controls.h"
#include "ui/settings_page.h"
#include "ui/window_dialog.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

using Items = std::vector<std::string>;

Items ComboItems(HWND page, int id) {
  ui::WindowDialog controls(page);
  Items items;
  for (int index = 0; index < controls.ComboCount(id); ++index) items.push_back(controls.ComboItem(id, index));
  return items;
}

const Items kContainers = {"mp4", "mkv", "webm", "mpg", "wmv", "aac", "mp3",
                           "ogg", "ac3", "wma", "flac", "wav", "ass", "srt"};

TEST(SettingsPage, FillsItsEightListsInOrderAndSelectsNothingBeforeTheSettingsLoad) {
  // The page alone, without the main window that would load the settings into it.
  DesktopLock desktop;
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ui::PageState state;
  HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), parent,
                                 ui::SettingsPageProc, reinterpret_cast<LPARAM>(&state));
  ASSERT_NE(page, nullptr);
  const std::pair<int, Items> lists[] = {
      {IDC_OPT_THREADS_LIST, {"0", "1", "2", "4", "6", "8", "10", "14", "18", "20", "22", "24", "26", "28"}},
      {IDC_OPT_STRICT_LIST, {"very", "strict", "normal", "unofficial", "experimental"}},
      {IDC_OPT_DEADLINE_LIST, {"best", "good", "realtime"}},
      {IDC_OPT_CPU_USED_LIST,
       {"-8", "-7", "-6", "-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5", "6", "7", "8"}},
      {IDC_OPT_LOOK_AHEAD_DEPTH_LIST, {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
      {IDC_OPT_TRANSPOSE_LIST, {"1", "2", "3", "0"}},
      {IDC_OPT_MAP_CHAPTERS_LIST, {"-1", "0"}},
      {IDC_OPT_MAP_METADATA_LIST, {"-1", "0"}},
  };
  ui::WindowDialog controls(page);
  for (const auto& [id, items] : lists) {
    EXPECT_EQ(ComboItems(page, id), items) << id;
    EXPECT_EQ(controls.ComboIndex(id), -1) << id;
  }
  for (int id : {IDC_OPT_Y, IDC_OPT_N, IDC_OPT_THREADS, IDC_OPT_TRANSPOSE, IDC_OPT_STRIP_ID3, IDC_TEMP_COPIES}) {
    EXPECT_FALSE(controls.IsChecked(id)) << id;
  }
  EXPECT_EQ(controls.Text(IDC_OPT_BITEXACT), "-fflags +bitexact -flags:v +bitexact -flags:a +bitexact");
  EXPECT_EQ(controls.Text(IDC_OPT_STRIP_ID3), "ID3タグ削除 [MP3のみ]");
  EXPECT_EQ(ui::PageStateOf(page), &state);
  DestroyWindow(parent);
}

class StartedPages : public ::testing::Test {
 protected:
  TempDir folder;
  MainWindowRun main{folder};
};

TEST_F(StartedPages, ContainerCombosHoldTheFourteenContainersWithMp4Selected) {
  const std::pair<int, int> combos[] = {{PAGE_SPLIT, IDC_SPLIT_CONTAINER},
                                        {PAGE_CONCATENATE, IDC_CONCAT_CONTAINER},
                                        {PAGE_MULTIPLEX, IDC_MUX_CONTAINER},
                                        {PAGE_SEPARATE, IDC_SEPARATE_CONTAINER},
                                        {PAGE_CONVERT, IDC_CONVERT_CONTAINER}};
  for (const auto& [page, id] : combos) {
    ui::WindowDialog controls(main.page(page));
    EXPECT_EQ(ComboItems(main.page(page), id), kContainers) << id;
    EXPECT_EQ(controls.ComboText(id), "mp4") << id;
  }
}

TEST_F(StartedPages, ConvertOptionCombosHoldTheirListsWithTheFirstItemSelected) {
  HWND page = main.page(PAGE_CONVERT);
  ui::WindowDialog controls(page);
  ASSERT_EQ(ConvertOptionLists().size(), 19u);
  for (const OptionList& list : ConvertOptionLists()) {
    EXPECT_EQ(ComboItems(page, list.combo_id), list.items) << list.combo_id;
    EXPECT_EQ(controls.ComboIndex(list.combo_id), 0) << list.combo_id;
    EXPECT_EQ(controls.ComboText(list.combo_id), "指定なし") << list.combo_id;
  }
  // Spot checks against the page's own order: an unsorted list keeps these where the commands need them.
  EXPECT_EQ(controls.ComboItem(IDC_CONVERT_VQUALITY, 1), "-crf 30");
  EXPECT_EQ(controls.ComboItem(IDC_CONVERT_VQUALITY, 52), "-vb 64m");
  EXPECT_EQ(controls.ComboItem(IDC_CONVERT_ACODEC, 9), "aac");
  EXPECT_EQ(controls.ComboItem(IDC_CONVERT_SPEED, 14), "1/2");
  EXPECT_EQ(controls.ComboCount(IDC_CONVERT_SPEED), 32);
  EXPECT_EQ(controls.Text(IDC_CONVERT_VCODEC_LABEL), "-vcodec");
  EXPECT_FALSE(controls.IsChecked(IDC_CONVERT_ALT_FFMPEG));
  EXPECT_FALSE(controls.IsChecked(IDC_CONVERT_POWER_OFF));
}

struct ListCase {
  int page;
  int id;
  DWORD extended_style;
  bool accepts_drops;
};

TEST_F(StartedPages, ListViewsHaveTheirStylesOneColumnAndTheGuiFont) {
  const ListCase lists[] = {
      {PAGE_SPLIT, IDC_SPLIT_STREAMS, 0x4025, true},        {PAGE_CONCATENATE, IDC_CONCAT_FILES, 0x4021, true},
      {PAGE_CONCATENATE, IDC_CONCAT_STREAMS, 0x4025, false}, {PAGE_MULTIPLEX, IDC_MUX_STREAMS1, 0x4025, true},
      {PAGE_MULTIPLEX, IDC_MUX_STREAMS2, 0x4025, true},      {PAGE_SEPARATE, IDC_SEPARATE_FILES, 0x4021, true},
      {PAGE_SEPARATE, IDC_SEPARATE_STREAMS, 0x4025, false},  {PAGE_CONVERT, IDC_CONVERT_FILES, 0x4021, true},
      {PAGE_CONVERT, IDC_CONVERT_STREAMS, 0x4025, false},    {PAGE_VOLUME, IDC_VOLUME_FILES, 0x4021, true},
      {PAGE_VOLUME, IDC_VOLUME_STREAMS, 0x4021, false},
  };
  for (const ListCase& c : lists) {
    HWND list = GetDlgItem(main.page(c.page), c.id);
    ASSERT_NE(list, nullptr) << c.id;
    EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), static_cast<LRESULT>(c.extended_style)) << c.id;
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 752) << c.id;
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 0) << c.id;
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT))
        << c.id;
    EXPECT_EQ((GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, c.accepts_drops) << c.id;
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER),
              LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER)
        << c.id;
  }
}

TEST_F(StartedPages, RunButtonsStartDisabledAndTheOtherControlsStartAtRest) {
  const std::pair<int, int> runs[] = {{PAGE_SPLIT, IDC_SPLIT_RUN},         {PAGE_CONCATENATE, IDC_CONCAT_RUN},
                                      {PAGE_MULTIPLEX, IDC_MUX_RUN},        {PAGE_SEPARATE, IDC_SEPARATE_RUN},
                                      {PAGE_CONVERT, IDC_CONVERT_RUN},      {PAGE_VOLUME, IDC_VOLUME_RUN}};
  for (const auto& [page, id] : runs) EXPECT_FALSE(ui::WindowDialog(main.page(page)).IsEnabled(id)) << id;
  ui::WindowDialog split(main.page(PAGE_SPLIT));
  EXPECT_EQ(split.Text(IDC_SPLIT_PLAY_TIME), "00:00:00.000");
  for (int id : {IDC_SPLIT_START_TRACK, IDC_SPLIT_END_TRACK}) {
    EXPECT_EQ(SendDlgItemMessageW(main.page(PAGE_SPLIT), id, TBM_GETPOS, 0, 0), 0) << id;
  }
  ui::WindowDialog volume(main.page(PAGE_VOLUME));
  EXPECT_EQ(volume.Text(IDC_VOLUME_TARGET), "100.0");
  EXPECT_EQ(ui::WindowDialog(main.page(PAGE_MULTIPLEX)).Text(IDC_MUX_PATH1), "");
}

TEST_F(StartedPages, WholeFileSplitAndAudioOnlyGreyTheControlsTheyMakeUnused) {
  ui::WindowDialog split(main.page(PAGE_SPLIT));
  const int range[] = {IDC_SPLIT_START_TIME, IDC_SPLIT_RESET,   IDC_SPLIT_START_TRACK,
                       IDC_SPLIT_END_TIME,   IDC_SPLIT_MAXIMUM, IDC_SPLIT_END_TRACK};
  for (bool checked : {true, false}) {
    split.SetChecked(IDC_SPLIT_AT_KEYFRAMES, checked);
    split.SendCommand(IDC_SPLIT_AT_KEYFRAMES);
    for (int id : range) EXPECT_EQ(split.IsEnabled(id), !checked) << id;
    EXPECT_TRUE(split.IsEnabled(IDC_SPLIT_CONTAINER));
  }
  ui::WindowDialog separate(main.page(PAGE_SEPARATE));
  for (bool checked : {true, false}) {
    separate.SetChecked(IDC_SEPARATE_AUDIO_ONLY, checked);
    separate.SendCommand(IDC_SEPARATE_AUDIO_ONLY);
    EXPECT_EQ(separate.IsEnabled(IDC_SEPARATE_STREAMS), !checked);
  }
}

TEST_F(StartedPages, TargetLevelArrowsStepByATenthAsTheyAreClicked) {
  SelectTab(main.window(), PAGE_VOLUME);
  SetForegroundWindow(main.window());
  Pump();
  HWND page = main.page(PAGE_VOLUME);
  HWND spin = GetDlgItem(page, IDC_VOLUME_TARGET_SPIN);
  ui::WindowDialog volume(page);
  RECT rect{};
  GetWindowRect(spin, &rect);
  const POINT up{(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) / 4};
  const POINT down{(rect.left + rect.right) / 2, rect.bottom - (rect.bottom - rect.top) / 4};
  ClickAt(up);
  EXPECT_TRUE(PumpUntil([&] { return volume.Text(IDC_VOLUME_TARGET) == "100.1"; }));
  ClickAt(down);
  ClickAt(down);
  EXPECT_TRUE(PumpUntil([&] { return volume.Text(IDC_VOLUME_TARGET) == "99.9"; }));
  volume.SetText(IDC_VOLUME_TARGET, "119.95");
  ClickAt(up);
  EXPECT_TRUE(PumpUntil([&] { return volume.Text(IDC_VOLUME_TARGET) == "120.0"; }));
}

}  // namespace
}  // namespace clipwright::testing
