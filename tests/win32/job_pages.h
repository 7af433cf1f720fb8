// Fake pages for the job tests, filled as the real pages are at start: the settings page's
// captions and value lists at their defaults, a page's output container, the convert page's
// option lists; and the summary a run ends with.
#pragma once

#include <string>
#include <vector>

#include "win32/fake_dialog.h"

namespace clipwright::testing {

// Every settings box with its caption (unchecked) and every value list at its default item.
void FillSettingsPage(FakeDialog& settings);
// Checks settings box `box` and, for a box with a value list, selects `value` in it.
void CheckOption(FakeDialog& settings, int box, const std::string& value = {});
// The container combo with every output container, `container` selected.
void SelectContainer(FakeDialog& page, int combo_id, const std::string& container);
// The convert page's nineteen lists, each at "指定なし".
void FillConvertOptionLists(FakeDialog& convert);
// Selects the item `text` of an option list of the convert page; fails the test if it is missing.
void SelectOption(FakeDialog& convert, int combo_id, const std::string& text);
// The progress dialog's summary (9502) after a run with these counts.
std::string SummaryOf(int successes, int failures);

}  // namespace clipwright::testing
