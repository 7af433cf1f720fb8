#include "win32/job_pages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/option_lists.h"
#include "settings/settings_lists.h"
#include "ui/settings_page.h"

namespace clipwright::testing {

void FillSettingsPage(FakeDialog& settings) {
  const std::vector<SettingsBox>& boxes = SettingsBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const int id = ui::SettingsBoxId(i);
    settings.SetText(id, boxes[i].caption);
    settings.SetChecked(id, false);
    if (boxes[i].list < 0) continue;
    const SettingsList& list = SettingsLists()[static_cast<std::size_t>(boxes[i].list)];
    settings.AddCombo(id + 1, list.items, list.default_index);
  }
}

void CheckOption(FakeDialog& settings, int box, const std::string& value) {
  settings.SetChecked(box, true);
  if (value.empty()) return;
  for (int i = 0; i < settings.ComboCount(box + 1); ++i) {
    if (settings.ComboItem(box + 1, i) == value) {
      settings.SetComboIndex(box + 1, i);
      return;
    }
  }
  ADD_FAILURE() << "no value " << value << " for box " << box;
}

void SelectContainer(FakeDialog& page, int combo_id, const std::string& container) {
  const auto& containers = OutputContainers();
  const auto found = std::find(containers.begin(), containers.end(), container);
  ASSERT_NE(found, containers.end()) << container;
  page.AddCombo(combo_id, containers, static_cast<int>(found - containers.begin()));
}

void FillConvertOptionLists(FakeDialog& convert) {
  for (const OptionList& list : ConvertOptionLists()) convert.AddCombo(list.combo_id, list.items, 0);
}

void SelectOption(FakeDialog& convert, int combo_id, const std::string& text) {
  const OptionList* list = FindOptionList(combo_id);
  ASSERT_NE(list, nullptr) << combo_id;
  const auto found = std::find(list->items.begin(), list->items.end(), text);
  ASSERT_NE(found, list->items.end()) << text;
  convert.SetComboIndex(combo_id, static_cast<int>(found - list->items.begin()));
}

std::string SummaryOf(int successes, int failures) {
  return "作成結果\r\n成功： " + std::to_string(successes) + " ファイル\r\n失敗： " + std::to_string(failures) + " ファイル";
}

}  // namespace clipwright::testing
