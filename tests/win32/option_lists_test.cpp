#include "ui/option_lists.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "settings/settings_lists.h"

namespace clipwright {
namespace {

TEST(ConvertOptionLists, SizesAndKeyPositionsAreThoseTheCommandsRelyOn) {
  ASSERT_EQ(ConvertOptionLists().size(), 19u);
  for (const OptionList& list : ConvertOptionLists()) {
    ASSERT_FALSE(list.items.empty());
    EXPECT_EQ(list.items[0], kUnspecified) << list.combo_id;
    for (const std::string& item : list.items) EXPECT_LE(item.size(), 18u) << item;
  }
  EXPECT_EQ(FindOptionList(IDC_CONVERT_VCODEC)->items.size(), 21u);
  EXPECT_EQ(FindOptionList(IDC_CONVERT_VCODEC)->items[1], "copy");
  EXPECT_EQ(FindOptionList(IDC_CONVERT_ACODEC)->items.size(), 15u);
  EXPECT_EQ(FindOptionList(IDC_CONVERT_ACODEC)->items[9], "aac");
  EXPECT_EQ(FindOptionList(IDC_CONVERT_SPEED)->items.size(), 32u);
  EXPECT_EQ(FindOptionList(IDC_CONVERT_SPEED)->items[14], "1/2");
  EXPECT_EQ(FindOptionList(IDC_CONVERT_SPEED)->items[15], "2");
  EXPECT_EQ(FindOptionList(IDC_CONVERT_SPEED)->items[31], "128");
  EXPECT_EQ(FindOptionList(0), nullptr);
}

TEST(ConvertOptionLists, VideoQualityFollowsItsRule) {
  const auto& items = FindOptionList(IDC_CONVERT_VQUALITY)->items;
  ASSERT_EQ(items.size(), 53u);
  EXPECT_EQ(items[1], "-crf 30");
  EXPECT_EQ(items[8], "-crf 23");
  EXPECT_EQ(items[21], "-crf 10");
  EXPECT_EQ(items[22], "-global_quality 30");
  EXPECT_EQ(items[42], "-global_quality 10");
  EXPECT_EQ(items[43], "-vb 128k");
  EXPECT_EQ(items[46], "-vb 1m");
  EXPECT_EQ(items[52], "-vb 64m");
}

TEST(SettingsLists, ItemsAndDefaults) {
  const auto& lists = SettingsLists();
  ASSERT_EQ(lists.size(), 8u);
  EXPECT_EQ(lists[0].items.size(), 14u);  // -threads: no 12 or 16
  EXPECT_EQ(lists[0].items[7], "14");
  EXPECT_EQ(lists[1].items[lists[1].default_index], "normal");
  EXPECT_EQ(lists[3].items.size(), 17u);
  EXPECT_EQ(lists[3].items.front(), "-8");
  EXPECT_EQ(lists[3].items[lists[3].default_index], "0");
  EXPECT_EQ(lists[4].items.back(), "100");
  EXPECT_EQ(lists[5].items[lists[5].default_index], "1");
  EXPECT_EQ(SettingsBoxes().size(), 21u);
}

}  // namespace
}  // namespace clipwright
