// The convert page's option lists and the output containers. Every item is an argument value
// or a whole argument, so these lists are part of the command vocabulary: the page fills its
// combos from them and the command reads the selections back as indexes into the same lists.
#pragma once

#include <string>
#include <vector>

namespace clipwright {

// Item 0 of every option list: no value chosen, the argument is left out.
inline constexpr const char* kUnspecified = "指定なし";

struct OptionList {
  int combo_id;                    // the convert page's combo
  std::vector<std::string> items;  // item 0 is kUnspecified
};

// The nineteen lists in the order the convert page fills them: 6201–6210, 6300–6306, 6400, 6500.
const std::vector<OptionList>& ConvertOptionLists();
// The list of one combo, or null.
const OptionList* FindOptionList(int combo_id);

// The output containers of every job page, in order; the first is selected at start.
const std::vector<std::string>& OutputContainers();

}  // namespace clipwright
