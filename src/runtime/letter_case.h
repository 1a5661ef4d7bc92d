#pragma once
// ASCII letter case folded in comparisons ("A".."Z" as "a".."z"); other bytes compare unchanged.
// File extensions and section names compare this way.
#include <string>
#include <string_view>

namespace routelet {

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool LessIgnoringCase(std::string_view a, std::string_view b);

// The text with "A".."Z" made "a".."z": two texts are equal ignoring case when these are equal.
std::string FoldedCase(std::string_view text);

}  // namespace routelet
