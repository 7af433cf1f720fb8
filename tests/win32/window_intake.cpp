#include "window_intake.h"

#include <filesystem>
#include <thread>

#include "ui/control_ids.h"
#include "common/limits.h"
#include "platform/files.h"
#include "support/media.h"
#include "test_config.h"

namespace clipwright::testing {

Clips* PageIntakeTest::clips = nullptr;

Clips::Clips()
    : both(File("both.mp4")), video(File("video.mkv")), sound(File("sound.m4a")), text(File("notes.log")) {
  EXPECT_TRUE(MakeClip(both, 1, true, true, "-c:v libx264 -preset ultrafast -g 25 -c:a aac -shortest"));
  EXPECT_TRUE(MakeClip(video, 2, true, false, "-c:v libx264 -preset ultrafast"));
  EXPECT_TRUE(MakeClip(sound, 0.5, false, true, "-c:a aac"));
  Write("notes.log", "2024-08-15 12:00:00 started\r\n2024-08-15 12:00:01 finished\r\n");
}

void PageIntakeTest::SetUpTestSuite() { clips = new Clips; }

void PageIntakeTest::TearDownTestSuite() {
  delete clips;
  clips = nullptr;
}

void PageIntakeTest::SetUp() { settings.SetText(IDC_FFMPEG_PATH, test_config::kFfmpeg); }

std::string PageIntakeTest::CopyClip(const std::string& source, const std::string& name) const {
  const std::string copy = work.File(name);
  std::filesystem::copy_file(FsPath(source), FsPath(copy));
  return copy;
}

std::string PageIntakeTest::ErrorList() const {
  std::string bytes;
  platform::ReadWholeFile(folder.File("error.txt"), &bytes);
  return bytes;
}

void PageIntakeTest::ShowPage(int index) {
  SelectTab(main.window(), index);
  SetForegroundWindow(main.window());
  Pump(200);
}

std::vector<std::string> Rows(ui::WindowDialog& page, int list_id) {
  std::vector<std::string> rows;
  for (int row = 0; row < page.RowCount(list_id); ++row) rows.push_back(page.RowText(list_id, row));
  return rows;
}

std::vector<bool> Checks(ui::WindowDialog& page, int list_id) {
  std::vector<bool> checks;
  for (int row = 0; row < page.RowCount(list_id); ++row) checks.push_back(page.RowChecked(list_id, row));
  return checks;
}

std::vector<std::string> Texts(const FileEntry& file) {
  std::vector<std::string> texts;
  for (const StreamEntry& stream : file.streams) texts.push_back(stream.text);
  return texts;
}

std::vector<std::string> Kinds(const FileEntry& file) { return LineKinds(Texts(file)); }

std::vector<std::string> RowKinds(ui::WindowDialog& page, int list_id) { return LineKinds(Rows(page, list_id)); }

std::string RunJob(HWND page, int run_button) {
  std::string summary;
  std::thread user([&] { summary = CloseJobDialog(); });
  SendMessageW(GetDlgItem(page, run_button), BM_CLICK, 0, 0);
  user.join();
  return summary;
}

void SelectItem(ui::WindowDialog& page, int combo, const std::string& text) {
  for (int index = 0; index < page.ComboCount(combo); ++index) {
    if (page.ComboItem(combo, index) == text) {
      page.SetComboIndex(combo, index);
      return;
    }
  }
  ADD_FAILURE() << "no item " << text << " in " << combo;
}

POINT CheckBoxPoint(HWND list, int row) {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
  const int y = (bounds.top + bounds.bottom) / 2;
  // The list view knows where its box is: the middle of the stretch that hits it.
  int first = -1;
  int last = -1;
  for (int x = bounds.left; x < bounds.left + 60; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem == row && hit.flags == LVHT_ONITEMSTATEICON) {
      if (first < 0) first = x;
      last = x;
    }
  }
  EXPECT_GE(first, 0) << "no check box on row " << row;
  POINT point{(first + last) / 2, y};
  ClientToScreen(list, &point);
  return point;
}

POINT TextPoint(HWND list, int row) {
  RECT label{};
  label.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  POINT point{label.left + 40, (label.top + label.bottom) / 2};
  ClientToScreen(list, &point);
  return point;
}

}  // namespace clipwright::testing
