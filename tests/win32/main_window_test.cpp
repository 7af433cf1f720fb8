#include "ui/main_window.h"

#include <gtest/gtest.h>

#include "common/control_ids.h"
#include "common/limits.h"
#include "window_support.h"

namespace clipwright::testing {
namespace {

TEST(MainWindow, StartsWithSevenTabsAndOnlyTheSettingsPageShown) {
  TempDir folder;
  MainWindowRun run(folder);
  ASSERT_NE(run.window(), nullptr);
  EXPECT_EQ(WindowTextOf(run.window()), "Clipwright 0.252");
  EXPECT_EQ(TabTexts(run.tab()),
            (std::vector<std::string>{"設定", "分割", "連結", "多重化", "分離", "変換", "AACGain"}));
  EXPECT_EQ(SendMessageW(run.tab(), TCM_GETCURSEL, 0, 0), 0);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    ASSERT_NE(run.page(index), nullptr) << index;
    EXPECT_EQ(IsWindowVisible(run.page(index)) != 0, index == PAGE_SETTINGS) << index;
  }

  SelectTab(run.window(), PAGE_SEPARATE);
  EXPECT_TRUE(IsWindowVisible(run.page(PAGE_SEPARATE)));
  EXPECT_FALSE(IsWindowVisible(run.page(PAGE_SETTINGS)));
  EXPECT_EQ(run.Close(), 0);
}

}  // namespace
}  // namespace clipwright::testing
