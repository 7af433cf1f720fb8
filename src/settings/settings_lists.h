// The settings page's option boxes and their drop-down lists, in the order the page shows them.
#pragma once

#include <string>
#include <vector>

namespace clipwright {

struct SettingsList {
  int id;                          // the list; its box is id - 1
  std::vector<std::string> items;  // in order
  int default_index;               // the item chosen when status.ini holds nothing
};

// The eight lists in the order they are filled: 1103, 1105, 1201, 1203, 1207, 1210, 1401, 1403.
const std::vector<SettingsList>& SettingsLists();

struct SettingsBox {
  int id;
  const char* caption;  // the box's caption, which is also its FFmpeg argument
};

// Every check box of the settings page with its caption, in key order.
const std::vector<SettingsBox>& SettingsBoxes();

}  // namespace clipwright
