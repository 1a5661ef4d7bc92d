#pragma once
// Groups of an item's text that are written only when their values are known: "[?" and "?]"
// around text that holds placeholders, all on one line, such as "[?<ele>[alt:known]</ele>?]".
// A group is written without its marks when every placeholder in it has a value, and left out
// whole when one of them comes out empty. Marks around text that holds no placeholder of the
// section, or that do not close on their line, are no group and stay as they are.
#include <functional>
#include <string>
#include <string_view>

#include "output/placeholders.h"

namespace routelet {

inline constexpr std::string_view kGroupOpen = "[?";
inline constexpr std::string_view kGroupClose = "?]";

// `text` with its groups kept or left out: `comesOutEmpty` tells of each placeholder of `scope`
// whether its value is empty for the item being made.
std::string KeepGroupsWithValues(std::string_view text, PlaceholderScope scope,
                                 const std::function<bool(Fill)>& comesOutEmpty);

}  // namespace routelet
