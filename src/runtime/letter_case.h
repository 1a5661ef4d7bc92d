#pragma once
// ASCII letter case folded in comparisons ("A".."Z" as "a".."z"); other bytes compare unchanged.
// File extensions and section names compare this way.
#include <string_view>

namespace routelet {

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool LessIgnoringCase(std::string_view a, std::string_view b);

}  // namespace routelet
