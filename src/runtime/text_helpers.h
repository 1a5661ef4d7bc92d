#pragma once
// Replacing and splitting texts.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

// `text` without the blanks (spaces, tabs, line ends) at its start and its end.
std::string_view Trimmed(std::string_view text);

// Replaces every occurrence of `find`, left to right, without overlap. A replacement, once
// inserted, is never searched again, and the search resumes right after it, so an occurrence
// formed where a replaced one meets its neighbours stays. One pass: linear in the text.
// An empty `find` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// Same, changing `text` in place: no second copy of a large text is made. Returns whether
// anything was replaced.
bool ReplaceAllInPlace(std::string& text, std::string_view find, std::string_view replacement);

// Cuts a text at every occurrence of `delimiter` into views of the text; there is always one
// piece more than delimiters found. The pieces replace the content of `pieces`, so a caller
// that keeps the vector across calls does not allocate per call. An empty delimiter gives the
// whole text as the only piece. At most `maxPieces` (at least 1) are made: the last one then
// holds the rest of the text, delimiters and all, so a caller that reads only the first fields
// spends nothing on a text of a million delimiters.
void SplitFields(std::string_view text, std::string_view delimiter,
                 std::vector<std::string_view>& pieces, std::size_t maxPieces = SIZE_MAX);
std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delimiter);

}  // namespace routelet
