// The pages whose controls the settings store keeps, as fakes filled the way the dialogs fill
// themselves: every caption of the dialog resources, every list with its items, nothing selected.
#pragma once

#include <string>
#include <vector>

#include "support/fake_dialog.h"

namespace clipwright::testing {

// A check box of the settings page, with the items of its list (id + 1) when it has one.
struct SettingsBoxSpec {
  int box;
  std::string caption;
  std::vector<std::string> items;
};

// The settings page's boxes in key order, with the captions and items the page is made with.
const std::vector<SettingsBoxSpec>& SettingsPageBoxes();

// The settings page and the three other pages with stored boxes, as after their dialogs were
// created and before the settings were loaded.
struct StoredPages {
  StoredPages();
  FakeDialog settings;
  FakeDialog split;
  FakeDialog separate;
  FakeDialog volume;
};

}  // namespace clipwright::testing
